// TPUBGLib graphics quality writers: a list level either picks one of the
// game's own quality steps (group value 0-4) and drops our renderer keys,
// or one of our presets, which pins the group value and writes renderer keys.
#include <string>

#include "engine/key_table.h"
#include "engine/pubg_lib.h"

namespace kestrune {
namespace {

using keytable::kRemoved;
using keytable::LevelRow;
using keytable::RunLevel;
using keytable::Target;
constexpr const char* _ = nullptr;  // key not touched at this level

// clang-format off
// Levels 1-3 our low/medium/high, 4-8 the game's very low ... ultra.
constexpr LevelRow<8> kShadow[] = {
    {Target::kRenderer, "r.LightFunctionQuality", {_, "1", "3", "3", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kGroups, "sg.ShadowQuality", {_, "0", "0", "2", "0", "1", "2", "3", "4"}},
};

// Levels 1-4 our low ... ultra, 5-9 the game's steps.
constexpr LevelRow<9> kEffects[] = {
    {Target::kGroups, "sg.EffectsQuality", {_, "0", "0", "0", "0", "0", "1", "2", "3", "4"}},
    {Target::kRenderer, "r.TranslucencyLightingVolumeDim", {_, "0", "4", "32", "64", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.RefractionQuality", {_, "0", "0", "2", "2", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.SSR", {_, "0", "0", "1", "1", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.SceneColorFormat", {_, "1", "4", "5", "5", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.DetailMode", {_, "0", "0", "2", "2", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.TranslucencyVolumeBlur", {_, "0", "0", "0", "1", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.MaterialQualityLevel", {_, "0", "0", "1", "1", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
};

// Levels 1-5 the game's steps, 6 our ultra.
constexpr LevelRow<6> kPostProcess[] = {
    {Target::kGroups, "sg.PostProcessQuality", {_, "0", "1", "2", "3", "4", "0"}},
    {Target::kRenderer, "r.MotionBlurQuality", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "3"}},
    {Target::kRenderer, "r.BlurGBuffer", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "-1"}},
    {Target::kRenderer, "r.AmbientOcclusionLevels", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "2"}},
    {Target::kRenderer, "r.AmbientOcclusionRadiusScale", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "1.5"}},
    {Target::kRenderer, "r.DepthOfFieldQuality", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "2"}},
    {Target::kRenderer, "r.RenderTargetPoolMin", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "400"}},
    {Target::kRenderer, "r.LensFlareQuality", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "2"}},
    {Target::kRenderer, "r.SceneColorFringeQuality", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "1"}},
    {Target::kRenderer, "r.EyeAdaptationQuality", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "3"}},
    {Target::kRenderer, "r.BloomQuality", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "5"}},
    {Target::kRenderer, "r.FastBlurThreshold", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "3"}},
    {Target::kRenderer, "r.Upscale.Quality", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "2"}},
    {Target::kRenderer, "r.Tonemapper.GrainQuantization", {_, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, "1"}},
};

// Levels 1-4 our low ... ultra, 5-9 the game's steps.
constexpr LevelRow<9> kAntiAliasing[] = {
    {Target::kRenderer, "r.PostProcessAAQuality", {_, "0", "4", "6", "6", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.SkeletalMeshLODBias", {_, "32", "3", "5", "5", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kGroups, "sg.AntiAliasingQuality", {_, "0", "0", "0", "0", "0", "1", "2", "3", "4"}},
    {Target::kRenderer, "r.TemporalAASamples", {_, kRemoved, kRemoved, kRemoved, "4", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.MaxQualityMode", {_, kRemoved, kRemoved, kRemoved, "1", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
    {Target::kRenderer, "r.TemporalAASharpness", {_, kRemoved, kRemoved, kRemoved, "1.0", kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}},
};

// Levels 1-3 our low/medium/high, 4-8 the game's steps. The mip bias is
// dropped first at every level, so a re-written one ends its section.
constexpr LevelRow<8> kTextureFirst = {Target::kRenderer, "r.Streaming.MipBias", {kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}};
constexpr LevelRow<8> kTexture[] = {
    {Target::kRenderer, "r.Streaming.MipBias", {_, _, "0", "0", _, _, _, _, _}},
    {Target::kGroups, "sg.TextureQuality", {_, "0", "0", "0", "0", "1", "2", "3", "4"}},
};

// Levels 1-5 the game's steps only.
constexpr LevelRow<5> kFoliage[] = {
    {Target::kGroups, "sg.FoliageQuality", {_, "0", "1", "2", "3", "4"}},
};

// Levels 1-4 our low ... ultra, 5-9 the game's steps; the scale is dropped
// first at every level.
constexpr LevelRow<9> kViewDistanceFirst = {Target::kRenderer, "r.ViewDistanceScale", {kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved, kRemoved}};
constexpr LevelRow<9> kViewDistance[] = {
    {Target::kRenderer, "r.ViewDistanceScale", {_, "0", "0.4", "0.4", _, _, _, _, _, _}},
    {Target::kGroups, "sg.ViewDistanceQuality", {_, "0", "0", "0", "4", "0", "1", "2", "3", "4"}},
};
// clang-format on

// Numeric user settings, written as the integer followed by ".000000".
enum class Numeric { kScreenScale, kFirstPersonFov, kFrameRateLimit };
constexpr const char* kNumericKeys[] = {"ScreenScale", "FpsCamearFov", "FrameRateLimit"};

void WriteNumeric(TPUBGLib& lib, Numeric which, int n) {
  lib.WriteIniKey(lib.GameUserSettingsPath, keytable::TargetSection(Target::kUserSettings),
                  kNumericKeys[static_cast<size_t>(which)], std::to_string(n) + ".000000");
}

// A row that runs whatever the level, even 0 or one out of range.
template <size_t Levels>
void RunAlways(TPUBGLib& lib, const LevelRow<Levels>& row) {
  keytable::RunCell(lib, row.target, row.key, row.byLevel[0]);
}

}  // namespace

void TPUBGLib::ApplyShadowQuality(int level) {
  RunLevel(*this, kShadow, level);
}
void TPUBGLib::ApplyEffectsQuality(int level) {
  RunLevel(*this, kEffects, level);
}
void TPUBGLib::ApplyPostProcessQuality(int level) {
  RunLevel(*this, kPostProcess, level);
}
void TPUBGLib::ApplyAntiAliasingQuality(int level) {
  RunLevel(*this, kAntiAliasing, level);
}

void TPUBGLib::ApplyTextureQuality(int level) {
  RunAlways(*this, kTextureFirst);
  RunLevel(*this, kTexture, level);
}

void TPUBGLib::ApplyFoliageQuality(int level) {
  RunLevel(*this, kFoliage, level);
}

void TPUBGLib::ApplyViewDistanceQuality(int level) {
  RunAlways(*this, kViewDistanceFirst);
  RunLevel(*this, kViewDistance, level);
}

void TPUBGLib::ApplyScreenScale(int n) {
  WriteNumeric(*this, Numeric::kScreenScale, n);
}
void TPUBGLib::ApplyFirstPersonFov(int n) {
  WriteNumeric(*this, Numeric::kFirstPersonFov, n);
}
void TPUBGLib::ApplyFrameRateLimit(int n) {
  WriteNumeric(*this, Numeric::kFrameRateLimit, n);
}

}  // namespace kestrune
