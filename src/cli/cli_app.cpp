// kestrune-cli commands: status, show, set, apply, backups, restore, clear,
// start (export and import: cli_preset.cpp). Each command builds what it
// needs and prints short lines; errors go to stderr as one line with a
// non-zero exit status.
#include "cli/cli_app.h"

#include <array>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>

#include "cli/cli_changes.h"
#include "cli/cli_game_folder.h"
#include "cli/cli_hardware.h"
#include "cli/cli_history.h"
#include "cli/cli_net.h"
#include "cli/cli_net_checks.h"
#include "cli/cli_output.h"
#include "cli/cli_preset.h"
#include "cli/cli_values.h"
#include "env/game_process.h"
#include "env/settings_store.h"
#include "i18n/i18n.h"
#include "net/usage_report.h"
#include "opti/game_files.h"
#include "opti/ini_diff.h"
#include "opti/opti_dry_run.h"
#include "opti/opti_frame.h"
#include "opti/opti_preset.h"
#include "opti/opti_services.h"
#include "platform/ascii.h"
#include "platform/console.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace kestrune::cli {
namespace {

using opti::CheckId;
using opti::EditId;
using opti::ListId;

constexpr const char* kUsage = R"(usage: kestrune-cli [command] [options]

Optimises the game's configuration files like the program's optimisation
page, with the same Config.dat beside this executable.

commands:
  status                 the machine, the page's selections, and what Apply
                         would change (a dry run); the default command
  show                   hardware facts, every selection (text and index),
                         the options and where the game's files are
  set NAME VALUE ...     change selections, options or edits and save them
                         as the page does on Apply; NAME is a short name, a
                         control name or a Config.dat key (see show);
                         "set scheme 1" runs the automatic configuration
  apply [--dry-run] [--start] [--json] [--again]
                         apply the selections to the game's files (backup
                         first) and list what changed; --start answers the
                         final question with "start the game"; --dry-run
                         lists what would change and touches nothing; --json
                         prints the list as one JSON object; --again applies
                         the last Apply's selections once more
  export FILE            write the page's selections (lists, edits, options)
                         to a preset file to share; nothing about the machine
  import FILE            read a preset file and save its selections as the
                         page does on Apply; a fault in the file (named with
                         its line) changes nothing
  backups                list the backups (restore history) with their indexes
  backups prune [N]      delete the oldest backups beyond the newest N (default
                         the KeepBackups setting, 30; 0 keeps all); pinned
                         backups stay
  backups delete INDEX   delete one backup
  backups pin INDEX      keep a backup whatever pruning does (unpin INDEX undoes)
  diff [INDEX [INDEX2]]  the keys that differ between a backup (the newest by
                         default) and the game's files now, or another backup
                         (--json for scripts)
  drift                  the keys the last Apply set that the game changed
                         since (status 6 when there are some; --json)
  restore INDEX          put the backup with that index back
  clear [--yes]          delete the game's *.ini files (a backup is taken
                         first); asks for confirmation unless --yes
  start                  start the game through Steam unless it is running
  update-check           ask the update server whether a newer version exists
  report-url [--send]    print the usage report address this machine would
                         send at start-up; nothing is sent unless --send
                         (which prints the server's answer)
  help                   this text

options: --verbose (-v) shows the diagnostic lines on stderr; --version (-V)
prints the version; --game-dir DIR names the folder that holds the game's
"TslGame" folder (also the Config.dat key GameDir) instead of looking for it.

exit status: 0 done, 1 failed, 2 bad command line, 3 the game is running,
4 done in part: some files could not be changed, 5 confirmation declined,
6 drift found.
)";

void Error(const std::string& text) {
  PrintError("kestrune-cli: error: %s\n", text.c_str());
}

struct Target {
  enum Kind { kList, kEdit, kCheck } kind;
  int id;
};

