// The main window's controls laid out as the program lays them out (tab
// strip with caption buttons and five tabs, the optimisation page with its
// lists, check options and buttons), skinned from the embedded resources.
// Shared by the repaint benchmark and the screenshot gallery.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/combo_box.h"
#include "controls/plain_controls.h"
#include "controls/resources.h"
#include "controls/standard_controls.h"
#include "controls/tab_control.h"
#include "controls/ui_font.h"

namespace kestrune::testing {

class MainWindowScene {
 public:
  MainWindowScene() {
    root.SetBounds(0, 0, 880, 600);
    Font ui;
    ApplyUiFont(ui);

    mainTab = Make<TCZTabControl>(&root);
    mainTab->SetBounds(0, 0, 880, 120);
    mainTab->SetPicture(Skin("MainTabBackdrop"));
    Font stripFont = ui;
    stripFont.name = "微软雅黑";
    stripFont.color = colors::kWhite;
    mainTab->SetFont(stripFont);

    auto* caption = Make<TCZStandardLabel>(mainTab);
    caption->SetBounds(8, 2, 657, 25);
    Font captionFont = ui;
    captionFont.color = colors::kWhite;
    caption->SetFont(captionFont);
    caption->SetCaption("Kestrune");

    const char* sysSkins[] = {"SysOption", "SysMin", "SysClose"};
    for (int i = 0; i < 3; ++i) {
      auto* b = Make<TCZStandardButton>(mainTab);
      b->SetLeft(798 + 27 * i);
      b->SetNImage(4);
      b->SetImageModel(TImageModel::HorizontalModel);
      b->LoadPicture(sysSkins[i]);
    }

    const char* tabIcons[] = {"TabIconHome", "TabIconVideo", "TabIconSearch", "TabIconSkill",
                              "TabIconTV"};
    const char* tabCaptions[] = {"游戏优化", "画质增强", "装备搜索", "技巧攻略", "精彩直播"};
    for (int i = 0; i < 5; ++i) {
      auto* item = Make<TCZTabControlItem>(&root);
      item->AttachTo(mainTab);
      item->SetBounds(13 + 90 * i, 33, 72, 80);
      item->SetPicture(Skin("TabItem"));
      item->SetICON(Skin(tabIcons[i]));
      item->SetCaptionTop(60);
      item->SetCaption(tabCaptions[i]);
      tabs.push_back(item);
    }
    mainTab->SelectItem(tabs[0]);

    page = Make<TCZStandardPanel>(&root);
    page->SetBounds(0, 120, 880, 480);
    page->OnPaint = [](TCZStandardPanel& p, Canvas& c, bool& isDefault) {
      c.FillRect(p.ClientRect(), colors::kWhite);
      isDefault = false;
    };

    Font heading = ui;
    heading.height = 16;
    heading.color = Color::Rgb(0x333333);
    const std::pair<const char*, Point> headings[] = {
        {"电脑配置", {26, 7}},   {"配置文件", {439, 7}},   {"还原历史版本", {438, 89}},
        {"视觉设定", {24, 144}}, {"其他设定", {296, 144}}, {"高级功能", {574, 144}}};
    for (const auto& [text, at] : headings) AddLabel(text, at.x, at.y, heading);

    Font small = ui;
    small.color = Color::Rgb(0x666666);
    const char* hw[] = {"CPU", "内存", "GPU", "渲染数量"};
    const char* hwValues[] = {"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz", "16 G",
                              "NVIDIA GeForce GTX 1060 6GB", "1280"};
    for (int i = 0; i < 4; ++i) {
      AddLabel(hw[i], 42, 40 + 22 * i, small);
      AddLabel(hwValues[i], 112, 40 + 22 * i, small);
    }

    Font comboFont = ui;
    comboFont.height = 11;
    comboFont.color = Color::Rgb(0x383838);
    AddCombo(438, 34, 320, 34, "ComboPreset", 28, comboFont,
             {"请选择配置方案", "超级Orvane 自动优化", "超级Orvane 低配置"}, 1);
    Font historyFont = comboFont;
    historyFont.color = Color::Rgb(0x666666);
    AddCombo(524, 84, 234, 26, "ComboHistory", 20, historyFont, {"2026-12-09 21:40:12"}, 0);
    AddButton(777, 84, "RestoreButton");

    const char* visual[] = {"反锯齿", "后处理", "阴影光源", "纹理", "特效", "树木", "视距"};
    const int rows[] = {180, 213, 247, 281, 315, 349, 383, 417};
    for (int i = 0; i < 7; ++i) {
      AddLabel(visual[i], 40, rows[i] + 4, small);
      AddCombo(102, rows[i], 164, 26, "ComboFace", 20, comboFont,
               {"请选择", "超级Orvane 低", "超级Orvane 中", "超级Orvane 高"}, 2);
    }
    AddLabel("屏幕比例", 40, rows[7] + 4, small);
    auto* screen = Make<TEdit>(page);
    screen->SetBounds(102, rows[7], 164, 24);
    screen->SetFont(ui);
    screen->SetText("100");
    AddCheck("第一人称FOV", 40, 445, ui, false);

    const char* other[] = {"网络优化", "硬件优化", "鼠标加速"};
    for (int i = 0; i < 3; ++i) {
      AddLabel(other[i], 296, rows[i] + 4, small);
      AddCombo(358, rows[i], 164, 26, "ComboFace", 20, comboFont, {"官方", "超级Orvane 中配置"}, 0);
    }
    const char* checks[] = {"CPU 利用率增强",    "CPU 性能平衡",
                            "GPU 利用率增强",    "CPU 减轻 GPU 负荷",
                            "FPS 限制",          "Ctrl+Alt 按住的同时再按W(100%翻窗大跳)",
                            "游戏语言设置为中文"};
    for (int i = 0; i < 7; ++i) AddCheck(checks[i], 296, 288 + 22 * i, ui, i % 3 == 0);
    const char* advanced[] = {"声音声道定位强化", "云计算性能最佳",       "阴影质量降低",
                              "内存最佳化",       "图像色彩最佳化",       "降低渲染分辨率",
                              "云计算最佳化配置", "强制渲染最大视距",     "DirectX最佳化Pro",
                              "显卡内存优化",     "30FPS以下使用渲染延迟"};
    for (int i = 0; i < 11; ++i) {
      AddCheck(advanced[i], i % 2 ? 713 : 564, 174 + 24 * (i / 2), ui, i % 4 == 1);
    }
    AddButton(574, 390, "ApplyButton");
    AddButton(769, 393, "StartGameButton");
    Font link = ui;
    link.color = Color::Rgb(0x3081BA);
    link.underline = true;
    AddLabel("清空所有配置文件", 698, 450, link)->SetCursor(Cursor::kHandPoint);
  }

