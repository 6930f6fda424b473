// Version resources: the lookup algorithm on resources made by our writer,
// carried in small PE and ELF images, in a DLL from the resource compiler
// (when the LLVM tools are installed) and in our own binaries.
#include "env/version_resource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "env/binary_fixtures.h"
#include "env/version_resource_writer.h"
#include "platform/debug_log.h"
#include "support/temp_dir.h"

namespace kestrune {
namespace {

using test::BuildElf;
using test::BuildPe;
using test::TempDir;
using test::WriteFile;

VersionResourceDesc GaugeDesc() {
  VersionResourceDesc desc;
  desc.fileVersion = {2, 4, 0, 0};
  desc.productVersion = {2, 4, 0, 0};
  desc.strings = {
      {"FileDescription", "GPU 信息"}, {"FileVersion", "2.4.0.0"}, {"ProductName", "Gauge"}};
  return desc;
}

struct LookupCase {
  const char* name;
  std::function<void(VersionResourceDesc&)> change;
  const char* entry;
  const char* expected;
};

class VersionLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(VersionLookupTest, FollowsTheTranslationAndFallsBackToTheFixedVersion) {
  VersionResourceDesc desc = GaugeDesc();
  GetParam().change(desc);
  EXPECT_EQ(VersionStringFromResource(BuildVersionResource(desc), GetParam().entry),
            GetParam().expected);
}

auto Keep = [](VersionResourceDesc&) {};

INSTANTIATE_TEST_SUITE_P(
    Table, VersionLookupTest,
    ::testing::Values(
        LookupCase{"string_entry", Keep, "FileVersion", "2.4.0.0"},
        LookupCase{"utf16_text", Keep, "FileDescription", "GPU 信息"},
        LookupCase{"missing_entry", Keep, "CompanyName", ""},
        LookupCase{"text_wins_over_fixed",
                   [](VersionResourceDesc& s) {
                     s.fileVersion = {9, 9, 9, 9};
                   },
                   "FileVersion", "2.4.0.0"},
        LookupCase{"fixed_fallback",
                   [](VersionResourceDesc& s) {
                     s.strings = {{"ProductName", "x"}};
                     s.fileVersion = {1, 2, 3, 40000};
                   },
                   "FileVersion", "1.2.3.40000"},
        LookupCase{"fallback_only_for_FileVersion",
                   [](VersionResourceDesc& s) { s.strings.clear(); }, "ProductVersion", ""},
        LookupCase{"fallback_is_case_sensitive", [](VersionResourceDesc& s) { s.strings.clear(); },
                   "fileversion", ""},
        LookupCase{"only_fixed_part",
                   [](VersionResourceDesc& s) {
                     s.withStringTable = false;
                     s.withTranslation = false;
                     s.fileVersion = {65535, 0, 65535, 1};
                   },
                   "FileVersion", "65535.0.65535.1"},
        LookupCase{"empty_text_falls_back",
                   [](VersionResourceDesc& s) {
                     s.strings = {{"FileVersion", ""}};
                   },
                   "FileVersion", "2.4.0.0"},
        // Without a translation the bare name is looked up, which finds nothing
        // inside the string table.
        LookupCase{"no_translation", [](VersionResourceDesc& s) { s.withTranslation = false; },
                   "ProductName", ""},
        // The translation names a table that does not exist.
        LookupCase{"translation_to_missing_table",
                   [](VersionResourceDesc& s) {
                     s.withStringTable = false;
                     s.fileVersion = {3, 0, 0, 7};
                   },
                   "FileVersion", "3.0.0.7"},
        LookupCase{"no_fixed_part_no_text",
                   [](VersionResourceDesc& s) {
                     s.withFixedInfo = false;
                     s.strings.clear();
                   },
                   "FileVersion", ""},
        LookupCase{"other_language",
                   [](VersionResourceDesc& s) {
                     s.language = 0x0409;
                     s.codePage = 0x04E4;
                   },
                   "ProductName", "Gauge"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(VersionLookupTest, TranslationFormsALowerCaseEightDigitPath) {
  VersionResourceDesc desc = GaugeDesc();
  desc.language = 0x0C0A;
  desc.codePage = 0x04E4;
  std::optional<VersionBlock> root = ParseVersionResource(BuildVersionResource(desc));
  ASSERT_TRUE(root.has_value());
  ASSERT_NE(FindVersionBlock(*root, "\\StringFileInfo\\0c0a04e4"), nullptr);
  // Keys compare without regard to case, as the system's lookup does.
  EXPECT_NE(FindVersionBlock(*root, "\\stringfileinfo\\0C0A04E4\\PRODUCTNAME"), nullptr);
  EXPECT_EQ(FindVersionBlock(*root, "\\"), &*root);
  EXPECT_EQ(FindVersionBlock(*root, "\\StringFileInfo\\missing"), nullptr);
}

// The same resource inside every container we read.
struct ContainerCase {
  const char* name;
  std::function<std::string(const std::string&)> wrap;
};

class VersionContainerTest : public ::testing::TestWithParam<ContainerCase> {};

TEST_P(VersionContainerTest, FileCarriesTheResource) {
  TempDir dir;
  std::string path = dir.Path("image.bin");
  WriteFile(path, GetParam().wrap(BuildVersionResource(GaugeDesc())));
  EXPECT_EQ(GetFileVersionString(path, "FileVersion"), "2.4.0.0");
  EXPECT_EQ(GetFileVersionString(path, "ProductName"), "Gauge");
}

TEST_P(VersionContainerTest, FileWithoutResourceGivesEmptyForEveryEntry) {
  TempDir dir;
  std::string path = dir.Path("image.bin");
  std::string image = GetParam().wrap("");
  WriteFile(path, image);
  int lines = 0;
  SetDebugLogSink([&](std::string_view) { ++lines; });
  for (const char* entry : {"FileVersion", "ProductName", "", "\\"})
    EXPECT_EQ(GetFileVersionString(path, entry), "") << entry;
  SetDebugLogSink(nullptr);
  EXPECT_EQ(lines, 4);
}

TEST_P(VersionContainerTest, TruncatedFilesNeverCrash) {
  std::string image = GetParam().wrap(BuildVersionResource(GaugeDesc()));
  for (size_t cut = 0; cut < image.size(); ++cut) {
    std::optional<std::string> resource =
        ExtractVersionResource(MemorySource(image.substr(0, cut)));
    std::string text = VersionStringFromResource(resource.value_or(""), "FileVersion");
    EXPECT_TRUE(text.empty() || text == "2.4.0.0") << cut;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Containers, VersionContainerTest,
    ::testing::Values(ContainerCase{"pe32", [](const std::string& r) { return BuildPe(r); }},
                      ContainerCase{"pe32plus",
                                    [](const std::string& r) { return BuildPe(r, true); }},
                      ContainerCase{"elf64", [](const std::string& r) { return BuildElf(r); }},
                      ContainerCase{"elf32_big_endian",
                                    [](const std::string& r) { return BuildElf(r, false, true); }},
                      ContainerCase{"elf_other_section",
                                    [](const std::string& r) {
                                      return r.empty() ? BuildElf("", true, false, ".data")
                                                       : BuildElf(r);
                                    }}),
    [](const auto& p) { return std::string(p.param.name); });

// A library translated into several languages carries one version resource
// per language; the system's version call reads the English (United States)
// one, else the first, and so must we.
TEST(VersionResourceLanguageTest, EnglishFirstThenTheFirstLanguage) {
  TempDir dir;
  VersionResourceDesc arabic = GaugeDesc();
  arabic.strings = {{"ProductName", "\xD9\x88\xD8\xA7\xD9\x8A\xD9\x86"}};
  VersionResourceDesc english = GaugeDesc();
  english.strings = {{"ProductName", "Wine"}};
  VersionResourceDesc chinese = GaugeDesc();
  chinese.strings = {{"ProductName", "\xE4\xB8\xAD"}};
  const std::string path = dir.Path("multi.dll");
  WriteFile(path, test::BuildPeWithLanguages({{0x0401, BuildVersionResource(arabic)},
                                              {0x0409, BuildVersionResource(english)},
                                              {0x0804, BuildVersionResource(chinese)}}));
  EXPECT_EQ(GetFileVersionString(path, "ProductName"), "Wine");
  WriteFile(path, test::BuildPeWithLanguages({{0x0401, BuildVersionResource(arabic)},
                                              {0x0804, BuildVersionResource(chinese)}}));
  EXPECT_EQ(GetFileVersionString(path, "ProductName"), "\xD9\x88\xD8\xA7\xD9\x8A\xD9\x86");
}

TEST(VersionResourceBadInputTest, DamagedResourcesGiveEmptyOrAFallback) {
  std::string good = BuildVersionResource(GaugeDesc());
  // Every prefix of the structure itself.
  for (size_t cut = 0; cut <= good.size(); ++cut) {
    std::string text = VersionStringFromResource(good.substr(0, cut), "ProductName");
    EXPECT_TRUE(text.empty() || text == "Gauge") << cut;
  }
  // Every single byte set to 0xFF in turn: whatever comes out, no crash and
  // no text beyond the block.
  for (size_t at = 0; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = '\xFF';
    std::string text = VersionStringFromResource(bad, "FileVersion");
    EXPECT_LE(text.size(), good.size()) << at;
  }
  // A root block longer than the data, and one shorter than its header.
  std::string longer = good;
  test::PutInt(longer, 0, good.size() + 100, 2);
  EXPECT_EQ(VersionStringFromResource(longer, "FileVersion"), "");
  std::string tiny = good;
  test::PutInt(tiny, 0, 4, 2);
  EXPECT_EQ(VersionStringFromResource(tiny, "FileVersion"), "");
  EXPECT_EQ(VersionStringFromResource("garbage!", "FileVersion"), "");
}

TEST(VersionResourceBadInputTest, FilesThatAreNotImages) {
  TempDir dir;
  WriteFile(dir.Path("text.txt"), "MZ but nothing else");
  WriteFile(dir.Path("empty"), "");
  std::filesystem::create_directory(dir.Path("folder"));
  SetDebugLogSink([](std::string_view) {});
  for (const std::string& path : {dir.Path("text.txt"), dir.Path("empty"), dir.Path("folder"),
                                  dir.Path("missing"), std::string()})
    EXPECT_EQ(GetFileVersionString(path, "FileVersion"), "") << path;
  SetDebugLogSink(nullptr);
}

TEST(VersionResourceWriterTest, VersionNumbers) {
  EXPECT_EQ(ParseVersionNumber("1.0.0.1"), (std::array<uint16_t, 4>{1, 0, 0, 1}));
  EXPECT_EQ(ParseVersionNumber("2.4"), (std::array<uint16_t, 4>{2, 4, 0, 0}));
  for (const char* bad : {"", "1..2", "1.2.3.4.5", "65536", "a.b", "1.2.", "-1"})
    EXPECT_FALSE(ParseVersionNumber(bad).has_value()) << bad;
}

TEST(VersionResourceOwnBinaryTest, ExecutablesCarryTheirVersion) {
  std::string self = std::string(KESTRUNE_BIN_DIR) + "/env_tests" KESTRUNE_EXE_SUFFIX;
  EXPECT_EQ(GetFileVersionString(self, "FileVersion"), "1.0.0.1");
  EXPECT_EQ(GetFileVersionString(self, "ProductName"), "Kestrune");
  EXPECT_EQ(GetFileVersionString(self, "FileDescription"), "Kestrune environment tests");
}

// Every executable the build puts in bin/ carries the project's version: a
// program without one reads its own version as empty (no update is ever
// newer, the usage report says "version="). Only a test that reads its own
// version for its cases carries another, on purpose.
TEST(VersionResourceOwnBinaryTest, EveryExecutableInBinCarriesTheProjectVersion) {
  const std::map<std::string, std::string> ownVersion = {{"net_update_check_test", "1.2.3.4"}};
  std::set<std::string> seen;
  for (const auto& entry : std::filesystem::directory_iterator(KESTRUNE_BIN_DIR)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    if ((entry.status().permissions() & std::filesystem::perms::owner_exec) ==
            std::filesystem::perms::none ||
        name.ends_with(".so") || name.find(".so.") != std::string::npos)
      continue;
    char bytes[4] = {};
    std::ifstream(entry.path(), std::ios::binary).read(bytes, sizeof bytes);
    const std::string head(bytes, sizeof bytes);
    const bool executable = head ==
                                "\x7f"
                                "ELF" ||
                            (head.starts_with("MZ") && name.ends_with(".exe"));
    if (!executable) continue;
    // Programs by their name without the system's suffix.
    const std::string program = name.ends_with(".exe") ? name.substr(0, name.size() - 4) : name;
    seen.insert(program);
    auto special = ownVersion.find(program);
    const std::string expected =
        special != ownVersion.end() ? special->second : KESTRUNE_PROJECT_VERSION;
    EXPECT_EQ(GetFileVersionString(entry.path().string(), "FileVersion"), expected) << name;
    EXPECT_EQ(GetFileVersionString(entry.path().string(), "ProductName"), "Kestrune") << name;
  }
  // The two programs at least, whatever else was built.
  for (const char* program : {"kestrune-cli", "env_tests"})
    EXPECT_TRUE(seen.count(program)) << program;
}

#ifdef KESTRUNE_PE_FIXTURE_DIR
TEST(VersionResourceCompiledPeTest, ResourceCompilerOutputIsRead) {
  for (const char* name : {"version_fixture_x86.dll", "version_fixture_x64.dll"}) {
    std::string path = std::string(KESTRUNE_PE_FIXTURE_DIR) + "/" + name;
    EXPECT_EQ(GetFileVersionString(path, "FileVersion"), "2.4.0.0") << name;
    EXPECT_EQ(GetFileVersionString(path, "FileDescription"), "Version fixture") << name;
    EXPECT_EQ(GetFileVersionString(path, "CompanyName"), "") << name;
  }
}
#endif

}  // namespace
}  // namespace kestrune