std::optional<Target> FindTarget(std::string_view name) {
  std::string want = AsciiLowerCopy(name);
  for (size_t i = 0; i < opti::kListCount; ++i) {
    const auto& desc = opti::Lists()[i];
    if (want == desc.name || want == AsciiLowerCopy(desc.control) ||
        want == AsciiLowerCopy(desc.key))
      return Target{Target::kList, static_cast<int>(i)};
  }
  for (size_t i = 0; i < opti::kEditCount; ++i) {
    const auto& desc = opti::Edits()[i];
    if (want == desc.name || want == AsciiLowerCopy(desc.control) ||
        want == AsciiLowerCopy(desc.key))
      return Target{Target::kEdit, static_cast<int>(i)};
  }
  for (size_t i = 0; i < opti::kCheckCount; ++i) {
    const auto& desc = opti::Checks()[i];
    if (want == desc.name || want == AsciiLowerCopy(desc.control) ||
        want == AsciiLowerCopy(desc.key))
      return Target{Target::kCheck, static_cast<int>(i)};
  }
  return std::nullopt;
}

// The page's dialogs on a terminal. While `deferred`, messages are kept
// (with the answer given) and printed later, after the list of changes.
class TerminalDialogs final : public opti::OptiDialogs {
 public:
  int questionAnswer = opti::kResultCancel;
  bool deferred = false;
  std::vector<std::string> kept;  // each message's lines, answer included

  void ShowGameRunningNotice(const std::function<void()>&) override {
    PrintError("kestrune-cli: %s %s\n", i18n::TrS(opti::kRunningLine1).c_str(),
               i18n::TrS(opti::kRunningLine2).c_str());
  }
  int ShowMessageBox(std::string_view, std::string_view text, int, int buttons) override {
    std::string shown = std::string(text) + "\n";
    int answer = opti::kResultOk;
    if (buttons != opti::kButtonsOkOnly) {
      answer = questionAnswer;
      shown += std::string("  -> ") +
               (answer == opti::kResultOk ? "yes: starting the game through Steam"
                                          : "no (pass --start to start the game)") +
               "\n";
    }
    if (deferred)
      kept.push_back(shown);
    else
      PrintText(shown);
    return answer;
  }
  void ShowErrorBox(std::string_view message) override { Error(std::string(message)); }
};

struct Options {
  bool dryRun = false;
  bool start = false;
  bool yes = false;
  bool help = false;
  bool version = false;
  bool verbose = false;
  bool again = false;
  bool json = false;
  bool send = false;
  std::string gameDir;
  std::vector<std::string> words;
};

// Splits flags from words; false (after an error line) on an unknown flag.
bool ParseOptions(const std::vector<std::string>& args, size_t from, Options& out) {
  for (size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--dry-run" || a == "-n")
      out.dryRun = true;
    else if (a == "--start")
      out.start = true;
    else if (a == "--no-start")
      out.start = false;
    else if (a == "--yes" || a == "-y")
      out.yes = true;
    else if (a == "--help" || a == "-h")
      out.help = true;
    else if (a == "--verbose" || a == "-v")
      out.verbose = true;
    else if (a == "--version" || a == "-V")
      out.version = true;
    else if (a == "--again")
      out.again = true;
    else if (a == "--json")
      out.json = true;
    else if (a == "--send")
      out.send = true;
    else if (a == "--game-dir" && i + 1 < args.size())
      out.gameDir = args[++i];
    else if (a.rfind("--game-dir=", 0) == 0)
      out.gameDir = a.substr(11);
    else if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) {
      Error("unknown option " + a + " (see kestrune-cli --help)");
      return false;
    } else {
      out.words.push_back(a);
    }
  }
  return true;
}

// Everything a command works with, built the way the GUI builds its page.
struct Session {
  HardwareSource source;  // before `hardware`: GatherHardware fills it
  THareWareInfo hardware;
  opti::ConfigDatSettings settings;
  opti::SystemGameControl game;
  TerminalDialogs dialogs;
  std::unique_ptr<opti::TOptiFrame> page;
  GameFolderChoice gameFolder;

