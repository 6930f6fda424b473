// TPUBGLib, file half: paths, backups and their index, restore, clearing,
// the default templates, the key operations every writer uses, and the
// bookkeeping a flow reads afterwards (swallowed writes, changed files).
#include "engine/pubg_lib.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <limits>
#include <unordered_set>

#include "engine/backup_move.h"
#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "platform/ascii.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/own_places.h"
#include "platform/paths.h"

namespace kestrune {
namespace {

constexpr char kSep = platform::kPathSeparator;
constexpr const char* kIndexSection = "Backup";
constexpr const char* kIndexFileName = "config.dat";

// The marker section closing the Engine.ini template names our web host.
constexpr const char* kDefaultEngineIni[] = {
    "[Core.System]",
    "Paths=../../../Engine/Content",
    "Paths=%GAMEDIR%Content",
    "Paths=../../../Engine/Plugins/OceanPlugin/Content",
    "Paths=../../../Engine/Plugins/Mutable/Content",
    "Paths=../../../Engine/Plugins/Runtime/Coherent/CoherentUIGTPlugin/Content",
    "Paths=../../../Engine/Plugins/RoadEditor/Content",
    "Paths=../../../Engine/Plugins/2D/Paper2D/Content",
    "Paths=../../../Engine/Plugins/Wwise/Content",
    "None=======Optimization By==========================",
    "",
    "[www.kestrune.com]",
    "None================================================",
};

constexpr const char* kDefaultGameUserSettings[] = {
    "[/Script/Engine.GameUserSettings]",
    "bUseDesiredScreenHeight=False",
    "",
    "[ScalabilityGroups]",
    "sg.ResolutionQuality=70.000000",
    "sg.ViewDistanceQuality=0",
    "sg.AntiAliasingQuality=0",
    "sg.ShadowQuality=0",
    "sg.PostProcessQuality=0",
    "sg.TextureQuality=0",
    "sg.EffectsQuality=0",
    "sg.FoliageQuality=0",
    "",
    "[/Script/TslGame.TslGameUserSettings]",
    "ScreenScale=100.000000",
    "Gamma=50.000000",
    "bIsLanMatch=True",
    "bIsMasterSoundMute=False",
    "MasterSoundVolume=100.000000",
    "bIsEffectSoundMute=False",
    "EffectSoundVolume=100.000000",
    "bIsUISoundMute=False",
    "UISoundVolume=100.000000",
    "bIsBGMSoundMute=False",
    "BGMSoundVolume=100.000000",
    "bIsVoiceInputMute=False",
    "bIsVoiceOutputMute=False",
    "bUsePushToTalk=True",
    "bUseGlobalVoice=True",
    "bUseTeamVoice=True",
    "bSavedGraphicOption=True",
    "bMotionBlur=False",
    "CultureName=zh-CN",
    "CustomInputSettins=(ActionKeyList=,AxisKeyList=,MouseSensitiveList=,bInvertMouse=False)",
    "SelectMiniMapIndex=1",
    "FpsCamearFov=90.00000",
    "bUseForceFeedback=False",
    "ColorBlindType=0",
    "bUseVSync=False",
    "ResolutionSizeX=0",
    "ResolutionSizeY=0",
    "LastUserConfirmedResolutionSizeX=0",
    "LastUserConfirmedResolutionSizeY=0",
    "WindowPosX=-1",
    "WindowPosY=-1",
    "FullscreenMode=0",
    "LastConfirmedFullscreenMode=1",
    "PreferredFullscreenMode=0",
    "Version=1001",
    "AudioQualityLevel=0",
    "FrameRateLimit=1000.000000",
    "DesiredScreenWidth=0",
    "DesiredScreenHeight=0",
    "LastRecommendedScreenWidth=-1.000000",
    "LastRecommendedScreenHeight=-1.000000",
    "LastCPUBenchmarkResult=2925056.500000",
    "LastGPUBenchmarkResult=451.138214",
    "LastCPUBenchmarkSteps=99.704514",
    "LastCPUBenchmarkSteps=4875027.500000",
    "LastGPUBenchmarkSteps=652.468140",
    "LastGPUBenchmarkSteps=312.221069",
    "LastGPUBenchmarkSteps=561.331848",
    "LastGPUBenchmarkSteps=472.111572",
    "LastGPUBenchmarkSteps=189.760544",
    "LastGPUBenchmarkSteps=637.047668",
    "LastGPUBenchmarkSteps=356.353058",
    "LastGPUBenchmarkMultiplier=1.000000",
};

template <size_t N>
std::vector<std::string> Lines(const char* const (&lines)[N]) {
  return std::vector<std::string>(std::begin(lines), std::end(lines));
}

// Names in debug lines: control bytes shown as '?', so a refused name with a
// line break cannot split the debug line itself.
std::string Printable(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return out;
}

// A folder that already ends in a separator gets no second one ('/' counts on
// Windows too, which accepts both).
std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != kSep && folder.back() != '/') folder.push_back(kSep);
  return folder;
}

