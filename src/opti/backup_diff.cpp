// Comparing two folders of game files key by key.
#include "opti/backup_diff.h"

#include "platform/file_system.h"

namespace kestrune::opti {
namespace {

struct Side {
  bool exists = false;
  std::string data;
};

// A file that is there but cannot be read is an error, never "no keys":
// that would show every key as removed.
Side ReadSide(const std::string& path, std::vector<std::string>& errors) {
  Side side;
  if (!platform::PathExists(path)) return side;
  platform::ReadResult read = platform::ReadWholeFile(path);
  if (read.status == platform::ReadStatus::kNotFound) return side;
  if (read.status != platform::ReadStatus::kOk) {
    errors.push_back(path + ": " + read.error);
    return side;
  }
  side.exists = true;
  side.data = std::move(read.data);
  return side;
}

}  // namespace

FileSetComparison CompareFileSets(const TPUBGLib& engine, const std::string& beforeFolder,
                                  const std::string& afterFolder) {
  FileSetComparison result;
  std::string after = afterFolder.empty() ? engine.GameConfigFolder() : afterFolder;
  for (const std::string* game :
       {&engine.EngineIniPath, &engine.GameUserSettingsPath, &engine.ScalabilityIniPath}) {
    std::string name = platform::FileName(*game);
    std::string path = platform::JoinPath(after, name);
    size_t errorsBefore = result.errors.size();
    Side old = ReadSide(platform::JoinPath(beforeFolder, name), result.errors);
    Side now = ReadSide(path, result.errors);
    if (result.errors.size() != errorsBefore) continue;
    result.list.files.push_back(
        CompareIniTexts(name, path, old.exists, now.exists, old.data, now.data));
  }
  return result;
}

}  // namespace kestrune::opti
