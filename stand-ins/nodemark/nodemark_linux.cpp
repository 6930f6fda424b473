// Nodemark on Linux: the machine identifier from /etc/machine-id, the OS text
// from os-release's PRETTY_NAME, start at log-on as an XDG autostart entry.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "nodemark_system.h"

namespace nodemark {
namespace {

constexpr char kAutostartFile[] = "kestrune.desktop";
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

std::string MachineIdSource() {
  return MachineIdText();
}

std::string SystemVersionText() {
  return PrettyName();
}

bool SetStartAtLogOn(bool enable, const std::string& program) {
  std::string file = AutostartPath();
  if (file.empty()) return false;
  if (!enable) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return !ec;
  }
  std::string entry = std::string("[Desktop Entry]\n") + "Type=Application\n" + "Name=Kestrune\n" +
                      "Exec=" + ExecArgument(program) + " " + kHiddenStartSwitch + "\n" +
                      "Terminal=false\n" + "X-GNOME-Autostart-enabled=true\n";
  return WriteAtomically(file, entry);
}

bool StartsAtLogOn() {
  std::string file = AutostartPath();
  if (file.empty()) return false;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  std::istringstream lines(ReadText(file.c_str()));
  std::string line;
  while (std::getline(lines, line)) {
    if (Trim(line) == "Hidden=true") return false;
  }
  return true;
}

}  // namespace nodemark