// The number after "ID" in an index key; anything that is not a plain
// decimal integer counts as 0.
long long IndexNumber(const std::string& key) {
  if (key.size() <= 2) return 0;
  std::string_view digits = std::string_view(key).substr(2);
  bool negative = false;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return 0;
  long long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    if (value > (std::numeric_limits<long long>::max() - 9) / 10) return 0;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// A backup folder's name: "YYYYMMDD_HHMMSSZZZ".
bool IsStampName(const std::string& name) {
  if (name.size() != 18 || name[8] != '_') return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (i != 8 && (name[i] < '0' || name[i] > '9')) return false;
  return true;
}

// The temporary file of an atomic write: ".<name>.kst<digits>-<digits>.tmp".
bool IsTemporaryName(const std::string& name) {
  static constexpr std::string_view kSuffix = ".tmp";
  if (name.size() < 10 || name[0] != '.' ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
    return false;
  return name.rfind(".kst") != std::string::npos && name.rfind(".kst") > 0;
}

bool EndsWithIni(const std::string& name) {
  if (name.size() < 4) return false;
  return AsciiEqualsNoCase(std::string_view(name).substr(name.size() - 4), ".ini");
}

}  // namespace

// ---- Exceptions ----

EIndexWriteError::EIndexWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path), path_(path) {}

EBackupError::EBackupError(const std::string& message, const std::string& path)
    : std::runtime_error(message), path_(path) {}

EFileOpenError::EFileOpenError(const std::string& path, const std::string& reason)
    : std::runtime_error("Cannot open file \"" + path + "\". " + reason),
      path_(path),
      reason_(reason) {}

// ---- Construction and paths ----

TPUBGLib::TPUBGLib() : base_(platform::LocalAppDataFolder()) {
  UsePlatformDataFolder();
  InitPaths();
}

TPUBGLib::TPUBGLib(const THareWareInfo& hardware)
    : base_(platform::LocalAppDataFolder()), hardware_(&hardware) {
  UsePlatformDataFolder();
  InitPaths();
}

void TPUBGLib::UsePlatformDataFolder() {
  ownData_ = platform::OwnDataFolder();
  std::string legacy = platform::LegacyOwnDataFolder();
  if (!ownData_.empty() && !legacy.empty())
    MoveLegacyBackups(WithSeparator(legacy) + "BackupFiles" + kSep,
                      WithSeparator(ownData_) + "BackupFiles" + kSep);
}

TPUBGLib::TPUBGLib(const std::string& baseFolder) : base_(baseFolder) {
  InitPaths();
}

TPUBGLib::TPUBGLib(const std::string& baseFolder, const THareWareInfo& hardware)
    : base_(baseFolder), hardware_(&hardware) {
  InitPaths();
}

TPUBGLib::TPUBGLib(const std::string& baseFolder, const THareWareInfo& hardware, PlatformData)
    : base_(baseFolder), hardware_(&hardware) {
  UsePlatformDataFolder();
  InitPaths();
}

std::unique_ptr<TPUBGLib> TPUBGLib::ForGameFolder(const std::string& localAppData,
                                                  const THareWareInfo& hardware) {
  return std::unique_ptr<TPUBGLib>(new TPUBGLib(localAppData, hardware, PlatformData{}));
}

