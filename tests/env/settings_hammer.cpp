// Test helper: writes `count` keys "<prefix><i>" = "<i>" into a Config.dat
// through the settings store, as a second process would.
#include <cstdlib>
#include <string>

#include "env/settings_store.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  kestrune::SetConfigFilePathForTesting(argv[1]);
  std::string prefix = argv[2];
  int count = std::atoi(argv[3]);
  for (int i = 0; i < count; ++i)
    kestrune::WriteConfig(prefix + std::to_string(i), std::to_string(i));
  return 0;
}
