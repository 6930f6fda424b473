// Default services of the page: Config.dat through the settings store, the
// in-memory overlay of a dry run, and the page's integer parsing.
#include "opti/opti_services.h"

#include "env/settings_store.h"

namespace kestrune::opti {

std::string ConfigDatSettings::Read(const std::string& key) {
  return ReadConfig(key);
}

SettingRead ConfigDatSettings::ReadChecked(const std::string& key) {
  ConfigRead read = ReadConfigChecked(key);
  return {std::move(read.value), std::move(read.error)};
}

bool ConfigDatSettings::Write(const std::string& key, const std::string& value) {
  return WriteConfig(key, value);
}

std::string OverlaySettings::Read(const std::string& key) {
  for (const auto& [name, value] : written_)
    if (name == key) return value;
  return base_.Read(key);
}

SettingRead OverlaySettings::ReadChecked(const std::string& key) {
  for (const auto& [name, value] : written_)
    if (name == key) return {value, {}};
  return base_.ReadChecked(key);
}

bool OverlaySettings::Write(const std::string& key, const std::string& value) {
  for (auto& [name, old] : written_)
    if (name == key) {
      old = value;
      return true;
    }
  written_.emplace_back(key, value);
  return true;
}

std::string TrimSpacesAndControls(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

int ParseIntDef(std::string_view text, int fallback) {
  // One integer rule for Config.dat and the page's edits.
  return ParseConfigInteger(TrimSpacesAndControls(text)).value_or(fallback);
}

}  // namespace kestrune::opti
