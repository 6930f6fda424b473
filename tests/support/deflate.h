// Compressed bodies for the HTTP decoding tests and benchmark: zlib's
// deflate with the given window bits (16 + 15 for gzip, -15 for raw deflate).
#pragma once

#include <zlib.h>

#include <string>

namespace kestrune::test {

inline std::string Compress(const std::string& data, int windowBits, int level = 9) {
  z_stream s{};
  deflateInit2(&s, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&s, data.size()) + 32, '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  deflate(&s, Z_FINISH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

}  // namespace kestrune::test
