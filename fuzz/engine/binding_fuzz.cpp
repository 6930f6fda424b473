// Fuzzes the binding edit: ReplaceActionMapping on arbitrary text, and the
// whole ApplyBigJumpBinding on a GameUserSettings.ini holding that text.
// Checks beyond "no crash":
//  - text without the action's entry comes back unchanged;
//  - replacing the entry by itself changes at most the letter case of its
//    other occurrences;
//  - after the binding edit the file is whole (the edit's result or the old
//    bytes), no temporary file is left, and "on" leaves a jump entry with
//    the extra key unless the write was refused or the text is truncated.
//
// Input: a flags byte, then the text.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "engine/pubg_lib.h"
#include "platform/regex_group.h"

namespace {

// Names the broken invariant before stopping, so a finding says what failed.
void CheckAt(bool ok, int line) {
  if (ok) return;
  std::fprintf(stderr, "binding_fuzz.cpp:%d: invariant broken\n", line);
  std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The entry the edit works on: from the first pattern match to its
// balancing parenthesis; empty when there is none.
std::string FirstEntry(std::string_view text, std::string_view name) {
  std::string pattern = R"(\(\s*ActionName\s*=\s*")" + std::string(name) + "\"";
  kestrune::RegexSpan match = kestrune::RegexGroupSpan(text, pattern, 0);
  if (!match.found) return {};
  int depth = 0;
  for (size_t i = match.begin; i < text.size(); ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0)
      return std::string(text.substr(match.begin, i - match.begin + 1));
  }
  return {};
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct Game {
  Game() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kestrune-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data())) base = pattern;
    lib = new kestrune::TPUBGLib(base);
  }
  std::string base;
  kestrune::TPUBGLib* lib = nullptr;  // lives for the whole run
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const char* const names[] = {"Jump", "ToggleCrouch"};
  const std::string name = names[flags & 1];

  // Self-replacement and the no-match identity.
  std::string entry = FirstEntry(text, name);
  const std::string self = kestrune::TPUBGLib::ReplaceActionMapping(text, name, entry);
  if (entry.empty()) {
    Check(self == text);
  } else {
    Check(EqualNoCase(self, text));
  }
  const std::string replaced = kestrune::TPUBGLib::ReplaceActionMapping(text, name, "(X)");
  if (entry.empty()) Check(replaced == text);

  // The whole edit on a file.
  static Game game;
  kestrune::TPUBGLib& lib = *game.lib;
  {
    std::ofstream out(lib.GameUserSettingsPath, std::ios::binary | std::ios::trunc);
    out << text;
  }
  lib.ResetSwallowedWrites();
  const bool on = (flags & 2) != 0;
  try {
    lib.ApplyBigJumpBinding(on);
  } catch (const kestrune::EFileOpenError&) {
    std::abort();  // the file is there and readable
  }
  const std::string after = ReadBytes(lib.GameUserSettingsPath);
  // "On" either leaves the extra jump key or, for a list that never closes
  // (a truncated file), leaves the file exactly as it was.
  if (on && lib.SwallowedWriteCount() == 0) {
    Check(after.find("(Key=W,bAlt=True)") != std::string::npos || after == text);
  }
  if (lib.SwallowedWriteCount() != 0) Check(after == text);
  for (const auto& e : std::filesystem::directory_iterator(lib.GameConfigFolder())) {
    Check(e.path().filename().string().find(".tmp") == std::string::npos);
  }
  return 0;
}
