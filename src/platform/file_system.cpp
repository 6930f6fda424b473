// What the file service does the same on every system, on top of its
// system's calls.
#include "platform/file_system.h"

namespace kestrune::platform {

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  ReadResult source = ReadWholeFile(from);
  if (source.status != ReadStatus::kOk) {
    if (error) *error = source.error;
    return false;
  }
  return ReplaceFileAtomically(to, source.data, error);
}

}  // namespace kestrune::platform
