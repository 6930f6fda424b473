// kestrune-cli export FILE / import FILE: the page's selections as a preset
// file (see opti/opti_preset.h).
#pragma once

#include <string>
#include <vector>

namespace kestrune::opti {
class TOptiFrame;
}

namespace kestrune::cli {

// Writes the page's selections to the one file `words` names.
int RunExport(opti::TOptiFrame& page, const std::vector<std::string>& words);
// Reads and checks the preset, then stores its selections as the page's
// Apply would save them. A fault anywhere in the file changes nothing.
int RunImport(opti::TOptiFrame& page, const std::vector<std::string>& words);

}  // namespace kestrune::cli
