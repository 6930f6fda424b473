// Environment variables for tests on every system (Windows has no
// setenv/unsetenv).
#pragma once

#include <stdlib.h>

#include <string>

namespace kestrune::test {

inline void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetEnv(const char* name) {
#ifdef _WIN32
  ::_putenv_s(name, "");
#else
  ::unsetenv(name);
#endif
}

}  // namespace kestrune::test
