// The page's lists, edits, options and schemes as data.
#include "opti/opti_tables.h"

namespace kestrune::opti {
namespace {

// Layout A: the program's own four steps, then the game's five.
const std::vector<std::string_view> kLayoutA = {
    "请选择",      "超级Orvane 低", "超级Orvane 中", "超级Orvane 高", "超级Orvane 极致",
    "官方 非常低", "官方 低",       "官方 中",       "官方 高",       "官方 极致"};
// Layout B: as A without the program's own top step.
const std::vector<std::string_view> kLayoutB = {"请选择",        "超级Orvane 低", "超级Orvane 中",
                                                "超级Orvane 高", "官方 非常低",   "官方 低",
                                                "官方 中",       "官方 高",       "官方 极致"};
// Layout C: the game's own steps only.
const std::vector<std::string_view> kLayoutC = {"请选择",  "官方 非常低", "官方 低",
                                                "官方 中", "官方 高",     "官方 极致"};

}  // namespace

const std::array<ListDesc, kListCount>& Lists() {
  static const std::array<ListDesc, kListCount> kLists = {{
      {ListId::ConfigModel,
       "CBConfigModel",
       "配置文件",
       "CBConfigModelIndex",
       {"请选择配置方案", "超级Orvane 自动优化", "超级Orvane 低配置", "超级Orvane 中配置",
        "超级Orvane 高配置", "超级Orvane 极致画质"}},
      {ListId::MSAA, "CBMSAA", "反锯齿", "CBMSAAIndex", kLayoutA},
      {ListId::FXAA,
       "CBFXAA",
       "后处理",
       "CBFXAAIndex",
       {"请选择", "官方 非常低", "官方 低", "官方 中", "官方 高", "官方 极致", "超级Orvane 极致"}},
      {ListId::AO, "CBAO", "阴影光源", "CBAOIndex", kLayoutB},
      {ListId::Text, "CBText", "纹理", "CBTextIndex", kLayoutB},
      {ListId::Effect, "CBEffect", "特效", "CBEffectIndex", kLayoutA},
      {ListId::Tree, "CBTree", "树木", "CBTreeIndex", kLayoutC},
      {ListId::View, "CBView", "视距", "CBViewIndex", kLayoutA},
      {ListId::NetWork,
       "CBNetWork",
       "网络优化",
       "CBNetWorkIndex",
       {"请选择", "超级Orvane 带宽5M以下", "超级Orvane 带宽5M - 8M", "超级Orvane 带宽8M以上",
        "超级Orvane 加速器模式", "官方"}},
      {ListId::HardWare,
       "CBHardWare",
       "硬件优化",
       "CBHardWareIndex",
       {"请选择", "超级Orvane 低配置", "超级Orvane 中低配置(方案一)", "超级Orvane 中低配置(方案二)",
        "超级Orvane 中配置", "超级Orvane 高配置(方案一)", "超级Orvane 高配置(方案二)",
        "超级Orvane 特別方案", "官方"}},
      {ListId::MouseSmoothing,
       "CBMouseSmoothing",
       "鼠标加速",
       "CBMouseSmoothingIndex",
       {"关", "开"}},
  }};
  return kLists;
}

const ListDesc& List(ListId id) {
  return Lists()[static_cast<size_t>(id)];
}

const std::array<EditDesc, kEditCount>& Edits() {
  static const std::array<EditDesc, kEditCount> kEdits = {{
      {EditId::Screen, "EditScreen", "ScreenSize", 100},
      {EditId::FpsCamearFov, "FpsCamearFovEdit", "FpsCamearFov", 108},
      {EditId::FPSLimit, "FPSLimitEdit", "FPSLimit", 60},
  }};
  return kEdits;
}

const EditDesc& Edit(EditId id) {
  return Edits()[static_cast<size_t>(id)];
}

const std::array<CheckDesc, kCheckCount>& Checks() {
  static const std::array<CheckDesc, kCheckCount> kChecks = {{
      {CheckId::FpsCamearFov, "CBFpsCamearFov", "第一人称FOV", "视觉设定", "FpsCamearFovCheck",
       false},
      {CheckId::CPUUsage, "CBCPUUsage", "CPU 利用率增强", "其他设定", "CPUUsageCheck", false},
      {CheckId::BigJump, "CBBigJump", "Ctrl+Alt 按住的同时再按W(100%翻窗大跳)", "其他设定",
       "BigJumpCheck", false},
      {CheckId::CPUPerformanceBalance, "CBCPUPerformanceBalance", "CPU 性能平衡", "其他设定",
       "CPUPerformanceBalanceCheck", false},
      {CheckId::GPUUsage, "CBGPUUsage", "GPU 利用率增强", "其他设定", "GPUUsageCheck", false},
      {CheckId::GPUUseCPU, "CBGPUUseCPU", "CPU 减轻 GPU 负荷", "其他设定", "GPUUseCPUCheck", false},
      {CheckId::FPSLimit, "CBFPSLimit", "FPS 限制", "其他设定", "FPSLimitCheck", false},
      {CheckId::SoundPostion, "CBSoundPostion", "声音声道定位强化", "高级功能", "SoundPostionCheck",
       false},
      {CheckId::ComputerBestPerformance, "CBComputerBestPerformance", "云计算性能最佳", "高级功能",
       "ComputerBestPerformanceCheck", false},
      {CheckId::ReduceShadowQuality, "CBReduceShadowQuality", "阴影质量降低", "高级功能",
       "ReduceShadowQualityCheck", false},
      {CheckId::MemoryBestPerformance, "CBMemoryBestPerformance", "内存最佳化", "高级功能",
       "MemoryBestPerformanceCheck", false},
      {CheckId::GraphicsColorBest, "CBGraphicsColorBest", "图像色彩最佳化", "高级功能",
       "GraphicsColorBestCheck", false},
      {CheckId::DecreaseRenderResolution, "CBDecreaseRenderResolution", "降低渲染分辨率",
       "高级功能", "DecreaseRenderResolutionCheck", false},
      {CheckId::CloundComputerBest, "CBCloundComputerBest", "云计算最佳化配置", "高级功能",
       "CloundComputerBestCheck", false},
      {CheckId::ForceMaaxRenderSize, "CBForceMaaxRenderSize", "强制渲染最大视距", "高级功能",
       "ForceMaaxRenderSizeCheck", false},
      {CheckId::DirectXBestPro, "CBDirectXBestPro", "DirectX最佳化Pro", "高级功能",
       "DirectXBestProCheck", false},
      {CheckId::VideoMemoryOpti, "CBVideoMemoryOpti", "显卡内存优化", "高级功能",
       "VideoMemoryOptiCheck", false},
      {CheckId::RenderingDelay30FPS, "CB30FPSRenderingDelay", "30FPS以下使用渲染延迟", "高级功能",
       "30FPSRenderingDelayCheck", false},
      {CheckId::Language, "CBLanguage", "游戏语言设置为中文", "其他设定", "LanguageCheck", true},
  }};
  return kChecks;
}

const CheckDesc& Check(CheckId id) {
  return Checks()[static_cast<size_t>(id)];
}

const SchemeRow* SchemeFor(int scheme) {
  // MSAA FXAA AO Text Effect Tree View HardWare NetWork(-1 = unchanged)
  static const SchemeRow kRows[] = {
      {1, 1, 1, 1, 1, 1, 1, 0, -1},  // 2 低配置
      {2, 1, 2, 2, 2, 1, 2, 0, -1},  // 3 中配置
      {3, 1, 3, 3, 3, 1, 3, 0, -1},  // 4 高配置
      {4, 6, 3, 3, 4, 3, 4, 0, -1},  // 5 极致画质
  };
  if (scheme < 2 || scheme > 5) return nullptr;
  return &kRows[scheme - 2];
}

}  // namespace kestrune::opti
