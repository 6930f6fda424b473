// The HTTP client's pure rules: address cracking, Location resolution,
// request-target escaping, cookie parsing/matching and body decoding.
#include <gtest/gtest.h>

#include "net/http_body.h"
#include "net/http_cookies.h"
#include "net/http_url.h"
#include "support/case_name.h"
#include "support/deflate.h"

namespace kestrune {
namespace {

struct ResolveCase {
  const char* base;
  const char* location;
  const char* expected;
};

class ResolveLocationTest : public testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveLocationTest, Resolves) {
  const ResolveCase& c = GetParam();
  EXPECT_EQ(ResolveLocation(c.base, c.location), c.expected) << c.base << " + " << c.location;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveLocationTest,
    testing::Values(
        // A bare file name lands in the requested address's folder.
        ResolveCase{"http://h/a/b/page.html", "next.html", "http://h/a/b/next.html"},
        // A folder without a leading slash is a path from the host's root.
        ResolveCase{"http://h/a/b/page.html", "dir/next.html", "http://h/dir/next.html"},
        ResolveCase{"http://h/a/b/page.html", "../up.html", "http://h/a/up.html"},
        ResolveCase{"http://h/a/b/page.html", "../../../../up.html", "http://h/up.html"},
        ResolveCase{"http://h/a/b/page.html", "./same.html", "http://h/a/b/same.html"},
        ResolveCase{"http://h/a/b/page.html?x=1", "/root?y=2", "http://h/root?y=2"},
        ResolveCase{"http://h:8080/a/b", "?page=2", "http://h:8080/a/b?page=2"},
        ResolveCase{"http://h/a/b", "//other:81/p", "http://other:81/p"},
        ResolveCase{"http://h", "file.html", "http://h/file.html"},
        ResolveCase{"http://h/a/b", "https://x.example/y", "https://x.example/y"},
        ResolveCase{"http://h/a/b", "HTTP://X/Y", "HTTP://X/Y"},
        // Other schemes stay absolute (and are refused when sent), never
        // glued onto our host as a path.
        ResolveCase{"http://h/a/b", "ftp://x/y", "ftp://x/y"},
        ResolveCase{"http://h/a/b", "file:///etc/passwd", "file:///etc/passwd"},
        // "http" inside a relative path does not make it absolute.
        ResolveCase{"http://h/a/b", "docs/http-guide.html", "http://h/docs/http-guide.html"}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.base, p.param.location);
    });

struct CrackCase {
  const char* url;
  bool ok;
  bool secure;
  const char* host;
  int port;
  const char* target;
};

class CrackUrlTest : public testing::TestWithParam<CrackCase> {};

TEST_P(CrackUrlTest, Cracks) {
  const CrackCase& c = GetParam();
  auto cracked = CrackUrl(c.url);
  ASSERT_EQ(cracked.has_value(), c.ok) << c.url;
  if (!c.ok) return;
  EXPECT_EQ(cracked->secure, c.secure);
  EXPECT_EQ(cracked->host, c.host);
  EXPECT_EQ(cracked->port, c.port);
  EXPECT_EQ(cracked->target, c.target);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrackUrlTest,
    testing::Values(CrackCase{"http://example.com", true, false, "example.com", 80, "/"},
                    CrackCase{"HTTPS://Example.com:8443/a?b=c#d", true, true, "Example.com", 8443,
                              "/a?b=c#d"},
                    CrackCase{"http://user:pw@h:81/x", true, false, "h", 81, "/x"},
                    CrackCase{"http://[::1]:8080/x", true, false, "::1", 8080, "/x"},
                    CrackCase{"http://h?q=1", true, false, "h", 80, "/?q=1"},
                    CrackCase{"http://h/a b\"c<d>", true, false, "h", 80, "/a%20b%22c%3Cd%3E"},
                    CrackCase{"http://h/%41", true, false, "h", 80, "/%41"},
                    CrackCase{"ftp://h/x", false}, CrackCase{"file:///etc/passwd", false},
                    CrackCase{"h/x", false}, CrackCase{"http://", false},
                    CrackCase{"http://h:0/", false}, CrackCase{"http://h:65536/", false},
                    CrackCase{"http://h:8x/", false}, CrackCase{"http://bad host/", false},
                    CrackCase{"http://[::1/", false}),
    [](const auto& p) { return ::kestrune::test::CaseName(p.index, p.param.url); });

TEST(EscapeTest, QueryValuesCannotChangeTheQueryShape) {
  EXPECT_EQ(EscapeQueryValue("Debian GNU/Linux 12 (bookworm)"),
            "Debian%20GNU/Linux%2012%20(bookworm)");
  EXPECT_EQ(EscapeQueryValue("a&b=c#d+e%f"), "a%26b%3Dc%23d%2Be%25f");
  EXPECT_EQ(EscapeQueryValue("\xe4\xb8\xad\r\n"), "%E4%B8%AD%0D%0A");
  EXPECT_EQ(EscapeQueryValue("1.0.0.3"), "1.0.0.3");
}

struct CookieCase {
  const char* setCookie;
  const char* host;
  bool stored;
  const char* name;
  const char* value;
  const char* domain;
  bool hostOnly;
};

class ParseSetCookieTest : public testing::TestWithParam<CookieCase> {};

