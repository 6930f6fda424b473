// The page's game control through the environment subsystem.
#include "env/game_process.h"
#include "opti/opti_services.h"

namespace kestrune::opti {

bool SystemGameControl::IsGameRunning() {
  return kestrune::IsGameRunning();
}
void SystemGameControl::TerminateGameProcesses() {
  kestrune::TerminateGameProcesses();
}
void SystemGameControl::LaunchGameViaSteam() {
  kestrune::LaunchGameViaSteam();
}

}  // namespace kestrune::opti
