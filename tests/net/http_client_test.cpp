// TWinHTTPLib against a real HTTP server on 127.0.0.1 (tests/support).
#include "net/http_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "net/async_request.h"
#include "net/http_body.h"
#include "support/case_name.h"
#include "support/http_test_server.h"
#ifdef _WIN32
#include "support/windows_trust.h"
#endif

namespace kestrune {
namespace {

using test::HttpTestServer;

// How a "Name:value" line the client hands over looks on the wire: libcurl
// sends it as given; WinHTTP parses it and writes "Name: value" itself.
std::string OnTheWire(const std::string& line) {
#ifdef _WIN32
  size_t colon = line.find(':');
  if (colon != std::string::npos && line.compare(colon + 1, 1, " ") != 0)
    return line.substr(0, colon + 1) + " " + line.substr(colon + 1);
#endif
  return line;
}

// Names under "localhost" other than itself: libcurl resolves them to the
// loopback address on its own; Windows asks the host's resolver, which here
// knows only "localhost".
bool SubdomainsOfLocalhostResolve() {
#ifdef _WIN32
  return false;
#else
  return true;
#endif
}

class HttpClientTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new HttpTestServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(server_->ok()) << "test server did not start"; }

  static std::string Url(const std::string& path, const std::string& host = "127.0.0.1") {
    return server_->Url(path, host);
  }
  // How many requests the server has seen so far.
  static int RequestsSeen() {
    TWinHTTPLib probe;
    EXPECT_TRUE(probe.Request(Url("/__stats")));
    return std::stoi(probe.GetBodyText());
  }
  // The request head as the server received it (with its body).
  static std::string Echo(TWinHTTPLib& client, const std::string& host = "127.0.0.1") {
    EXPECT_TRUE(client.Request(Url("/echo", host)));
    return client.GetBodyText();
  }

  static HttpTestServer* server_;
};
HttpTestServer* HttpClientTest::server_ = nullptr;

std::vector<std::string> HeaderLines(const std::string& head) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (true) {
    size_t end = head.find("\r\n", start);
    if (end == std::string::npos || end == start) break;
    lines.push_back(head.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST_F(HttpClientTest, SendsTheHeaderSetInOrderWithoutBlankAfterTheColon) {
  TWinHTTPLib client;
  client.Cookies.push_back({"sid", "abc", "127.0.0.1", true});
  client.Referer = "http://ref.example/";
  client.AcceptLanguage = "zh-cn";
  client.Authorization = "Basic eA==";
  client.XRequestedWith = "XMLHttpRequest";
  client.ExtraHeaders = {"X-One: 1", "", "X-Two:2"};
  std::string head = Echo(client);
  std::vector<std::string> lines = HeaderLines(head);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "GET /echo HTTP/1.1");
  std::vector<std::string> ours;
  for (const std::string& line : lines) {
    // The stack's own lines (WinHTTP adds Connection) are not the client's.
    if (line.rfind("Host:", 0) == 0 || line.rfind("User-Agent:", 0) == 0 ||
        line.rfind("Connection:", 0) == 0 || line == lines[0])
      continue;
    ours.push_back(line);
  }
  std::vector<std::string> expected = {"Cookie: sid=abc",
                                       "Accept:*/*",
                                       "Referer:http://ref.example/",
                                       "Accept-Encoding:gzip, deflate",
                                       "Accept-Language:zh-cn",
                                       "Authorization:Basic eA==",
                                       "X-Requested-With:XMLHttpRequest",
                                       "X-One: 1",
                                       "X-Two:2"};
  for (std::string& line : expected) line = OnTheWire(line);
  EXPECT_EQ(ours, expected);
  EXPECT_NE(head.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; .NET "
                      "CLR 2.0.50727)\r\n"),
            std::string::npos);
  // The field holds the block exactly as it went out.
  EXPECT_EQ(client.RequestHeaders, head);
}

TEST_F(HttpClientTest, EmptyHeaderFieldsAreNotSent) {
  TWinHTTPLib client;
  client.Accept.clear();
  client.AcceptEncoding.clear();
  std::string head = Echo(client);
  for (const char* name : {"Accept:", "Accept-Encoding:", "Referer:", "Cookie:", "Authorization:"})
    EXPECT_EQ(head.find(std::string("\r\n") + name), std::string::npos) << name;
}

