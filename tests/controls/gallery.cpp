// Renders every control in every state offscreen and writes one PNG per
// control kind (plus the whole main window) into the folder given on the
// command line: controls_gallery docs/controls
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "controls/lines_view.h"
#include "controls/main_window_scene.h"
#include "controls/offscreen_canvas.h"
#include "controls/shadow_form.h"
#include "controls/test_host.h"
#include "controls/virtual_keys.h"

namespace kestrune {
namespace {

using testing::TestWindow;

struct Cell {
  std::string title;
  Image image;
};

Font UiFont(uint32_t rgb = 0x333333, int height = 12) {
  Font f;
  ApplyUiFont(f);
  f.color = Color::Rgb(rgb);
  f.height = height;
  return f;
}

TPicture Skin(const char* name) {
  TPicture p;
  LoadPngResource(p, name);
  return p;
}

// One state: a small window, a setup step that builds and drives the control.
Cell Render(const std::string& title, int w, int h, const std::function<void(TestWindow&)>& setup,
            Color background = colors::kWhite) {
  TestWindow win(w, h);
  win.host.SetBackground(background);
  setup(win);
  return {title, win.host.RenderToImage()};
}

// Cells side by side with their titles underneath, on a light grey sheet.
bool WriteSheet(const std::string& folder, const std::string& name,
                const std::vector<Cell>& cells) {
  const int pad = 12, titleH = 22;
  int width = pad, height = 0;
  for (const Cell& c : cells) {
    width += c.image.Width() + pad;
    height = std::max(height, c.image.Height());
  }
  height += pad * 2 + titleH;
  OffscreenCanvas off(width, height);
  off.Clear(Color::Rgb(0xE9ECF0));
  Canvas& canvas = off.GetCanvas();
  canvas.SetFont(UiFont(0x555555));
  canvas.SetBrushStyle(BrushStyle::kClear);
  int x = pad;
  for (const Cell& c : cells) {
    canvas.DrawImage(c.image, {0, 0, c.image.Width(), c.image.Height()},
                     {x, pad, c.image.Width(), c.image.Height()});
    canvas.DrawText(c.title,
                    {x - pad / 2, pad + c.image.Height() + 2, c.image.Width() + pad, titleH},
                    kTextSingleLine | kTextCenter | kTextVCenter | kTextNoPrefix);
    x += c.image.Width() + pad;
  }
  std::string path = folder + "/" + name + ".png";
  bool ok = WritePngFile(off.Snapshot(), path);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.c_str());
  return ok;
}

TCZStandardButton* MakeButton(TestWindow& w, const char* skin, int x, int y) {
  auto* b = new TCZStandardButton(&w.root);
  b->SetLeft(x);
  b->SetTop(y);
  b->SetNImage(4);
  b->SetImageModel(TImageModel::HorizontalModel);
  b->LoadPicture(skin);
  return b;
}

// Drives a control into one of the four pointer states.
void Drive(TestWindow& w, Control& c, int state) {
  Point p = c.WindowOrigin();
  int x = p.x + c.Width() / 2, y = p.y + c.Height() / 2;
  if (state >= 1) w.Move(x, y);
  if (state >= 2) w.Press(x, y);
  if (state == 3) c.SetEnabled(false);
}

const char* kPointerStates[] = {"normal", "hover", "pressed", "disabled"};

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
  using namespace kestrune;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string out = argv[1];
  bool ok = true;
  // Controls are leaked into their short-lived windows on purpose: each
  // window lives for one render.
  std::vector<std::unique_ptr<Control>> keep;
  auto own = [&](Control* c) { keep.emplace_back(c); };

  {  // TCZStandardButton
    std::vector<Cell> cells;
    for (int s = 0; s < 4; ++s) {
      cells.push_back(Render(std::string("确定 ") + kPointerStates[s], 95, 40, [&](TestWindow& w) {
        auto* b = MakeButton(w, "DialogButton", 10, 7);
        own(b);
        b->SetFont(UiFont(0x666666));
        b->SetCaption("确定");
        Drive(w, *b, s);
      }));
    }
    for (int s = 0; s < 4; ++s) {
      cells.push_back(Render(kPointerStates[s], 200, 64, [&](TestWindow& w) {
        auto* b = MakeButton(w, "ApplyButton", 10, 7);
        own(b);
        Drive(w, *b, s);
      }));
    }
    for (const char* skin : {"SysOption", "SysMin", "SysClose"}) {
      for (int s = 0; s < 4; ++s) {
        cells.push_back(Render(
            kPointerStates[s], 47, 34,
            [&](TestWindow& w) {
              auto* b = MakeButton(w, skin, 10, 6);
              own(b);
              Drive(w, *b, s);
            },
            Color::Rgb(0x1E293B)));
      }
    }
    cells.push_back(Render("100px 三段", 120, 34, [&](TestWindow& w) {
      auto* b = MakeButton(w, "DialogButton", 10, 4);
      own(b);
      b->SetBounds(10, 4, 100, 26);
      b->SetFont(UiFont(0x666666));
      b->SetCaption("一键关闭游戏");
    }));
    ok &= WriteSheet(out, "button", cells);
  }

