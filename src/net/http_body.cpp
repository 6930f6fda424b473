// gzip / raw deflate decoding over zlib, with an output cap.
#include "net/http_body.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>

#include "platform/ascii.h"

namespace kestrune {
namespace {

enum class Codec { kNone, kGzip, kDeflate };

Codec CodecOf(std::string_view contentEncoding) {
  std::string lower = AsciiLowerCopy(contentEncoding);
  if (lower.find("gzip") != std::string::npos) return Codec::kGzip;
  if (lower.find("deflate") != std::string::npos) return Codec::kDeflate;
  return Codec::kNone;
}

BodyDecodeStatus Inflate(std::string_view raw, int windowBits, size_t cap, std::string* out) {
  z_stream stream{};
  if (inflateInit2(&stream, windowBits) != Z_OK) return BodyDecodeStatus::kError;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
  BodyDecodeStatus status = BodyDecodeStatus::kError;
  size_t remainingIn = raw.size();
  char chunk[64 * 1024];
  while (true) {
    // zlib counts in uInt; feed large inputs in slices.
    if (stream.avail_in == 0 && remainingIn > 0) {
      stream.avail_in = static_cast<uInt>(std::min<size_t>(remainingIn, 1u << 30));
      remainingIn -= stream.avail_in;
    }
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    int rc = inflate(&stream, Z_NO_FLUSH);
    size_t produced = sizeof chunk - stream.avail_out;
    if (out->size() + produced > cap) {
      out->append(chunk, cap - out->size());
      status = BodyDecodeStatus::kTooLarge;
      break;
    }
    out->append(chunk, produced);
    if (rc == Z_STREAM_END) {
      status = BodyDecodeStatus::kOk;
      break;
    }
    if (rc == Z_BUF_ERROR && produced == 0 && stream.avail_in == 0 && remainingIn == 0) {
      break;  // truncated stream: keep what we have
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) break;
  }
  inflateEnd(&stream);
  return status;
}

}  // namespace

bool IsCompressedEncoding(std::string_view contentEncoding) {
  return CodecOf(contentEncoding) != Codec::kNone;
}

BodyDecodeStatus DecodeBody(std::string_view raw, std::string_view contentEncoding, size_t cap,
                            std::string* out) {
  out->clear();
  switch (CodecOf(contentEncoding)) {
    case Codec::kGzip:
      return Inflate(raw, 16 + MAX_WBITS, cap, out);
    case Codec::kDeflate:
      return Inflate(raw, -MAX_WBITS, cap, out);
    case Codec::kNone:
      break;
  }
  if (raw.size() > cap) {
    out->assign(raw.substr(0, cap));
    return BodyDecodeStatus::kTooLarge;
  }
  out->assign(raw);
  return BodyDecodeStatus::kOk;
}

}  // namespace kestrune
