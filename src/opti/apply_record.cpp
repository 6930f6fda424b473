// The apply record's file: one line per entry, fields separated by tabs
// (a backslash escapes a tab or a backslash inside a field), after a first
// line that names the format. Names and values never hold line breaks (the
// engine refuses them), so a line is always one entry.
#include "opti/apply_record.h"

#include <map>

#include "ini/ini_text.h"
#include "platform/ascii.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"

namespace kestrune::opti {
namespace {

constexpr std::string_view kHeader = "kestrune-apply-record 1";
constexpr const char* kRecordFileName = "last-apply.txt";

std::string Escape(std::string_view field) {
  std::string out;
  for (char c : field) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

// Splits one line into fields; false on a stray backslash or a control
// character other than the separators.
bool SplitFields(std::string_view line, std::vector<std::string>& fields) {
  fields.assign(1, std::string());
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\') {
      if (++i >= line.size()) return false;
      if (line[i] == '\\')
        fields.back() += '\\';
      else if (line[i] == 't')
        fields.back() += '\t';
      else
        return false;
    } else if (c == '\r' || c == '\n' || c == '\0') {
      return false;
    } else {
      fields.back() += c;
    }
  }
  return true;
}

bool IsGameFile(std::string_view name) {
  for (const char* file : kGameFileNames)
    if (name == file) return true;
  return false;
}

std::string GameFilePath(const TPUBGLib& engine, const std::string& name) {
  for (const std::string* path :
       {&engine.EngineIniPath, &engine.GameUserSettingsPath, &engine.ScalabilityIniPath})
    if (platform::FileName(*path) == name) return *path;
  return {};
}

}  // namespace

std::string ApplyRecordPath(const TPUBGLib& engine) {
  return engine.DataFolder() + kRecordFileName;
}

void NoteRecordedKey(ApplyRecord& record, RecordedKey key) {
  for (RecordedKey& k : record.keys) {
    if (k.file == key.file && ini::NamesEqual(k.section, key.section) &&
        ini::NamesEqual(k.key, key.key)) {
      k.value = std::move(key.value);
      return;
    }
  }
  record.keys.push_back(std::move(key));
}

std::string FormatApplyRecord(const ApplyRecord& record) {
  std::string text(kHeader);
  text += "\n";
  for (const auto& [key, value] : record.selections)
    text += "selection\t" + Escape(key) + "\t" + Escape(value) + "\n";
  for (const RecordedKey& k : record.keys) {
    text += k.value ? "set\t" : "removed\t";
    text += Escape(k.file) + "\t" + Escape(k.section) + "\t" + Escape(k.key);
    if (k.value) text += "\t" + Escape(*k.value);
    text += "\n";
  }
  return text;
}

std::optional<ApplyRecord> ParseApplyRecord(std::string_view text) {
  // Only a whole record counts: it ends with its last line's break.
  if (text.empty() || text.back() != '\n') return std::nullopt;
  size_t end = text.find('\n');
  if (text.substr(0, end) != kHeader) return std::nullopt;
  ApplyRecord record;
  std::vector<std::string> fields;
  for (size_t at = end + 1; at < text.size();) {
    size_t next = text.find('\n', at);
    std::string_view line = text.substr(at, next - at);
    at = next + 1;
    if (!SplitFields(line, fields)) return std::nullopt;
    if (fields[0] == "selection" && fields.size() == 3) {
      record.selections.emplace_back(fields[1], fields[2]);
    } else if ((fields[0] == "set" && fields.size() == 5) ||
               (fields[0] == "removed" && fields.size() == 4)) {
      if (!IsGameFile(fields[1]) || fields[3].empty()) return std::nullopt;
      RecordedKey key{fields[1], fields[2], fields[3], std::nullopt};
      if (fields.size() == 5) key.value = fields[4];
      NoteRecordedKey(record, std::move(key));
    } else {
      return std::nullopt;
    }
  }
  return record;
}

bool SaveApplyRecord(const std::string& path, const ApplyRecord& record, std::string* error) {
  std::string why;
  platform::CreateDirectories(platform::ParentFolder(path));
  if (!platform::ReplaceFileAtomically(path, FormatApplyRecord(record), &why)) {
    if (error) *error = why;
    DebugLogF("Apply record: cannot save %s: %s", path.c_str(), why.c_str());
    return false;
  }
  if (!platform::SyncFiles({path})) {
    if (error) *error = "not flushed to disk";
    DebugLogF("Apply record: cannot flush %s", path.c_str());
    return false;
  }
  return true;
}

std::optional<ApplyRecord> LoadApplyRecord(const std::string& path) {
  platform::ReadResult read = platform::ReadWholeFile(path);
  if (read.status != platform::ReadStatus::kOk) {
    if (read.status != platform::ReadStatus::kNotFound)
      DebugLogF("Apply record: cannot read %s: %s", path.c_str(), read.error.c_str());
    return std::nullopt;
  }
  std::optional<ApplyRecord> record = ParseApplyRecord(read.data);
  if (!record) DebugLogF("Apply record: %s is not a record; ignored", path.c_str());
  return record;
}

namespace {

// The game files' texts, each read once; nullopt marks one that could not
// be read (a missing file holds no keys).
class GameTexts {
 public:
  explicit GameTexts(const TPUBGLib& engine) : engine_(engine) {}
  const std::optional<std::string>& Text(const std::string& name) {
    auto it = files_.find(name);
    if (it != files_.end()) return it->second;
    std::optional<std::string> data;
    platform::ReadResult read = platform::ReadWholeFile(GameFilePath(engine_, name));
    if (read.status == platform::ReadStatus::kOk)
      data = std::move(read.data);
    else if (read.status == platform::ReadStatus::kNotFound)
      data = std::string();
    else
      DebugLogF("Apply record: cannot read %s: %s", name.c_str(), read.error.c_str());
    return files_.emplace(name, std::move(data)).first->second;
  }

 private:
  const TPUBGLib& engine_;
  std::map<std::string, std::optional<std::string>> files_;
};

std::optional<std::string> CurrentValue(const std::string& text, const RecordedKey& k) {
  std::optional<std::string> now = ini::ReadValue(text, k.section, k.key);
  if (now) now = std::string(TrimSpaceTab(*now));
  return now;
}

}  // namespace

void SettleApplyRecord(const TPUBGLib& engine, ApplyRecord& record) {
  GameTexts texts(engine);
  for (RecordedKey& k : record.keys) {
    const std::optional<std::string>& text = texts.Text(k.file);
    if (text) k.value = CurrentValue(*text, k);
  }
}

std::vector<DriftedKey> FindDrift(const TPUBGLib& engine, const ApplyRecord& record) {
  GameTexts texts(engine);
  std::vector<DriftedKey> drift;
  for (const RecordedKey& k : record.keys) {
    const std::optional<std::string>& text = texts.Text(k.file);
    if (!text) continue;  // no drift is claimed from a failed read
    std::optional<std::string> now = CurrentValue(*text, k);
    if (k.value && !now) {
      drift.push_back({k, DriftKind::Removed, now});
    } else if (!k.value && now) {
      drift.push_back({k, DriftKind::ReAdded, now});
    } else if (k.value && *now != TrimSpaceTab(*k.value)) {
      drift.push_back({k, DriftKind::Changed, now});
    }
  }
  return drift;
}

}  // namespace kestrune::opti