void TPUBGLib::InitPaths() {
  // With no base the paths stay relative and resolve against the working folder.
  std::string base = WithSeparator(base_);
  std::string configFolder = GameConfigFolderUnder(base_) + kSep;
  BackupRoot = (ownData_.empty() ? base + "Kestrune" + kSep : WithSeparator(ownData_)) +
               "BackupFiles" + kSep;
  EngineIniPath = configFolder + kGameFileNames[0];
  GameUserSettingsPath = configFolder + kGameFileNames[1];
  ScalabilityIniPath = configFolder + kGameFileNames[2];
  if (!platform::CreateDirectories(configFolder))
    DebugLogF("TPUBGLib: cannot create %s", configFolder.c_str());
  if (!platform::CreateDirectories(BackupRoot))
    DebugLogF("TPUBGLib: cannot create %s", BackupRoot.c_str());
}

std::string TPUBGLib::GameConfigFolderUnder(const std::string& localAppData) {
  return WithSeparator(localAppData) + "TslGame" + kSep + "Saved" + kSep + "Config" + kSep +
         "WindowsNoEditor";
}

std::string TPUBGLib::GameConfigFolder() const {
  return platform::ParentFolder(GameUserSettingsPath) + kSep;
}

std::string TPUBGLib::DataFolder() const {
  std::string root = BackupRoot;
  while (root.size() > 1 && (root.back() == kSep || root.back() == '/')) root.pop_back();
  return WithSeparator(platform::ParentFolder(root));
}

std::string TPUBGLib::BackupIndexPath() const {
  return BackupRoot + kIndexFileName;
}

void TPUBGLib::SetKeyObserver(TKeyObserver observer) {
  keyObserver_ = std::move(observer);
}

// ---- Backups ----

std::string TPUBGLib::BackupStamp(std::chrono::system_clock::time_point when) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()) % 1000;
  if (millis.count() < 0) millis += std::chrono::milliseconds(1000);
  std::tm local{};
  if (const std::tm* converted = std::localtime(&seconds)) local = *converted;
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d%02d%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis.count()));
  return stamp;
}

bool TPUBGLib::IsBackupStamp(const std::string& name) {
  return IsStampName(name);
}

void TPUBGLib::SetClock(TClock clock) {
  clock_ = std::move(clock);
}

