// A second process for the file layer's tests:
//   file_writer_helper write <path> <text> [--lock-folder]
//       replaces <path> with <text> (holding the folder's lock when asked)
//   file_writer_helper scan <folder>
//       removes the stale temporary files in <folder>
#include <cstring>
#include <memory>
#include <string>

#include "platform/file_lock.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
  using namespace kestrune::platform;
  if (argc >= 4 && std::strcmp(argv[1], "write") == 0) {
    std::unique_ptr<ScopedFileLock> lock;
    if (argc >= 5 && std::strcmp(argv[4], "--lock-folder") == 0) {
      lock = std::make_unique<ScopedFileLock>(ParentFolder(argv[2]));
      if (!lock->held()) return 3;
    }
    return ReplaceFileAtomically(argv[2], argv[3]) ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "scan") == 0) {
    RemoveStaleTemporaries(argv[2]);
    return 0;
  }
  return 2;
}