TEST_P(ParseSetCookieTest, Parses) {
  const CookieCase& c = GetParam();
  TCookieEntry cookie;
  ASSERT_EQ(ParseSetCookie(c.setCookie, c.host, &cookie), c.stored) << c.setCookie;
  if (!c.stored) return;
  EXPECT_EQ(cookie.Name, c.name);
  EXPECT_EQ(cookie.Value, c.value);
  EXPECT_EQ(cookie.Domain, c.domain);
  EXPECT_EQ(cookie.HostOnly, c.hostOnly);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseSetCookieTest,
    testing::Values(CookieCase{"sid=abc; path=/", "Site.Example", true, "sid", "abc",
                               "site.example", true},
                    CookieCase{" sid = a b ;Path=/; HttpOnly", "h", true, "sid", "a b", "h", true},
                    CookieCase{"sid=abc; domain=/", "h", true, "sid", "abc", "h", true},
                    CookieCase{"sid=abc; Domain=\\", "h", true, "sid", "abc", "h", true},
                    CookieCase{"sid=; Domain=", "h", true, "sid", "", "h", true},
                    CookieCase{"sid=abc; DOMAIN=.Example.com", "www.example.com", true, "sid",
                               "abc", "example.com", false},
                    CookieCase{"sid=abc; domain=example.com", "example.com", true, "sid", "abc",
                               "example.com", false},
                    CookieCase{"k=v=w", "h", true, "k", "v=w", "h", true},
                    // A server may not set cookies for someone else's domain.
                    CookieCase{"sid=abc; domain=bank.example", "evil.example", false},
                    CookieCase{"sid=abc; domain=ample.com", "example.com", false},
                    CookieCase{"sid=abc; domain=www.example.com", "example.com", false},
                    CookieCase{"sid=abc; domain=0.0.1", "127.0.0.1", false},
                    CookieCase{"", "h", false}, CookieCase{"novalue", "h", false},
                    CookieCase{"sid=abc", "", false}),
    [](const auto& p) {
      return ::kestrune::test::CaseName(p.index, p.param.setCookie, p.param.host);
    });

TEST(CookieJarTest, SameDomainAndNameReplacesInPlace) {
  std::vector<TCookieEntry> jar;
  StoreCookieEntry(jar, {"a", "1", "h", true});
  StoreCookieEntry(jar, {"b", "2", "h", true});
  StoreCookieEntry(jar, {"a", "3", "h", true});
  StoreCookieEntry(jar, {"A", "4", "h", true});  // names compare exactly
  ASSERT_EQ(jar.size(), 3u);
  EXPECT_EQ(jar[0].Value, "3");
  EXPECT_EQ(BuildCookieLine(jar, "H"), "Cookie: a=3; b=2; A=4");
}

TEST(CookieJarTest, CookiesGoOnlyToMatchingHosts) {
  std::vector<TCookieEntry> jar = {{"host", "1", "example.com", true},
                                   {"dom", "2", "example.com", false},
                                   {"ip", "3", "127.0.0.1", true}};
  struct {
    const char* host;
    const char* line;
  } cases[] = {
      {"example.com", "Cookie: host=1; dom=2"},
      {"www.example.com", "Cookie: dom=2"},
      {"notexample.com", ""},  // a suffix, but not on a dot boundary
      {"example.com.evil", ""},
      {"com", ""},
      {"127.0.0.1", "Cookie: ip=3"},
      {"27.0.0.1", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildCookieLine(jar, c.host), c.line) << c.host;
}

using test::Compress;

TEST(DecodeBodyTest, GzipAndRawDeflateByContentEncoding) {
  const std::string text = "<version=\"1.2.3.4\">\r\n" + std::string(5000, 'k');
  struct {
    std::string raw;
    const char* encoding;
  } cases[] = {
      {Compress(text, 16 + 15), "gzip"},
      {Compress(text, 16 + 15), "X-GZIP"},
      {Compress(text, -15), "deflate"},
      {Compress(text, 16 + 15), "deflate, gzip"},  // gzip wins
      {text, "identity"},
      {text, ""},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(DecodeBody(c.raw, c.encoding, kMaxBodyBytes, &out), BodyDecodeStatus::kOk)
        << c.encoding;
    EXPECT_EQ(out, text) << c.encoding;
  }
}

TEST(DecodeBodyTest, DamagedStreamsKeepWhatWasProduced) {
  const std::string text(100000, 'q');
  std::string gz = Compress(text, 16 + 15);
  std::string out;
  EXPECT_EQ(DecodeBody(gz.substr(0, gz.size() / 2), "gzip", kMaxBodyBytes, &out),
            BodyDecodeStatus::kError);
  EXPECT_LT(out.size(), text.size());
  EXPECT_EQ(out, text.substr(0, out.size()));
  EXPECT_EQ(DecodeBody("not compressed", "gzip", kMaxBodyBytes, &out), BodyDecodeStatus::kError);
  EXPECT_TRUE(out.empty());
  // A zlib-wrapped stream is not raw deflate.
  EXPECT_EQ(DecodeBody(Compress("abc", 15), "deflate", kMaxBodyBytes, &out),
            BodyDecodeStatus::kError);
}

TEST(DecodeBodyTest, ExpansionStopsAtTheCap) {
  std::string bomb = Compress(std::string(4 * 1024 * 1024, '\0'), 16 + 15);
  std::string out;
  EXPECT_EQ(DecodeBody(bomb, "gzip", 1024 * 1024, &out), BodyDecodeStatus::kTooLarge);
  EXPECT_EQ(out.size(), 1024u * 1024u);
  EXPECT_EQ(DecodeBody(bomb, "gzip", 4 * 1024 * 1024, &out), BodyDecodeStatus::kOk);
  EXPECT_EQ(DecodeBody(std::string(10, 'a'), "", 4, &out), BodyDecodeStatus::kTooLarge);
  EXPECT_EQ(out, "aaaa");
}

}  // namespace
}  // namespace kestrune
