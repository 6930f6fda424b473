// Named mutexes shared between processes. A name is held by at most one
// process; the system releases it when the holder ends, however it ends.
// Same per-user scope as the message bus.
#pragma once

#include <memory>
#include <string_view>

namespace kestrune::platform {

class NamedMutex {
 public:
  virtual ~NamedMutex() = default;  // releases the name
};

enum class MutexOpen {
  kAcquired,       // this process now holds the name
  kAlreadyExists,  // another holder has it
  kFailed,         // the system refused (no name could be tested)
};

struct MutexResult {
  MutexOpen status = MutexOpen::kFailed;
  std::unique_ptr<NamedMutex> mutex;  // set only for kAcquired
};

MutexResult AcquireNamedMutex(std::string_view name);

}  // namespace kestrune::platform
