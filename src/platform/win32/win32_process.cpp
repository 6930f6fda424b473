// Processes on Windows: Tool Help snapshots, OpenProcess/TerminateProcess and
// CreateProcessW.
#include "platform/process.h"

#include <windows.h>
// (after windows.h)
#include <tlhelp32.h>

#include "platform/ascii.h"
#include "platform/file_system.h"
#include "platform/win32/win32_text.h"

namespace kestrune::platform {
namespace {

using win32::Handle;
using win32::Narrow;
using win32::Wide;

// One argument quoted so that the system's command-line split gives it back
// unchanged: backslashes count only before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"')
      line.append(backslashes * 2 + 1, L'\\');
    else
      line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

}  // namespace

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> list;
  Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return list;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    ProcessEntry p;
    p.id = entry.th32ProcessID;
    p.exeName = Narrow(entry.szExeFile);
    // Some systems report a full path here; the interface promises the name.
    size_t sep = p.exeName.find_last_of("/\\");
    if (sep != std::string::npos) p.exeName.erase(0, sep + 1);
    if (!p.exeName.empty()) list.push_back(std::move(p));
  }
  return list;
}

bool TerminateProcessById(int64_t id) {
  if (id <= 0 || id > 0xFFFFFFFFll) return false;
  Handle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, static_cast<DWORD>(id)));
  if (!process.valid()) return false;
  DWORD code = 0;
  if (::GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE &&
      ::TerminateProcess(process.get(), 1))
    return true;
  // Not (or no longer) active, or the first call was refused: once more,
  // whatever it answers.
  ::TerminateProcess(process.get(), 1);
  return false;
}

bool ProcessIsAlive(int64_t id) {
  if (id <= 0 || id > 0xFFFFFFFFll) return false;
  Handle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                               static_cast<DWORD>(id)));
  if (!process.valid()) return ::GetLastError() == ERROR_ACCESS_DENIED;  // exists, not ours
  return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

int64_t SpawnDetached(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty() || argv[0].empty()) {
    if (error) *error = "empty command line";
    return 0;
  }
  std::wstring line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += L' ';
    AppendQuoted(line, Wide(arg));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  // A console of its own, normal priority, no handle inherited; the system
  // searches the program's folder and PATH for a bare name.
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS | CREATE_UNICODE_ENVIRONMENT,
                        nullptr, nullptr, &startup, &info)) {
    if (error) *error = win32::ErrorText(::GetLastError());
    return 0;
  }
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return info.dwProcessId;
}

bool IsExecutableFile(const std::string& path) {
  if (!FileExists(path)) return false;
  std::string name = AsciiLowerCopy(FileName(path));
  for (const char* extension : {".exe", ".com", ".bat", ".cmd"}) {
    std::string_view ext(extension);
    if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
      return true;
  }
  return false;
}

std::string FindInSearchPath(const std::string& name) {
  if (name.empty() || name.find_first_of("/\\:") != std::string::npos) return "";
  std::wstring wide = Wide(name);
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::SearchPathW(nullptr, wide.c_str(), L".exe", static_cast<DWORD>(buffer.size()),
                            buffer.data(), nullptr);
    if (n == 0) return "";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(n + 1);
  }
  std::string found = Narrow(buffer);
  return IsExecutableFile(found) ? found : "";
}

}  // namespace kestrune::platform