  {  // TCZCheckBox2
    std::vector<Cell> cells;
    const char* names[] = {"unchecked", "unchecked hover", "unchecked pressed",
                           "checked",   "checked hover",   "checked pressed"};
    for (int i = 0; i < 6; ++i) {
      cells.push_back(Render(names[i], 130, 30, [&](TestWindow& w) {
        auto* c = new TCZCheckBox2(&w.root);
        own(c);
        c->SetBounds(5, 3, 120, 25);
        c->SetPicture(Skin("CheckBox"));
        c->SetFont(UiFont());
        c->SetCaption("内存最佳化");
        c->SetChecked(i >= 3);
        if (i % 3 >= 1) w.Move(20, 15);
        if (i % 3 == 2) w.Press(20, 15);
      }));
    }
    cells.push_back(Render("no picture", 130, 30, [&](TestWindow& w) {
      auto* c = new TCZCheckBox2(&w.root);
      own(c);
      c->SetBounds(5, 3, 120, 25);
      c->SetFont(UiFont());
      c->SetCaption("下次不再提醒");
    }));
    ok &= WriteSheet(out, "checkbox", cells);
  }

  {  // TCZTabControl / TCZTabControlItem
    std::vector<Cell> cells;
    const char* names[] = {"normal", "hover", "pressed", "selected", "no picture"};
    for (int i = 0; i < 5; ++i) {
      cells.push_back(Render(names[i], 92, 100, [&](TestWindow& w) {
        auto* strip = new TCZTabControl(&w.root);
        own(strip);
        strip->SetBounds(0, 0, 92, 100);
        strip->SetPicture(Skin("MainTabBackdrop"));
        strip->SetFont(UiFont(0xFFFFFF));
        auto* item = new TCZTabControlItem(&w.root);
        own(item);
        item->AttachTo(strip);
        item->SetBounds(10, 10, 72, 80);
        if (i != 4) {
          item->SetPicture(Skin("TabItem"));
          item->SetICON(Skin("TabIconHome"));
        }
        item->SetCaptionTop(60);
        item->SetCaption("游戏优化");
        if (i == 1 || i == 2) w.Move(40, 40);
        if (i == 2) w.Press(40, 40);
        if (i == 3) strip->SelectItem(item);
      }));
    }
    ok &= WriteSheet(out, "tab_item", cells);
  }

  {  // TCZComboBox
    std::vector<Cell> cells;
    const std::pair<const char*, TCZComboBoxState> states[] = {
        {"cbsNormal", TCZComboBoxState::cbsNormal},
        {"cbsHover", TCZComboBoxState::cbsHover},
        {"cbsDown", TCZComboBoxState::cbsDown},
        {"cbsDisable", TCZComboBoxState::cbsDisable}};
    auto makeCombo = [&](TestWindow& w) {
      auto* c = new TCZComboBox(&w.root);
      own(c);
      c->SetBounds(8, 8, 164, 26);
      c->SetPicture(Skin("ComboFace"));
      c->SetItemHeight(20);
      Font f = UiFont(0x383838, 11);
      c->SetFont(f);
      c->SetItems({"请选择", "超级Orvane 低", "超级Orvane 中", "超级Orvane 高", "官方 非常低",
                   "官方 低", "官方 中", "官方 高", "官方 极致"});
      c->SetItemIndex(2);
      return c;
    };
    for (auto [name, state] : states) {
      cells.push_back(Render(name, 180, 42, [&](TestWindow& w) { makeCombo(w)->SetState(state); }));
    }
    cells.push_back(
        Render("Enabled=false", 180, 42, [&](TestWindow& w) { makeCombo(w)->SetEnabled(false); }));
    cells.push_back(
        Render("ItemIndex -1", 180, 42, [&](TestWindow& w) { makeCombo(w)->SetItemIndex(-1); }));
    cells.push_back(Render("long text", 180, 42, [&](TestWindow& w) {
      auto* c = makeCombo(w);
      c->SetItems({"超级Orvane 中低配置(方案一) 超级Orvane 中低配置(方案二)"});
      c->SetItemIndex(0);
    }));
    cells.push_back(Render("no skin", 180, 42, [&](TestWindow& w) {
      auto* c = makeCombo(w);
      c->SetPicture(TPicture());
    }));
    {  // The opened list: face plus the popup surface drawn beneath it.
      TestWindow w(180, 240);
      auto* c = makeCombo(w);
      w.ClickAt(20, 20);
      w.host.KeyDown(vk::kDown, 0);
      Image face = w.host.RenderToImage();
      Image list = c->PopupHost().RenderToImage();
      OffscreenCanvas off(180, 240);
      off.Clear(colors::kWhite);
      off.GetCanvas().DrawImage(face, {0, 0, 180, 34}, {0, 0, 180, 34});
      off.GetCanvas().DrawImage(list, {0, 0, list.Width(), list.Height()},
                                {8, 34, list.Width(), list.Height()});
      cells.push_back({"opened list", off.Snapshot()});
    }
    ok &= WriteSheet(out, "combo_box", cells);
  }

