// The update check: manifest rules, version comparison, and the whole check
// end to end against a loopback manifest server.
#include "net/update_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "cli/cli_net_checks.h"
#include "env/settings_store.h"
#include "net/http_client.h"
#include "net/usage_report.h"
#include "platform/message_queue.h"
#include "support/case_name.h"
#include "support/http_test_server.h"

namespace kestrune {
namespace {

using test::HttpTestServer;
using test::TempDir;
using test::WriteFile;

struct VersionCase {
  const char* local;
  const char* remote;
  bool newer;
};

class IsNewerVersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(IsNewerVersionTest, Compares) {
  const VersionCase& c = GetParam();
  EXPECT_EQ(IsNewerVersion(c.local, c.remote), c.newer) << c.local << " vs " << c.remote;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsNewerVersionTest,
    testing::Values(
        VersionCase{"1.2.3.4", "1.2.3.10", true}, VersionCase{"1.2.3.10", "1.2.3.4", false},
        VersionCase{"1.2.3.4", "1.2.3.4", false}, VersionCase{"1.2.3.4", "1.2.3", false},
        VersionCase{"1.2.3", "1.2.3.4", true}, VersionCase{"1.0.0.3", "v2.0.0.0 beta", true},
        VersionCase{"", "9.9.9.9", false}, VersionCase{"1.0.0.0", "", false},
        VersionCase{"1.0.0.0", "x.y.z.w", false}, VersionCase{"0009.0.0.0", "10.0.0.0", true},
        // Past four digits the text order shows through.
        VersionCase{"9999.0.0.0", "10000.0.0.0", false}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.local, p.param.remote);
    });

TEST(CanonicalVersionTest, FourPaddedNumbersOfTheFirstMatch) {
  EXPECT_EQ(CanonicalVersion("1.2.3.4"), "0001.0002.0003.0004");
  EXPECT_EQ(CanonicalVersion("ver 5.6.7.8.9"), "0005.0006.0007.0008");
  EXPECT_EQ(CanonicalVersion("1.2.3"), "0000.0000.0000.0000");
  EXPECT_EQ(CanonicalVersion("12345.0.0.99999999999"), "12345.0000.0000.0000");
}

TEST(ParseUpdateManifestTest, TagsAnywhereInAnyCase) {
  struct {
    const char* text;
    const char* version;
    const char* url;
  } cases[] = {
      {"<version=\"1.2.3.4\"><url=\"http://h/k.exe\">", "1.2.3.4", "http://h/k.exe"},
      {"junk\r\n< VERSION = \"2.0.0.1\" >\r\n<  Url=\"http://h/x\"  >", "2.0.0.1", "http://h/x"},
      {"<version=\"1.0.0.1\"><version=\"9.0.0.0\">", "1.0.0.1", ""},
      {"<version=\"a\"b\">", "a\"b", ""},
      {"<version=\"<bad>\">", "", ""},
      {"<version='1.2.3.4'>", "", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    UpdateManifest m = ParseUpdateManifest(c.text);
    EXPECT_EQ(m.version, c.version) << c.text;
    EXPECT_EQ(m.url, c.url) << c.text;
  }
}

TEST(SafeDownloadAddressTest, OnlyHttpAndHttpsAddressesSurvive) {
  struct {
    const char* url;
    bool kept;
  } cases[] = {
      {"http://dl.example/k.exe", true},
      {"HTTPS://dl.example:8443/k.exe?x=1", true},
      {"file:///usr/bin/xterm", false},
      {"ftp://dl.example/k.exe", false},
      {"javascript:alert(1)", false},
      {"/relative/k.exe", false},
      {"http://dl.example/a b", false},
      {"http://dl.example/\x01", false},
      {"--help", false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SafeDownloadAddress(c.url), c.kept ? c.url : "") << c.url;
  }
}

class RecordingQueue : public MessageQueue {
 public:
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back({message, wParam, lParam});
  }
  struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
  };
  std::vector<Message> Posted() {
    std::lock_guard<std::mutex> lock(mutex_);
    return posted_;
  }