  explicit Session(GameFolderChoice folder)
      : hardware(GatherHardware(&source)), gameFolder(std::move(folder)) {}
  opti::TOptiFrame& Page() {
    if (!page)
      page = opti::TOptiFrame::ForGameFolder(hardware, settings, dialogs, game,
                                             gameFolder.named ? gameFolder.localAppData : "");
    return *page;
  }
};

// A caption padded to the machine table's first column (11 cells; a Chinese
// character takes two on a terminal).
std::string Column(std::string_view caption) {
  size_t cells = 0;
  for (unsigned char c : caption)
    if ((c & 0xC0) != 0x80) cells += c < 0x80 ? 1 : 2;
  return std::string(caption) + std::string(cells < 11 ? 11 - cells : 1, ' ');
}

void PrintMachine(const THareWareInfo& hw, const HardwareSource& source) {
  Print("Machine\n");
  std::string cpu = opti::TrimSpacesAndControls(hw.CPUName);
  Print("  CPU        %s\n", cpu.c_str());
  Print("  %s%d G\n", Column(i18n::Tr("内存")).c_str(), hw.MemorySize);
  Print("  GPU        %s\n", hw.CardName.empty() ? "(unknown)" : hw.CardName.c_str());
  Print("  %s%d\n", Column(i18n::Tr("渲染数量")).c_str(), hw.ShaderCount);
  Print("  video memory %d, vendor %s, logical processors %d (adapter facts: %s)\n",
        hw.VideoMemorySize, hw.CardVendor.empty() ? "-" : hw.CardVendor.c_str(),
        hw.LogicalProcessors, source.adapters.c_str());
}

void PrintSelections(const opti::TOptiFrame& page) {
  Print("Selections\n");
  for (size_t i = 0; i < opti::kListCount; ++i) {
    const auto& desc = opti::Lists()[i];
    const auto& list = page.ListModel(desc.id);
    Print("  %-10s %-17s %2d  %s\n", std::string(desc.name).c_str(),
          std::string(desc.control).c_str(), list.ItemIndex,
          list.ItemIndex < 0 ? "(no selection)" : i18n::TrS(list.SelectedText()).c_str());
  }
  Print("Edits\n");
  for (size_t i = 0; i < opti::kEditCount; ++i) {
    const auto& desc = opti::Edits()[i];
    Print("  %-10s %-17s %s\n", std::string(desc.name).c_str(), std::string(desc.control).c_str(),
          page.EditText(desc.id).c_str());
  }
  Print("Options\n");
  for (size_t i = 0; i < opti::kCheckCount; ++i) {
    const auto& desc = opti::Checks()[i];
    Print("  [%c] %-20s %-27s %s\n", page.Checked(desc.id) ? 'x' : ' ',
          std::string(desc.name).c_str(), std::string(desc.control).c_str(),
          i18n::TrS(desc.text).c_str());
  }
}

int ReportSkipped(const std::vector<TSwallowedWrite>& skipped) {
  if (skipped.empty()) return kExitOk;
  for (const auto& s : skipped)
    PrintError("kestrune-cli: could not change %s (%d write%s skipped): %s\n", s.Path.c_str(),
               s.Count, s.Count == 1 ? "" : "s", s.Reason.c_str());
  return kExitSkippedWrites;
}

