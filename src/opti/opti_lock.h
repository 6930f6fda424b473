// The lock every flow holds on the game's configuration folder, shared by
// the page's actions (opti_flows.cpp, opti_history.cpp).
#pragma once

#include <memory>
#include <string>

#include "platform/file_lock.h"

namespace kestrune::opti {

// The error text when another Kestrune kept the folder for the whole wait.
extern const char* const kAnotherKestrune;

// Null when another Kestrune kept the folder for the whole wait. A folder
// that cannot be locked at all (missing, refused) leaves the flow unguarded:
// its writes then meet the same fault and report it.
std::unique_ptr<platform::ScopedFileLock> LockGameFolder(const std::string& folder);

}  // namespace kestrune::opti