 private:
  std::mutex mutex_;
  std::vector<Message> posted_;
};

class UpdateCheckEndToEndTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new HttpTestServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(server_->ok()); }

  // Runs the check as the main window does; returns the stored address
  // and what was posted.
  struct Result {
    std::string updateAddress;
    std::vector<RecordingQueue::Message> posted;
    bool callbackCalled = false;
  };
  static Result Check(const std::string& manifestName, const std::string& manifest,
                      const std::string& ownVersion = "1.2.3.4") {
    WriteFile(server_->Folder().Path(manifestName), manifest);
    RecordingQueue queue;
    Result result;
    {
      TUpdateThread thread;
      thread.ManifestUrl = server_->Url("/update/" + manifestName);
      thread.OwnVersion = [ownVersion] { return ownVersion; };
      thread.OnComplete = [&](TUpdateThread& self) {
        result.callbackCalled = true;
        OnUpdateFound(self, result.updateAddress, queue);
      };
      thread.Start();
      thread.WaitFor();
    }
    result.posted = queue.Posted();
    return result;
  }

  static HttpTestServer* server_;
};
HttpTestServer* UpdateCheckEndToEndTest::server_ = nullptr;

TEST_F(UpdateCheckEndToEndTest, NewerVersionPostsTheMessageWithTheAddress) {
  Result r = Check("newer.txt", "<version=\"1.2.3.10\">\r\n<url=\"http://dl.example/k.exe\">\r\n");
  EXPECT_EQ(r.updateAddress, "http://dl.example/k.exe");
  ASSERT_EQ(r.posted.size(), 1u);
  EXPECT_EQ(r.posted[0].message, 0x402u);
  EXPECT_EQ(r.posted[0].wParam, 0u);
  EXPECT_EQ(r.posted[0].lParam, 0);
}

TEST_F(UpdateCheckEndToEndTest, CapitalsAndBlanksAreStillFound) {
  Result r =
      Check("caps.txt", "<?xml?>\n< VERSION = \"2.0.0.0\" >\n<URL  =  \"https://dl.example/n\" >");
  EXPECT_EQ(r.updateAddress, "https://dl.example/n");
  EXPECT_EQ(r.posted.size(), 1u);
}

TEST_F(UpdateCheckEndToEndTest, NothingHappensWithoutAHigherVersionOrAUsableAddress) {
  struct {
    const char* name;
    const char* manifest;
    const char* own;
  } cases[] = {
      {"equal.txt", "<version=\"1.2.3.4\"><url=\"http://dl.example/k\">", "1.2.3.4"},
      {"three.txt", "<version=\"1.2.4\"><url=\"http://dl.example/k\">", "1.2.3.4"},
      {"nourl.txt", "<version=\"9.0.0.0\">", "1.2.3.4"},
      {"file.txt", "<version=\"9.0.0.0\"><url=\"file:///bin/sh\">", "1.2.3.4"},
      {"ftp.txt", "<version=\"9.0.0.0\"><url=\"ftp://dl.example/k\">", "1.2.3.4"},
      {"noversion.txt", "<url=\"http://dl.example/k\">", "1.2.3.4"},
      {"ownempty.txt", "<version=\"9.0.0.0\"><url=\"http://dl.example/k\">", ""},
      {"missing-on-server.txt", "", "1.2.3.4"},
  };
  for (const auto& c : cases) {
    std::string name = c.name;
    if (name == "missing-on-server.txt") {
      TUpdateThread thread;
      thread.ManifestUrl = server_->Url("/update/not-there.txt");
      thread.OwnVersion = [] { return std::string("1.2.3.4"); };
      RecordingQueue queue;
      std::string address;
      thread.OnComplete = [&](TUpdateThread& self) { OnUpdateFound(self, address, queue); };
      thread.Start();
      thread.WaitFor();
      EXPECT_TRUE(queue.Posted().empty());
      continue;
    }
    Result r = Check(c.name, c.manifest, c.own);
    EXPECT_TRUE(r.posted.empty()) << c.name;
    EXPECT_TRUE(r.updateAddress.empty()) << c.name;
  }
}

