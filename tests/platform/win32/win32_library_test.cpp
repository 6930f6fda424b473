// Sibling libraries on Windows: by path, beside the executable, entries by
// name and by export ordinal; the debug line goes to the installed sink.
#include <gtest/gtest.h>

#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/shared_library.h"

namespace kestrune::platform {
namespace {

TEST(Win32Library, EntriesByOrdinalAndByName) {
  EXPECT_EQ(SiblingLibraryFileName("Gauge3"), "Gauge3.dll");
  SharedLibrary* library = LoadLibraryBesideExecutable("ordinal_library.dll");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(LoadLibraryFromPath(JoinPath(ExecutableFolder(), "ordinal_library.dll")), library);
  auto nine = reinterpret_cast<int (*)()>(LibraryEntryByOrdinal(library, 9, "unused"));
  ASSERT_NE(nine, nullptr);
  EXPECT_EQ(nine(), 9);
  auto three = reinterpret_cast<int (*)()>(LibraryEntryByOrdinal(library, 3, nullptr));
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(three(), 3);
  EXPECT_EQ(LibraryEntry(library, "OrdinalThree"), reinterpret_cast<void*>(three));
  // Exported without a name: only its ordinal finds it. Missing ordinals fail.
  EXPECT_EQ(LibraryEntry(library, "OrdinalNine"), nullptr);
  EXPECT_EQ(LibraryEntryByOrdinal(library, 4, "OrdinalNine"), nullptr);
  EXPECT_EQ(LibraryEntryByOrdinal(library, 0, nullptr), nullptr);
  EXPECT_EQ(LibraryEntryByOrdinal(nullptr, 9, nullptr), nullptr);
}

TEST(Win32Library, MissingLibrariesAndNamesOutsideTheFolder) {
  std::vector<std::string> lines;
  SetDebugLogSink([&](std::string_view line) { lines.emplace_back(line); });
  EXPECT_EQ(LoadLibraryBesideExecutable("Nodemark-missing.dll"), nullptr);
  EXPECT_EQ(LoadLibraryBesideExecutable("..\\ordinal_library.dll"), nullptr);
  EXPECT_EQ(LoadLibraryBesideExecutable("C:ordinal_library.dll"), nullptr);
  EXPECT_EQ(LoadLibraryFromPath(""), nullptr);
  SetDebugLogSink(nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("Nodemark-missing.dll"), std::string::npos) << lines[0];
  // Without a sink the line goes to the system's debug output; nothing breaks.
  DebugLog("kestrune test line \xE4\xB8\xAD");
}

}  // namespace
}  // namespace kestrune::platform
