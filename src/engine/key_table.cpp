// The runner behind the writer tables (see key_table.h).
#include "engine/key_table.h"

namespace kestrune::keytable {

const std::string& TargetPath(const TPUBGLib& lib, Target target) {
  switch (target) {
    case Target::kGroups:
    case Target::kUserSettings:
      return lib.GameUserSettingsPath;
    case Target::kScalabilitySettings:
      return lib.ScalabilityIniPath;
    default:
      return lib.EngineIniPath;
  }
}

const char* TargetSection(Target target) {
  // Letter case exactly as the game files get it when a section is new.
  static constexpr const char* kSections[] = {
      "/script/engine.renderersettings",
      "/script/engine.engine",
      "/script/engine.player",
      "/script/onlinesubsystemutils.ipnetdriver",
      "/Script/Engine.InputSettings",
      "ScalabilityGroups",
      "/Script/TslGame.TslGameUserSettings",
      "ScalabilitySettings",
  };
  return kSections[static_cast<size_t>(target)];
}

void RunCell(TPUBGLib& lib, Target target, const char* key, const char* value) {
  if (value == nullptr) return;
  if (value == kRemoved)
    lib.DeleteIniKey(TargetPath(lib, target), TargetSection(target), key);
  else
    lib.WriteIniKey(TargetPath(lib, target), TargetSection(target), key, value);
}

}  // namespace kestrune::keytable
