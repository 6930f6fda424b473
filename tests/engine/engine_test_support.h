// Shared helpers for the engine's tests: an engine on a temporary base
// folder, readers that show a game file as "section|key=value" lines, and a
// debug-line catcher.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "engine/pubg_lib.h"
#include "ini/ini_text.h"
#include "platform/debug_log.h"
#include "support/temp_dir.h"

namespace kestrune::test {

inline std::string FixturePath(const std::string& relative) {
  return std::string(KESTRUNE_FIXTURES) + "/engine/" + relative;
}

// Every key of every section, in file order, as "section|key=value"
// (section names as the file spells them).
inline std::vector<std::string> EntriesOf(const std::string& path) {
  std::vector<std::string> out;
  std::string text = ReadFile(path);
  // Walk sections by position: ListEntries only sees the first of a name,
  // which is what every engine operation targets too.
  std::vector<std::string> seen;
  for (const std::string& section : ini::ListSections(text)) {
    bool repeat = false;
    for (const std::string& s : seen) repeat = repeat || ini::NamesEqual(s, section);
    if (repeat) continue;
    seen.push_back(section);
    for (auto& [key, value] : ini::ListEntries(text, section))
      out.push_back(section + "|" + key + "=" + value);
  }
  return out;
}

// Collects debug lines while alive.
class DebugLines {
 public:
  DebugLines() {
    SetDebugLogSink([this](std::string_view line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.emplace_back(line);
    });
  }
  ~DebugLines() { SetDebugLogSink(nullptr); }
  std::vector<std::string> lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  bool Contains(const std::string& part) const {
    for (const std::string& l : lines())
      if (l.find(part) != std::string::npos) return true;
    return false;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// An engine whose base folder is a fresh temporary folder.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : lib(dir.path()) {}

  void MakeReadOnly(const std::string& path) {
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
  }

  TempDir dir;
  TPUBGLib lib;
};

}  // namespace kestrune::test