// This binary carries version 1.2.3.4, read the way the program reads its own.
TEST_F(UpdateCheckEndToEndTest, OwnVersionComesFromTheRunningExecutable) {
  EXPECT_EQ(GetOwnVersion(), "1.2.3.4");
  struct {
    const char* manifest;
    bool posted;
  } cases[] = {
      {"<version=\"1.2.3.10\"><url=\"http://dl.example/k\">", true},
      {"<version=\"1.2.3.4\"><url=\"http://dl.example/k\">", false},
  };
  for (const auto& c : cases) {
    WriteFile(server_->Folder().Path("own.txt"), c.manifest);
    RecordingQueue queue;
    std::string address;
    TUpdateThread thread;  // default OwnVersion
    thread.ManifestUrl = server_->Url("/update/own.txt");
    thread.OnComplete = [&](TUpdateThread& self) { OnUpdateFound(self, address, queue); };
    thread.Start();
    thread.WaitFor();
    EXPECT_EQ(queue.Posted().size(), c.posted ? 1u : 0u) << c.manifest;
  }
}

TEST_F(UpdateCheckEndToEndTest, ManifestAddressComesFromTheUpdateHostSetting) {
  TempDir dir;
  WriteFile(dir.Path("Config.dat"), "[general]\r\nUpdateHost=" + server_->HostPort() + "\r\n");
  SetConfigFilePathForTesting(dir.Path("Config.dat"));
  WriteFile(server_->Folder().Path("sa.cab"),
            "<version=\"3.0.0.0\"><url=\"http://dl.example/sa\">");
  std::string address;
  RecordingQueue queue;
  {
    TUpdateThread thread;
    EXPECT_EQ(thread.ManifestUrl, "http://" + server_->HostPort() + "/sa.cab");
    thread.OwnVersion = [] { return std::string("1.0.0.0"); };
    thread.OnComplete = [&](TUpdateThread& self) { OnUpdateFound(self, address, queue); };
    thread.Start();
    thread.WaitFor();
  }
  // The CLI's check reads the same setting and only reports.
  CliUpdateCheck cli = CheckForUpdateNow();
  SetConfigFilePathForTesting("");
  EXPECT_EQ(address, "http://dl.example/sa");
  EXPECT_EQ(queue.Posted().size(), 1u);
  EXPECT_TRUE(cli.outcome.fetched);
  EXPECT_EQ(cli.outcome.manifestVersion, "3.0.0.0");
  EXPECT_EQ(cli.outcome.ownVersion, "1.2.3.4");
  EXPECT_TRUE(cli.outcome.newer);
  EXPECT_NE(cli.Describe().find("would open: http://dl.example/sa\n"), std::string::npos)
      << cli.Describe();
}

