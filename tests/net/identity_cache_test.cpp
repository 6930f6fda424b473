// The usage report's identity caches: empty answers are asked again, the
// first non-empty one is kept for the process. Own binary: the cache is
// process-wide and this test needs it fresh.
#include <gtest/gtest.h>

#include "net/nodemark.h"
#include "net/usage_report.h"
#include "platform/shared_library.h"
#include "support/temp_dir.h"

namespace kestrune {
namespace {

TEST(IdentityCacheTest, RetriedWhileEmptyThenKept) {
  test::TempDir dir;
  const std::string name = platform::SiblingLibraryFileName("Nodemark");
  SetNodemarkPathForTesting(dir.Path(name));  // not there
  EXPECT_EQ(GetMachineID(), "");
  EXPECT_EQ(GetWindowsVersionText(), "");

  SetNodemarkPathForTesting(std::string(KESTRUNE_BIN_DIR) + "/" + name);
  std::string id = GetMachineID();
  std::string os = GetWindowsVersionText();
  EXPECT_EQ(id, NodemarkMachineId());
  EXPECT_EQ(os, NodemarkWindowsVersion());
  ASSERT_FALSE(os.empty());

  // Once known, the library is not asked again.
  SetNodemarkPathForTesting(dir.Path(name));
  EXPECT_EQ(GetMachineID(), id);
  EXPECT_EQ(GetWindowsVersionText(), os);
  SetNodemarkPathForTesting("");
}

}  // namespace
}  // namespace kestrune
