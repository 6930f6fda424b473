// Nodemark stand-in: the maker's identity and autorun library. The machine
// identifier is an HMAC-SHA-256 of the system's own identifier under our own
// key (the raw id never leaves this library); the OS text and the start at
// log-on come from the system part (nodemark_system.h).
#include <cstdio>
#include <cstring>
#include <string>

#include "nodemark_system.h"
#include "sha256.h"

// The standard system calling convention, as the program declares its entry
// pointers (on x86-64 it is the only one); nodemark.def keeps the names plain.
#ifdef _WIN32
#define NODEMARK_EXPORT extern "C"
#define NODEMARK_CALL __stdcall
#else
#define NODEMARK_EXPORT extern "C" __attribute__((visibility("default")))
#define NODEMARK_CALL
#endif

namespace {

constexpr size_t kMidBufferSize = 261;
constexpr char kMidKey[] = "Kestrune Nodemark machine identifier v1";

std::string Utf16ToUtf8(const char16_t* text) {
  std::string out;
  if (!text) return out;
  for (size_t i = 0; text[i]; ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace

// Buffer of 261 bytes; non-zero when it holds the identifier.
NODEMARK_EXPORT int NODEMARK_CALL GetMID(char* buffer) {
  if (!buffer) return 0;
  buffer[0] = '\0';
  std::string id;
  try {
    id = nodemark::MachineIdSource();
  } catch (...) {
    return 0;
  }
  if (id.empty()) return 0;
  nodemark::Digest digest = nodemark::HmacSha256(id, kMidKey);
  static const char kHex[] = "0123456789ABCDEF";
  char text[33];
  for (size_t i = 0; i < 16; ++i) {
    text[2 * i] = kHex[digest[i] >> 4];
    text[2 * i + 1] = kHex[digest[i] & 15];
  }
  text[32] = '\0';
  std::snprintf(buffer, kMidBufferSize, "%s", text);
  return 1;
}

// The OS text; stays valid for the life of the process.
NODEMARK_EXPORT const char* NODEMARK_CALL GetWindowsVersion() {
  static const std::string text = [] {
    try {
      return nodemark::SystemVersionText();
    } catch (...) {
      return std::string();
    }
  }();
  return text.c_str();
}

// Enables (with the program's full path) or removes the start at log-on.
NODEMARK_EXPORT int NODEMARK_CALL SetAutoRun(int enable, const char16_t* path) {
  try {
    if (!enable) return nodemark::SetStartAtLogOn(false, "") ? 1 : 0;
    std::string program = Utf16ToUtf8(path);
    if (program.empty()) return 0;
    for (char c : program) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return 0;  // no line breaks
    }
    return nodemark::SetStartAtLogOn(true, program) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Non-zero while the start at log-on is in place and not switched off.
NODEMARK_EXPORT int NODEMARK_CALL IsAutoRun() {
  try {
    return nodemark::StartsAtLogOn() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}
