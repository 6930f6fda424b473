// Every text of the windows fits where the layout puts it, in every language
// the program carries: each text is measured with the interface font (the
// same rasteriser that draws it) against the rectangle its control draws it
// in, and must not run into a neighbouring control. A translation that is
// too long fails here instead of being clipped on the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/opti_page.h"
#include "app/orvane_page.h"
#include "controls/recording_canvas.h"
#include "controls/resources.h"
#include "controls/tab_control.h"
#include "controls/text_measure.h"
#include "controls/ui_font.h"
#include "env/settings_store.h"
#include "i18n/i18n.h"
#include "opti/opti_tables.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace kestrune::app {
namespace {

// Records the calls, and answers text sizes as the screen would (controls
// that size a caption's rectangle from the canvas get the real width).
class MeasuringCanvas final : public RecordingCanvas {
 public:
  Size TextExtent(std::string_view utf8) override { return MeasureText(GetFont(), utf8); }
};

bool Contains(const Rect& outer, const Rect& inner) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

Rect Absolute(const Control& control, const Rect& local) {
  Point origin = control.WindowOrigin();
  return {origin.x + local.x, origin.y + local.y, local.width, local.height};
}

bool Intersects(const Rect& a, const Rect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool IsAncestor(const Control* ancestor, const Control* control) {
  for (const Control* c = control; c; c = c->Parent())
    if (c == ancestor) return true;
  return false;
}

void Visible(Control& control, std::vector<Control*>& out) {
  if (!control.Visible()) return;
  out.push_back(&control);
  for (Control* child : control.Children()) Visible(*child, out);
}

// The texts `control` draws now, each checked against its rectangle, the
// control and every visible control of `all` beside it.
void CheckTexts(Control& control, const std::vector<Control*>& all, const Rect& window,
                std::vector<std::string>& faults) {
  MeasuringCanvas canvas;
  control.Paint(canvas);
  for (const CanvasCall& call : canvas.CallsOf(CanvasCall::Kind::kText)) {
    if (call.text.empty()) continue;
    const std::string where = "'" + call.text + "' (" + control.Name() + ")";
    const bool wraps = (call.flags & kTextWordBreak) != 0;
    Size need = wraps ? MeasureWrappedText(call.font, call.text, call.dst.width)
                      : MeasureText(call.font, call.text);
    if (wraps ? need.height > call.dst.height : need.width > call.dst.width) {
      faults.push_back(where + " needs " + std::to_string(need.width) + "x" +
                       std::to_string(need.height) + ", has " + std::to_string(call.dst.width) +
                       "x" + std::to_string(call.dst.height));
      continue;
    }
    // Where the ink lies: the text's own width, placed as the call aligns it.
    Rect ink{call.dst.x, call.dst.y, wraps ? call.dst.width : need.width,
             std::min(need.height, call.dst.height)};
    if (!wraps && (call.flags & kTextCenter)) ink.x += (call.dst.width - need.width) / 2;
    if (!wraps && (call.flags & kTextRight)) ink.x += call.dst.width - need.width;
    if (ink.x < 0 || ink.x + ink.width > control.Width()) {
      faults.push_back(where + " runs past its control (" + std::to_string(ink.x + ink.width) +
                       " of " + std::to_string(control.Width()) + ")");
      continue;
    }
    const Rect shown = Absolute(control, ink);
    if (shown.x < 0 || shown.x + shown.width > window.width)
      faults.push_back(where + " runs past the window");
    // Rows of the layout may share a pixel or two; what must stay clear is
    // the band the letters stand in. A control that holds the whole text
    // (a group's frame, a backdrop) is what it is drawn on.
    const Rect band{shown.x, shown.y + shown.height / 3, shown.width,
                    std::max(1, shown.height / 3)};
    for (const Control* other : all) {
      if (IsAncestor(other, &control) || IsAncestor(&control, other)) continue;
      const Rect bounds = other->WindowRect();
      if (Intersects(band, bounds) && !Contains(bounds, shown))
        faults.push_back(where + " runs into " + other->Name());
    }
  }
}

// Every visible control of the tree under `root`; a list shows each of its
// entries in turn.
std::vector<std::string> Faults(Control& root) {
  std::vector<Control*> all;
  Visible(root, all);
  std::vector<std::string> faults;
  for (Control* control : all) {
    if (auto* list = dynamic_cast<TCZComboBox*>(control)) {
      const int selected = list->ItemIndex();
      for (int i = 0; i < static_cast<int>(list->Items().size()); ++i) {
        list->SetItemIndex(i);
        CheckTexts(*control, all, root.Bounds(), faults);
      }
      list->SetItemIndex(selected);
    } else {
      CheckTexts(*control, all, root.Bounds(), faults);
    }
  }
  return faults;
}

std::string Lines(const std::vector<std::string>& faults) {
  std::string out;
  for (const std::string& f : faults) out += "  " + f + "\n";
  return out;
}

class LanguageFit : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
      kestrune::test::SetEnv(name, temp.Path(name));
    SetConfigFilePathForTesting(temp.Path("Config.dat"));
    i18n::SetLanguage(GetParam());
  }
  void TearDown() override {
    i18n::SetLanguage(i18n::kSourceLanguage);
    SetConfigFilePathForTesting("");
  }
  kestrune::test::TempDir temp;
};

