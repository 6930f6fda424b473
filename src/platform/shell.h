// The desktop shell: opening documents and addresses with the user's chosen
// application, and where the Steam client is registered.
#pragma once

#include <string>
#include <vector>

namespace kestrune::platform {

// Performs "open" on `target`: a program is started with `parameters`
// (already split into arguments), anything else (document, folder, address)
// goes to the desktop's opener, which takes no parameters. Returns at once;
// false when nothing could be started.
bool ShellOpenTarget(const std::string& target, const std::vector<std::string>& parameters);

// Hands an address to the desktop as the system's file shell would run it
// ("explorer.exe <address>" on Windows, the desktop's URL opener here).
bool OpenAddressThroughDesktop(const std::string& address);

// The command registered for the steam: address scheme, or empty when Steam
// is not registered. Here: the path of the Steam launcher when one is found.
std::string SteamRegistrationCommand();

}  // namespace kestrune::platform
