// The Nodemark library (stand-in built beside the tests) through the
// program's loader: its hash, and a missing library. The system's own
// answers are tested per system (nodemark_linux_test.cpp,
// nodemark_win32_test.cpp).
#include "net/nodemark.h"

#include <gtest/gtest.h>

#include "platform/shared_library.h"
#include "sha256.h"  // stand-ins/nodemark
#include "support/temp_dir.h"

namespace kestrune {
namespace {

using test::TempDir;

std::string Hex(const nodemark::Digest& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : digest) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

TEST(NodemarkHashTest, KnownAnswers) {
  EXPECT_EQ(Hex(nodemark::Sha256("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex(nodemark::Sha256("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the padding spills into a second block.
  EXPECT_EQ(Hex(nodemark::Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Hex(nodemark::Sha256(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // RFC 4231 test cases 2 and 6 (a key longer than the block).
  EXPECT_EQ(Hex(nodemark::HmacSha256("Jefe", "what do ya want for nothing?")),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_EQ(Hex(nodemark::HmacSha256(std::string(131, '\xaa'),
                                     "Test Using Larger Than Block-Size Key - Hash Key First")),
            "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
}

TEST(NodemarkMissingTest, MissingLibraryAnswersEmptyAndDoesNothing) {
  TempDir home;
  SetNodemarkPathForTesting(home.Path(platform::SiblingLibraryFileName("Nodemark")));
  EXPECT_EQ(NodemarkMachineId(), "");
  EXPECT_EQ(NodemarkWindowsVersion(), "");
  SetAutoRun(true, "/a/b");
  EXPECT_FALSE(IsAutoRun());
  SetNodemarkPathForTesting("");
}

}  // namespace
}  // namespace kestrune
