// The Windows process the kill test ends with TerminateProcess: the same
// heavy Apply as crash_writer, deterministically.
//
//   crash_writer_win run <base> [<event>]   do the work; with <event>, set
//       the named event right before the first step, so the parent can aim
//       its kills inside the Apply
//   crash_writer_win record <base> <events>  also record every change to the
//       tree under <base> (each file replaced with the bytes that landed,
//       each folder made, each file removed) in <events>
//
// At the end it prints the report (see RunHeavyApply) and, on a line of its
// own, the Apply's duration in microseconds.
//
// Recording: the link wraps the platform's file calls (ld --wrap, see
// CMakeLists.txt), so every change the engine makes passes through the
// functions below right after it lands.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/crash/apply_sequence.h"
#include "engine/crash/event_log.h"
#include "platform/file_system.h"

namespace {

kestrune::crash::EventLog* gRecorder = nullptr;

// Recordings use '/' like the Linux one; the engine joins with '\'.
std::string Slashed(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string ReadBytes(const std::string& path) {
  kestrune::platform::ReadResult r = kestrune::platform::ReadWholeFile(path);
  return r.data;
}

}  // namespace

// The real functions and their wrappers, under the names the linker uses.
bool RealReplace(const std::string&, std::string_view, std::string*) __asm__(
    "__real__ZN8kestrune8platform21ReplaceFileAtomicallyERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEESt17basic_string_viewIcS4_EPS6_");
bool RealReplaceKeeping(const std::string&, std::string_view, std::optional<uint32_t>, std::string*) __asm__(
    "__real__ZN8kestrune8platform21ReplaceFileAtomicallyERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEESt17basic_string_viewIcS4_ESt8optionalIjEPS6_");
bool RealCopy(const std::string&, const std::string&, std::string*) __asm__(
    "__real__ZN8kestrune8platform17CopyFileReplacingERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEES8_PS6_");
bool RealRemove(const std::string&, std::string*) __asm__(
    "__real__ZN8kestrune8platform10RemoveFileERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEEPS6_");
bool RealMakeFolders(const std::string&) __asm__(
    "__real__ZN8kestrune8platform17CreateDirectoriesERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEE");

bool WrapReplace(const std::string& path, std::string_view data, std::string* error) __asm__(
    "__wrap__ZN8kestrune8platform21ReplaceFileAtomicallyERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEESt17basic_string_viewIcS4_EPS6_");
bool WrapReplaceKeeping(const std::string& path, std::string_view data, std::optional<uint32_t> permissions, std::string* error) __asm__(
    "__wrap__ZN8kestrune8platform21ReplaceFileAtomicallyERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEESt17basic_string_viewIcS4_ESt8optionalIjEPS6_");
bool WrapCopy(const std::string& from, const std::string& to, std::string* error) __asm__(
    "__wrap__ZN8kestrune8platform17CopyFileReplacingERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEES8_PS6_");
bool WrapRemove(const std::string& path, std::string* error) __asm__(
    "__wrap__ZN8kestrune8platform10RemoveFileERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEEPS6_");
bool WrapMakeFolders(const std::string& path) __asm__(
    "__wrap__ZN8kestrune8platform17CreateDirectoriesERKNSt7__cxx1112basic_"
    "stringIcSt11char_traitsIcESaIcEEE");

bool WrapReplace(const std::string& path, std::string_view data, std::string* error) {
  bool ok = RealReplace(path, data, error);
  if (ok && gRecorder) gRecorder->Add({'F', Slashed(path), ReadBytes(path)});
  return ok;
}

// The same replace for a caller that has just read the file (the INI layer).
bool WrapReplaceKeeping(const std::string& path, std::string_view data,
                        std::optional<uint32_t> permissions, std::string* error) {
  bool ok = RealReplaceKeeping(path, data, permissions, error);
  if (ok && gRecorder) gRecorder->Add({'F', Slashed(path), ReadBytes(path)});
  return ok;
}

bool WrapCopy(const std::string& from, const std::string& to, std::string* error) {
  bool ok = RealCopy(from, to, error);
  if (ok && gRecorder) gRecorder->Add({'F', Slashed(to), ReadBytes(to)});
  return ok;
}

bool WrapRemove(const std::string& path, std::string* error) {
  bool ok = RealRemove(path, error);
  if (ok && gRecorder && !kestrune::crash::IsTemporaryName(Slashed(path)))
    gRecorder->Add({'U', Slashed(path), {}});
  return ok;
}

// Folders are made outermost first, one at a time: each one a change.
bool WrapMakeFolders(const std::string& path) {
  std::vector<std::string> missing;
  if (gRecorder) {
    for (std::string p = path; !p.empty() && !kestrune::platform::DirectoryExists(p);) {
      missing.insert(missing.begin(), p);
      std::string parent = kestrune::platform::ParentFolder(p);
      if (parent == p) break;
      p = parent;
    }
  }
  bool ok = RealMakeFolders(path);
  for (const std::string& folder : missing)
    if (kestrune::platform::DirectoryExists(folder)) gRecorder->Add({'D', Slashed(folder), {}});
  return ok;
}

int main(int argc, char** argv) {
  using namespace kestrune;
  if (argc < 3) {
    std::fprintf(stderr, "usage: crash_writer_win run|record <base> [event|events]\n");
    return 2;
  }
  const std::string mode = argv[1];
  const std::string base = argv[2];
  crash::EventLog log;
  HANDLE ready = nullptr;
  if (mode == "record") {
    if (argc < 4) return 2;
    gRecorder = &log;
  } else if (mode == "run") {
    if (argc > 3) ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
  } else {
    return 2;
  }

  std::chrono::steady_clock::time_point start;
  std::string report = crash::RunHeavyApply(base, false, [&] {
    start = std::chrono::steady_clock::now();
    if (ready) ::SetEvent(ready);
  });
  auto took = std::chrono::steady_clock::now() - start;
  gRecorder = nullptr;
  if (mode == "record" && !log.Save(argv[3], Slashed(base))) return 3;
  report += "microseconds " +
            std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(took).count()) +
            "\n";
  std::fwrite(report.data(), 1, report.size(), stdout);
  return 0;
}
