// Decoding of a response body by its Content-Encoding: gzip, or deflate read
// as a raw deflate stream (no zlib header). The output is capped so that a
// small compressed body cannot expand into unbounded memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrune {

// The most a body may hold, as received and after decoding.
inline constexpr size_t kMaxBodyBytes = size_t{16} * 1024 * 1024;

enum class BodyDecodeStatus {
  kOk,        // decoded completely (or copied: no known encoding)
  kError,     // the stream is damaged; `out` holds what was produced before
  kTooLarge,  // the decoded body passed the cap; `out` holds the first `cap` bytes
};

// Decodes `raw` by `contentEncoding` ("gzip" or "deflate" anywhere in it,
// letter case ignored; gzip wins); any other encoding copies the bytes.
BodyDecodeStatus DecodeBody(std::string_view raw, std::string_view contentEncoding, size_t cap,
                            std::string* out);

// True when `contentEncoding` names an encoding DecodeBody undoes.
bool IsCompressedEncoding(std::string_view contentEncoding);

}  // namespace kestrune
