// Recorded tree changes and tree snapshots (see event_log.h).
#include "engine/crash/event_log.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestrune::crash {
namespace {

namespace fs = std::filesystem;

std::string Relative(const std::string& path, const std::string& base) {
  std::string prefix = base;
  if (!prefix.empty() && prefix.back() != '/') prefix.push_back('/');
  std::string rel = path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
  while (!rel.empty() && rel.back() == '/') rel.pop_back();
  while (!rel.empty() && rel.front() == '/') rel.erase(0, 1);
  // The engine may build paths with doubled separators; compare by components.
  std::string clean;
  for (char c : rel) {
    if (c == '/' && !clean.empty() && clean.back() == '/') continue;
    clean.push_back(c);
  }
  return clean;
}

void PutString(std::ostream& out, const std::string& s) {
  uint64_t n = s.size();
  out.write(reinterpret_cast<const char*>(&n), sizeof n);
  out.write(s.data(), static_cast<std::streamsize>(s.size()));
}

bool GetString(std::istream& in, std::string& s) {
  uint64_t n = 0;
  if (!in.read(reinterpret_cast<char*>(&n), sizeof n)) return false;
  s.resize(n);
  return static_cast<bool>(in.read(s.data(), static_cast<std::streamsize>(n)));
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

bool IsTemporaryName(std::string_view path) {
  size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return name.size() > 8 && name.front() == '.' && name.find(".kst") != std::string_view::npos &&
         name.substr(name.size() - 4) == ".tmp";
}

std::string WithoutBase(std::string data, const std::string& base) {
  std::string folder = base;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  for (size_t at = data.find(folder); at != std::string::npos;
       at = data.find(folder, at + kBaseMark.size()))
    data.replace(at, folder.size(), kBaseMark);
  return data;
}

bool EventLog::Save(const std::string& file, const std::string& base) const {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (const Event& e : events_) {
    out.put(e.kind);
    PutString(out, Relative(e.path, base));
    PutString(out, WithoutBase(e.data, base));
  }
  return static_cast<bool>(out.flush());
}

bool EventLog::Load(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  events_.clear();
  char kind = 0;
  while (in.get(kind)) {
    Event e;
    e.kind = kind;
    if (!GetString(in, e.path) || !GetString(in, e.data)) return false;
    events_.push_back(std::move(e));
  }
  return true;
}

Tree Snapshot(const std::string& base) {
  Tree tree;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(base, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    std::string rel = Relative(it->path().generic_string(), base);
    if (it->is_directory()) {
      tree.entries[rel] = std::string(kFolderMark);
    } else if (IsTemporaryName(rel)) {
      tree.temporaries.push_back(rel);
    } else {
      tree.entries[rel] = WithoutBase(ReadBytes(it->path()), base);
    }
  }
  return tree;
}

void ApplyEvent(Tree& tree, const Event& e) {
  switch (e.kind) {
    case 'F':
      tree.entries[e.path] = e.data;
      break;
    case 'D':
      tree.entries[e.path] = std::string(kFolderMark);
      break;
    case 'U':
      tree.entries.erase(e.path);
      break;
    default:
      break;
  }
}

std::string Difference(const Tree& expected, const Tree& actual) {
  for (const auto& [path, data] : expected.entries) {
    auto found = actual.entries.find(path);
    if (found == actual.entries.end()) return "missing " + path;
    if (found->second != data)
      return "differs " + path + " (" + std::to_string(found->second.size()) + " bytes, expected " +
             std::to_string(data.size()) + ")";
  }
  for (const auto& [path, data] : actual.entries) {
    if (!expected.entries.count(path)) return "unexpected " + path;
  }
  return {};
}

}  // namespace kestrune::crash