int DryRun(Session& session, bool showPage, bool json) {
  // The page is built on a scratch copy, so the player's folders stay as they are.
  const std::string named = session.gameFolder.named ? session.gameFolder.localAppData : "";
  opti::DryRunReport report = opti::DryRunApply(session.hardware, session.settings, session.game,
                                                named, [&](const opti::TOptiFrame& page) {
                                                  if (showPage) PrintSelections(page);
                                                });
  const bool failed = report.apply.status == opti::ApplyStatus::Failed;
  if (json) {
    PrintChangeList(ChangeListOf(report.files), true,
                    {{"dryRun", "true"},
                     {"gameRunning", report.gameRunning ? "true" : "false"},
                     {"question", failed ? "null" : opti::JsonString(report.question)}});
  } else {
    Print("Dry run of Apply: nothing was written. Apply would change:\n");
    PrintChangeList(ChangeListOf(report.files), false);
  }
  if (failed) {
    Error("Apply would stop: " + report.apply.error);
    return kExitFailed;
  }
  if (!json) Print("Apply would then ask: %s\n", report.question.c_str());
  // The dry run writes nothing, so a running game does not stop it.
  if (report.gameRunning && !json)
    Print("Note: the game is running, so Apply would be refused now: %s\n",
          i18n::TrS(opti::kRunningLine1).c_str());
  return ReportSkipped(report.apply.skipped);
}

int CmdStatus(Session& session) {
  PrintMachine(session.hardware, session.source);
  return DryRun(session, /*showPage=*/true, /*json=*/false);
}

int CmdShow(Session& session) {
  PrintMachine(session.hardware, session.source);
  opti::TOptiFrame& page = session.Page();
  PrintSelections(page);
  Print("Game files: %s\n", page.GameConfigFolder().c_str());
  for (const std::string& path : page.GameFilePaths())
    Print("  %-21s %s\n", platform::FileName(path).c_str(),
          platform::FileExists(path) ? "present" : "missing");
  Print("Looked for the game in:%s\n", session.gameFolder.named ? " (named: --game-dir or GameDir)"
                                       : session.gameFolder.found ? ""
                                                                  : " (not found)");
  for (const std::string& place : session.gameFolder.searched) Print("  %s\n", place.c_str());
  Print("Backups: %s (%zu)\n", page.BackupRoot().c_str(), page.History().size());
  Print("Config.dat: %s%s\n", ConfigFilePath().c_str(),
        platform::FileExists(ConfigFilePath()) ? "" : " (not written yet)");
  Print("Game running: %s\n", session.game.IsGameRunning() ? "yes" : "no");
  return kExitOk;
}

int CmdSet(Session& session, const Options& options) {
  if (options.words.empty() || options.words.size() % 2 != 0) {
    Error("set takes NAME VALUE pairs, e.g. kestrune-cli set msaa 3 use-fps-limit on");
    return kExitUsage;
  }
  opti::TOptiFrame& page = session.Page();
  // Validate everything first: a bad pair changes nothing.
  std::vector<std::pair<Target, std::string>> changes;
  for (size_t i = 0; i < options.words.size(); i += 2) {
    const std::string& name = options.words[i];
    const std::string& value = options.words[i + 1];
    std::optional<Target> target = FindTarget(name);
    if (!target) {
      Error("unknown name '" + name + "' (kestrune-cli show lists the names)");
      return kExitUsage;
    }
    if (target->kind == Target::kList) {
      const auto& list = page.ListModel(static_cast<ListId>(target->id));
      int index = opti::ParseIntDef(value, -1);
      if (index < 0) {  // an entry's text also selects it
        for (int k = 0; k < list.Count(); ++k)
          if (list.Items[k] == value || i18n::Tr(list.Items[k]) == value) index = k;
      }
      if (index < 0 || index >= list.Count()) {
        Error("'" + value + "' is not an entry of " + name + " (0.." +
              std::to_string(list.Count() - 1) + ")");
        return kExitUsage;
      }
      changes.push_back({*target, std::to_string(index)});
    } else if (target->kind == Target::kCheck) {
      if (!opti::ParseOnOff(value)) {
        Error("'" + value + "' is not on or off for " + name);
        return kExitUsage;
      }
      changes.push_back({*target, value});
    } else {
      changes.push_back({*target, value});
    }
  }
  for (const auto& [target, value] : changes) {
    if (target.kind == Target::kList) {
      // A selection the user makes: the scheme list runs its scheme.
      page.UserSelect(static_cast<ListId>(target.id), opti::ParseIntDef(value, 0));
    } else if (target.kind == Target::kCheck) {
      page.SetChecked(static_cast<CheckId>(target.id), *opti::ParseOnOff(value));
    } else {
      // The edit shows what Config.dat keeps (said once it is saved).
      const opti::EditDesc& desc = opti::Edit(static_cast<EditId>(target.id));
      page.SetEditText(desc.id, std::to_string(opti::StoredEditValue(desc, value)));
    }
  }
  if (!page.LoadError().empty()) {
    Error(page.LoadError());
    return kExitFailed;
  }
  if (!page.SaveSettings()) {
    Error("could not save the settings to " + ConfigFilePath() +
          " (too large, read-only or not a file? --verbose shows why)");
    return kExitFailed;
  }
  Print("Saved to %s\n", ConfigFilePath().c_str());
  for (const auto& [target, value] : changes)
    if (target.kind == Target::kEdit)
      NoteStoredEdit(opti::Edit(static_cast<EditId>(target.id)), value);
  PrintSelections(page);
  return kExitOk;
}