void TPUBGLib::BackupConfigFiles() {
  // The index is read first: its entries tell the leftovers of killed
  // backups from the history, and an index that cannot be read stops the
  // backup before anything is copied. Every "Backup" section is gathered (a
  // hand-edited index may repeat it) and each key keeps its own value,
  // duplicates included.
  std::string indexPath = BackupRoot + kIndexFileName;
  platform::ReadResult current = platform::ReadWholeFile(indexPath);
  std::string text;
  if (current.status == platform::ReadStatus::kOk) {
    text = std::move(current.data);
  } else if (current.status != platform::ReadStatus::kNotFound) {
    DebugLogF("BackupConfigFiles: cannot read %s: %s", indexPath.c_str(), current.error.c_str());
    throw EIndexWriteError(indexPath);
  }
  struct Entry {
    long long number;
    std::string folder;
  };
  std::vector<Entry> entries;
  for (;;) {
    std::vector<std::string> sections = ini::ListSections(text);
    if (std::none_of(sections.begin(), sections.end(),
                     [](const std::string& s) { return ini::NamesEqual(s, kIndexSection); }))
      break;
    for (auto& [key, value] : ini::ListEntries(text, kIndexSection))
      entries.push_back({IndexNumber(key), std::move(value)});
    text = ini::EraseSection(text, kIndexSection);
  }
  std::vector<std::string> indexed;
  indexed.reserve(entries.size());
  for (const Entry& entry : entries) indexed.push_back(entry.folder);
  RemoveBackupLeftovers(indexed);

  std::chrono::system_clock::time_point now = clock_ ? clock_() : std::chrono::system_clock::now();
  std::string folder = BackupRoot + BackupStamp(now);
  // Two backups in one millisecond share the folder; the earlier one is
  // history and is never removed here.
  const bool existed = platform::DirectoryExists(folder);
  if (!platform::CreateDirectories(folder)) {
    DebugLogF("BackupConfigFiles: cannot create %s", folder.c_str());
    throw EBackupError(
        "Backup incomplete, so nothing was changed: cannot create the folder " + folder, folder);
  }
  if (!existed) NoteChanged(folder);

  auto fail = [&](const std::string& path, const std::string& reason) {
    DebugLogF("BackupConfigFiles: %s: %s", path.c_str(), reason.c_str());
    if (!existed) RemoveBackupFolder(folder);
    throw EBackupError(
        "Backup incomplete, so nothing was changed: cannot back up " + path + " (" + reason + ")",
        path);
  };
  // A backup counts only when every game file that exists is in it: copied,
  // on the disk, and reading back as the original's bytes.
  std::vector<std::string> copies;
  std::vector<std::string> originals;
  for (const std::string* game : {&EngineIniPath, &GameUserSettingsPath, &ScalabilityIniPath}) {
    if (!platform::FileExists(*game)) continue;  // missing, or a link to nothing
    platform::ReadResult source = platform::ReadWholeFile(*game);
    if (source.status == platform::ReadStatus::kNotFound) continue;
    if (source.status != platform::ReadStatus::kOk) fail(*game, source.error);
    std::string target = folder + kSep + platform::FileName(*game);
    std::string error;
    if (!platform::ReplaceFileAtomically(target, source.data, &error)) fail(*game, error);
    copies.push_back(std::move(target));
    originals.push_back(std::move(source.data));
  }
  if (!copies.empty()) {
    std::vector<platform::SyncFailure> unflushed = platform::SyncFilesNamingFailures(copies);
    if (!unflushed.empty())
      fail(unflushed.front().path, "not flushed to disk: " + unflushed.front().error);
  }
  for (size_t i = 0; i < copies.size(); ++i) {
    platform::ReadResult back = platform::ReadWholeFile(copies[i]);
    if (back.status != platform::ReadStatus::kOk)
      fail(copies[i], "cannot read the copy back: " + back.error);
    if (back.data != originals[i]) fail(copies[i], "the copy differs from the original");
  }

  // The whole renumbered index is built in memory and replaced in one step,
  // so a crash half way never leaves an index that lost entries. The
  // section is rebuilt at the end of the text in one pass: long histories
  // must not cost a rescan per entry.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.number < b.number; });
  size_t id = 0;
  text = ini::SetKey(text, kIndexSection, "ID0", entries.empty() ? folder : entries[0].folder);
  for (const Entry& entry : entries) {
    if (id++ == 0) continue;
    text += "ID" + std::to_string(id - 1) + "=" + entry.folder + "\r\n";
  }
  if (!entries.empty()) text += "ID" + std::to_string(id) + "=" + folder + "\r\n";

  std::string error;
  if (!platform::IsWritable(indexPath, &error) ||
      !platform::ReplaceFileAtomically(indexPath, text, &error)) {
    DebugLogF("BackupConfigFiles: cannot write %s: %s", indexPath.c_str(), error.c_str());
    throw EIndexWriteError(indexPath);
  }
  NoteChanged(indexPath);
  lastBackup_ = folder;
}

void TPUBGLib::RemoveBackupLeftovers(const std::vector<std::string>& indexedFolders) {
  // A stamped folder the index does not name is what a killed or failed
  // backup left (copies, a temporary file): nothing shows or restores it.
  std::unordered_set<std::string> named;
  for (std::string folder : indexedFolders) {
    while (!folder.empty() && folder.back() == kSep) folder.pop_back();
    named.insert(platform::FileName(folder));
  }
  std::string root = BackupRoot;
  while (root.size() > 1 && root.back() == kSep) root.pop_back();
  for (const platform::DirEntry& entry : platform::ListDirectory(root)) {
    if (!entry.isDirectory || !IsStampName(entry.name) || named.count(entry.name)) continue;
    std::string path = BackupRoot + entry.name;
    if (platform::IsSymbolicLink(path)) continue;  // not one we made
    DebugLogF("BackupConfigFiles: removing the unrecorded backup folder %s", path.c_str());
    RemoveBackupFolder(path);
  }
}