  Control root;
  TCZTabControl* mainTab = nullptr;
  TCZStandardPanel* page = nullptr;
  std::vector<TCZTabControlItem*> tabs;
  std::vector<TCZComboBox*> combos;

 private:
  template <typename T>
  T* Make(Control* parent) {
    auto owned = std::make_unique<T>(parent);
    T* raw = owned.get();
    owned_.push_back(std::move(owned));
    return raw;
  }
  static TPicture Skin(const char* name) {
    TPicture p;
    LoadPngResource(p, name);
    return p;
  }
  TLabel* AddLabel(const char* text, int x, int y, const Font& font) {
    auto* l = Make<TLabel>(y < 120 && page == nullptr ? &root : page);
    l->SetFont(font);
    l->SetLeft(x);
    l->SetTop(y);
    l->SetCaption(text);
    return l;
  }
  void AddCombo(int x, int y, int w, int h, const char* skin, int itemHeight, const Font& font,
                std::vector<std::string> items, int index) {
    auto* c = Make<TCZComboBox>(page);
    c->SetBounds(x, y, w, h);
    c->SetPicture(Skin(skin));
    c->SetItemHeight(itemHeight);
    c->SetFont(font);
    c->SetItems(std::move(items));
    c->SetItemIndex(index);
    combos.push_back(c);
  }
  void AddButton(int x, int y, const char* skin) {
    auto* b = Make<TCZStandardButton>(page);
    b->SetBounds(x, y, 10, 10);
    b->SetNImage(4);
    b->SetImageModel(TImageModel::HorizontalModel);
    b->LoadPicture(skin);
  }
  void AddCheck(const char* text, int x, int y, const Font& font, bool checked) {
    auto* c = Make<TCZCheckBox2>(page);
    c->SetBounds(x, y, 150, 22);
    c->SetPicture(Skin("CheckBox"));
    c->SetFont(font);
    c->SetCaption(text);
    c->SetChecked(checked);
  }

  // Declared last so the controls go first (children before parents do not matter:
  // either side of a parent link may be destroyed first).
  std::vector<std::unique_ptr<Control>> owned_;
};

}  // namespace kestrune::testing
