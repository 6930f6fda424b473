// A fake GPU information library for the tests: it answers from the
// environment variable KESTRUNE_FAKE_GAUGE3, read on every call:
//   adapters "name|vendor|shaders|memory" separated by ';' (an empty field is
//   an absent property), and options "!initfail", "!count=N",
//   "!unterminated" (names fill the whole buffer with no terminator).
// Built in variants without some entries (FAKE_WITHOUT_INIT,
// FAKE_WITHOUT_PROPERTY) and with different version resources.
#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "hardware/gauge3_api.h"

#ifdef _WIN32
#define FAKE_EXPORT  // the variant's generated .def file exports it (Gauge3 entries by ordinal)
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#endif

namespace {

std::atomic<int> initCalls{0};
std::atomic<int> doneCalls{0};

struct Script {
  std::vector<std::vector<std::string>> adapters;
  bool initFails = false;
  bool unterminated = false;
  bool hasCount = false;
  long count = 0;
};

std::vector<std::string> Split(const std::string& text, char by) {
  std::vector<std::string> parts;
  size_t pos = 0;
  while (true) {
    size_t next = text.find(by, pos);
    parts.push_back(text.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
    if (next == std::string::npos) return parts;
    pos = next + 1;
  }
}

Script Load() {
  Script s;
  const char* env = std::getenv("KESTRUNE_FAKE_GAUGE3");
  if (!env || !*env) return s;
  for (const std::string& item : Split(env, ';')) {
    if (item == "!initfail") {
      s.initFails = true;
    } else if (item == "!unterminated") {
      s.unterminated = true;
    } else if (item.rfind("!count=", 0) == 0) {
      s.hasCount = true;
      s.count = std::atol(item.c_str() + 7);
    } else if (!item.empty()) {
      std::vector<std::string> fields = Split(item, '|');
      fields.resize(4);
      s.adapters.push_back(fields);
    }
  }
  return s;
}

}  // namespace

extern "C" {

FAKE_EXPORT int FakeGauge3_InitCalls() {
  return initCalls;
}
FAKE_EXPORT int FakeGauge3_DoneCalls() {
  return doneCalls;
}
FAKE_EXPORT void FakeGauge3_Reset() {
  initCalls = 0;
  doneCalls = 0;
}

#ifndef FAKE_WITHOUT_INIT
FAKE_EXPORT int32_t Gauge3Ord9_GpuInit(char* buffer, int32_t size) {
  ++initCalls;
  if (buffer && size > 0) buffer[0] = '\0';
  return Load().initFails ? 0 : 1;
}
#endif

FAKE_EXPORT void Gauge3Ord10_GpuDone() {
  ++doneCalls;
}

FAKE_EXPORT int32_t Gauge3Ord7_GpuAdapterCount() {
  Script s = Load();
  return s.hasCount ? static_cast<int32_t>(s.count) : static_cast<int32_t>(s.adapters.size());
}

#ifndef FAKE_WITHOUT_PROPERTY
FAKE_EXPORT int32_t Gauge3Ord8_GpuAdapterProperty(int32_t adapter, int32_t property,
                                                  char16_t* buffer, int32_t capacity) {
  Script s = Load();
  if (adapter < 0 || static_cast<size_t>(adapter) >= s.adapters.size()) return 0;
  const std::vector<std::string>& a = s.adapters[static_cast<size_t>(adapter)];
  if (s.unterminated && property == 0) {
    for (int32_t i = 0; i < capacity; ++i) buffer[i] = u'A';
    return capacity + 10;
  }
  const std::string* text = nullptr;
  switch (property) {
    case 0:
      text = &a[0];
      break;
    case 4:
      text = &a[1];
      break;
    case 17:
      text = &a[2];
      break;
    case 20:
      text = &a[3];
      break;
    default:
      return 0;
  }
  if (text->empty()) return 0;
  int32_t n = 0;
  for (; n < capacity - 1 && static_cast<size_t>(n) < text->size(); ++n)
    buffer[n] = static_cast<unsigned char>((*text)[static_cast<size_t>(n)]);
  buffer[n] = 0;
  return n;
}
#endif

FAKE_EXPORT int32_t Gauge3Ord4_GpuSensorCount(int32_t) {
  return 3;
}
FAKE_EXPORT int32_t Gauge3Ord5_GpuSensorName() {
  return 0;
}
FAKE_EXPORT int32_t Gauge3Ord6_GpuSensorValue() {
  return 0;
}

}  // extern "C"
