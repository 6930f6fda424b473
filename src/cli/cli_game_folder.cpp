#include "cli/cli_game_folder.h"

#include "env/settings_store.h"
#include "opti/game_files.h"
#include "opti/opti_services.h"
#include "opti/opti_tables.h"
#include "platform/file_system.h"
#include "platform/game_search.h"

namespace kestrune::cli {

GameFolderChoice ChooseGameFolder(const std::string& gameDirOption) {
  GameFolderChoice choice;
  platform::GameSearch search = platform::FindGameFolders();
  choice.searched = search.searched;
  std::string named = gameDirOption.empty()
                          ? opti::TrimSpacesAndControls(ReadConfig(std::string(opti::kGameDirKey)))
                          : gameDirOption;
  if (!named.empty()) {
    choice.localAppData = named;
    choice.named = choice.found = true;
    return choice;
  }
  choice.localAppData = search.localAppData;
  choice.found = search.found;
  // Without a prefix, the fallback counts when the game's files are there.
  std::string folder = opti::GameConfigFolderUnder(search.localAppData);
  choice.found = choice.found || opti::HasGameFiles(folder);
  choice.searched.push_back(folder);
  return choice;
}

std::string NotFoundMessage(const GameFolderChoice& choice) {
  std::string text =
      "the game's configuration was not found (name its folder with --game-dir DIR or the "
      "Config.dat key GameDir); looked in:";
  for (const std::string& place : choice.searched) text += "\n  " + place;
  return text;
}

}  // namespace kestrune::cli
