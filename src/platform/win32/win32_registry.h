// Windows only: where the program's registry key lives, for tests that must
// not touch the real one.
#pragma once

#include <string>

namespace kestrune::platform::win32 {

// The key's path under HKEY_CURRENT_USER ("SOFTWARE\KestruneTools"); tests
// point it elsewhere, an empty path restores it.
void SetProgramRegistryKeyPathForTesting(const std::wstring& subKey);

}  // namespace kestrune::platform::win32
