// The page's lists, edits, options and schemes as data.
#include "opti/opti_tables.h"

#include "engine/pubg_lib.h"
#include "opti/opti_services.h"

namespace kestrune::opti {
namespace {

// Layout A: the program's own four steps, then the game's five.
const std::vector<std::string_view> kLayoutA = {
    "请选择",      "超级Orvane 低", "超级Orvane 中", "超级Orvane 高", "超级Orvane 极致",
    "官方 非常低", "官方 低",       "官方 中",       "官方 高",       "官方 极致"};
// Layout B: as A without the program's own top step.
const std::vector<std::string_view> kLayoutB = {"请选择",        "超级Orvane 低", "超级Orvane 中",
                                                "超级Orvane 高", "官方 非常低",   "官方 低",
                                                "官方 中",       "官方 高",       "官方 极致"};
// Layout C: the game's own steps only.
const std::vector<std::string_view> kLayoutC = {"请选择",  "官方 非常低", "官方 低",
                                                "官方 中", "官方 高",     "官方 极致"};

}  // namespace

const std::array<ListDesc, kListCount>& Lists() {
  static const std::array<ListDesc, kListCount> kLists = {{
      {ListId::ConfigModel,
       "CBConfigModel",
       "scheme",
       "配置文件",
       "CBConfigModelIndex",
       {"请选择配置方案", "超级Orvane 自动优化", "超级Orvane 低配置", "超级Orvane 中配置",
        "超级Orvane 高配置", "超级Orvane 极致画质"}},
      {ListId::MSAA, "CBMSAA", "msaa", "反锯齿", "CBMSAAIndex", kLayoutA},
      {ListId::FXAA,
       "CBFXAA",
       "fxaa",
       "后处理",
       "CBFXAAIndex",
       {"请选择", "官方 非常低", "官方 低", "官方 中", "官方 高", "官方 极致", "超级Orvane 极致"}},
      {ListId::AO, "CBAO", "ao", "阴影光源", "CBAOIndex", kLayoutB},
      {ListId::Text, "CBText", "texture", "纹理", "CBTextIndex", kLayoutB},
      {ListId::Effect, "CBEffect", "effect", "特效", "CBEffectIndex", kLayoutA},
      {ListId::Tree, "CBTree", "tree", "树木", "CBTreeIndex", kLayoutC},
      {ListId::View, "CBView", "view", "视距", "CBViewIndex", kLayoutA},
      {ListId::NetWork,
       "CBNetWork",
       "network",
       "网络优化",
       "CBNetWorkIndex",
       {"请选择", "超级Orvane 带宽5M以下", "超级Orvane 带宽5M - 8M", "超级Orvane 带宽8M以上",
        "超级Orvane 加速器模式", "官方"}},
      {ListId::HardWare,
       "CBHardWare",
       "hardware",
       "硬件优化",
       "CBHardWareIndex",
       {"请选择", "超级Orvane 低配置", "超级Orvane 中低配置(方案一)", "超级Orvane 中低配置(方案二)",
        "超级Orvane 中配置", "超级Orvane 高配置(方案一)", "超级Orvane 高配置(方案二)",
        "超级Orvane 特別方案", "官方"}},
      {ListId::MouseSmoothing,
       "CBMouseSmoothing",
       "mouse",
       "鼠标加速",
       "CBMouseSmoothingIndex",
       {"关", "开"}},
  }};
  return kLists;
}

const ListDesc& List(ListId id) {
  return Lists()[static_cast<size_t>(id)];
}

const std::array<EditDesc, kEditCount>& Edits() {
  // Columns: id, control, short name, label, Config.dat key, saved default,
  // Apply's default, range, gate, value while the gate is clear.
  // clang-format off
  static const std::array<EditDesc, kEditCount> kEdits = {{
      // Apply puts 100 in place of a screen percentage outside 40..120.
      {EditId::Screen, "EditScreen", "screen", "屏幕比例", "ScreenSize", 100, 100,
       {40, 120, true}, std::nullopt, -1},
      // The field of view goes to the game as typed, only while its box is
      // checked; a value far outside the usual range is a typing error.
      {EditId::FpsCamearFov, "FpsCamearFovEdit", "fov", "", "FpsCamearFov", 108, 100,
       {60, 120, false}, CheckId::FpsCamearFov, -1},
      // The frame-rate limit goes as typed while its box is checked; clear,
      // the game gets 1000, the page's "no limit".
      {EditId::FPSLimit, "FPSLimitEdit", "fps-limit", "", "FPSLimit", 60, 60,
       {1, 1000, false}, CheckId::FPSLimit, 1000},
  }};
  // clang-format on
  return kEdits;
}

const EditDesc& Edit(EditId id) {
  return Edits()[static_cast<size_t>(id)];
}

int StoredEditValue(const EditDesc& desc, std::string_view text) {
  return ParseIntDef(TrimSpacesAndControls(text), desc.fallback);
}

const std::array<CheckDesc, kCheckCount>& Checks() {
  static const std::array<CheckDesc, kCheckCount> kChecks = {{
      {CheckId::FpsCamearFov, "CBFpsCamearFov", "use-fov", "第一人称FOV", CheckGroup::Visual,
       "FpsCamearFovCheck", false},
      {CheckId::CPUUsage, "CBCPUUsage", "cpu-usage", "CPU 利用率增强", CheckGroup::Other,
       "CPUUsageCheck", false},
      {CheckId::BigJump, "CBBigJump", "big-jump", "Ctrl+Alt 按住的同时再按W(100%翻窗大跳)",
       CheckGroup::Other, "BigJumpCheck", false},
      {CheckId::CPUPerformanceBalance, "CBCPUPerformanceBalance", "cpu-balance", "CPU 性能平衡",
       CheckGroup::Other, "CPUPerformanceBalanceCheck", false},
      {CheckId::GPUUsage, "CBGPUUsage", "gpu-usage", "GPU 利用率增强", CheckGroup::Other,
       "GPUUsageCheck", false},
      {CheckId::GPUUseCPU, "CBGPUUseCPU", "gpu-use-cpu", "CPU 减轻 GPU 负荷", CheckGroup::Other,
       "GPUUseCPUCheck", false},
      {CheckId::FPSLimit, "CBFPSLimit", "use-fps-limit", "FPS 限制", CheckGroup::Other,
       "FPSLimitCheck", false},
      {CheckId::SoundPostion, "CBSoundPostion", "sound-position", "声音声道定位强化",
       CheckGroup::Advanced, "SoundPostionCheck", false},
      {CheckId::ComputerBestPerformance, "CBComputerBestPerformance", "compute-performance",
       "云计算性能最佳", CheckGroup::Advanced, "ComputerBestPerformanceCheck", false},
      {CheckId::ReduceShadowQuality, "CBReduceShadowQuality", "reduce-shadow", "阴影质量降低",
       CheckGroup::Advanced, "ReduceShadowQualityCheck", false},
      {CheckId::MemoryBestPerformance, "CBMemoryBestPerformance", "memory", "内存最佳化",
       CheckGroup::Advanced, "MemoryBestPerformanceCheck", false},
      {CheckId::GraphicsColorBest, "CBGraphicsColorBest", "colour", "图像色彩最佳化",
       CheckGroup::Advanced, "GraphicsColorBestCheck", false},
      {CheckId::DecreaseRenderResolution, "CBDecreaseRenderResolution", "lower-resolution",
       "降低渲染分辨率", CheckGroup::Advanced, "DecreaseRenderResolutionCheck", false},
      {CheckId::CloundComputerBest, "CBCloundComputerBest", "compute-config", "云计算最佳化配置",
       CheckGroup::Advanced, "CloundComputerBestCheck", false},
      {CheckId::ForceMaaxRenderSize, "CBForceMaaxRenderSize", "max-distance", "强制渲染最大视距",
       CheckGroup::Advanced, "ForceMaaxRenderSizeCheck", false},
      {CheckId::DirectXBestPro, "CBDirectXBestPro", "directx-pro", "DirectX最佳化Pro",
       CheckGroup::Advanced, "DirectXBestProCheck", false},
      {CheckId::VideoMemoryOpti, "CBVideoMemoryOpti", "video-memory", "显卡内存优化",
       CheckGroup::Advanced, "VideoMemoryOptiCheck", false},
      {CheckId::RenderingDelay30FPS, "CB30FPSRenderingDelay", "low-fps-delay",
       "30FPS以下使用渲染延迟", CheckGroup::Advanced, "30FPSRenderingDelayCheck", false},
      {CheckId::Language, "CBLanguage", "chinese", "游戏语言设置为中文", CheckGroup::Other,
       "LanguageCheck", true},
  }};
  return kChecks;
}

const CheckDesc& Check(CheckId id) {
  return Checks()[static_cast<size_t>(id)];
}

namespace {

// Writers of every signature, called with the step's value.
template <void (TPUBGLib::*Write)(int)>
void Level(TPUBGLib& engine, int value) {
  (engine.*Write)(value);
}
template <void (TPUBGLib::*Write)(bool)>
void OnOff(TPUBGLib& engine, int value) {
  (engine.*Write)(value != 0);
}
template <void (TPUBGLib::*Write)()>
void Once(TPUBGLib& engine, int) {
  (engine.*Write)();
}

constexpr int Of(ListId id) {
  return static_cast<int>(id);
}
constexpr int Of(CheckId id) {
  return static_cast<int>(id);
}
constexpr int Of(EditId id) {
  return static_cast<int>(id);
}

}  // namespace

const std::vector<ApplyStep>& ApplySteps() {
  using E = TPUBGLib;
  using F = ApplyFeed;
  static const std::vector<ApplyStep> kSteps = {
      {"ApplyAntiAliasingQuality", F::List, Of(ListId::MSAA), Level<&E::ApplyAntiAliasingQuality>},
      {"ApplyPostProcessQuality", F::List, Of(ListId::FXAA), Level<&E::ApplyPostProcessQuality>},
      {"ApplyShadowQuality", F::List, Of(ListId::AO), Level<&E::ApplyShadowQuality>},
      {"ApplyTextureQuality", F::List, Of(ListId::Text), Level<&E::ApplyTextureQuality>},
      {"ApplyEffectsQuality", F::List, Of(ListId::Effect), Level<&E::ApplyEffectsQuality>},
      {"ApplyFoliageQuality", F::List, Of(ListId::Tree), Level<&E::ApplyFoliageQuality>},
      {"ApplyViewDistanceQuality", F::List, Of(ListId::View), Level<&E::ApplyViewDistanceQuality>},
      {"ApplyNetworkPreset", F::List, Of(ListId::NetWork), Level<&E::ApplyNetworkPreset>},
      {"ApplyHardwarePreset", F::List, Of(ListId::HardWare),
       Level<static_cast<void (E::*)(int)>(&E::ApplyHardwarePreset)>},
      {"ApplyMouseSmoothing", F::OnOffList, Of(ListId::MouseSmoothing),
       OnOff<&E::ApplyMouseSmoothing>},
      {"ApplyScreenScale", F::Edit, Of(EditId::Screen), Level<&E::ApplyScreenScale>},
      {"ApplyFirstPersonFov", F::Edit, Of(EditId::FpsCamearFov), Level<&E::ApplyFirstPersonFov>},
      {"ApplyCpuUsageBoost", F::Switch, Of(CheckId::CPUUsage), OnOff<&E::ApplyCpuUsageBoost>},
      {"ApplyCpuPerformanceBalance", F::Switch, Of(CheckId::CPUPerformanceBalance),
       OnOff<&E::ApplyCpuPerformanceBalance>},
      {"ApplyGpuUsageBoost", F::Switch, Of(CheckId::GPUUsage), OnOff<&E::ApplyGpuUsageBoost>},
      {"ApplyGpuLoadToCpu", F::Switch, Of(CheckId::GPUUseCPU), OnOff<&E::ApplyGpuLoadToCpu>},
      {"ApplyBigJumpBinding", F::Switch, Of(CheckId::BigJump), OnOff<&E::ApplyBigJumpBinding>},
      {"ApplyFrameRateLimit", F::Edit, Of(EditId::FPSLimit), Level<&E::ApplyFrameRateLimit>},
      {"ApplySoundPositioning", F::Switch, Of(CheckId::SoundPostion),
       OnOff<&E::ApplySoundPositioning>},
      {"ApplyBestComputePerformance", F::Switch, Of(CheckId::ComputerBestPerformance),
       OnOff<&E::ApplyBestComputePerformance>},
      {"ApplyReducedShadowQuality", F::Switch, Of(CheckId::ReduceShadowQuality),
       OnOff<&E::ApplyReducedShadowQuality>},
      {"ApplyMemoryOptimisation", F::Switch, Of(CheckId::MemoryBestPerformance),
       OnOff<&E::ApplyMemoryOptimisation>},
      {"ApplyBestImageColour", F::Switch, Of(CheckId::GraphicsColorBest),
       OnOff<&E::ApplyBestImageColour>},
      {"ApplyReducedRenderResolution", F::Switch, Of(CheckId::DecreaseRenderResolution),
       OnOff<&E::ApplyReducedRenderResolution>},
      {"ApplyBestComputeConfig", F::Switch, Of(CheckId::CloundComputerBest),
       OnOff<&E::ApplyBestComputeConfig>},
      {"ApplyForceMaxRenderDistance", F::Switch, Of(CheckId::ForceMaaxRenderSize),
       OnOff<&E::ApplyForceMaxRenderDistance>},
      {"ApplyDirectXPro", F::Switch, Of(CheckId::DirectXBestPro), OnOff<&E::ApplyDirectXPro>},
      {"ApplyVideoMemoryOptimisation", F::Switch, Of(CheckId::VideoMemoryOpti),
       OnOff<&E::ApplyVideoMemoryOptimisation>},
      {"ApplyLowFpsRenderDelay", F::Switch, Of(CheckId::RenderingDelay30FPS),
       OnOff<&E::ApplyLowFpsRenderDelay>},
      {"ApplyGameLanguage", F::Switch, Of(CheckId::Language), OnOff<&E::ApplyGameLanguage>},
      {"ApplyShaderCompileTweaks", F::Always, 0,
       Once<static_cast<void (E::*)()>(&E::ApplyShaderCompileTweaks)>},
  };
  return kSteps;
}

const SchemeRow* SchemeFor(int scheme) {
  // MSAA FXAA AO Text Effect Tree View HardWare NetWork(-1 = unchanged)
  static const SchemeRow kRows[] = {
      {1, 1, 1, 1, 1, 1, 1, 0, -1},  // 2 低配置
      {2, 1, 2, 2, 2, 1, 2, 0, -1},  // 3 中配置
      {3, 1, 3, 3, 3, 1, 3, 0, -1},  // 4 高配置
      {4, 6, 3, 3, 4, 3, 4, 0, -1},  // 5 极致画质
  };
  if (scheme < 2 || scheme > 5) return nullptr;
  return &kRows[scheme - 2];
}

}  // namespace kestrune::opti
