// The program's own registry key, SOFTWARE\KestruneTools under the current
// user's root. Each use opens the key, creating it when it is missing (so even
// a read leaves the empty key behind), and closes it again.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kestrune::platform {

class ProgramRegistryKey {
 public:
  virtual ~ProgramRegistryKey() = default;
  // A string value; nullopt when it is absent or not a string.
  virtual std::optional<std::string> ReadString(const std::string& name) = 0;
  // A 32-bit number (DWORD) as a signed value; nullopt when it is absent or
  // not a number.
  virtual std::optional<int32_t> ReadNumber(const std::string& name) = 0;
  // False (and one debug line) when the value cannot be written.
  virtual bool WriteNumber(const std::string& name, int32_t value) = 0;
};

// The opened key; nullptr (and one debug line) when it can be neither opened
// nor created.
std::unique_ptr<ProgramRegistryKey> OpenProgramRegistryKey();

}  // namespace kestrune::platform