TEST_F(HttpClientTest, PostCarriesTheDataWithItsContentType) {
  TWinHTTPLib client;
  ASSERT_TRUE(client.Request(Url("/echo"), "a=1&b=2"));
  std::string echo = client.GetBodyText();
  EXPECT_EQ(echo.rfind("POST /echo HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(echo.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
            std::string::npos);
  EXPECT_EQ(echo.substr(echo.size() - 7), "a=1&b=2");

  ASSERT_TRUE(client.SendRequest(Url("/echo"), "--xx--", true, "xx"));
  echo = client.GetBodyText();
  EXPECT_NE(echo.find("\r\nContent-Type: multipart/form-data; boundary=xx\r\n"), std::string::npos);
  EXPECT_EQ(echo.substr(echo.size() - 6), "--xx--");
}

TEST_F(HttpClientTest, ResponseFieldsAreFilled) {
  TWinHTTPLib client;
  client.FollowLocation = false;
  ASSERT_TRUE(client.Request(
      Url("/x?status=201&h=Content-Type:text/x-test&h=Location:/elsewhere&h=Set-Cookie:%20a=1&"
          "h=Set-Cookie:%20b=2&body=hello")));
  EXPECT_EQ(client.StatusCode, "201");
  EXPECT_EQ(client.ContentType, "text/x-test");
  EXPECT_EQ(client.Location, "/elsewhere");
  EXPECT_EQ(client.SetCookie, "a=1");
  EXPECT_EQ(client.ContentLength, 5);
  EXPECT_EQ(client.GetBodyText(), "hello");
  EXPECT_EQ(client.ResponseHeaders.rfind("HTTP/1.1 201 X\r\n", 0), 0u);
  EXPECT_EQ(client.ResponseHeaders.substr(client.ResponseHeaders.size() - 4), "\r\n\r\n");
  EXPECT_EQ(client.Cookies.size(), 2u);
  EXPECT_EQ(client.RecentHost(), "127.0.0.1");
}

TEST_F(HttpClientTest, DecodesGzipAndRawDeflateBodies) {
  for (const char* encoding : {"gzip", "deflate"}) {
    TWinHTTPLib client;
    ASSERT_TRUE(client.Request(Url(std::string("/z?enc=") + encoding + "&body=compressed%20text")));
    EXPECT_EQ(client.ContentEncoding, encoding);
    EXPECT_EQ(client.GetBodyText(), "compressed text") << encoding;
    EXPECT_NE(client.GetBodyStream(false), "compressed text") << encoding;
    EXPECT_EQ(client.GetBodyStream(true), "compressed text") << encoding;
  }
}

TEST_F(HttpClientTest, CookieWithoutDomainReturnsOnlyToItsHostAndIsReplaced) {
  TWinHTTPLib client;
  std::vector<std::string> seen;
  client.OnCookie = [&seen](TWinHTTPLib&, const std::string& domain, const std::string& value,
                            const std::string& name) {
    seen.push_back(domain + "|" + name + "|" + value);
  };
  ASSERT_TRUE(client.Request(Url("/c?h=Set-Cookie:%20sid=abc;%20path=/")));
  ASSERT_EQ(client.Cookies.size(), 1u);
  EXPECT_EQ(client.Cookies[0].Domain, "127.0.0.1");
  EXPECT_NE(Echo(client).find("\r\nCookie: sid=abc\r\n"), std::string::npos);
  // Same server, other host name: the cookie stays home.
  EXPECT_EQ(Echo(client, "localhost").find("Cookie:"), std::string::npos);

  ASSERT_TRUE(client.Request(Url("/c?h=Set-Cookie:%20sid=xyz")));
  ASSERT_EQ(client.Cookies.size(), 1u);
  EXPECT_NE(Echo(client).find("\r\nCookie: sid=xyz\r\n"), std::string::npos);
  EXPECT_EQ(seen, (std::vector<std::string>{"127.0.0.1|sid|abc", "127.0.0.1|sid|xyz"}));
}

TEST_F(HttpClientTest, DomainCookieGoesToTheDomainAndItsSubdomainsOnly) {
  if (!SubdomainsOfLocalhostResolve()) GTEST_SKIP() << "a.localhost does not resolve here";
  TWinHTTPLib client;
  ASSERT_TRUE(client.Request(Url("/c?h=Set-Cookie:%20dc=1;%20Domain=.localhost", "a.localhost")));
  // Without a Domain attribute it stays with a.localhost, not its parent.
  ASSERT_TRUE(client.Request(Url("/c?h=Set-Cookie:%20own=1", "a.localhost")));
  // And one for a site that did not answer: refused.
  ASSERT_TRUE(client.Request(Url("/c?h=Set-Cookie:%20evil=1;%20Domain=example.com", "localhost")));
  ASSERT_EQ(client.Cookies.size(), 2u);
  EXPECT_NE(Echo(client, "localhost").find("\r\nCookie: dc=1\r\n"), std::string::npos);
  EXPECT_NE(Echo(client, "a.localhost").find("\r\nCookie: dc=1; own=1\r\n"), std::string::npos);
  EXPECT_NE(Echo(client, "b.localhost").find("\r\nCookie: dc=1\r\n"), std::string::npos);
  EXPECT_EQ(Echo(client, "127.0.0.1").find("Cookie:"), std::string::npos);
}

struct RedirectCase {
  const char* start;     // path on the server
  const char* location;  // escaped for the query
  const char* finalBody;
};

class HttpRedirectTest : public HttpClientTest, public testing::WithParamInterface<RedirectCase> {};

TEST_P(HttpRedirectTest, FollowsLocation) {
  const RedirectCase& c = GetParam();
  TWinHTTPLib client;
  ASSERT_TRUE(client.Request(Url(std::string(c.start) + "?status=302&h=Location:" + c.location)));
  EXPECT_EQ(client.StatusCode, "200");
  EXPECT_EQ(client.GetBodyText(), c.finalBody);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpRedirectTest,
    testing::Values(RedirectCase{"/a/b/page", "next.html", "path=/a/b/next.html"},
                    RedirectCase{"/a/b/page", "dir/next.html", "path=/dir/next.html"},
                    RedirectCase{"/a/b/page", "../up.html", "path=/a/up.html"},
                    RedirectCase{"/a/b/page", "/abs%3Fq=1", "path=/abs?q=1"},
                    RedirectCase{"/a/b/page", "/chain/3", "done"}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.start, p.param.location);
    });

