// Writer tables: every writer of TPUBGLib is a list of rows (file and
// section, key, value per choice) read by one small runner, so the keys and
// values live in one place as data.
#pragma once

#include <array>
#include <cstddef>

#include "engine/pubg_lib.h"

namespace kestrune::keytable {

// Where a row's key lives: one section of one of the three game files.
enum class Target {
  kRenderer,            // Engine.ini "/script/engine.renderersettings"
  kEngine,              // Engine.ini "/script/engine.engine"
  kPlayer,              // Engine.ini "/script/engine.player"
  kIpNetDriver,         // Engine.ini "/script/onlinesubsystemutils.ipnetdriver"
  kInput,               // Engine.ini "/Script/Engine.InputSettings"
  kGroups,              // GameUserSettings.ini "ScalabilityGroups"
  kUserSettings,        // GameUserSettings.ini "/Script/TslGame.TslGameUserSettings"
  kScalabilitySettings  // Scalability.ini "ScalabilitySettings"
};

// Cell markers, compared by address: a null cell leaves the key alone,
// kRemoved deletes it, kShaderCount writes the adapter's shader count.
inline constexpr char kRemovedTag[] = "<removed>";
inline constexpr const char* kRemoved = kRemovedTag;
inline constexpr char kShaderCountTag[] = "<shader count>";
inline constexpr const char* kShaderCount = kShaderCountTag;

// A key written per list level; byLevel[0] (nothing chosen) is always null.
template <size_t Levels>
struct LevelRow {
  Target target;
  const char* key;
  std::array<const char*, Levels + 1> byLevel;
};

// A key of an on/off option: the cell for on and the cell for off.
struct SwitchRow {
  Target target;
  const char* key;
  const char* on;
  const char* off;
};

const std::string& TargetPath(const TPUBGLib& lib, Target target);
const char* TargetSection(Target target);

// Writes `value`, deletes for kRemoved, does nothing for null.
void RunCell(TPUBGLib& lib, Target target, const char* key, const char* value);

template <size_t Levels, size_t Rows>
void RunLevel(TPUBGLib& lib, const LevelRow<Levels> (&rows)[Rows], int level) {
  if (level < 1 || level > static_cast<int>(Levels)) return;
  for (const LevelRow<Levels>& row : rows)
    RunCell(lib, row.target, row.key, row.byLevel[static_cast<size_t>(level)]);
}

template <size_t Rows>
void RunSwitch(TPUBGLib& lib, const SwitchRow (&rows)[Rows], bool on) {
  for (const SwitchRow& row : rows) RunCell(lib, row.target, row.key, on ? row.on : row.off);
}

}  // namespace kestrune::keytable