TEST_P(LanguageFit, TheOptimisationPage) {
  Control parent;
  parent.SetBounds(0, 0, 880, 480);
  THareWareInfo hardware{};
  TOptiFrameView view(parent, hardware);
  // The drift notice and the delete link, shown with a two-digit count.
  view.LabelDrift.SetCaption(i18n::TrF("游戏重置了 %s 项设置 — 重新应用", {"12"}));
  view.LabelDrift.SetVisible(true);
  std::vector<std::string> faults = Faults(parent);
  EXPECT_TRUE(faults.empty()) << Lines(faults);
}

TEST_P(LanguageFit, ThePictureEnhancementPage) {
  Control parent;
  parent.SetBounds(0, 0, 880, 480);
  TOrvaneFrameView view(parent, {});
  std::vector<std::string> faults = Faults(parent);
  EXPECT_TRUE(faults.empty()) << Lines(faults);
}

// The main window's tabs, as the main window lays them out.
TEST_P(LanguageFit, TheTabs) {
  Control root;
  root.SetBounds(0, 0, 880, 120);
  TCZTabControl strip(&root);
  strip.SetBounds(0, 0, 880, 120);
  std::vector<std::unique_ptr<TCZTabControlItem>> items;
  int x = 13;
  for (const char* caption : {"一键优化", "画质增强", "战绩查询", "吃鸡技巧", "直播视频"}) {
    auto item = std::make_unique<TCZTabControlItem>(&strip);
    item->AttachTo(&strip);
    item->SetName(caption);
    item->SetBounds(x, 33, 72, 80);
    item->SetCaptionTop(56);
    Font font = item->GetFont();
    ApplyUiFont(font);
    item->SetFont(font);
    item->SetCaption(i18n::TrS(caption));
    items.push_back(std::move(item));
    x += 90;
  }
  std::vector<std::string> faults = Faults(root);
  EXPECT_TRUE(faults.empty()) << Lines(faults);
}

TEST_P(LanguageFit, TheDialogs) {
  std::vector<std::function<std::unique_ptr<TDialogForm>()>> dialogs = {
      [] {
        auto form = std::make_unique<TMessageForm>();
        form->SetCaptionText(i18n::TrS(opti::kGameTitle));
        form->SetMessageText(i18n::TrS(opti::kApplyDoneQuestion));
        form->SetIconType(mitQuestion);
        form->SetButtonsMode(0);
        form->ApplySizing();
        return form;
      },
      [] { return std::make_unique<TMessageForm3>(nullptr); },
      [] { return std::make_unique<TMessageForm4>(); },
      [] { return std::make_unique<TAboutForm>(); },
  };
  for (auto& make : dialogs) {
    std::unique_ptr<TDialogForm> form = make();
    std::vector<std::string> faults = Faults(form->Root());
    EXPECT_TRUE(faults.empty()) << form->Title() << ":\n" << Lines(faults);
  }
}

std::vector<std::string> Languages() {
  std::vector<std::string> out{std::string(i18n::kSourceLanguage)};
  for (const i18n::Catalog* catalog : i18n::Catalogs()) out.emplace_back(catalog->language);
  return out;
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, LanguageFit, ::testing::ValuesIn(Languages()),
                         [](const ::testing::TestParamInfo<std::string>& language) {
                           return language.param;
                         });

// The pictures with words in them (the page's three buttons, the companion
// prompt) come in every language the program carries.
TEST(LanguagePictures, EveryPictureWithWordsHasEachLanguagesOwn) {
  for (const i18n::Catalog* catalog : i18n::Catalogs())
    for (const char* name : {"ApplyButton", "RestoreButton", "StartGameButton", "CompanionBackdrop",
                             "CompanionSocial"})
      EXPECT_TRUE(FindRawResource(std::string(name) + "_" + std::string(catalog->language)))
          << name << " in " << catalog->language;
}

}  // namespace
}  // namespace kestrune::app
