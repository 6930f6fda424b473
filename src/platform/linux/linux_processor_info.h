// Linux only: the logical-processor records built from a sysfs tree.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/processor_info.h"

namespace kestrune::platform {

// The records of QueryLogicalProcessorInformation from a sysfs tree
// (`sysRoot` stands for "/sys"; tests pass a fake tree). Processors beyond the
// mask's width are left out, as a process on Windows sees only its own
// processor group.
std::optional<std::vector<LogicalProcessorRecord>> LogicalProcessorRecordsFromSysfs(
    const std::string& sysRoot);

}  // namespace kestrune::platform