TEST_F(HttpClientTest, AbsoluteLocationAndCookiesOnEveryHop) {
  TWinHTTPLib client;
  client.Cookies.push_back({"sid", "1", "127.0.0.1", true});
  // To another host name: the 127.0.0.1 cookie must not follow.
  ASSERT_TRUE(client.Request(Url("/r?status=302&h=Location:" + Url("/echo", "localhost"))));
  EXPECT_EQ(client.GetBodyText().find("Cookie:"), std::string::npos);
  EXPECT_EQ(client.RecentHost(), "localhost");
  // Back to 127.0.0.1: it is sent again.
  ASSERT_TRUE(client.Request(Url("/r?status=302&h=Location:" + Url("/echo"), "localhost")));
  EXPECT_NE(client.GetBodyText().find("\r\nCookie: sid=1\r\n"), std::string::npos);
}

TEST_F(HttpClientTest, EndlessRedirectsFailTheRequest) {
  TWinHTTPLib client;
  EXPECT_FALSE(client.Request(Url("/loop")));
  EXPECT_TRUE(client.GetBodyText().empty());
  EXPECT_TRUE(client.Request(Url("/chain/" + std::to_string(kMaxRedirectHops))));
  EXPECT_EQ(client.GetBodyText(), "done");
  EXPECT_FALSE(client.Request(Url("/chain/" + std::to_string(kMaxRedirectHops + 1))));
  // Without following, a Location is just a field.
  client.FollowLocation = false;
  EXPECT_TRUE(client.Request(Url("/loop")));
  EXPECT_EQ(client.Location, "/loop");
}

TEST_F(HttpClientTest, UnsupportedSchemesAreNeverContacted) {
  int before = RequestsSeen();
  for (std::string url : {"ftp://127.0.0.1:" + std::to_string(server_->port()) + "/x",
                          std::string("file:///etc/passwd"), std::string("127.0.0.1/x"),
                          "gopher://127.0.0.1:" + std::to_string(server_->port()) + "/"}) {
    TWinHTTPLib client;
    EXPECT_FALSE(client.Request(url)) << url;
  }
  // A redirect to another scheme is not followed either.
  TWinHTTPLib client;
  std::string ftp = "ftp://127.0.0.1:" + std::to_string(server_->port()) + "/x";
  EXPECT_TRUE(client.Request(Url("/r?status=302&h=Location:" + ftp)));
  EXPECT_TRUE(client.GetBodyText().empty());
  EXPECT_EQ(RequestsSeen(), before + 2);  // the /__stats probe and the /r request
}