int CmdApply(Session& session, const Options& options) {
  if (options.dryRun) return DryRun(session, false, options.json);
  opti::TOptiFrame& page = session.Page();
  const std::array<std::string, 3> gameFiles = page.GameFilePaths();
  // The three game files, then the page's keys saved in Config.dat.
  std::vector<std::string> paths(gameFiles.begin(), gameFiles.end());
  paths.push_back(ConfigFilePath());
  std::string before[4];
  bool existed[4] = {};
  for (int i = 0; i < 4; ++i) {
    auto read = platform::ReadWholeFile(paths[i]);
    existed[i] = read.status == platform::ReadStatus::kOk;
    before[i] = read.data;
  }
  if (options.again && !opti::LoadApplyRecord(page.ApplyRecordFile())) {
    Error("there is no readable record of an earlier Apply to repeat");
    return kExitFailed;
  }
  session.dialogs.questionAnswer = options.start ? opti::kResultOk : opti::kResultCancel;
  // The final question comes after the list of what changed.
  session.dialogs.deferred = true;
  opti::ApplyResult result = options.again ? page.ApplyAgain() : page.BtnApplyClick();
  if (result.status == opti::ApplyStatus::GameRunning) return kExitGameRunning;

  opti::ChangeList list;
  for (int i = 0; i < 4; ++i) {
    auto read = platform::ReadWholeFile(paths[i]);
    list.files.push_back(opti::CompareIniTexts(platform::FileName(paths[i]), paths[i], existed[i],
                                               read.status == platform::ReadStatus::kOk, before[i],
                                               read.data));
  }
  const bool backedUp = result.status != opti::ApplyStatus::Failed && !page.History().empty();
  if (options.json) {
    std::string messages = "[";
    for (const std::string& m : session.dialogs.kept)
      messages += (messages.size() > 1 ? "," : "") + opti::JsonString(m);
    std::string backup = "null";
    if (backedUp)
      backup = "{\"index\":" + std::to_string(page.History().size() - 1) +
               ",\"name\":" + opti::JsonString(page.HistoryList().Items.back()) +
               ",\"folder\":" + opti::JsonString(page.History().back().Folder) + "}";
    PrintChangeList(list, true,
                    {{"dryRun", "false"}, {"messages", messages + "]"}, {"backup", backup}});
  } else {
    Print("Changed:\n");
    PrintChangeList(list, false);
    if (backedUp)
      Print("Backup taken: [%zu] %s  %s\n", page.History().size() - 1,
            page.HistoryList().Items.back().c_str(), page.History().back().Folder.c_str());
    for (const std::string& m : session.dialogs.kept) PrintText(m);
  }
  if (result.status == opti::ApplyStatus::Failed) return kExitFailed;
  int status = ReportSkipped(result.skipped);
  return result.settingsNotSaved ? kExitFailed : status;
}

