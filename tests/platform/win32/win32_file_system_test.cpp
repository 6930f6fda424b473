// The Windows file services on real files: path helpers at both separators,
// atomic replace, read-only files, files held open by another handle, stale
// temporary files, non-ASCII paths and paths past the classic 260 limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/file_lock.h"
#include "platform/file_reader.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "win32_test_support.h"

namespace kestrune::platform {
namespace {

using test::RawList;
using test::RawRead;
using test::RawWrite;
using test::Win32TempDir;

struct PathCase {
  const char* path;
  const char* parent;
  const char* name;
};

TEST(Win32Paths, ParentAndNameAtEitherSeparator) {
  const PathCase cases[] = {
      {"C:\\Users\\a\\Engine.ini", "C:\\Users\\a", "Engine.ini"},
      {"C:/Users/a/Engine.ini", "C:/Users/a", "Engine.ini"},
      {"C:\\Users/a\\b/Engine.ini", "C:\\Users/a\\b", "Engine.ini"},
      {"C:\\Engine.ini", "C:\\", "Engine.ini"},
      {"C:\\", "C:\\", ""},
      {"Engine.ini", "", "Engine.ini"},
      {"\\\\server\\share\\x.ini", "\\\\server\\share\\", "x.ini"},
      {"\\\\?\\C:\\long\\x.ini", "\\\\?\\C:\\long", "x.ini"},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
    EXPECT_EQ(FileName(c.path), c.name) << c.path;
  }
  EXPECT_EQ(JoinPath("C:\\a", "b"), "C:\\a\\b");
  EXPECT_EQ(JoinPath("C:\\a\\", "b"), "C:\\a\\b");
  EXPECT_EQ(JoinPath("C:/a/", "b"), "C:/a/b");
  EXPECT_EQ(JoinPath("", "b"), "b");
  EXPECT_EQ(kPathSeparator, '\\');
}

TEST(Win32Paths, SystemPathsForTheWideCalls) {
  using win32::FilePath;
  EXPECT_EQ(FilePath("C:/Games/TslGame/Engine.ini"), L"C:\\Games\\TslGame\\Engine.ini");
  EXPECT_EQ(FilePath("C:\\\xE5\xBC\xA0\xE4\xB8\x89"), L"C:\\\u5F20\u4E09");
  EXPECT_EQ(FilePath(""), L"");
  // Past the classic limit: the prefix, on a full path without "." or "..".
  std::string deep = "C:\\a";
  while (deep.size() < 300) deep += "\\folder";
  std::wstring wide = FilePath(deep + "\\.\\x\\..\\Engine.ini");
  EXPECT_EQ(wide.rfind(L"\\\\?\\C:\\a\\folder", 0), 0u);
  EXPECT_EQ(wide.find(L"\\.\\"), std::wstring::npos);
  EXPECT_EQ(wide.substr(wide.size() - 18), L"\\folder\\Engine.ini");
  std::string share = "\\\\server\\share";
  while (share.size() < 300) share += "\\folder";
  EXPECT_EQ(FilePath(share).rfind(L"\\\\?\\UNC\\server\\share\\", 0), 0u);
  EXPECT_EQ(FilePath("\\\\?\\C:\\x"), L"\\\\?\\C:\\x");  // already prefixed
}

TEST(Win32Paths, KnownFolders) {
  std::string local = LocalAppDataFolder();
  ASSERT_FALSE(local.empty());
  EXPECT_TRUE(DirectoryExists(local)) << local;
  EXPECT_NE(local.back(), '\\');
  EXPECT_TRUE(DirectoryExists(UserSettingsFolder()));
  std::string exe = ExecutablePath();
  EXPECT_TRUE(FileExists(exe)) << exe;
  EXPECT_EQ(ParentFolder(exe), ExecutableFolder());
}

// A folder deep enough that every path in it is past 260 characters, with a
// Chinese user name and other non-ASCII names on the way.
std::string DeepFolder(const Win32TempDir& dir) {
  std::string folder = dir.Path("\xE5\xBC\xA0\xE4\xB8\x89");  // 张三
  for (int i = 0; folder.size() < 300; ++i)
    folder += "\\TslGame-\xC3\xA9t\xC3\xA9-Saved-Config-" + std::to_string(i);
  return folder;
}

TEST(Win32Files, NonAsciiAndLongPaths) {
  Win32TempDir dir;
  const std::string folder = DeepFolder(dir);
  ASSERT_GT(folder.size(), 260u);
  ASSERT_TRUE(CreateDirectories(folder));
  EXPECT_TRUE(DirectoryExists(folder));
  const std::string file = JoinPath(folder, "Engine-\xE4\xB8\xAD.ini");
  std::string error;
  ASSERT_TRUE(ReplaceFileAtomically(file, "[Core]\r\nA=1\r\n", &error)) << error;
  EXPECT_TRUE(FileExists(file));
  EXPECT_EQ(RawRead(file), "[Core]\r\nA=1\r\n");
  ReadResult read = ReadWholeFile(file);
  EXPECT_EQ(read.status, ReadStatus::kOk);
  EXPECT_EQ(read.data, "[Core]\r\nA=1\r\n");
  EXPECT_EQ(FileSize(file).value_or(0), 13u);
  ASSERT_TRUE(ReplaceFileAtomically(file, "[Core]\r\nA=2\r\n", &error)) << error;
  EXPECT_EQ(RawRead(file), "[Core]\r\nA=2\r\n");

  const std::string copy = JoinPath(folder, "\xE5\xA4\x87\xE4\xBB\xBD.ini");  // 备份
  ASSERT_TRUE(CopyFileReplacing(file, copy, &error)) << error;
  std::vector<DirEntry> entries = ListDirectory(folder);
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"Engine-\xE4\xB8\xAD.ini", "\xE5\xA4\x87\xE4\xBB\xBD.ini"}));

  {
    FileReader reader;
    ASSERT_TRUE(reader.Open(copy, &error)) << error;
    std::string piece;
    ASSERT_TRUE(reader.ReadAt(8, 3, &piece));
    EXPECT_EQ(piece, "A=2");
    EXPECT_FALSE(reader.ReadAt(12, 2, &piece));
  }

  ScopedFileLock lock(folder);
  EXPECT_TRUE(lock.held()) << lock.error();
  EXPECT_TRUE(RemoveFile(copy, &error)) << error;
  EXPECT_FALSE(PathExists(copy));
}

