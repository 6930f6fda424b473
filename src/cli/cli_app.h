// kestrune-cli: the headless front end. It builds the same optimisation page
// as the GUI (same Config.dat beside the executable, same engine on the
// player's files) and answers the page's dialogs on the terminal.
#pragma once

#include <string>
#include <vector>

namespace kestrune::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;         // a flow stopped with an error
inline constexpr int kExitUsage = 2;          // bad command line
inline constexpr int kExitGameRunning = 3;    // refused: the game runs
inline constexpr int kExitSkippedWrites = 4;  // done in part: some files could not be changed
inline constexpr int kExitDeclined = 5;       // a confirmation was declined
inline constexpr int kExitDrifted = 6;        // drift: some keys the last Apply set changed since

// Runs one command line (without the program name); prints to stdout/stderr.
int RunCli(const std::vector<std::string>& args);

}  // namespace kestrune::cli
