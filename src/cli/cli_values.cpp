// Notes and warnings about edit values.
#include "cli/cli_values.h"

#include <string>

#include "cli/cli_output.h"
#include "env/settings_store.h"

namespace kestrune::cli {
namespace {

// What was typed, fit for one terminal line.
std::string Shown(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 40)) {
    unsigned char u = static_cast<unsigned char>(c);
    out += u < 0x20 || u == 0x7F ? '?' : c;
  }
  if (text.size() > 40) out += "...";
  return out;
}

}  // namespace

int NoteStoredEdit(const opti::EditDesc& desc, std::string_view typed) {
  const int stored = opti::StoredEditValue(desc, typed);
  const std::string name(desc.name);
  const std::string shown = Shown(typed);
  if (!ParseConfigInteger(typed))
    Print("%s: stored %d, the default ('%s' is not a whole number)\n", name.c_str(), stored,
          shown.c_str());
  else if (std::to_string(stored) != typed)
    Print("%s: stored %d (typed '%s')\n", name.c_str(), stored, shown.c_str());
  WarnOutsideRange(desc, stored);
  return stored;
}

void WarnOutsideRange(const opti::EditDesc& desc, int value) {
  const opti::EditRange& range = desc.range;
  if (value >= range.min && value <= range.max) return;
  const std::string name(desc.name);
  if (range.applied)
    PrintError(
        "kestrune-cli: warning: %s %d lies outside %d..%d; Apply writes %d to the game "
        "instead\n",
        name.c_str(), value, range.min, range.max, desc.applyFallback);
  else
    PrintError(
        "kestrune-cli: warning: %s %d lies outside the usual %d..%d; Apply writes it to "
        "the game as it is\n",
        name.c_str(), value, range.min, range.max);
}

}  // namespace kestrune::cli