void TPUBGLib::RemoveBackupFolder(const std::string& folder) {
  // Only what a backup puts there: the game files' copies and the temporary
  // files of their atomic writes. Anything else keeps the folder.
  for (const platform::DirEntry& entry : platform::ListDirectory(folder)) {
    bool ours = IsTemporaryName(entry.name);
    for (const std::string* game : {&EngineIniPath, &GameUserSettingsPath, &ScalabilityIniPath})
      ours = ours || entry.name == platform::FileName(*game);
    if (!ours || entry.isDirectory) continue;
    std::string error;
    std::string path = folder + kSep + entry.name;
    if (!platform::RemoveFile(path, &error))
      DebugLogF("BackupConfigFiles: cannot remove %s: %s", path.c_str(), error.c_str());
  }
  std::string error;
  if (!platform::RemoveEmptyFolder(folder, &error))
    DebugLogF("BackupConfigFiles: cannot remove %s: %s", folder.c_str(), error.c_str());
  NoteChanged(folder);
}

void TPUBGLib::ListBackups(std::vector<TBackupEntry>& list) const {
  platform::ReadResult index = platform::ReadWholeFile(BackupRoot + kIndexFileName);
  if (index.status != platform::ReadStatus::kOk) return;
  for (auto& [key, value] : ini::ListEntries(index.data, kIndexSection))
    list.push_back(TBackupEntry{key, value});
}

int TPUBGLib::RestoreBackup(const std::string& folder) {
  // The index is a file anyone can edit: restore only from a real folder
  // directly inside the backup root, never through a link or "..".
  std::string trimmed = folder;
  // Either separator may end it: the index written on Windows names folders
  // with the system's, a hand-edited one may use '/'.
  while (trimmed.size() > 1 && (trimmed.back() == kSep || trimmed.back() == '/'))
    trimmed.pop_back();
  std::string name = platform::FileName(trimmed);
  std::string root = platform::CanonicalPath(BackupRoot);
  bool inside = !name.empty() && name != "." && name != ".." && !root.empty() &&
                platform::CanonicalPath(platform::ParentFolder(trimmed)) == root;
  if (!inside || platform::IsSymbolicLink(trimmed)) {
    DebugLogF("RestoreBackup: %s is not a backup folder", folder.c_str());
    throw EBackupError("Not a backup folder of " + BackupRoot + ": " + folder, folder);
  }
  if (!platform::DirectoryExists(trimmed)) {
    DebugLogF("RestoreBackup: %s is gone", folder.c_str());
    throw EBackupError("The backup folder is gone: " + folder, folder);
  }
  std::string from = WithSeparator(trimmed);
  int restored = 0;
  for (const std::string* game : {&EngineIniPath, &GameUserSettingsPath, &ScalabilityIniPath}) {
    std::string source = from + platform::FileName(*game);
    if (!platform::PathExists(source)) continue;
    std::string error;
    if (platform::IsSymbolicLink(source) || !platform::FileExists(source)) {
      error = "the backup's copy is not a regular file";
    } else if (platform::IsWritable(*game, &error) &&
               platform::CopyFileReplacing(source, *game, &error)) {
      NoteChanged(*game);
      ++restored;
      continue;
    }
    DebugLogF("RestoreBackup: %s to %s failed: %s", source.c_str(), game->c_str(), error.c_str());
    NoteSwallowed(*game, error);
  }
  return restored;
}

int TPUBGLib::ClearGameConfig(const std::string& folder) {
  std::string from = WithSeparator(folder);
  int deleted = 0;
  for (const platform::DirEntry& entry : platform::ListDirectory(folder)) {
    if (entry.isDirectory || !EndsWithIni(entry.name)) continue;
    std::string path = from + entry.name;
    std::string error;
    // A file the player made read-only stays, as it would where deleting
    // it is refused by the system.
    if (!platform::IsWritable(path, &error) || !platform::RemoveFile(path, &error)) {
      DebugLogF("ClearGameConfig: cannot delete %s: %s", path.c_str(), error.c_str());
      NoteSwallowed(path, error);
      continue;
    }
    NoteChanged(path);
    ++deleted;
  }
  return deleted;
}

// ---- Templates ----

void TPUBGLib::EnsureDefaultConfigFiles() {
  WriteDefaultGameUserSettings();
  WriteDefaultEngineIni();
}