  {  // TLinesView: a short list, a long one with its scroll bar, scrolled, wrapped
    std::vector<Cell> cells;
    auto makeView = [&](TestWindow& w, int count) {
      auto* v = new TLinesView(&w.root);
      own(v);
      v->SetBounds(8, 8, 224, 2 + 6 * 18);
      v->SetFont(UiFont());
      std::vector<TLinesView::Line> lines = {
          {"Engine.ini: /game/Engine.ini", Color::Rgb(0x222222), true},
          {"  [SystemSettings]", Color::Rgb(0x1E6FD9)}};
      for (int i = 0; i < count; ++i)
        lines.push_back({"    ~ r.Key" + std::to_string(i) + ": 1 → 3", Color::Rgb(0xB26A00)});
      lines.push_back(
          {"1 file changed: 0 keys added, " + std::to_string(count) + " changed, 0 removed",
           Color::Rgb(0x222222), true});
      v->SetLines(std::move(lines));
      return v;
    };
    cells.push_back(Render("short", 240, 124, [&](TestWindow& w) { makeView(w, 2); }));
    cells.push_back(Render("scroll bar", 240, 124, [&](TestWindow& w) { makeView(w, 20); }));
    cells.push_back(Render("scrolled (wheel)", 240, 124, [&](TestWindow& w) {
      makeView(w, 20);
      w.host.PointerWheel(60, 60, -2, 0);
    }));
    cells.push_back(Render("wrapped line", 240, 124, [&](TestWindow& w) {
      auto* v = makeView(w, 1);
      auto lines = v->Lines();
      lines.insert(lines.begin() + 2,
                   {"    + Paths = ../../../Engine/Plugins/Runtime/Coherent/CoherentUIGTPlugin/"
                    "Content",
                    Color::Rgb(0x2E7D32)});
      v->SetLines(std::move(lines));
    }));
    ok &= WriteSheet(out, "lines_view", cells);
  }

  {  // TCZStandardLabel, TCZStandImage, TLabel, TImage, TEdit
    std::vector<Cell> cells;
    cells.push_back(Render(
        "TCZStandardLabel", 200, 36,
        [&](TestWindow& w) {
          auto* l = new TCZStandardLabel(&w.root);
          own(l);
          l->SetBounds(6, 6, 188, 24);
          l->SetFont(UiFont(0xFFFFFF));
          l->SetCaption("绝地求生：大逃杀");
        },
        Color::Rgb(0x1E293B)));
    cells.push_back(Render(
        "ellipsis", 140, 36,
        [&](TestWindow& w) {
          auto* l = new TCZStandardLabel(&w.root);
          own(l);
          l->SetBounds(6, 6, 128, 24);
          l->SetFont(UiFont(0xFFFFFF));
          l->SetCaption("Kestrune,有新版本啦！请升级后使用！");
        },
        Color::Rgb(0x1E293B)));
    cells.push_back(Render("TCZStandImage", 68, 68, [&](TestWindow& w) {
      auto* i = new TCZStandImage(&w.root);
      own(i);
      i->SetBounds(10, 10, 48, 48);
      i->SetPicture(Skin("WarningImage"));
    }));
    cells.push_back(Render("TLabel", 250, 36, [&](TestWindow& w) {
      auto* l = new TLabel(&w.root);
      own(l);
      l->SetFont(UiFont(0x333333, 14));
      l->SetBounds(8, 10, 10, 10);
      l->SetCaption("优化完成！请问是否立即启动游戏？");
    }));
    cells.push_back(Render("TLabel link, centred", 220, 36, [&](TestWindow& w) {
      auto* l = new TLabel(&w.root);
      own(l);
      Font f = UiFont(0xF08101);
      f.underline = true;
      l->SetFont(f);
      l->SetAutoSize(false);
      l->SetAlignment(TAlignment::taCenter);
      l->SetBounds(10, 8, 200, 20);
      l->SetCaption("www.example.com");
    }));
    cells.push_back(Render("TLabel word wrap", 190, 84, [&](TestWindow& w) {
      auto* l = new TLabel(&w.root);
      own(l);
      l->SetFont(UiFont(0x9A9A9A));
      l->SetAutoSize(false);
      l->SetWordWrap(true);
      l->SetBounds(8, 8, 174, 70);
      l->SetCaption(
          "绝地求生画质优化能使游戏画面更清晰、鲜亮、真实，针对不同天气不同场景适配不同的画质优化方"
          "案。");
    }));
    cells.push_back(Render("TImage", 60, 60, [&](TestWindow& w) {
      auto* i = new TImage(&w.root);
      own(i);
      i->SetBounds(10, 10, 40, 40);
      i->SetPicture(Skin("ICON_MessageBox_Question"));
    }));
    const char* editStates[] = {"TEdit", "focused", "selection", "disabled"};
    for (int s = 0; s < 4; ++s) {
      cells.push_back(Render(editStates[s], 140, 40, [&](TestWindow& w) {
        auto* e = new TEdit(&w.root);
        own(e);
        e->SetBounds(8, 8, 124, 24);
        e->SetFont(UiFont());
        e->SetText("Ctrl+Shift+F2");
        if (s == 1) e->SetFocus();
        if (s == 2) {
          e->SetFocus();
          e->SetSelection(5, 10);
        }
        if (s == 3) e->SetEnabled(false);
      }));
    }
    ok &= WriteSheet(out, "labels_images_edit", cells);
  }