void PrintHistory(const opti::TOptiFrame& page) {
  const auto& history = page.History();
  if (history.empty()) {
    Print("No backups yet.\n");
    return;
  }
  for (size_t i = 0; i < history.size(); ++i)
    Print("%c %zu  %s  %s%s\n", static_cast<int>(i) == page.HistoryList().ItemIndex ? '*' : ' ', i,
          page.HistoryList().Items[i].c_str(), history[i].Folder.c_str(),
          page.HistoryEntryPinned(static_cast<int>(i)) ? "  (pinned)" : "");
}

int CmdBackups(Session& session) {
  PrintHistory(session.Page());
  return kExitOk;
}

int CmdRestore(Session& session, const Options& options) {
  if (options.words.size() != 1) {
    Error("restore takes one INDEX (kestrune-cli backups lists them)");
    return kExitUsage;
  }
  opti::TOptiFrame& page = session.Page();
  int index = opti::ParseIntDef(options.words[0], -1);
  int count = static_cast<int>(page.History().size());
  if (count == 0) {
    Error("there are no backups to restore");
    return kExitFailed;
  }
  if (index < 0 || index >= count) {
    Error("no backup with index " + options.words[0] + " (0.." + std::to_string(count - 1) + ")");
    return kExitUsage;
  }
  page.SetHistoryIndex(index);
  if (page.btnRestoreClick()) return kExitOk;
  // The error line is out; name each file that was not restored.
  const opti::FlowReport& report = page.LastReport();
  ReportSkipped(report.failed);
  return report.changed ? kExitSkippedWrites : kExitFailed;
}

int CmdClear(Session& session, const Options& options) {
  opti::TOptiFrame& page = session.Page();
  if (!options.yes) {
    Print("Delete every *.ini file in %s? A backup is taken first. [y/N] ",
          page.GameConfigFolder().c_str());
    platform::FlushStd();
    std::string answer;
    if (!std::getline(std::cin, answer) ||
        (AsciiLowerCopy(opti::TrimSpacesAndControls(answer)) != "y" &&
         AsciiLowerCopy(opti::TrimSpacesAndControls(answer)) != "yes")) {
      Print("\n");
      Error("clear cancelled; nothing was deleted");
      return kExitDeclined;
    }
  }
  bool done = page.Label4Click();
  const opti::FlowReport& report = page.LastReport();
  // Without a whole backup nothing was deleted: there is nothing to undo.
  if (!done && report.failed.empty()) return kExitFailed;
  if (!page.History().empty())
    Print("Backup taken first: [%zu] %s (kestrune-cli restore %zu undoes the clear)\n",
          page.History().size() - 1, page.HistoryList().Items.back().c_str(),
          page.History().size() - 1);
  if (done) return kExitOk;
  ReportSkipped(report.failed);
  return report.changed ? kExitSkippedWrites : kExitFailed;
}