TEST_F(UpdateCheckEndToEndTest, DestroyingTheThreadAbortsAHangingCheck) {
  auto start = std::chrono::steady_clock::now();
  bool called = false;
  {
    TUpdateThread thread;  // default timeouts: 30 s
    thread.ManifestUrl = server_->Url("/manifest?hang=1");
    thread.OwnVersion = [] { return std::string("1.0.0.0"); };
    thread.OnComplete = [&](TUpdateThread&) { called = true; };
    thread.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_FALSE(called);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

// A server that sends one byte every 300 ms never trips the idle timeouts;
// the whole exchange still ends at its total deadline.
TEST_F(UpdateCheckEndToEndTest, ADripFeedingServerEndsAtTheTotalDeadline) {
  EXPECT_EQ(TWinHTTPLib().TotalTimeout, 60000u);
  TWinHTTPLib client;
  client.TotalTimeout = 1500;
  auto start = std::chrono::steady_clock::now();
  UpdateCheckOutcome outcome =
      RunUpdateCheck(server_->Url("/manifest?drip=100&every=300"), "1.0.0.1", &client);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(outcome.fetched);
  EXPECT_NE(outcome.error.find("timed out"), std::string::npos) << outcome.error;
  EXPECT_GE(took, std::chrono::milliseconds(1400));
  EXPECT_LT(took, std::chrono::seconds(10));
  CliUpdateCheck cli{"http://x/sa.cab", outcome};
  EXPECT_NE(cli.Describe().find("fetched: no (timed out"), std::string::npos) << cli.Describe();
}

// A first answer that redirects where the client will not or cannot go is
// not a fetched manifest, and says why.
TEST_F(UpdateCheckEndToEndTest, ARedirectThatFailsIsNotAFetchedManifest) {
  HttpTestServer tls(/*tls=*/true);
  ASSERT_TRUE(tls.ok());
  WriteFile(tls.Folder().Path("m.txt"), "<version=\"9.0.0.0\"><url=\"http://dl.example/k\">");
  WriteFile(server_->Folder().Path("good.txt"),
            "<version=\"9.0.0.0\"><url=\"http://dl.example/k\">");
  struct Case {
    const char* name;
    std::string location;
    bool fetched;
    const char* error;
  } cases[] = {
      {"file", "file:///etc/passwd", false, "not an http or https address: file:///etc/passwd"},
      {"ftp", "ftp://127.0.0.1/sa.cab", false, "not an http or https address: ftp://"},
      {"refused certificate", tls.Url("/update/m.txt"), false, "certificate"},
      {"good", server_->Url("/update/good.txt"), true, ""},
  };
  for (const auto& c : cases) {
    WriteFile(server_->Folder().Path("hop.txt.location"), c.location);
    UpdateCheckOutcome outcome = RunUpdateCheck(server_->Url("/update/hop.txt"), "1.0.0.1");
    EXPECT_EQ(outcome.fetched, c.fetched) << c.name;
    EXPECT_NE(outcome.error.find(c.error), std::string::npos) << c.name << ": " << outcome.error;
    EXPECT_EQ(outcome.newer, c.fetched) << c.name;
    EXPECT_EQ(outcome.manifestVersion, c.fetched ? "9.0.0.0" : "") << c.name;
    CliUpdateCheck cli{"http://x/sa.cab", outcome};
    EXPECT_NE(cli.Describe().find(c.fetched ? "fetched: yes\n" : "fetched: no ("),
              std::string::npos)
        << cli.Describe();
  }
}

// Escape sequences in the manifest must not reach the terminal as such.
TEST(EscapeControlsTest, ControlCharactersAreShownEscaped) {
  struct {
    std::string text, shown;
  } cases[] = {
      {"1.2.3.4", "1.2.3.4"},
      {"\x1b]0;owned\x07"
       "9.0.0.0\x1b[31m",
       "\\x1b]0;owned\\x079.0.0.0\\x1b[31m"},
      {"a\r\nb\tc\x7f", "a\\x0d\\x0ab\\x09c\\x7f"},
      {"\xc2\x9b"
       "31m",
       "\\u009b31m"},  // C1 CSI, UTF-8 encoded
      {"\x9b"
       "31m",
       "\\x9b31m"},                // raw C1 byte
      {"版本 2.0", "版本 2.0"},    // text stays text
      {"\xe4\xbd", "\\xe4\\xbd"},  // cut sequence
      {"back\\slash", "back\\\\slash"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeControls(c.text), c.shown) << c.shown;
  UpdateCheckOutcome outcome;
  outcome.fetched = true;
  outcome.manifestVersion = "\x1b]0;title\x07";
  std::string text = CliUpdateCheck{"http://x/sa.cab", outcome}.Describe();
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_NE(text.find("manifest version: \\x1b]0;title\\x07\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace kestrune
