// A small renderer of key changes for diff (grouped by file and section).
#include "cli/cli_change_text.h"

#include <cstdio>

#include "cli/cli_output.h"
#include "engine/ini_text.h"

namespace kestrune::cli {
namespace {

// The sections of a file's changes in the order they first appear; one
// spelling per section (the first seen), names compared without case.
std::vector<std::string> SectionsOf(const opti::FileChanges& file) {
  std::vector<std::string> sections;
  for (const opti::KeyChange& change : file.changes) {
    bool known = false;
    for (const std::string& s : sections) known = known || ini::NamesEqual(s, change.section);
    if (!known) sections.push_back(change.section);
  }
  return sections;
}

struct Counts {
  int added = 0, changed = 0, removed = 0, files = 0;
};

Counts Count(const std::vector<opti::FileChanges>& files) {
  Counts counts;
  for (const opti::FileChanges& file : files) {
    if (!file.changes.empty()) ++counts.files;
    for (const opti::KeyChange& c : file.changes) {
      if (!c.before)
        ++counts.added;
      else if (!c.after)
        ++counts.removed;
      else
        ++counts.changed;
    }
  }
  return counts;
}

void PrintJson(const ChangeListHeading& heading, const std::vector<opti::FileChanges>& files) {
  std::string out = "{\"from\":" + JsonString(heading.from) + ",\"to\":" + JsonString(heading.to) +
                    ",\"files\":[";
  for (size_t f = 0; f < files.size(); ++f) {
    const opti::FileChanges& file = files[f];
    if (f > 0) out += ",";
    out += "{\"name\":" + JsonString(file.name) + ",\"path\":" + JsonString(file.path) +
           ",\"existed\":" + (file.existed ? "true" : "false") +
           ",\"exists\":" + (file.exists ? "true" : "false") + ",\"changes\":[";
    for (size_t i = 0; i < file.changes.size(); ++i) {
      const opti::KeyChange& c = file.changes[i];
      if (i > 0) out += ",";
      const char* kind = !c.before ? "added" : !c.after ? "removed" : "changed";
      out += std::string("{\"kind\":\"") + kind + "\",\"section\":" + JsonString(c.section) +
             ",\"key\":" + JsonString(c.key);
      if (c.before) out += ",\"before\":" + JsonString(*c.before);
      if (c.after) out += ",\"after\":" + JsonString(*c.after);
      out += "}";
    }
    out += "]}";
  }
  Counts n = Count(files);
  out += "],\"summary\":{\"files\":" + std::to_string(n.files) +
         ",\"added\":" + std::to_string(n.added) + ",\"changed\":" + std::to_string(n.changed) +
         ",\"removed\":" + std::to_string(n.removed) + "}}\n";
  PrintText(out);
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void PrintChangeList(const ChangeListHeading& heading, const std::vector<opti::FileChanges>& files,
                     bool json) {
  if (json) {
    PrintJson(heading, files);
    return;
  }
  Print("Changes from %s to %s\n", heading.from.c_str(), heading.to.c_str());
  for (const opti::FileChanges& file : files) {
    const char* state = !file.existed && file.exists   ? " (new file)"
                        : file.existed && !file.exists ? " (deleted)"
                        : !file.existed                ? " (missing on both sides)"
                                                       : "";
    Print("%s%s: %s\n", file.name.c_str(), state, file.path.c_str());
    if (file.changes.empty()) Print("  no change\n");
    for (const std::string& section : SectionsOf(file)) {
      Print("  [%s]\n", section.c_str());
      for (const opti::KeyChange& c : file.changes) {
        if (!ini::NamesEqual(c.section, section)) continue;
        if (!c.before)
          Print("    + %s = %s\n", c.key.c_str(), c.after->c_str());
        else if (!c.after)
          Print("    - %s = %s\n", c.key.c_str(), c.before->c_str());
        else
          Print("    ~ %s: %s → %s\n", c.key.c_str(), c.before->c_str(), c.after->c_str());
      }
    }
  }
  Counts n = Count(files);
  Print("%d file%s changed: %d key%s added, %d changed, %d removed\n", n.files,
        n.files == 1 ? "" : "s", n.added, n.added == 1 ? "" : "s", n.changed, n.removed);
}

}  // namespace kestrune::cli
