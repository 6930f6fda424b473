// The usage report: its exact address, and the fire-and-forget send against
// a loopback statistics server.
#include "net/usage_report.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "cli/cli_net_checks.h"
#include "env/settings_store.h"
#include "net/async_request.h"
#include "net/http_client.h"
#include "net/net_hosts.h"
#include "support/http_test_server.h"
#include "support/test_env.h"

namespace kestrune {
namespace {

using test::HttpTestServer;
using test::TempDir;
using test::WriteFile;

class UsageReportTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new HttpTestServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(server_->ok());
    // The registry stand-in lives under the config home: keep it ours.
    kestrune::test::SetEnv("XDG_CONFIG_HOME", home_.path().c_str());
    WriteConfigFile("");
  }
  void TearDown() override {
    WaitForAsyncRequests(std::chrono::seconds(20));
    SetConfigFilePathForTesting("");
  }
  void WriteConfigFile(const std::string& extra) {
    WriteFile(dir_.Path("Config.dat"),
              "[general]\r\nStatsHost=" + server_->HostPort() + "\r\n" + extra);
    SetConfigFilePathForTesting(dir_.Path("Config.dat"));
  }
  // The targets the server has seen, waiting up to a few seconds for `want`.
  std::string TargetsAfter(const std::string& want) {
    std::string targets;
    for (int i = 0; i < 200; ++i) {
      TWinHTTPLib probe;
      probe.Request(server_->Url("/__targets"));
      targets = probe.GetBodyText();
      if (!want.empty() && targets.find(want) != std::string::npos) break;
      if (want.empty()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return targets;
  }

  static HttpTestServer* server_;
  TempDir dir_;
  TempDir home_;
};
HttpTestServer* UsageReportTest::server_ = nullptr;

TEST_F(UsageReportTest, QueryOfTheDocumentedExample) {
  std::string url = BuildUsageReportUrl(2, "Win7", "1.0.0.3", GetChannelID(), "ABC");
  EXPECT_EQ(url, "http://" + server_->HostPort() +
                     "/cj?mac=ABC&action=2&os=Win7&version=1.0.0.3&channel=default&mid=ABC&"
                     "rtime=0&p=");
}

TEST_F(UsageReportTest, ValuesAreEscapedAndEmptyOnesLeaveTheirPlaceEmpty) {
  EXPECT_EQ(BuildUsageReportUrl(7, "Debian GNU/Linux 12 (bookworm)", "", "a&b=c", ""),
            "http://" + server_->HostPort() +
                "/cj?mac=&action=7&os=Debian%20GNU/Linux%2012%20(bookworm)&version=&channel="
                "a%26b%3Dc&mid=&rtime=0&p=");
}

TEST_F(UsageReportTest, SentOnceInTheBackgroundWithBlanksEscaped) {
  SendUsageReport(2, "Debian GNU/Linux 12 (bookworm)", "1.0.0.3", "default", "ABC");
  std::string expected =
      "/cj?mac=ABC&action=2&os=Debian%20GNU/Linux%2012%20(bookworm)&version=1.0.0.3&"
      "channel=default&mid=ABC&rtime=0&p=";
  std::string targets = TargetsAfter(expected);
  EXPECT_NE(targets.find(expected), std::string::npos) << targets;
}

TEST_F(UsageReportTest, SwitchedOffByTheSetting) {
  WriteConfigFile("UsageReport=0\r\n");
  EXPECT_FALSE(UsageReportEnabled());
  SendUsageReport(2, "os", "1.0.0.0", "default", "OFF");
  ASSERT_TRUE(WaitForAsyncRequests(std::chrono::seconds(20)));
  EXPECT_EQ(TargetsAfter("").find("mid=OFF"), std::string::npos);
  EXPECT_FALSE(SendUsageReportNow().enabled);
  // Anything but 0 leaves it on.
  WriteConfigFile("UsageReport=yes\r\n");
  EXPECT_TRUE(UsageReportEnabled());
}

TEST_F(UsageReportTest, ReturnsAtOnceWhileTheServerIsSilent) {
  WriteFile(server_->Folder().Path("hang-all"), "");
  SendUsageReport(2, "os", "1.0.0.0", "default", "SLOW");
  // Still in flight, yet we are back.
  EXPECT_FALSE(WaitForAsyncRequests(std::chrono::milliseconds(300)));
  std::remove(server_->Folder().Path("hang-all").c_str());
}

TEST_F(UsageReportTest, CliBuildsWithoutSendingAndSendsOnRequest) {
  std::string address = UsageReportAddress();
  EXPECT_EQ(address.rfind("http://" + server_->HostPort() + "/cj?mac=", 0), 0u) << address;
  EXPECT_NE(address.find("&action=2&"), std::string::npos);
  EXPECT_NE(address.find("&channel=default&"), std::string::npos);
  std::string target = address.substr(address.find("/cj"));
  EXPECT_EQ(TargetsAfter("").find(target), std::string::npos);

  CliUsageReportSend sent = SendUsageReportNow();
  EXPECT_TRUE(sent.enabled);
  EXPECT_TRUE(sent.sent);
  EXPECT_EQ(sent.status, "200");
  EXPECT_EQ(sent.address, address);
  EXPECT_NE(TargetsAfter(target).find(target), std::string::npos);
}

TEST(NetHostsTest, DefaultsAndOverrides) {
  TempDir dir;
  SetConfigFilePathForTesting(dir.Path("Config.dat"));
  EXPECT_EQ(UpdateManifestUrl(), std::string("http://") + kDefaultUpdateHost + "/sa.cab");
  EXPECT_EQ(PartnerPageUrl("/zs/search"),
            std::string("http://") + kDefaultPartnerHost + "/zs/search");
  EXPECT_TRUE(UsageReportEnabled());
  struct {
    const char* value;
    const char* expected;
  } cases[] = {
      {"127.0.0.1:8080", "127.0.0.1:8080"},
      {" partner.example ", "partner.example"},
      {"[::1]:81", "[::1]:81"},
      {"evil.example/path", kDefaultPartnerHost},
      {"user@host", kDefaultPartnerHost},
      {"host:99999", kDefaultPartnerHost},
      {"http://host", kDefaultPartnerHost},
      {"two words", kDefaultPartnerHost},
  };
  for (const auto& c : cases) {
    WriteFile(dir.Path("Config.dat"), std::string("[general]\r\nPartnerHost=") + c.value + "\r\n");
    EXPECT_EQ(PartnerHost(), c.expected) << c.value;
  }
  SetConfigFilePathForTesting("");
}

}  // namespace
}  // namespace kestrune
