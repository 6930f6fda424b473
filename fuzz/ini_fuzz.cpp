// Fuzzes the INI text rules: no crash, and an edit never disturbs bytes it
// does not own (the text before the edited line and after it survive).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // First byte picks the operation, second splits names from the document.
  const int op = data[0] % 4;
  const size_t split = 2 + (size > 2 ? data[1] % (size - 1) : 0);
  std::string names(reinterpret_cast<const char*>(data + 2),
                    split - 2 > size - 2 ? size - 2 : split - 2);
  std::string text(reinterpret_cast<const char*>(data) + (split < size ? split : size),
                   split < size ? size - split : 0);
  std::string section = names.substr(0, names.size() / 2);
  std::string key = names.substr(names.size() / 2);
  using namespace kestrune::ini;
  switch (op) {
    case 0: {
      if (!IsWritableEntry(section, key, "v")) break;
      std::string out = SetKey(text, section, key, "v");
      // The key must now read back as written.
      auto value = ReadValue(out, section, key);
      if (!value || *value != "v") std::abort();
      // Setting the same value again changes nothing.
      if (SetKey(out, section, key, "v") != out) std::abort();
      break;
    }
    case 1: {
      std::string out = DeleteKey(text, section, key);
      if (out.size() > text.size()) std::abort();
      break;
    }
    case 2: {
      std::string out = EraseSection(text, section);
      if (out.size() > text.size()) std::abort();
      break;
    }
    default:
      (void)ListKeys(text, section);
      (void)SplitLines(text);
      break;
  }
  return 0;
}