TEST_F(HttpClientTest, ProgressWithAndWithoutContentLength) {
  struct {
    const char* query;
    bool lengthKnown;
  } cases[] = {{"/p?size=200000", true}, {"/p?size=200000&nolen=1", false}};
  for (const auto& c : cases) {
    TWinHTTPLib client;
    std::vector<uint16_t> percents;
    double lastSpeed = 0;
    client.OnProgress = [&](TWinHTTPLib&, uint16_t percent, double speed) {
      percents.push_back(percent);
      lastSpeed = speed;
    };
    ASSERT_TRUE(client.Request(Url(c.query))) << c.query;
    EXPECT_EQ(client.GetBodyText().size(), 200000u);
    ASSERT_FALSE(percents.empty());
    EXPECT_GT(lastSpeed, 0.0) << c.query;
    if (c.lengthKnown) {
      EXPECT_EQ(client.ContentLength, 200000);
      EXPECT_EQ(percents.back(), 100);
      EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    } else {
      EXPECT_EQ(client.ContentLength, 0);
      for (uint16_t p : percents) EXPECT_EQ(p, 0);
    }
  }
}

TEST_F(HttpClientTest, CancelledFromTheProgressHandlerFails) {
  TWinHTTPLib client;
  client.OnProgress = [](TWinHTTPLib& self, uint16_t, double) { self.Cancelled = true; };
  EXPECT_FALSE(client.Request(Url("/p?size=400000")));
  EXPECT_LT(client.GetBodyStream(false).size(), 400000u);
  // The next exchange starts uncancelled.
  client.OnProgress = nullptr;
  EXPECT_TRUE(client.Request(Url("/p?body=ok")));
}

TEST_F(HttpClientTest, ThrowingProgressHandlerDoesNotStopTheDownload) {
  TWinHTTPLib client;
  client.OnProgress = [](TWinHTTPLib&, uint16_t, double) { throw std::runtime_error("x"); };
  EXPECT_TRUE(client.Request(Url("/p?size=100000")));
  EXPECT_EQ(client.GetBodyText().size(), 100000u);
}

TEST_F(HttpClientTest, ServerThatNeverAnswersTimesOut) {
  TWinHTTPLib client;
  client.ReceiveTimeout = 300;
  EXPECT_FALSE(client.Request(Url("/h?hang=1")));
  EXPECT_TRUE(client.StatusCode.empty());
}

TEST_F(HttpClientTest, OversizedBodiesFail) {
  struct {
    std::string query;
    bool ok;
  } cases[] = {
      {"/big?size=" + std::to_string(kMaxBodyBytes), true},
      {"/big?size=" + std::to_string(kMaxBodyBytes + 1), false},
      {"/big?size=" + std::to_string(kMaxBodyBytes + 1) + "&nolen=1", false},
      // Small on the wire, past the cap once decoded.
      {"/bomb?bomb=" + std::to_string(kMaxBodyBytes + 1), false},
      {"/bomb?bomb=" + std::to_string(kMaxBodyBytes), true},
  };
  for (const auto& c : cases) {
    TWinHTTPLib client;
    EXPECT_EQ(client.Request(Url(c.query)), c.ok) << c.query;
    EXPECT_EQ(client.GetBodyText().size(), c.ok ? kMaxBodyBytes : 0u) << c.query;
  }
  // Past the cap in a redirect hop fails the whole request.
  TWinHTTPLib client;
  EXPECT_FALSE(client.Request(
      Url("/r?status=302&h=Location:/bomb%3Fbomb=" + std::to_string(kMaxBodyBytes + 1))));
  // The next exchange on the same client starts clean.
  EXPECT_TRUE(client.SendRequest(Url("/p?body=ok"), ""));
  EXPECT_EQ(client.GetBodyText(), "ok");
}

TEST_F(HttpClientTest, AsyncRequestReportsTheBodyOnItsOwnThread) {
  std::mutex mutex;
  std::vector<std::string> bodies;
  std::atomic<int> failures{0};
  auto main = std::this_thread::get_id();
  for (int i = 0; i < 3; ++i) {
    StartAsyncRequest(Url("/a?enc=gzip&body=n" + std::to_string(i)), "",
                      [&](TAsyncWinHTTPThread&, bool ok, const std::string& body) {
                        EXPECT_NE(std::this_thread::get_id(), main);
                        std::lock_guard<std::mutex> lock(mutex);
                        if (ok) bodies.push_back(body);
                      });
  }
  StartAsyncRequest(Url("/a?body=unobserved"), "", nullptr);
  StartAsyncRequest("ftp://nowhere/", "",
                    [&](TAsyncWinHTTPThread&, bool ok, const std::string& body) {
                      if (!ok && body.empty()) ++failures;
                    });
  StartAsyncRequest(Url("/echo"), "posted",
                    [&](TAsyncWinHTTPThread&, bool ok, const std::string& body) {
                      std::lock_guard<std::mutex> lock(mutex);
                      if (ok && body.rfind("POST ", 0) == 0) bodies.push_back("post");
                    });
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (bodies.size() == 4 && failures == 1) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(WaitForAsyncRequests(std::chrono::seconds(20)));
  std::lock_guard<std::mutex> lock(mutex);
  std::sort(bodies.begin(), bodies.end());
  EXPECT_EQ(bodies, (std::vector<std::string>{"n0", "n1", "n2", "post"}));
  EXPECT_EQ(failures, 1);
}

