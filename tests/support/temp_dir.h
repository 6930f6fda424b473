// Test helpers: a temporary folder removed at the end of the test, and
// whole-file read/write.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace kestrune::test {

class TempDir {
 public:
  TempDir() {
#ifdef _WIN32
    // No mkdtemp here: a random name, made only when it is new. '/' inside,
    // like every path the tests build.
    std::random_device random;
    std::error_code ec;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      auto candidate =
          std::filesystem::temp_directory_path() / ("kestrune-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, ec)) path_ = candidate.generic_string();
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrune-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    path_ = made ? made : "";
#endif
  }
  ~TempDir() {
    std::error_code ec;
    // Restore write bits so read-only test files can be removed.
    for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
      std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const {
    return path_;
  }
  std::string Path(const std::string& name) const {
    return path_ + "/" + name;
  }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteFile(const std::string& path, const std::string& data) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

}  // namespace kestrune::test
