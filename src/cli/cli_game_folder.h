// Which game folder kestrune-cli works on: the one named with --game-dir,
// else Config.dat's "GameDir", else the one the platform finds.
#pragma once

#include <string>
#include <vector>

namespace kestrune::cli {

struct GameFolderChoice {
  std::string localAppData;           // the folder that holds "TslGame"
  bool named = false;                 // --game-dir or GameDir
  bool found = false;                 // named, a game prefix, or the game's files exist
  std::vector<std::string> searched;  // where the platform looked
};

GameFolderChoice ChooseGameFolder(const std::string& gameDirOption);

// "the game's configuration was not found; looked in: …" with each place.
std::string NotFoundMessage(const GameFolderChoice& choice);

}  // namespace kestrune::cli
