// TPUBGLib: the game configuration engine. It owns the paths of the game's
// three per-user INI files, their time-stamped backups and backup index, the
// two default templates, and the writers that turn each optimisation choice
// into game keys. Every operation works directly on disk; nothing is cached.
//
// Failures are absorbed where they happen (a refused write is skipped and
// counted, see SwallowedWrites), except those that must stop a flow:
// EBackupError and EIndexWriteError from BackupConfigFiles, EBackupError from
// RestoreBackup, and EFileOpenError from ApplyBigJumpBinding. Each key operation replaces its file
// atomically; a flow calls SyncChangedFiles at its end to make its changes durable.
//
// Hardware facts: the engine keeps a pointer to the caller's THareWareInfo
// (given at construction; it must outlive the engine) and reads it at the
// moment ApplyHardwarePreset / ApplyShaderCompileTweaks run. Overloads of
// those two take the facts per call instead. Without facts, S = 0, V = ""
// and N = 0.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/hardware_info.h"

namespace kestrune {

// One entry of the backup history: the index key (blanks trimmed) and the
// backup folder it names (no trailing separator).
struct TBackupEntry {
  std::string Key;
  std::string Folder;
};

// The backup index could not be written: "Unable to write to <index path>".
class EIndexWriteError : public std::runtime_error {
 public:
  explicit EIndexWriteError(const std::string& path);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A file the engine must read whole could not be opened; the message names
// the path and the system's reason.
class EFileOpenError : public std::runtime_error {
 public:
  EFileOpenError(const std::string& path, const std::string& reason);
  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// A backup could not be taken whole (a game file not copied, flushed and
// verified, or no folder for it), or a folder given to restore is not one of
// the backups. Nothing was recorded or restored.
class EBackupError : public std::runtime_error {
 public:
  EBackupError(const std::string& message, const std::string& path);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The game's three files, in the order Apply writes them.
inline constexpr const char* kGameFileNames[] = {"Engine.ini", "GameUserSettings.ini",
                                                 "Scalability.ini"};

// Writes the engine had to skip, per file: how many and the last reason.
struct TSwallowedWrite {
  std::string Path;
  int Count = 0;
  std::string Reason;
};

class TPUBGLib {
 public:
  // base = the platform's local application-data folder, backups where the
  // platform keeps Kestrune's own data; no hardware facts.
  TPUBGLib();
  explicit TPUBGLib(const THareWareInfo& hardware);
  // base = `baseFolder` (tests, other front ends), backups under it in
  // "Kestrune"; empty gives relative paths.
  explicit TPUBGLib(const std::string& baseFolder);
  TPUBGLib(const std::string& baseFolder, const THareWareInfo& hardware);

  // The game's files under `localAppData` (a folder the user named), the
  // backups where the platform keeps Kestrune's own data.
  static std::unique_ptr<TPUBGLib> ForGameFolder(const std::string& localAppData,
                                                 const THareWareInfo& hardware);

  TPUBGLib(const TPUBGLib&) = delete;
  TPUBGLib& operator=(const TPUBGLib&) = delete;

  // Set once by InitPaths. BackupRoot ends with a separator.
  std::string BackupRoot;
  std::string EngineIniPath;
  std::string GameUserSettingsPath;
  std::string ScalabilityIniPath;

  // ---- Files, backups, index, templates ----

  // Computes the four paths from the base folder and creates the game's
  // configuration folder and BackupRoot. Run by every constructor.
  void InitPaths();

  // The game's configuration folder (folder part of GameUserSettingsPath,
  // with a trailing separator).
  std::string GameConfigFolder() const;

  // The game's configuration folder under a local application-data folder
  // (no trailing separator); the one place its path is spelled.
  static std::string GameConfigFolderUnder(const std::string& localAppData);

