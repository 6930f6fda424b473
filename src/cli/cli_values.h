// What kestrune-cli says about an edit's value when it stores one: the value
// Config.dat keeps when it differs from what was typed, and a warning when
// the value lies outside the edit's range (the page table's).
#pragma once

#include <string_view>

#include "opti/opti_tables.h"

namespace kestrune::cli {

// Prints "NAME: stored VALUE (...)" when Config.dat keeps something other
// than `typed`, and the range warning for the stored value. Returns the
// value stored.
int NoteStoredEdit(const opti::EditDesc& desc, std::string_view typed);

// The range warning alone, on stderr; nothing when `value` is inside.
void WarnOutsideRange(const opti::EditDesc& desc, int value);

}  // namespace kestrune::cli
