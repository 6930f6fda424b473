// Changes to a folder tree as the crash test records them: a file replaced
// (with the bytes that landed), a folder created, a file removed. Saved by
// the writer process, replayed by the test to know every state a crash may
// leave behind.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::crash {

struct Event {
  char kind = 'F';  // 'F' file replaced, 'D' folder made, 'U' file removed
  std::string path;
  std::string data;
};

// Files may name the tree's own folder (the backup index does); recordings
// and snapshots put this mark in its place so trees in different folders
// compare equal.
inline constexpr std::string_view kBaseMark = "<base>";
std::string WithoutBase(std::string data, const std::string& base);

// A temporary file of our atomic replace: ".<name>.kst<pid>-<n>.tmp".
bool IsTemporaryName(std::string_view path);

class EventLog {
 public:
  void Add(Event e) { events_.push_back(std::move(e)); }
  const std::vector<Event>& Events() const { return events_; }
  // Paths are stored relative to `base`.
  bool Save(const std::string& file, const std::string& base) const;
  bool Load(const std::string& file);

 private:
  std::vector<Event> events_;
};

// The tree under a folder: relative path -> bytes ("/" marks a folder).
// Temporary files are listed apart.
struct Tree {
  std::map<std::string, std::string> entries;
  std::vector<std::string> temporaries;
};
inline constexpr std::string_view kFolderMark = "/";

Tree Snapshot(const std::string& base);
void ApplyEvent(Tree& tree, const Event& e);
// First difference between two trees, empty when equal (temporaries ignored).
std::string Difference(const Tree& expected, const Tree& actual);

}  // namespace kestrune::crash