  // New stamped folder under BackupRoot with copies of the game files that
  // exist, recorded in the index (renumbered ID0..IDn, newest last). Each
  // copy is flushed and read back before it counts. Throws EBackupError when
  // a copy fails (the new folder is removed, the index untouched) and
  // EIndexWriteError when the index cannot be written. First removes what
  // killed backups left: temporary files in backup folders and stamped
  // folders the index does not name.
  void BackupConfigFiles();

  // Appends one entry per index key, in file order.
  void ListBackups(std::vector<TBackupEntry>& list) const;

  // Copies the game files present in `folder` back over the game's files and
  // returns how many were restored; a copy that fails is a swallowed write.
  // Throws EBackupError (nothing copied) unless `folder` is a folder directly
  // inside BackupRoot, itself no link; a backup file that is not a regular
  // file (a link, a folder) is refused as a swallowed write.
  int RestoreBackup(const std::string& folder);

  // Deletes every "*.ini" file (not folders, not recursive) in `folder` and
  // returns how many; a file that stays (read-only, refused) is a swallowed
  // write.
  int ClearGameConfig(const std::string& folder);

  // WriteDefaultGameUserSettings, then WriteDefaultEngineIni.
  void EnsureDefaultConfigFiles();
  void WriteDefaultGameUserSettings();
  void WriteDefaultEngineIni();

  // Whether a folder name is a stamp "YYYYMMDD_HHMMSSZZZ".
  static bool IsBackupStamp(const std::string& name);
  // The stamp for a moment in local time: "YYYYMMDD_HHMMSSZZZ".
  static std::string BackupStamp(std::chrono::system_clock::time_point when);

  // Kestrune's own data folder, the one that holds BackupRoot (with a
  // trailing separator). Records of our own (what the last Apply set) live
  // here, never among the game's files.
  std::string DataFolder() const;
  // The backup index file ("config.dat" in BackupRoot).
  std::string BackupIndexPath() const;
  // The folder the last BackupConfigFiles of this engine made (empty before).
  const std::string& LastBackupFolder() const { return lastBackup_; }

  // ---- Keeping the history tidy (backup_history.cpp) ----

  // Folder names (stamps) the user pinned; a pinned backup is never pruned.
  std::vector<std::string> PinnedBackups() const;
  bool IsBackupPinned(const TBackupEntry& entry) const;
  // Pins or unpins the backup at `index` of ListBackups. Throws
  // EIndexWriteError when the index cannot be read or written, and
  // std::out_of_range for an index that is not in the history.
  void SetBackupPinned(size_t index, bool pinned);
  // Removes the backup at `index` of ListBackups: its index entry (the rest
  // renumbered, one atomic write), then its folder unless another entry
  // still names it. Same errors as SetBackupPinned.
  void DeleteBackup(size_t index);
  // Keeps the newest `keep` backups that are not pinned and deletes the
  // older ones (0 keeps everything); `protect` (a folder) is never deleted.
  // One atomic index write, then the folders. Returns how many entries went.
  int PruneBackups(int keep, const std::string& protect = "");

  // Every change a key operation made: the value written, or nullopt for a
  // key removed. Apply records them for the drift check.
  using TKeyObserver =
      std::function<void(const std::string& path, const std::string& section,
                         const std::string& key, const std::optional<std::string>& value)>;
  void SetKeyObserver(TKeyObserver observer);

  // Tests replace the clock to take two backups "in the same millisecond".
  using TClock = std::function<std::chrono::system_clock::time_point()>;
  void SetClock(TClock clock);

  // ---- Key operations (every writer goes through these) ----

  // Sets `key` in `section` of the file at `path`. A refused write (read-only
  // file, missing folder, CR/LF/NUL in a name or value...) changes nothing,
  // writes a debug line and is counted; the result says whether it held.
  bool WriteIniKey(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value);
  // Removes `key` from `section`; a missing file, section or key is no error.
  bool DeleteIniKey(const std::string& path, const std::string& section, const std::string& key);

  // ---- Swallowed writes and the durability barrier ----