// Each client remembers the host of its own exchanges: cookies received on
// one thread never take another thread's host.
TEST_F(HttpClientTest, ConcurrentClientsKeepTheirOwnCookieHost) {
  auto run = [](const std::string& host, std::vector<TCookieEntry>* out) {
    TWinHTTPLib client;
    for (int i = 0; i < 15; ++i)
      client.Request(Url("/c?h=Set-Cookie:%20n" + std::to_string(i) + "=1", host));
    *out = client.Cookies;
  };
  std::vector<TCookieEntry> a, b;
  std::thread ta(run, "127.0.0.1", &a);
  std::thread tb(run, "localhost", &b);
  ta.join();
  tb.join();
  ASSERT_EQ(a.size(), 15u);
  ASSERT_EQ(b.size(), 15u);
  for (const auto& c : a) EXPECT_EQ(c.Domain, "127.0.0.1");
  for (const auto& c : b) EXPECT_EQ(c.Domain, "localhost");
}

// Makes `client` trust `server`'s certificate while the returned object
// lives; nullptr when this system cannot be made to trust it.
#ifdef _WIN32
// WinHTTP trusts the system store only: the certificate goes into the
// user's root store.
using TrustedCertificate = test::ScopedRootCertificate;
std::unique_ptr<TrustedCertificate> Trust(const HttpTestServer& server, TWinHTTPLib&) {
  auto trusted = std::make_unique<TrustedCertificate>(server.CertificateFile());
  if (!trusted->ok()) trusted.reset();
  return trusted;
}
#else
struct TrustedCertificate {};
std::unique_ptr<TrustedCertificate> Trust(const HttpTestServer& server, TWinHTTPLib& client) {
  client.TrustedCaFile = server.CertificateFile();
  return std::make_unique<TrustedCertificate>();
}
#endif

TEST(HttpsClientTest, SelfSignedAndMisnamedCertificatesAreRefused) {
  HttpTestServer server(/*tls=*/true);
  ASSERT_TRUE(server.ok());
  TWinHTTPLib client;
  EXPECT_FALSE(client.Request(server.Url("/p?body=secret")));
  EXPECT_TRUE(client.GetBodyText().empty());
  EXPECT_FALSE(client.Request(server.Url("/p?body=secret", "localhost")));

  // A certificate that names another host than the one answering, trusted
  // wherever the system lets us: still refused.
  HttpTestServer misnamed(/*tls=*/true, "elsewhere.invalid");
  ASSERT_TRUE(misnamed.ok());
  TWinHTTPLib other;
  auto trusted = Trust(misnamed, other);
  EXPECT_FALSE(other.Request(misnamed.Url("/p?body=secret")));
  EXPECT_FALSE(other.Request(misnamed.Url("/p?body=secret", "localhost")));
  EXPECT_TRUE(other.GetBodyText().empty());
}

TEST(HttpsClientTest, TrustedCertificateWorksUnderItsOwnNamesOnly) {
  HttpTestServer server(/*tls=*/true);
  ASSERT_TRUE(server.ok());
  TWinHTTPLib client;
  auto trusted = Trust(server, client);
  if (!trusted) GTEST_SKIP() << "this system's root store takes no test certificate";
  EXPECT_TRUE(client.Request(server.Url("/p?body=secret")));
  EXPECT_EQ(client.GetBodyText(), "secret");
  EXPECT_TRUE(client.Request(server.Url("/p?body=secret", "localhost")));
  if (SubdomainsOfLocalhostResolve()) {
    EXPECT_FALSE(client.Request(server.Url("/p?body=secret", "a.localhost")));
  }
}

#ifdef _WIN32
// A private trust anchor would need WinHTTP's ignore flags: refused, never
// quietly dropped (a test would then believe it had been honoured).
TEST(HttpsClientTest, ExtraTrustAnchorFileIsRefusedOnWindows) {
  HttpTestServer server;
  ASSERT_TRUE(server.ok());
  TWinHTTPLib client;
  client.TrustedCaFile = "Z:/nonexistent/anchor.pem";
  EXPECT_FALSE(client.Request(server.Url("/p?body=plain")));
  client.TrustedCaFile.clear();
  EXPECT_TRUE(client.Request(server.Url("/p?body=plain")));
}
#endif

}  // namespace
}  // namespace kestrune