int CmdStart(Session& session) {
  if (!SteamInstalled() && !IsGameRunning()) {
    Error("Steam was not found: the game cannot be started");
    return kExitFailed;
  }
  if (!session.Page().BtnStartPUBGClick()) {
    Error("the game is already running");
    return kExitGameRunning;
  }
  Print("Asked Steam to start the game.\n");
  return kExitOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
  std::string command = args.empty() ? "status" : args[0];
  size_t from = 1;
  if (!command.empty() && command[0] == '-') {  // options without a command
    command = "status";
    from = 0;
  }
  Options options;
  if (!ParseOptions(args, from, options)) return kExitUsage;
  // The engine's diagnostic lines are for developers: shown with --verbose.
  if (!options.verbose) {
    SetDebugLogSink([](std::string_view) {});
  } else {
    // Debug lines quote what servers sent (addresses, headers): escaped.
    SetDebugLogSink(
        [](std::string_view line) { PrintError("[kestrune] %s\n", EscapeControls(line).c_str()); });
  }
  if (command == "help" || options.help) {
    PrintText(kUsage);
    return kExitOk;
  }
  if (options.version) {
    // The version resource this executable carries, as the update check reads it.
    std::string version = GetOwnVersion();
    if (version.empty()) {
      Error("this executable carries no version resource");
      return kExitFailed;
    }
    Print("kestrune-cli %s\n", version.c_str());
    return kExitOk;
  }
  const bool takesWords = command == "set" || command == "restore" || command == "export" ||
                          command == "import" || command == "diff" || command == "backups";
  if (!takesWords && !options.words.empty()) {
    Error("unexpected argument '" + options.words[0] + "' (see kestrune-cli --help)");
    return kExitUsage;
  }
  if (command == "update-check") return RunUpdateCheck();
  if (options.send && command != "report-url") {
    Error("--send belongs to report-url");
    return kExitUsage;
  }
  if (command == "report-url") return options.send ? RunReportSend() : RunReportUrl();

  static const char* const kCommands[] = {"status",  "show",    "set",   "apply",
                                          "backups", "restore", "clear", "start",
                                          "export",  "import",  "diff",  "drift"};
  bool known = false;
  for (const char* c : kCommands) known = known || command == c;
  if (!known) {
    Error("unknown command '" + command + "' (see kestrune-cli --help)");
    return kExitUsage;
  }
  // The interface language of the page's texts: Config.dat's UiLanguage, or
  // the system's. Read only by the commands that show them, so help and the
  // network commands leave Config.dat alone as before.
  i18n::UseLanguageSetting(ReadConfig(i18n::kUiLanguageKey));
  if ((options.dryRun || options.start) && command != "apply" && command != "status") {
    Error("--dry-run and --start belong to apply");
    return kExitUsage;
  }
  if ((options.again && (command != "apply" || options.dryRun)) ||
      (options.json && command != "apply" && command != "diff" && command != "drift")) {
    Error(options.again ? "--again belongs to apply (without --dry-run)"
                        : "--json belongs to apply, diff and drift");
    return kExitUsage;
  }

  // Without a home there is no game folder: relative paths would land in
  // whatever folder the command was started from.
  if (platform::LocalAppDataFolder().empty()) {
    Error("cannot find the local application-data folder (is HOME set?)");
    return kExitFailed;
  }
  GameFolderChoice gameFolder = ChooseGameFolder(options.gameDir);
  // Without the game there is nothing to optimise: no template tree is made
  // where the game never was.
  if (command == "apply" && !options.dryRun && !gameFolder.found) {
    Error(NotFoundMessage(gameFolder));
    return kExitFailed;
  }
  if (command == "diff" || command == "drift") {
    // The game's files and Kestrune's own data only: no page, no hardware.
    opti::GameFiles files(gameFolder.named ? gameFolder.localAppData : "");
    return command == "diff" ? RunDiff(files, options.words, options.json)
                             : RunDrift(files, options.json);
  }
  Session session(std::move(gameFolder));
  if (command == "backups" && !options.words.empty())
    return RunBackupsCommand(session.Page(), options.words);
  if (command == "status") return CmdStatus(session);
  if (command == "show") return CmdShow(session);
  if (command == "set") return CmdSet(session, options);
  if (command == "apply") return CmdApply(session, options);
  if (command == "backups") return CmdBackups(session);
  if (command == "restore") return CmdRestore(session, options);
  if (command == "clear") return CmdClear(session, options);
  if (command == "export") return RunExport(session.Page(), options.words);
  if (command == "import") return RunImport(session.Page(), options.words);
  return CmdStart(session);
}

}  // namespace kestrune::cli
