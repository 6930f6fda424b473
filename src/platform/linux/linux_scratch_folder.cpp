// Scratch folders on Linux: mkdtemp under the temporary folder.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/file_system.h"
#include "platform/scratch_folder.h"

namespace kestrune::platform {

std::string CreateScratchFolder(std::string_view prefix) {
  std::string root = "/tmp";
  // The system's choice of temporary folder, as every program honours it.
  if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp == '/') root = tmp;
  std::string pattern = JoinPath(root, std::string(prefix) + "XXXXXX");
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) return "";
  return std::string(buffer.data());
}

bool RemoveTree(const std::string& folder) {
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return true;
  if (!S_ISDIR(st.st_mode)) return ::unlink(folder.c_str()) == 0;
  bool ok = true;
  if (DIR* dir = ::opendir(folder.c_str())) {
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : names) ok = RemoveTree(JoinPath(folder, name)) && ok;
  }
  return ::rmdir(folder.c_str()) == 0 && ok;
}

bool MarkReadOnly(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return ::chmod(path.c_str(), st.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace kestrune::platform
