// The control host: hit testing, enter/leave, capture and click, focus,
// invalidation and the buffered repaint.
#include "controls/control_host.h"

#include <gtest/gtest.h>

#include <memory>

#include "controls/offscreen_canvas.h"
#include "controls/recording_canvas.h"
#include "controls/test_host.h"
#include "controls/virtual_keys.h"

namespace kestrune {
namespace {

using testing::TestWindow;

// Records what happens to it, as a string log.
struct Probe : Control {
  explicit Probe(Control* parent, std::vector<std::string>* log, std::string name)
      : Control(parent), log_(log), name_(std::move(name)) {}
  void MouseEnter() override { log_->push_back(name_ + ":enter"); }
  void MouseLeave() override { log_->push_back(name_ + ":leave"); }
  void MouseDown(MouseButton, ShiftState, int x, int y) override {
    log_->push_back(name_ + ":down@" + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseUp(MouseButton, ShiftState, int, int) override { log_->push_back(name_ + ":up"); }
  void Click() override {
    log_->push_back(name_ + ":click");
    Control::Click();
  }
  void FocusChanged(bool f) override { log_->push_back(name_ + (f ? ":focus" : ":blur")); }
  bool CanFocus() const override { return focusable; }
  void Paint(Canvas& canvas) override { canvas.FillRect(ClientRect(), fill); }
  bool focusable = false;
  Color fill = colors::kBlack;

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

struct Host : ::testing::Test {
  Host() : panel(&w.root, &log, "panel"), a(&panel, &log, "a"), b(&panel, &log, "b") {
    panel.SetBounds(50, 50, 200, 100);
    a.SetBounds(10, 10, 50, 20);
    b.SetBounds(40, 10, 50, 20);  // overlaps a; added later, so on top
  }
  TestWindow w;
  std::vector<std::string> log;
  Probe panel, a, b;
};

TEST_F(Host, HitTestingPrefersTopmostVisibleEnabledChild) {
  EXPECT_EQ(w.host.ControlAt(65, 65), &a);
  EXPECT_EQ(w.host.ControlAt(95, 65), &b);  // the overlap goes to b
  b.SetVisible(false);
  EXPECT_EQ(w.host.ControlAt(95, 65), &a);
  a.SetEnabled(false);  // disabled controls let the pointer through
  EXPECT_EQ(w.host.ControlAt(95, 65), &panel);
  EXPECT_EQ(w.host.ControlAt(5, 5), &w.root);
  EXPECT_EQ(w.host.ControlAt(500, 5), nullptr);
}

TEST_F(Host, EnterLeaveAndLocalCoordinates) {
  w.Move(65, 65);
  w.Move(95, 65);
  w.Press(95, 65);
  EXPECT_EQ(log, (std::vector<std::string>{"a:enter", "a:leave", "b:enter", "b:down@5,5"}));
}

TEST_F(Host, CaptureKeepsEventsAndClickNeedsReleaseInside) {
  w.Move(65, 65);
  w.Press(65, 65);
  w.Move(300, 250);  // leaves a, but a keeps the capture
  w.Release(300, 250);
  EXPECT_EQ(log, (std::vector<std::string>{"a:enter", "a:down@5,5", "a:leave", "a:up"}));
  log.clear();
  w.ClickAt(65, 65);
  EXPECT_EQ(log, (std::vector<std::string>{"a:enter", "a:down@5,5", "a:click", "a:up"}));
}

TEST_F(Host, ClickHandlerMayDestroyTheControl) {
  auto temp = std::make_unique<Probe>(&w.root, &log, "temp");
  temp->SetBounds(300, 200, 40, 40);
  temp->OnClick = [&](Control&) { temp.reset(); };
  w.ClickAt(310, 210);
  EXPECT_EQ(temp, nullptr);
  EXPECT_EQ(w.host.HoverControl(), &w.root);
  w.Move(311, 211);  // nothing dangles
}

TEST_F(Host, FocusOnPressAndTabOrder) {
  a.focusable = b.focusable = true;
  a.SetTabStop(true);
  b.SetTabStop(true);
  w.ClickAt(65, 65);
  EXPECT_EQ(w.host.FocusControl(), &a);
  EXPECT_TRUE(w.host.KeyDown(vk::kTab, 0));
  EXPECT_EQ(w.host.FocusControl(), &b);
  w.host.KeyDown(vk::kTab, 0);
  EXPECT_EQ(w.host.FocusControl(), &a);
  w.host.KeyDown(vk::kTab, kShiftShift);
  EXPECT_EQ(w.host.FocusControl(), &b);
  b.SetVisible(false);
  EXPECT_EQ(w.host.FocusControl(), nullptr);  // a hidden control gives up focus
}

TEST_F(Host, InvalidationInWindowCoordinates) {
  w.delegate.invalidated.clear();
  b.Invalidate();
  ASSERT_EQ(w.delegate.invalidated.size(), 1u);
  EXPECT_EQ(w.delegate.invalidated[0], (Rect{90, 60, 50, 20}));
  panel.SetVisible(false);
  w.delegate.invalidated.clear();
  b.Invalidate();  // not showing: nothing to repaint
  EXPECT_TRUE(w.delegate.invalidated.empty());
}

TEST_F(Host, AnchorsFollowResize) {
  Probe right(&w.root, &log, "right");
  right.SetBounds(359, 0, 27, 22);
  right.SetAnchors(kAnchorTop | kAnchorRight);
  Probe corner(&w.root, &log, "corner");
  corner.SetBounds(300, 263, 75, 26);
  corner.SetAnchors(kAnchorRight | kAnchorBottom);
  Probe fill(&w.root, &log, "fill");
  fill.SetAlign(Align::kClient);
  w.host.Resize(500, 200);
  EXPECT_EQ(right.Bounds(), (Rect{459, 0, 27, 22}));
  EXPECT_EQ(corner.Bounds(), (Rect{400, 163, 75, 26}));
  EXPECT_EQ(fill.Bounds(), (Rect{0, 0, 500, 200}));
}

TEST_F(Host, BufferedPaintRepaintsOnlyTheInvalidArea) {
  w.host.SetBackground(colors::kWhite);
  a.fill = Color::Rgb(0xFF0000);
  OffscreenCanvas target(400, 300);
  w.host.Paint(target.GetCanvas());
  EXPECT_TRUE(w.host.InvalidRect().Empty());
  a.fill = Color::Rgb(0x00FF00);  // changed without invalidation: stays red on screen
  b.fill = Color::Rgb(0x0000FF);
  b.Invalidate();
  w.host.Paint(target.GetCanvas());
  const Image shown = target.Snapshot();
  auto px = [&](int x, int y) { return shown.Pixel(x, y) & 0xFFFFFF; };
  EXPECT_EQ(px(62, 65), 0xFF0000u);  // a outside b's area: from the back buffer
  EXPECT_EQ(px(95, 65), 0x0000FFu);  // b repainted
  EXPECT_EQ(px(5, 5), 0xFFFFFFu);
}

// A target that hands out its own frame buffers and logs how the host uses them.
struct BufferingTarget : RecordingCanvas {
  struct Buffer : FrameBuffer {
    Buffer(int w, int h, std::vector<std::string>* log) : FrameBuffer(Image(w, h)), log_(log) {}
    void BeginDraw() override { log_->push_back("begin"); }
    void EndDraw() override {
      // The frame is complete by now: the repainted control's colour is in it.
      log_->push_back("end:" + std::to_string(Pixels().Pixel(95, 65) & 0xFFFFFF));
    }
    void Present(Canvas&, const Rect& area) override {
      log_->push_back("present:" + std::to_string(area.width) + "x" + std::to_string(area.height));
    }
    std::vector<std::string>* log_;
  };
  std::unique_ptr<FrameBuffer> CreateFrameBuffer(int width, int height) override {
    log.push_back("make:" + std::to_string(width) + "x" + std::to_string(height));
    return std::make_unique<Buffer>(width, height, &log);
  }
  std::vector<std::string> log;
};

TEST_F(Host, FrameBufferComesFromTheTargetAndIsDrawnBetweenBeginAndEnd) {
  b.fill = Color::Rgb(0x0000FF);
  BufferingTarget target;
  w.host.Paint(target);
  w.host.Paint(target);  // nothing invalid: shown again, not drawn
  b.Invalidate();
  w.host.Resize(300, 200);  // a new size needs a new buffer
  w.host.Paint(target);
  const std::string blue = std::to_string(0x0000FF);
  EXPECT_EQ(target.log,
            (std::vector<std::string>{"make:400x300", "begin", "end:" + blue, "present:400x300",
                                      "present:400x300", "make:300x200", "begin", "end:" + blue,
                                      "present:300x200"}));
}

TEST_F(Host, RecordingCanvasSeesTranslatedCoordinates) {
  RecordingCanvas canvas;
  w.host.PaintTo(canvas);
  auto fills = canvas.CallsOf(CanvasCall::Kind::kFill);
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ(fills[1].dst, (Rect{60, 60, 50, 20}));  // a, in window coordinates
}

TEST_F(Host, CursorFollowsHover) {
  b.SetCursor(Cursor::kHandPoint);
  w.Move(95, 65);
  EXPECT_EQ(w.delegate.cursor, Cursor::kHandPoint);
  w.Move(5, 5);
  EXPECT_EQ(w.delegate.cursor, Cursor::kDefault);
}

}  // namespace
}  // namespace kestrune
