// A Windows program that only waits: copied as TslGame.exe, it is the game
// the CLI end-to-end tests start under Wine (game_stand_in SECONDS).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  ::Sleep(static_cast<DWORD>(seconds > 0 ? seconds : 30) * 1000);
  return 0;
}