TEST(Win32Files, ReplaceCreatesAndReplacesWithoutLeftovers) {
  Win32TempDir dir;
  const std::string file = dir.Path("GameUserSettings.ini");
  EXPECT_EQ(ReadWholeFile(file).status, ReadStatus::kNotFound);
  ASSERT_TRUE(ReplaceFileAtomically(file, "one"));
  ASSERT_TRUE(ReplaceFileAtomically(file, "two"));
  ASSERT_TRUE(ReplaceFileAtomically(file, ""));
  EXPECT_EQ(RawRead(file), "");
  EXPECT_EQ(RawList(dir.path()), std::vector<std::string>{"GameUserSettings.ini"});
  EXPECT_EQ(ReadWholeFile(dir.path()).status, ReadStatus::kIsDirectory);
  EXPECT_FALSE(ReplaceFileAtomically(dir.path(), "x"));
  EXPECT_TRUE(SyncFiles({file, dir.Path("gone.ini")}));
}

TEST(Win32Files, ReplaceKeepsTheTargetsAttributes) {
  Win32TempDir dir;
  const std::string file = dir.Path("Engine.ini");
  ASSERT_TRUE(RawWrite(file, "old"));
  const std::wstring wide = test::LongPathOf(file);
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(ReplaceFileAtomically(file, "new"));
  EXPECT_EQ(RawRead(file), "new");
  DWORD attributes = ::GetFileAttributesW(wide.c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY);
}