  void ResetSwallowedWrites();
  // Per file, in the order the files first failed.
  std::vector<TSwallowedWrite> SwallowedWrites() const;
  int SwallowedWriteCount() const;

  // Files this engine created, changed or deleted since the last barrier.
  std::vector<std::string> ChangedFiles() const;
  // Flushes those files and their folders and forgets them. False when a
  // flush failed; each path that failed is then a swallowed write.
  bool SyncChangedFiles();

  // ---- Graphics quality writers (level 0 = nothing chosen) ----

  void ApplyShadowQuality(int level);        // 0-8
  void ApplyEffectsQuality(int level);       // 0-9
  void ApplyPostProcessQuality(int level);   // 0-6
  void ApplyAntiAliasingQuality(int level);  // 0-9
  void ApplyTextureQuality(int level);       // 0-8
  void ApplyFoliageQuality(int level);       // 0-5
  void ApplyViewDistanceQuality(int level);  // 0-9
  void ApplyScreenScale(int n);
  void ApplyFirstPersonFov(int n);
  void ApplyFrameRateLimit(int n);

  // ---- Engine and system tweak writers ----

  void ApplyHardwarePreset(int level);  // 0-8, reads the engine's hardware facts
  void ApplyHardwarePreset(int level, const THareWareInfo& hardware);
  void ApplyNetworkPreset(int level);  // 0-5
  void ApplyShaderCompileTweaks();
  void ApplyShaderCompileTweaks(const THareWareInfo& hardware);

  // ---- Input bindings and language ----

  // Edits the binding list in GameUserSettings.ini as text. Throws
  // EFileOpenError when the existing file cannot be read.
  void ApplyBigJumpBinding(bool on);
  // Replaces every case-insensitive occurrence of `name`'s first action entry
  // in `text` by `replacement`.
  static std::string ReplaceActionMapping(std::string_view text, std::string_view name,
                                          std::string_view replacement);
  void ApplyGameLanguage(bool chinese);
  void ApplyMouseSmoothing(bool on);

  // ---- Option switch writers ----

  void ApplyCpuUsageBoost(bool on);
  void ApplyCpuPerformanceBalance(bool on);
  void ApplyGpuUsageBoost(bool on);
  void ApplyGpuLoadToCpu(bool on);
  void ApplySoundPositioning(bool on);
  void ApplyBestComputePerformance(bool on);
  void ApplyReducedShadowQuality(bool on);
  void ApplyMemoryOptimisation(bool on);
  void ApplyBestImageColour(bool on);
  void ApplyReducedRenderResolution(bool on);
  void ApplyBestComputeConfig(bool on);
  void ApplyForceMaxRenderDistance(bool on);
  void ApplyDirectXPro(bool on);
  void ApplyVideoMemoryOptimisation(bool on);
  void ApplyLowFpsRenderDelay(bool on);

 private:
  void NoteSwallowed(const std::string& path, const std::string& reason);
  void NoteChanged(const std::string& path);
  bool SaveWholeFile(const std::string& path, const std::vector<std::string>& lines);
  void RemoveBackupLeftovers(const std::vector<std::string>& indexedFolders);
  void RemoveBackupFolder(const std::string& folder);
  // Drops the entries at `drop` (indexes of ListBackups) from the index in
  // one write, then their folders; returns how many went.
  int DropBackups(const std::vector<size_t>& drop);

  // Where the platform keeps Kestrune's own data (the backups), moving
  // backups an earlier build kept elsewhere; the platform constructors only.
  void UsePlatformDataFolder();
  struct PlatformData {};
  TPUBGLib(const std::string& baseFolder, const THareWareInfo& hardware, PlatformData);

  std::string base_;
  std::string ownData_;  // empty: "Kestrune" under base_
  const THareWareInfo* hardware_ = nullptr;
  TClock clock_;
  TKeyObserver keyObserver_;
  std::string lastBackup_;
  std::vector<TSwallowedWrite> swallowed_;
  std::vector<std::string> changed_;
};

}  // namespace kestrune
