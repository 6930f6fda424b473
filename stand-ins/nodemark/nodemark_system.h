// What the Nodemark library asks of the system it runs on; one
// implementation per system (nodemark_linux.cpp, nodemark_win32.cpp).
#pragma once

#include <string>

namespace nodemark {

// The system's own machine identifier, raw (it never leaves the library).
std::string MachineIdSource();
// The system's name and version as the user would read it.
std::string SystemVersionText();
// Registers `programUtf8` to start at log-on with the hidden-start switch,
// or removes the registration. False when nothing could be changed.
bool SetStartAtLogOn(bool enable, const std::string& programUtf8);
// True while the registration is in place and not switched off.
bool StartsAtLogOn();

inline constexpr char kHiddenStartSwitch[] = "/start";

}  // namespace nodemark
