// Throughput of the HTTP client's CPU-bound steps: body decoding, Location
// resolution, cookie matching and manifest parsing.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "net/http_body.h"
#include "net/http_cookies.h"
#include "net/http_url.h"
#include "net/update_check.h"
#include "support/deflate.h"

namespace {

std::string Gzip(const std::string& data) {
  return kestrune::test::Compress(data, 16 + 15, 6);
}

void BM_DecodeGzipBody(benchmark::State& state) {
  std::string text;
  for (int i = 0; text.size() < static_cast<size_t>(state.range(0)); ++i)
    text += "<tr><td>row " + std::to_string(i) + "</td><td>value</td></tr>\n";
  std::string body = Gzip(text);
  std::string out;
  for (auto _ : state) {
    kestrune::DecodeBody(body, "gzip", kestrune::kMaxBodyBytes, &out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_DecodeGzipBody)->Arg(64 << 10)->Arg(4 << 20);

void BM_ResolveLocation(benchmark::State& state) {
  const char* locations[] = {"next.html", "dir/next.html", "../../up/x.html?a=1",
                             "https://other.example/p"};
  for (auto _ : state) {
    for (const char* location : locations) {
      benchmark::DoNotOptimize(
          kestrune::ResolveLocation("http://www.example.com/a/b/c/page.html?q=1", location));
    }
  }
}
BENCHMARK(BM_ResolveLocation);

void BM_BuildCookieLine(benchmark::State& state) {
  std::vector<kestrune::TCookieEntry> jar;
  for (int i = 0; i < state.range(0); ++i) {
    jar.push_back(
        {"name" + std::to_string(i), "value", i % 2 ? "example.com" : "other.example", i % 3 == 0});
  }
  for (auto _ : state) benchmark::DoNotOptimize(kestrune::BuildCookieLine(jar, "www.example.com"));
}
BENCHMARK(BM_BuildCookieLine)->Arg(10)->Arg(200);

void BM_ParseManifest(benchmark::State& state) {
  std::string manifest = std::string(4000, ' ') +
                         "< VERSION = \"1.2.3.10\" >\r\n<url=\"http://dl.example/k.exe\">\r\n";
  for (auto _ : state) {
    kestrune::UpdateManifest m = kestrune::ParseUpdateManifest(manifest);
    benchmark::DoNotOptimize(kestrune::IsNewerVersion("1.2.3.4", m.version));
  }
}
BENCHMARK(BM_ParseManifest);

}  // namespace
