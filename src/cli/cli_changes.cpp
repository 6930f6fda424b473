#include "cli/cli_changes.h"

#include <cstdlib>

#include "cli/cli_output.h"
#include "platform/console_colour.h"

namespace kestrune::cli {

bool ColourWanted() {
  if (const char* noColour = std::getenv("NO_COLOR"); noColour && *noColour) return false;
  return platform::EnableColourEscapes(platform::StdStream::kOut);
}

opti::ChangeList ChangeListOf(const std::vector<opti::FileChanges>& files) {
  opti::ChangeList list;
  for (const opti::FileChanges& file : files)
    list.files.push_back(opti::FileChangeListFromKeys(file.name, file.path, file.existed,
                                                      file.exists, file.changes, file.beforeText,
                                                      file.afterText));
  return list;
}

void PrintChangeList(const opti::ChangeList& list, bool json,
                     const std::vector<std::pair<std::string, std::string>>& extra) {
  if (json) {
    PrintText(opti::RenderChangeListJson(list, extra) + "\n");
    return;
  }
  PrintText(opti::RenderChangeListText(list, ColourWanted()));
}

}  // namespace kestrune::cli
