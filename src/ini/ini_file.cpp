// INI operations on files (see ini_file.h).
#include "ini/ini_file.h"

#include <functional>
#include <optional>

#include "ini/ini_text.h"
#include "platform/file_system.h"

namespace kestrune::ini {
namespace {

using platform::ReadStatus;

// Reads the file (a missing one is empty), applies `edit`, and writes the
// result back when it differs. `createIfMissing` is false for deletes.
FileResult Modify(const std::string& path, bool createIfMissing, const EditOptions& options,
                  const std::function<std::string(const std::string&)>& edit) {
  FileResult result;
  platform::ReadResult current = platform::ReadWholeFile(path);
  if (current.status == ReadStatus::kNotFound) {
    if (!createIfMissing) {
      result.ok = true;
      return result;
    }
    current.data.clear();
  } else if (current.status != ReadStatus::kOk) {
    result.error = current.error;
    return result;
  }
  if (options.refuseNulBytes && current.data.find('\0') != std::string::npos) {
    result.error = "file holds NUL bytes, not INI text";
    return result;
  }
  const bool existed = current.status == ReadStatus::kOk;
  std::string updated = edit(current.data);
  if (updated == current.data && existed) {
    result.ok = true;
    return result;
  }
  // The read's own look at the file says whether it is read-only and which
  // permission bits the replacement keeps: one look per operation.
  if (existed && current.readOnly) {
    result.error = "file is read-only";
    return result;
  }
  std::optional<uint32_t> permissions;
  if (existed) permissions = current.permissions;
  if (!platform::ReplaceFileAtomically(path, updated, permissions, &result.error)) return result;
  result.ok = true;
  result.changed = true;
  return result;
}

std::optional<std::string> ReadText(const std::string& path) {
  platform::ReadResult current = platform::ReadWholeFile(path);
  if (current.status != ReadStatus::kOk) return std::nullopt;
  return std::move(current.data);
}

}  // namespace

FileResult WriteKeyToFile(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value,
                          const EditOptions& options) {
  if (!IsWritableEntry(section, key, value)) {
    FileResult refused;
    refused.error = "section, key or value holds a line break, NUL or a delimiter";
    return refused;
  }
  return Modify(path, true, options,
                [&](const std::string& text) { return SetKey(text, section, key, value); });
}

FileResult DeleteKeyFromFile(const std::string& path, const std::string& section,
                             const std::string& key, const EditOptions& options) {
  if (!IsSafeText(section) || !IsSafeText(key)) {
    FileResult refused;
    refused.error = "section or key holds a line break or NUL";
    return refused;
  }
  return Modify(path, false, options,
                [&](const std::string& text) { return DeleteKey(text, section, key); });
}

std::optional<std::string> ReadValueFromFile(const std::string& path, const std::string& section,
                                             const std::string& key) {
  std::optional<std::string> text = ReadText(path);
  if (!text) return std::nullopt;
  return ReadValue(*text, section, key);
}

FileResult SaveLinesToFile(const std::string& path, const std::vector<std::string>& lines) {
  FileResult result;
  for (const std::string& line : lines) {
    if (!IsSafeText(line)) {
      result.error = "a line holds a line break or NUL";
      return result;
    }
  }
  if (!platform::IsWritable(path, &result.error)) return result;
  if (!platform::ReplaceFileAtomically(path, JoinLinesCrLf(lines), &result.error)) return result;
  result.ok = true;
  result.changed = true;
  return result;
}

std::optional<std::vector<std::string>> LoadLinesFromFile(const std::string& path,
                                                          std::string* error) {
  platform::ReadResult current = platform::ReadWholeFile(path);
  if (current.status != ReadStatus::kOk) {
    if (error) *error = current.error;
    return std::nullopt;
  }
  return SplitLines(current.data);
}

}  // namespace kestrune::ini
