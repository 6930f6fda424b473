// INI operations on files: each call reads the file once, applies one change
// with the rules of ini_text.h and replaces the file atomically. No handle,
// lock or cache survives a call. A file the user made read-only is never
// touched; a FIFO, device or file over the platform's read cap is never read.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrune::ini {

struct FileResult {
  bool ok = false;
  bool changed = false;  // the file's bytes changed
  std::string error;     // why it failed, for the debug line
};

// How an edit treats a file that is not INI text.
struct EditOptions {
  // A file holding NUL bytes (UTF-16, binary garbage) is left alone and the
  // edit fails: appending ASCII lines to it would only make it worse.
  bool refuseNulBytes = false;
};

FileResult WriteKeyToFile(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value,
                          const EditOptions& options = {});
FileResult DeleteKeyFromFile(const std::string& path, const std::string& section,
                             const std::string& key, const EditOptions& options = {});

// Reads: a missing or unreadable file yields nothing (nullopt).
std::optional<std::string> ReadValueFromFile(const std::string& path, const std::string& section,
                                             const std::string& key);

// Whole-file text: creates or replaces the file with each line + CR LF.
FileResult SaveLinesToFile(const std::string& path, const std::vector<std::string>& lines);

// Loads and splits a whole file; nullopt with `error` set when it cannot be read.
std::optional<std::vector<std::string>> LoadLinesFromFile(const std::string& path,
                                                          std::string* error);

}  // namespace kestrune::ini