TEST(Win32Files, ReadOnlyFileStaysAlone) {
  Win32TempDir dir;
  const std::string file = dir.Path("Engine.ini");
  ASSERT_TRUE(RawWrite(file, "mine"));
  ASSERT_TRUE(::SetFileAttributesW(test::LongPathOf(file).c_str(), FILE_ATTRIBUTE_READONLY));
  std::string error;
  EXPECT_FALSE(IsWritable(file, &error));
  EXPECT_EQ(error, "file is read-only");
  EXPECT_FALSE(ReplaceFileAtomically(file, "theirs", &error));
  EXPECT_EQ(RawRead(file), "mine");
  EXPECT_EQ(RawList(dir.path()), std::vector<std::string>{"Engine.ini"});
  EXPECT_TRUE(IsWritable(dir.Path("missing.ini")));
}

// Another program (a scanner, the game) holds the file without sharing it.
HANDLE HoldExclusively(const std::string& path) {
  return ::CreateFileW(test::LongPathOf(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

TEST(Win32Files, HeldFileFailsAfterBoundedRetries) {
  Win32TempDir dir;
  const std::string file = dir.Path("Scalability.ini");
  ASSERT_TRUE(RawWrite(file, "before"));
  HANDLE held = HoldExclusively(file);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::string error;
  EXPECT_FALSE(ReplaceFileAtomically(file, "after", &error));
  EXPECT_NE(error.find("another program holds the file"), std::string::npos) << error;
  ::CloseHandle(held);
  EXPECT_EQ(RawRead(file), "before");
  // No temporary file of the failed write stays behind.
  EXPECT_EQ(RawList(dir.path()), std::vector<std::string>{"Scalability.ini"});
  EXPECT_TRUE(ReplaceFileAtomically(file, "after", &error)) << error;
  EXPECT_EQ(RawRead(file), "after");
}

TEST(Win32Files, HeldFileReleasedDuringTheRetriesIsWritten) {
  Win32TempDir dir;
  const std::string file = dir.Path("Engine.ini");
  ASSERT_TRUE(RawWrite(file, "before"));
  HANDLE held = HoldExclusively(file);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([held] {
    ::Sleep(60);
    ::CloseHandle(held);
  });
  std::string error;
  bool ok = ReplaceFileAtomically(file, "after", &error);
  release.join();
  EXPECT_TRUE(ok) << error;
  EXPECT_EQ(RawRead(file), "after");
}

TEST(Win32Files, StaleTemporariesOfEndedWritersAreRemoved) {
  Win32TempDir dir;
  // A process id that no running process has: an ended writer's file. Ours
  // and the names of other programs stay.
  const std::string stale = ".Engine.ini.kst4294967291-0.tmp";
  const std::string own = ".Engine.ini.kst" + std::to_string(::GetCurrentProcessId()) + "-99.tmp";
  ASSERT_TRUE(RawWrite(dir.Path(stale), "torn"));
  ASSERT_TRUE(RawWrite(dir.Path(own), "in flight"));
  ASSERT_TRUE(RawWrite(dir.Path("notes.tmp"), "user's"));
  ASSERT_TRUE(ReplaceFileAtomically(dir.Path("Engine.ini"), "x"));
  std::vector<std::string> names = RawList(dir.path());
  std::sort(names.begin(), names.end());
  std::vector<std::string> want{own, "Engine.ini", "notes.tmp"};
  std::sort(want.begin(), want.end());
  EXPECT_EQ(names, want);
}

TEST(Win32Files, LocksExcludeOtherHandlesAndEndWithTheirHolder) {
  Win32TempDir dir;
  {
    ScopedFileLock first(dir.path());
    ASSERT_TRUE(first.held()) << first.error();
    ScopedFileLock second(dir.path(), 50);
    EXPECT_FALSE(second.held());
    // The same folder spelled another way is the same lock.
    std::string other = dir.path();
    for (char& c : other)
      if (c == '\\') c = '/';
    ScopedFileLock third(other + "/", 50);
    EXPECT_FALSE(third.held());
    // The lock keeps no one from reading or replacing files in the folder.
    EXPECT_TRUE(ReplaceFileAtomically(dir.Path("Config.dat"), "[general]\r\n"));
  }
  ScopedFileLock again(dir.path(), 50);
  EXPECT_TRUE(again.held()) << again.error();
  ScopedFileLock missing(dir.Path("missing"), 50);
  EXPECT_FALSE(missing.held());
  EXPECT_FALSE(missing.error().empty());
}

}  // namespace
}  // namespace kestrune::platform
