// Preset files: the optimisation page's selections (lists, edits, options)
// as a small INI file a player can share. Nothing about the machine, no ids
// and no addresses go in. The keys are the page table's short names, so a
// new row of the table is a new key here without further code.
//
//   [kestrune-preset]
//   format=1
//   [lists]    msaa=3 ...     an entry's index (-1: no selection)
//   [edits]    fov=103 ...    a whole number
//   [options]  cpu-usage=1    1 or 0 (on/off, yes/no, true/false)
//
// Names of sections and keys are read without regard to ASCII case. A key
// the file does not give keeps the page's value.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "opti/opti_tables.h"

namespace kestrune::opti {

class TOptiFrame;

inline constexpr std::string_view kPresetHeader = "kestrune-preset";
inline constexpr int kPresetFormat = 1;
// A preset is a few hundred bytes; anything far larger is not one.
inline constexpr size_t kPresetMaxBytes = size_t{64} * 1024;

struct PresetValues {
  std::array<std::optional<int>, kListCount> lists;
  std::array<std::optional<int>, kEditCount> edits;
  std::array<std::optional<bool>, kCheckCount> checks;

  bool operator==(const PresetValues&) const = default;
};

struct PresetRead {
  bool ok = false;
  int line = 0;       // the line the error is on (1-based); 0 for the file as a whole
  std::string error;  // what is wrong, naming the key and the value
  PresetValues values;
};

// Reads a preset; on any fault nothing is taken from it (ok false, the line
// and the reason).
PresetRead ReadPreset(std::string_view text);

// The preset text of `values` (keys without a value are left out), with a
// comment line before each key naming the page's label and entry.
std::string WritePreset(const PresetValues& values);

// The page's current selections, every key given. Edits as Config.dat would
// keep them.
PresetValues PresetOf(const TOptiFrame& page);

// Puts the values into the page as a user would choose them: the scheme
// first (so a preset with only a scheme runs it), then every other value.
// Nothing is saved; SaveSettings does that.
void StorePreset(TOptiFrame& page, const PresetValues& values);

// "on"/"off", "1"/"0", "yes"/"no", "true"/"false" in any letter case.
std::optional<bool> ParseOnOff(std::string_view text);

}  // namespace kestrune::opti
