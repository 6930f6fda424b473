// A response body: the first byte picks the Content-Encoding, the rest is
// the body. The decoded size never passes the cap.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/http_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const char* const kEncodings[] = {"gzip", "deflate", "", "x-gzip, deflate"};
  const char* encoding = kEncodings[data[0] % 4];
  std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
  constexpr size_t kCap = 1 << 20;
  std::string out;
  kestrune::BodyDecodeStatus status = kestrune::DecodeBody(body, encoding, kCap, &out);
  if (out.size() > kCap) std::abort();
  if (status == kestrune::BodyDecodeStatus::kTooLarge && out.size() != kCap) std::abort();
  if (encoding[0] == '\0' && status == kestrune::BodyDecodeStatus::kOk && out != body) std::abort();
  return 0;
}
