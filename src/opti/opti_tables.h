// The optimisation page's rows as data: every list with its texts in index
// order, the three edits with their ranges and the nineteen check options,
// each with its control name, its command-line name and the Config.dat key
// it is kept under, and Apply's writers in their order. The page model, its
// flows, both front ends, the preset files and the tests read these tables;
// nothing else spells them.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrune {
class TPUBGLib;
}

namespace kestrune::opti {

// The eleven lists, in the order LoadSettings and SaveSettings visit them.
enum class ListId {
  ConfigModel,
  MSAA,
  FXAA,
  AO,
  Text,
  Effect,
  Tree,
  View,
  NetWork,
  HardWare,
  MouseSmoothing,
};
inline constexpr size_t kListCount = 11;

struct ListDesc {
  ListId id;
  std::string_view control;  // CBMSAA ...
  std::string_view name;     // the command line's short name
  std::string_view label;    // caption beside the list on the page
  std::string_view key;      // Config.dat key of the selected index
  std::vector<std::string_view> items;
};
const std::array<ListDesc, kListCount>& Lists();
const ListDesc& List(ListId id);

enum class EditId { Screen, FpsCamearFov, FPSLimit };
inline constexpr size_t kEditCount = 3;

// The nineteen check options, in the order SaveSettings writes them.
enum class CheckId {
  FpsCamearFov,
  CPUUsage,
  BigJump,
  CPUPerformanceBalance,
  GPUUsage,
  GPUUseCPU,
  FPSLimit,
  SoundPostion,
  ComputerBestPerformance,
  ReduceShadowQuality,
  MemoryBestPerformance,
  GraphicsColorBest,
  DecreaseRenderResolution,
  CloundComputerBest,
  ForceMaaxRenderSize,
  DirectXBestPro,
  VideoMemoryOpti,
  RenderingDelay30FPS,
  Language,
};
inline constexpr size_t kCheckCount = 19;

// The values an edit is meant to hold. When `applied`, Apply writes
// `applyFallback` in place of a value outside; otherwise the value goes to
// the game as typed and the range only says what the game expects.
struct EditRange {
  int min;
  int max;
  bool applied;
};

struct EditDesc {
  EditId id;
  std::string_view control;
  std::string_view name;   // the command line's short name
  std::string_view label;  // caption beside the edit on the page; empty: its check box's
  std::string_view key;
  int fallback;       // saved when the text is not an integer
  int applyFallback;  // what Apply takes for text that is not an integer
  EditRange range;
  // The check box that turns the edit's writer on, and what the writer gets
  // while it is clear (-1: the writer is not called).
  std::optional<CheckId> gate;
  int whenClear;
};
const std::array<EditDesc, kEditCount>& Edits();
const EditDesc& Edit(EditId id);

// The value Config.dat keeps for an edit's text: blanks trimmed, parsed,
// the default for anything that is not an integer.
int StoredEditValue(const EditDesc& desc, std::string_view text);

// The headings the check options sit under.
enum class CheckGroup { Visual, Other, Advanced };

struct CheckDesc {
  CheckId id;
  std::string_view control;  // CBCPUUsage ...
  std::string_view name;     // the command line's short name
  std::string_view text;     // the box's caption
  CheckGroup group;
  std::string_view key;  // Config.dat flag key
  bool fallback;
};
const std::array<CheckDesc, kCheckCount>& Checks();
const CheckDesc& Check(CheckId id);

// Apply's writers in the order Apply calls them, each with what feeds it.
// The step's name is the writer's, and is what observers of the flow see.
enum class ApplyFeed {
  List,       // the list's selected index, unchanged (-1 without a selection)
  OnOffList,  // a two-entry list: index 0 or 1, not called without a selection
  Switch,     // the check box: 1 or 0
  Edit,       // the edit's value under its range and gate (EditDesc)
  Always,     // no argument
};
struct ApplyStep {
  std::string_view name;
  ApplyFeed feed;
  int source;  // the ListId, CheckId or EditId it reads; unused for Always
  void (*write)(TPUBGLib& engine, int value);
};
const std::vector<ApplyStep>& ApplySteps();

// One row of the scheme table: the index each graphics list gets. -1 keeps
// the list as it is.
struct SchemeRow {
  int msaa, fxaa, ao, text, effect, tree, view, hardWare, netWork;
};
// Rows for schemes 2..5; scheme 0 does nothing and scheme 1 is automatic.
const SchemeRow* SchemeFor(int scheme);

// Texts the page shows in its dialogs.
inline constexpr std::string_view kGameTitle = "绝地求生：大逃杀";
inline constexpr std::string_view kApplyDoneQuestion = "优化完成！请问是否立即启动游戏？";
inline constexpr std::string_view kStartQuestion = "请问是否立即启动游戏？";
inline constexpr std::string_view kRestoreDone =
    "还原完成！所有配置文件已经还原到所选时间点之前的状态。";
inline constexpr std::string_view kClearDone =
    "删除完成，游戏已经恢复到第一次安装的状态，请重启游戏。";
inline constexpr std::string_view kClearLinkText = "清空所有配置文件";

// Config.dat key naming the local application-data folder that holds the
// game's "TslGame" folder, when the user names one.
inline constexpr std::string_view kGameDirKey = "GameDir";

// The game-running notice's words.
inline constexpr std::string_view kRunningCaption = "提醒";
inline constexpr std::string_view kRunningLine1 = "您正在吃鸡中，请退出游戏后重试！";
inline constexpr std::string_view kRunningLine2 =
    "游戏打开时无法优化，结束并退出后才可以进行优化哟！";
inline constexpr std::string_view kRunningCloseButton = "一键关闭游戏";

// Icon types and button modes of the general message dialog.
inline constexpr int kIconError = 1;
inline constexpr int kIconInfo = 2;
inline constexpr int kIconQuestion = 3;
inline constexpr int kButtonsOkOnly = 1;
inline constexpr int kButtonsOkCancel = 0;
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;

// Backup folder names carry their stamp; the history shows its date and time.
inline constexpr std::string_view kHistoryPattern =
    "(\\d{4})(\\d{2})(\\d{2})_(\\d{2})(\\d{2})(\\d{2})(\\d{3})";

}  // namespace kestrune::opti
