// Hot-key capture: codes and texts for modifier combinations and the key table.
#include "enhance/hot_keys.h"

#include <cctype>

#include <gtest/gtest.h>

namespace kestrune::enhance {
namespace {

struct CaptureCase {
  const char* what;
  int virtualKey;
  ShiftState state;
  bool ctrlDown;
  bool shiftDown;
  bool captured;
  uint32_t code;
  const char* text;
};

class CaptureTest : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(CaptureTest, CodeAndText) {
  const CaptureCase& c = GetParam();
  auto key = CaptureHotKey(c.virtualKey, c.state, c.ctrlDown, c.shiftDown);
  ASSERT_EQ(key.has_value(), c.captured) << c.what;
  if (!key) return;
  EXPECT_EQ(key->code, c.code) << c.what;
  EXPECT_EQ(key->text, c.text) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CaptureTest,
    ::testing::Values(
        CaptureCase{"Ctrl+Shift+F2",
                    113,
                    {true, false, true},
                    true,
                    true,
                    true,
                    805306481u,
                    "Ctrl+Shift+F2"},
        CaptureCase{"Alt+Q", 'Q', {false, true, false}, false, false, true, 1073741905u, "Alt+Q"},
        CaptureCase{
            "Ctrl+F1 default", 112, {false, false, true}, true, false, true, 268435568u, "Ctrl+F1"},
        CaptureCase{"all three",
                    '7',
                    {true, true, true},
                    false,
                    false,
                    true,
                    0x70000000u | '7',
                    "Ctrl+Shift+Alt+7"},
        CaptureCase{"Shift+Alt",
                    190,
                    {true, true, false},
                    false,
                    false,
                    true,
                    0x60000000u | 190,
                    "Shift+Alt+."},
        // Ctrl held physically counts even when the event only reports Shift.
        CaptureCase{"async Ctrl",
                    'A',
                    {true, false, false},
                    true,
                    false,
                    true,
                    0x30000000u | 'A',
                    "Ctrl+Shift+A"},
        CaptureCase{"F5 alone", 116, {}, false, false, false, 0, ""},
        CaptureCase{"Ctrl alone", 17, {false, false, true}, true, false, false, 0, ""},
        CaptureCase{"Ctrl+Pause", 19, {false, false, true}, true, false, false, 0, ""},
        CaptureCase{"letter without modifier, keys down", 'A', {}, true, true, false, 0, ""},
        CaptureCase{"key code 0", 0, {false, false, true}, true, false, false, 0, ""}),
    [](const ::testing::TestParamInfo<CaptureCase>& param) {
      std::string name;
      for (char ch : std::string(param.param.what))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(KeyName, WholeTable) {
  struct {
    int vk;
    const char* name;
  } const kCases[] = {{96, "Num0"},  {105, "Num9"}, {110, "Num."}, {107, "Num+"}, {109, "Num-"},
                      {106, "Num*"}, {111, "Num/"}, {112, "F1"},   {123, "F12"},  {48, "0"},
                      {57, "9"},     {65, "A"},     {90, "Z"},     {192, "~"},    {189, "-"},
                      {187, "="},    {220, "\\"},   {219, "["},    {221, "]"},    {186, ";"},
                      {222, "'"},    {188, ","},    {190, "."},    {191, "/"}};
  for (const auto& c : kCases) EXPECT_EQ(KeyName(c.vk), c.name) << c.vk;
  for (int vk : {0, 8, 13, 16, 17, 18, 19, 27, 32, 47, 58, 64, 91, 95, 108, 124, 193, 223, 255})
    EXPECT_EQ(KeyName(vk), "") << vk;
}

}  // namespace
}  // namespace kestrune::enhance
