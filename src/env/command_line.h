// Windows command lines: one string that the started program splits into
// arguments by the C runtime's quoting rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// Splits `commandLine` as a Windows program receives it:
// - the program name (first argument) ends at the next blank, or, when it
//   starts with a quote, at the next quote; backslashes in it are literal;
// - later arguments are separated by blanks outside quotes; 2n backslashes
//   before a quote give n backslashes and the quote toggles quoting; 2n+1
//   give n backslashes and a literal quote; other backslashes are literal;
//   two quotes inside a quoted part give one literal quote.
std::vector<std::string> SplitWindowsCommandLine(std::string_view commandLine);

}  // namespace kestrune
