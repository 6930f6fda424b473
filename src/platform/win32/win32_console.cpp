// Standard streams on Windows. A console shows UTF-16 characters written with
// WriteConsoleW, whatever its code page; bytes sent to it would be read in
// the console's ANSI/OEM code page and Chinese text would come out garbled.
// A pipe or a file gets the UTF-8 bytes as they are (binary mode: "\n" stays
// "\n", the same bytes as on Linux). Arguments come from the UTF-16 command
// line: the char** argv the C runtime builds holds ANSI text, where a name
// such as 张三 outside the code page has already become '?'.
#include <windows.h>
// (after windows.h)
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <mutex>

#include "platform/console.h"
#include "platform/utf8.h"

namespace kestrune::platform {

namespace {

DWORD StdHandleId(StdStream stream) {
  return stream == StdStream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
}

FILE* StreamFile(StdStream stream) {
  return stream == StdStream::kOut ? stdout : stderr;
}

bool HandleIsConsole(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  if ((::GetFileType(handle) & ~FILE_TYPE_REMOTE) != FILE_TYPE_CHAR) return false;
  DWORD mode = 0;
  return ::GetConsoleMode(handle, &mode) != 0;
}

// Binary mode once, before the first byte: the C runtime's text mode would
// turn every "\n" into "\r\n" and make the output differ from Linux's.
void UseBinaryStreams() {
  static std::once_flag once;
  std::call_once(once, [] {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
  });
}

// A console write may be cut short; the rest follows. Large texts go in
// chunks (old consoles refuse one very large write), never splitting a
// surrogate pair.
void WriteConsoleText(HANDLE handle, std::string_view utf8) {
  std::u16string wide = Utf8ToUtf16(utf8);
  const wchar_t* data = reinterpret_cast<const wchar_t*>(wide.data());
  size_t left = wide.size();
  while (left > 0) {
    DWORD chunk = static_cast<DWORD>(left < 8192 ? left : 8192);
    if (chunk < left && chunk > 1 && data[chunk - 1] >= 0xD800 && data[chunk - 1] <= 0xDBFF)
      --chunk;
    DWORD written = 0;
    if (!::WriteConsoleW(handle, data, chunk, &written, nullptr) || written == 0) return;
    data += written;
    left -= written;
  }
}

}  // namespace

void WriteStd(StdStream stream, std::string_view utf8) {
  UseBinaryStreams();
  HANDLE handle = ::GetStdHandle(StdHandleId(stream));
  if (HandleIsConsole(handle)) {
    // Bytes still buffered in the C stream go first, so order is kept.
    std::fflush(StreamFile(stream));
    WriteConsoleText(handle, utf8);
    return;
  }
  std::fwrite(utf8.data(), 1, utf8.size(), StreamFile(stream));
}

void FlushStd() {
  std::fflush(stdout);
  std::fflush(stderr);
}

bool IsConsole(StdStream stream) {
  return HandleIsConsole(::GetStdHandle(StdHandleId(stream)));
}

std::vector<std::string> CommandArguments(int /*argc*/, char** /*argv*/) {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) {
    std::u16string_view arg(reinterpret_cast<const char16_t*>(wide[i]));
    args.push_back(Utf16ToUtf8(arg));
  }
  ::LocalFree(wide);
  return args;
}

}  // namespace kestrune::platform
