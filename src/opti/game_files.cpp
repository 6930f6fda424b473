#include "opti/game_files.h"

#include "platform/file_system.h"

namespace kestrune::opti {

std::string GameConfigFolderUnder(const std::string& localAppData) {
  return TPUBGLib::GameConfigFolderUnder(localAppData);
}

bool HasGameFiles(const std::string& folder) {
  for (const char* name : kGameFileNames)
    if (platform::FileExists(platform::JoinPath(folder, name))) return true;
  return false;
}

GameFiles::GameFiles(const std::string& localAppData)
    : engine_(localAppData.empty() ? std::make_unique<TPUBGLib>()
                                   : TPUBGLib::ForGameFolder(localAppData, none_)) {}

GameFiles::~GameFiles() = default;

std::vector<TBackupEntry> GameFiles::Backups() const {
  std::vector<TBackupEntry> history;
  engine_->ListBackups(history);
  return history;
}

FileSetComparison GameFiles::Compare(const std::string& beforeFolder,
                                     const std::string& afterFolder) const {
  return CompareFileSets(*engine_, beforeFolder, afterFolder);
}

std::optional<ApplyRecord> GameFiles::LastApplyRecord() const {
  return LoadApplyRecord(ApplyRecordPath(*engine_));
}

std::vector<DriftedKey> GameFiles::Drift(const ApplyRecord& record) const {
  return FindDrift(*engine_, record);
}

}  // namespace kestrune::opti
