// Nodemark stand-in: the maker's identity and autorun library, built for
// Linux. Machine identifier = HMAC-SHA-256 of /etc/machine-id under our own
// key (the raw id never leaves this library), OS text = PRETTY_NAME from
// os-release, start at log-on = an XDG autostart entry.
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "sha256.h"

#define NODEMARK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr size_t kMidBufferSize = 261;
constexpr char kMidKey[] = "Kestrune Nodemark machine identifier v1";
constexpr char kAutostartFile[] = "kestrune.desktop";
constexpr char kHiddenStartSwitch[] = "/start";

std::string ReadText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

std::string MachineIdText() {
  for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
    std::string id = Trim(ReadText(path));
    if (!id.empty()) return id;
  }
  return "";
}

// One value of an os-release line: shell-like quoting, backslash escapes.
std::string UnquoteOsReleaseValue(const std::string& raw) {
  std::string value = Trim(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    char quote = value.front();
    std::string inner = value.substr(1, value.size() - 2);
    if (quote == '\'') return inner;
    std::string out;
    for (size_t i = 0; i < inner.size(); ++i) {
      if (inner[i] == '\\' && i + 1 < inner.size()) ++i;
      out += inner[i];
    }
    return out;
  }
  return value;
}

std::string PrettyName() {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::istringstream lines(ReadText(path));
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind("PRETTY_NAME=", 0) == 0) return UnquoteOsReleaseValue(line.substr(12));
    }
  }
  return "";
}

std::string ConfigHome() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    passwd* pw = ::getpwuid(::getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (!home || !*home) return "";
  return std::string(home) + "/.config";
}

std::string AutostartPath() {
  std::string config = ConfigHome();
  return config.empty() ? "" : config + "/autostart/" + kAutostartFile;
}

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

// The program as one quoted Exec argument (Desktop Entry rules): inside the
// quotes " ` $ \ take a backslash, % doubles; then the string-value rule
// doubles every backslash once more.
std::string ExecArgument(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (char c : quoted) {
    if (c == '\\') value += '\\';
    value += c;
  }
  return value;
}

bool WriteAtomically(const std::string& path, const std::string& text) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) {
      std::filesystem::remove(temp, ec);
      return false;
    }
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) std::filesystem::remove(temp, ec);
  return !ec;
}

}  // namespace

// Buffer of 261 bytes; non-zero when it holds the identifier.
NODEMARK_EXPORT int GetMID(char* buffer) {
  if (!buffer) return 0;
  buffer[0] = '\0';
  std::string id = MachineIdText();
  if (id.empty()) return 0;
  nodemark::Digest digest = nodemark::HmacSha256(id, kMidKey);
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < 16; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  std::snprintf(buffer, kMidBufferSize, "%s", text.c_str());
  return 1;
}

// The OS text; stays valid for the life of the process.
NODEMARK_EXPORT const char* GetWindowsVersion() {
  static const std::string text = PrettyName();
  return text.c_str();
}

// Enables (with the program's full path) or removes the start at log-on.
NODEMARK_EXPORT int SetAutoRun(int enable, const char16_t* path) {
  std::string file = AutostartPath();
  if (file.empty()) return 0;
  if (!enable) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return ec ? 0 : 1;
  }
  std::string program = Utf16ToUtf8(path);
  if (program.empty()) return 0;
  for (char c : program) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return 0;  // no line breaks in Exec
  }
  std::string entry = std::string("[Desktop Entry]\n") + "Type=Application\n" + "Name=Kestrune\n" +
                      "Exec=" + ExecArgument(program) + " " + kHiddenStartSwitch + "\n" +
                      "Terminal=false\n" + "X-GNOME-Autostart-enabled=true\n";
  return WriteAtomically(file, entry) ? 1 : 0;
}

// Non-zero while the autostart entry is in place and not hidden.
NODEMARK_EXPORT int IsAutoRun() {
  std::string file = AutostartPath();
  if (file.empty()) return 0;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return 0;
  std::istringstream lines(ReadText(file.c_str()));
  std::string line;
  while (std::getline(lines, line)) {
    if (Trim(line) == "Hidden=true") return 0;
  }
  return 1;
}