  {  // A message dialog: backdrop nine-slice, close button, icon, text, buttons, check box.
    std::vector<Cell> cells;
    cells.push_back(Render("TMessageForm 490x200 (DrawStretch)", 490, 200, [&](TestWindow& w) {
      auto* panel = new TCZStandardPanel(&w.root);
      own(panel);
      panel->SetDrawModel(TDrawModel::DrawStretch);
      panel->SetOffLeft(350);
      panel->SetOffTop(40);
      panel->SetPicture(Skin("DialogBackdrop"));
      panel->SetAlign(Align::kClient);
      auto* close = MakeButton(w, "SysClose", 459, 0);
      own(close);
      auto* caption = new TCZStandardLabel(&w.root);
      own(caption);
      caption->SetBounds(6, 4, 315, 24);
      caption->SetFont(UiFont(0xFFFFFF));
      caption->SetCaption("绝地求生：大逃杀");
      auto* icon = new TImage(&w.root);
      own(icon);
      icon->SetBounds(30, 62, 40, 40);
      icon->SetPicture(Skin("ICON_MessageBox_Question"));
      auto* text = new TLabel(&w.root);
      own(text);
      text->SetFont(UiFont(0x333333, 14));
      text->SetBounds(80, 71, 10, 10);
      text->SetCaption("优化完成！请问是否立即启动游戏？");
      const std::pair<int, const char*> buttons[] = {{308, "确定"}, {399, "取消"}};
      for (auto [x, label] : buttons) {
        auto* b = MakeButton(w, "DialogButton", x, 163);
        own(b);
        b->SetFont(UiFont(0x666666));
        b->SetCaption(label);
      }
      auto* check = new TCZCheckBox2(&w.root);
      own(check);
      check->SetBounds(17, 163, 120, 25);
      check->SetFont(UiFont());
      check->SetCaption("下次不再提醒");
    }));
    // The drop shadow of that dialog, over a light desktop.
    {
      struct Form : ShadowOwnerForm {
        Rect FormWindowRect() override { return {20, 20, 490, 200}; }
        bool FormVisible() override { return true; }
        void SetDoubleBuffered(bool) override {}
        bool DragFullWindows() override { return true; }
        std::unique_ptr<ShadowWindowPort> CreateShadowWindow(const Rect&) override {
          return nullptr;
        }
      } form;
      TShadowForm shadow(form);
      Rect r = shadow.ShadowRect();
      Image px = shadow.RenderShadow(r.width, r.height);
      OffscreenCanvas off(540, 250);
      off.Clear(Color::Rgb(0xDDE3EA));
      off.GetCanvas().DrawImage(px, {0, 0, px.Width(), px.Height()}, r);
      off.GetCanvas().FillRect({20, 20, 490, 200}, colors::kWhite);
      cells.push_back({"TShadowForm (alpha <= 4)", off.Snapshot()});
    }
    ok &= WriteSheet(out, "dialog_and_shadow", cells);
  }

  {  // The whole main window.
    testing::MainWindowScene scene;
    ControlHost host(scene.root);
    scene.combos[0]->SetState(TCZComboBoxState::cbsHover);
    host.PointerMove(110, 60, 0);  // hover the second tab
    bool wrote = WritePngFile(host.RenderToImage(), out + "/main_window.png");
    std::printf("%s %s/main_window.png\n", wrote ? "wrote" : "FAILED", out.c_str());
    ok &= wrote;
  }
  return ok ? 0 : 1;
}
