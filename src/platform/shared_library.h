// Sibling libraries that ship beside the executable (the maker's helper
// libraries). Loaded by file name, looked up by entry name, never unloaded:
// a caller may keep function pointers for the life of the process.
#pragma once

#include <cstdint>
#include <string>

// The standard system calling convention of library entries (stdcall). It
// matters on 32-bit Windows, where a mismatch corrupts the stack; elsewhere
// there is only one convention.
#if defined(_WIN32)
#define KESTRUNE_SYSTEM_CALL __stdcall
#else
#define KESTRUNE_SYSTEM_CALL
#endif

namespace kestrune::platform {

// Opaque handle of a loaded library; nullptr means "not loaded".
struct SharedLibrary;

// Loads `fileName` from the running executable's folder. Loading the same
// file again returns the same library. nullptr (and one debug line) when the
// file is missing or cannot be loaded.
SharedLibrary* LoadLibraryBesideExecutable(const std::string& fileName);

// The same for a full path (tests and tools that keep libraries elsewhere).
SharedLibrary* LoadLibraryFromPath(const std::string& path);

// Address of an exported entry, or nullptr when the library lacks it.
void* LibraryEntry(SharedLibrary* library, const char* entryName);

// Address of the entry exported under `ordinal`, or nullptr when the library
// lacks it. Libraries of a system without export ordinals (ELF) export the
// entry under `nameWithoutOrdinals` instead, and that name is looked up there.
void* LibraryEntryByOrdinal(SharedLibrary* library, uint16_t ordinal,
                            const char* nameWithoutOrdinals);

// The platform's file name for a sibling library called `baseName`
// ("Nodemark" -> "Nodemark.so" here, "Nodemark.dll" on Windows).
std::string SiblingLibraryFileName(const std::string& baseName);

}  // namespace kestrune::platform
