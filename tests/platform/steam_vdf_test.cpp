// Steam's libraryfolders.vdf: both layouts, escapes, and broken text.
#include "platform/steam_vdf.h"

#include <gtest/gtest.h>

namespace kestrune::platform {
namespace {

struct VdfCase {
  const char* name;
  const char* text;
  std::vector<std::string> folders;
};

class SteamLibraryFoldersTest : public ::testing::TestWithParam<VdfCase> {};

TEST_P(SteamLibraryFoldersTest, ListsTheLibraries) {
  EXPECT_EQ(SteamLibraryFolders(GetParam().text), GetParam().folders);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SteamLibraryFoldersTest,
    ::testing::Values(
        VdfCase{
            "CurrentLayout",
            "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/p/.local/share/Steam\"\n"
            "\t\t\"apps\"\n\t\t{\n\t\t\t\"578080\"\t\t\"4000\"\n\t\t}\n\t}\n"
            "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/mnt/games/SteamLibrary\"\n\t}\n}\n",
            {"/home/p/.local/share/Steam", "/mnt/games/SteamLibrary"}},
        VdfCase{"OldLayout",
                "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1588630423\"\n"
                "\t\"1\"\t\t\"/mnt/games/Steam Library\"\n}\n",
                {"/mnt/games/Steam Library"}},
        VdfCase{
            "EscapesAndComments",
            "// written by Steam\n\"libraryfolders\" { \"0\" { \"PATH\" \"/a\\\\b \\\"c\\\"\" } }",
            {"/a\\b \"c\""}},
        // A "path" outside a numbered library block is no library.
        VdfCase{"PathElsewhere", "\"x\" { \"path\" \"/no\" }", {}},
        VdfCase{"UnclosedQuote",
                "\"libraryfolders\" { \"0\" { \"path\" \"/ok\" } \"1\" { \"path\" \"/cut",
                {"/ok"}},
        VdfCase{"StrayBraces", "} } { \"0\" { \"path\" \"/x\" } }", {}}, VdfCase{"Empty", "", {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(VdfValuesTest, DeepNestingAndManyValuesEndWithinTheCaps) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "\"k\" { ";
  EXPECT_TRUE(VdfValues(deep, "k").empty());
  std::string many;
  for (int i = 0; i < 10000; ++i) many += "\"path\" \"v\" ";
  EXPECT_EQ(VdfValues(many, "path").size(), 4096u);
}

}  // namespace
}  // namespace kestrune::platform
