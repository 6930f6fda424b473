// What the optimisation page needs from its surroundings, as small
// interfaces: the dialogs it shows (skinned windows in the GUI, terminal
// prompts in the CLI), the game process and launch functions, and the
// settings store. The page itself holds no widget and calls no OS.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune::opti {

class OptiDialogs {
 public:
  virtual ~OptiDialogs() = default;

  // The game-running notice, shown modally; its "一键关闭游戏" button calls
  // `closeGame` and leaves the notice open. The result is ignored.
  virtual void ShowGameRunningNotice(const std::function<void()>& closeGame) = 0;

  // The general message dialog: title, one line of text, icon type (1 error,
  // 2 information, 3 question), buttons mode (1 = OK only). Returns 1 for OK,
  // 2 for Cancel or close.
  virtual int ShowMessageBox(std::string_view title, std::string_view text, int iconType,
                             int buttonsMode) = 0;

  // A failure that stopped a flow: a plain error box with the error's message.
  virtual void ShowErrorBox(std::string_view message) = 0;
};

class GameControl {
 public:
  virtual ~GameControl() = default;
  virtual bool IsGameRunning() = 0;
  virtual void TerminateGameProcesses() = 0;
  virtual void LaunchGameViaSteam() = 0;
};

// The game process functions of the environment subsystem.
class SystemGameControl final : public GameControl {
 public:
  bool IsGameRunning() override;
  void TerminateGameProcesses() override;
  void LaunchGameViaSteam() override;
};

// A read that may find the store there but unreadable.
struct SettingRead {
  std::string value;  // empty when absent or unreadable
  std::string error;  // set when the store exists and could not be read
};

// Config.dat access as the page uses it: one read or one write per call.
class OptiSettings {
 public:
  virtual ~OptiSettings() = default;
  virtual std::string Read(const std::string& key) = 0;  // empty when absent
  // False when the value could not be saved.
  virtual bool Write(const std::string& key, const std::string& value) = 0;
  // Read, telling an absent key from a store that could not be read. A store
  // that cannot fail that way keeps this default.
  virtual SettingRead ReadChecked(const std::string& key) { return {Read(key), {}}; }
};

// The program's Config.dat through the settings store.
class ConfigDatSettings final : public OptiSettings {
 public:
  std::string Read(const std::string& key) override;
  SettingRead ReadChecked(const std::string& key) override;
  bool Write(const std::string& key, const std::string& value) override;
};

// Reads fall through to another store; writes stay in memory. A dry run
// uses it so that Config.dat is never touched.
class OverlaySettings final : public OptiSettings {
 public:
  explicit OverlaySettings(OptiSettings& base) : base_(base) {}
  std::string Read(const std::string& key) override;
  SettingRead ReadChecked(const std::string& key) override;
  bool Write(const std::string& key, const std::string& value) override;
  // Keys written, in the order first written, with their last value.
  const std::vector<std::pair<std::string, std::string>>& Written() const { return written_; }

 private:
  OptiSettings& base_;
  std::vector<std::pair<std::string, std::string>> written_;
};

// Integer parsing as the page does it: blanks around the text are ignored;
// anything but an optional sign and decimal digits that fit in 32 bits gives
// `fallback`.
int ParseIntDef(std::string_view text, int fallback);

// What a player typed, or a value read back, without the spaces and control
// characters (any byte up to 0x20: tab, CR, LF, NUL, ...) at either end. Wider
// than the INI and HTTP trims (platform/ascii.h): a pasted line break must not
// spoil a number.
std::string TrimSpacesAndControls(std::string_view text);

}  // namespace kestrune::opti
