// The change list of diff and drift as text or JSON: per file and section,
// "+ key = value", "- key = value", "~ key: old → new", then a summary.
#pragma once

#include <string>
#include <vector>

#include "opti/opti_dry_run.h"

namespace kestrune::cli {

struct ChangeListHeading {
  std::string from;  // what the list compares: "[0] 2026-12-10 04:06:24"
  std::string to;    // "now" or another backup
};

void PrintChangeList(const ChangeListHeading& heading, const std::vector<opti::FileChanges>& files,
                     bool json);

// A JSON string literal (quotes included) for UTF-8 text.
std::string JsonString(const std::string& text);

}  // namespace kestrune::cli
