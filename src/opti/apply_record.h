// What the last successful Apply set, kept in Kestrune's own data folder:
// the page's selections as Apply saved them, and every key it wrote or
// removed (file, section, key, value). The drift check compares the game's
// files with it; "apply --again" re-applies its selections.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/pubg_lib.h"

namespace kestrune::opti {

struct RecordedKey {
  std::string file;  // the game file's name: "Engine.ini", ...
  std::string section;
  std::string key;
  std::optional<std::string> value;  // nullopt: Apply removed the key
};

struct ApplyRecord {
  std::vector<std::pair<std::string, std::string>> selections;  // Config.dat key, value
  std::vector<RecordedKey> keys;  // one per key, the last operation on it
};

// The record's file in the engine's data folder.
std::string ApplyRecordPath(const TPUBGLib& engine);

// Adds a key operation; a later one on the same key replaces the earlier.
void NoteRecordedKey(ApplyRecord& record, RecordedKey key);

// The record as text, and back. Parsing gives nullopt for anything that is
// not a whole record of this format (a torn or foreign file).
std::string FormatApplyRecord(const ApplyRecord& record);
std::optional<ApplyRecord> ParseApplyRecord(std::string_view text);

// Atomic replace and flush; false (with why) when it could not be saved.
bool SaveApplyRecord(const std::string& path, const ApplyRecord& record, std::string* error);
// nullopt when there is no record or it cannot be read: never drift.
std::optional<ApplyRecord> LoadApplyRecord(const std::string& path);

// Sets each recorded key to what the file holds now, right after Apply: a
// key Apply removed may survive as a later duplicate line, and the record
// must be the state Apply left, or the game would be blamed for it.
void SettleApplyRecord(const TPUBGLib& engine, ApplyRecord& record);

enum class DriftKind { Changed, Removed, ReAdded };

struct DriftedKey {
  RecordedKey recorded;
  DriftKind kind;
  std::optional<std::string> now;  // the value in the file now
};

// Every recorded key whose current value differs from what Apply left
// (values compared with surrounding blanks removed, names without regard
// to ASCII case). A game file that cannot be read is skipped: no drift is
// claimed from a failed read.
std::vector<DriftedKey> FindDrift(const TPUBGLib& engine, const ApplyRecord& record);

}  // namespace kestrune::opti