void TPUBGLib::WriteDefaultGameUserSettings() {
  // A link to nothing holds no settings: it counts as missing.
  if (platform::PathExists(GameUserSettingsPath) &&
      !platform::IsDanglingLink(GameUserSettingsPath)) {
    if (!platform::FileExists(GameUserSettingsPath))
      DebugLogF("WriteDefaultGameUserSettings: %s is not a regular file; left alone",
                GameUserSettingsPath.c_str());
    return;
  }
  SaveWholeFile(GameUserSettingsPath, Lines(kDefaultGameUserSettings));
}

void TPUBGLib::WriteDefaultEngineIni() {
  if (platform::PathExists(EngineIniPath) && !platform::IsDanglingLink(EngineIniPath)) {
    if (!platform::FileExists(EngineIniPath))
      DebugLogF("WriteDefaultEngineIni: %s is not a regular file; left alone",
                EngineIniPath.c_str());
    return;
  }
  SaveWholeFile(EngineIniPath, Lines(kDefaultEngineIni));
}

bool TPUBGLib::SaveWholeFile(const std::string& path, const std::vector<std::string>& lines) {
  ini::FileResult result = ini::SaveLinesToFile(path, lines);
  if (!result.ok) {
    DebugLogF("TPUBGLib: cannot save %s: %s", path.c_str(), result.error.c_str());
    NoteSwallowed(path, result.error);
    return false;
  }
  NoteChanged(path);
  return true;
}

// ---- Key operations ----

bool TPUBGLib::WriteIniKey(const std::string& path, const std::string& section,
                           const std::string& key, const std::string& value) {
  ini::EditOptions options;
  options.refuseNulBytes = true;
  ini::FileResult result = ini::WriteKeyToFile(path, section, key, value, options);
  if (!result.ok) {
    DebugLogF("WriteIniKey %s [%s] %s=%s refused: %s", path.c_str(), Printable(section).c_str(),
              Printable(key).c_str(), Printable(value).c_str(), result.error.c_str());
    NoteSwallowed(path, result.error);
    return false;
  }
  if (result.changed) NoteChanged(path);
  if (keyObserver_) keyObserver_(path, section, key, value);
  return true;
}

bool TPUBGLib::DeleteIniKey(const std::string& path, const std::string& section,
                            const std::string& key) {
  ini::EditOptions options;
  options.refuseNulBytes = true;
  ini::FileResult result = ini::DeleteKeyFromFile(path, section, key, options);
  if (!result.ok) {
    DebugLogF("DeleteIniKey %s [%s] %s refused: %s", path.c_str(), Printable(section).c_str(),
              Printable(key).c_str(), result.error.c_str());
    NoteSwallowed(path, result.error);
    return false;
  }
  if (result.changed) NoteChanged(path);
  if (keyObserver_) keyObserver_(path, section, key, std::nullopt);
  return true;
}

// ---- Bookkeeping for the flows ----

void TPUBGLib::NoteSwallowed(const std::string& path, const std::string& reason) {
  auto it = std::find_if(swallowed_.begin(), swallowed_.end(),
                         [&](const TSwallowedWrite& w) { return w.Path == path; });
  if (it == swallowed_.end()) {
    swallowed_.push_back(TSwallowedWrite{path, 1, reason});
  } else {
    ++it->Count;
    it->Reason = reason;
  }
}

void TPUBGLib::NoteChanged(const std::string& path) {
  if (std::find(changed_.begin(), changed_.end(), path) == changed_.end()) changed_.push_back(path);
}

void TPUBGLib::ResetSwallowedWrites() {
  swallowed_.clear();
}

std::vector<TSwallowedWrite> TPUBGLib::SwallowedWrites() const {
  return swallowed_;
}

int TPUBGLib::SwallowedWriteCount() const {
  int total = 0;
  for (const TSwallowedWrite& w : swallowed_) total += w.Count;
  return total;
}

std::vector<std::string> TPUBGLib::ChangedFiles() const {
  return changed_;
}

bool TPUBGLib::SyncChangedFiles() {
  std::vector<platform::SyncFailure> failures = platform::SyncFilesNamingFailures(changed_);
  for (const platform::SyncFailure& f : failures) {
    DebugLogF("SyncChangedFiles: cannot flush %s: %s", f.path.c_str(), f.error.c_str());
    NoteSwallowed(f.path, "not flushed to disk: " + f.error);
  }
  changed_.clear();
  return failures.empty();
}

}  // namespace kestrune
