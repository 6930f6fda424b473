// The optimisation page's fixed data: every list with its texts in index
// order, the three edits and the nineteen check options, each with the
// Config.dat key it is kept under. The page model and both front ends read
// these tables; nothing else spells these texts.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

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
  std::string_view label;    // caption beside the list on the page
  std::string_view key;      // Config.dat key of the selected index
  std::vector<std::string_view> items;
};
const std::array<ListDesc, kListCount>& Lists();
const ListDesc& List(ListId id);

enum class EditId { Screen, FpsCamearFov, FPSLimit };
inline constexpr size_t kEditCount = 3;

struct EditDesc {
  EditId id;
  std::string_view control;
  std::string_view key;
  int fallback;  // default when the text is not an integer
};
const std::array<EditDesc, kEditCount>& Edits();
const EditDesc& Edit(EditId id);

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

struct CheckDesc {
  CheckId id;
  std::string_view control;  // CBCPUUsage ...
  std::string_view text;     // the box's caption
  std::string_view group;    // heading it sits under
  std::string_view key;      // Config.dat flag key
  bool fallback;
};
const std::array<CheckDesc, kCheckCount>& Checks();
const CheckDesc& Check(CheckId id);

// One row of the scheme table: the index each graphics list gets. -1 keeps
// the list as it is.
struct SchemeRow {
  int msaa, fxaa, ao, text, effect, tree, view, hardWare, netWork;
};
// Rows for schemes 2..5; scheme 0 does nothing and scheme 1 is automatic.
const SchemeRow* SchemeFor(int scheme);

// Captions of the hardware summary ("电脑配置"), in the order of HardwareSummary.
inline constexpr std::string_view kHardwareCaptions[] = {"CPU", "内存", "GPU", "渲染数量"};
// Group headings and the remaining fixed texts of the page.
inline constexpr std::string_view kHeadingHardware = "电脑配置";
inline constexpr std::string_view kHeadingScheme = "配置文件";
inline constexpr std::string_view kHeadingVisual = "视觉设定";
inline constexpr std::string_view kHeadingOther = "其他设定";
inline constexpr std::string_view kHeadingAdvanced = "高级功能";
inline constexpr std::string_view kHeadingHistory = "还原历史版本";
inline constexpr std::string_view kScreenLabel = "屏幕比例";
inline constexpr std::string_view kAutoConfigButton = "自动配置";

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
