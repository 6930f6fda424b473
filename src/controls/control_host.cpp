// Event dispatch, focus, capture, invalidation and buffered painting for a
// tree of windowless controls.
#include "controls/control_host.h"

#include <algorithm>
#include <chrono>

#include "controls/offscreen_canvas.h"

namespace kestrune {

namespace {
bool IsWithin(const Control* c, const Control* ancestor) {
  for (; c; c = c->Parent()) {
    if (c == ancestor) return true;
  }
  return false;
}

Point ToLocal(const Control& c, int x, int y) {
  Point o = c.WindowOrigin();
  return {x - o.x, y - o.y};
}

void CollectFocusable(Control& c, std::vector<Control*>& out) {
  if (!c.Visible()) return;
  if (c.CanFocus() && c.TabStop() && c.Enabled()) out.push_back(&c);
  for (Control* child : c.Children()) CollectFocusable(*child, out);
}
}  // namespace

ControlHost::ControlHost(Control& root, HostDelegate* delegate) : root_(root), delegate_(delegate) {
  root_.host_ = this;
}

ControlHost::~ControlHost() {
  ClosePopup();
  if (root_.host_ == this) root_.host_ = nullptr;
}

void ControlHost::SetDelegate(HostDelegate* delegate) {
  delegate_ = delegate;
  backValid_ = false;
}

int64_t ControlHost::NowMs() const {
  if (Clock) return Clock();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

Control* ControlHost::ControlAt(int x, int y) const {
  if (!root_.Visible() || !root_.ClientRect().Contains(x, y)) return nullptr;
  Control* found = root_.HitTest(x, y) ? &root_ : nullptr;
  Control* c = &root_;
  int lx = x, ly = y;
  // Walk down: the last child added lies on top.
  for (;;) {
    Control* next = nullptr;
    const auto& kids = c->Children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
      Control* k = *it;
      // Disabled controls let the pointer through to their parent.
      if (!k->Visible() || !k->Enabled() || !k->Bounds().Contains(lx, ly)) continue;
      if (!k->HitTest(lx - k->Left(), ly - k->Top())) continue;
      next = k;
      break;
    }
    if (!next) break;
    lx -= next->Left();
    ly -= next->Top();
    c = next;
    found = next;
  }
  return found;
}

void ControlHost::UpdateHover(int x, int y, ShiftState) {
  Control* now = ControlAt(x, y);
  if (now == hover_) return;
  Control* old = hover_;
  hover_ = now;
  if (old) {
    old->mouseInside_ = false;
    old->MouseLeave();
  }
  // The leave handler may have changed the tree; only enter what is still hit.
  if (hover_ && hover_ == now) {
    hover_->mouseInside_ = true;
    hover_->MouseEnter();
  }
  Cursor cursor = hover_ ? hover_->GetCursor() : Cursor::kDefault;
  if (cursor != cursor_ && delegate_) delegate_->SetCursor(cursor);
  cursor_ = cursor;
}

void ControlHost::PointerMove(int x, int y, ShiftState shift) {
  modifiers_ = shift;
  UpdateHover(x, y, shift);
  Control* target = capture_ ? capture_ : hover_;
  if (target && target->Enabled()) {
    Point p = ToLocal(*target, x, y);
    target->MouseMove(shift, p.x, p.y);
  }
}

void ControlHost::PointerDown(MouseButton button, int x, int y, ShiftState shift, int clickCount) {
  modifiers_ = shift;
  UpdateHover(x, y, shift);
  Control* target = hover_;
  if (popup_) {
    bool onOpener = target && target == popupOpener_;
    ClosePopup();
    // A press on the control that opened the popup only closes it.
    if (onOpener) return;
  }
  if (!target) {
    if (OnPressOutside) OnPressOutside();
    return;
  }
  if (!target->Enabled()) return;
  if (target->CanFocus()) SetFocusControl(target);
  if (target != hover_) return;  // focus handlers changed the tree
  capture_ = target;
  pressed_ = target;
  pressedButton_ = button;
  bool dbl = clickCount >= 2;
  Point p = ToLocal(*target, x, y);
  target->MouseDown(button, shift | (dbl ? kShiftDouble : 0u), p.x, p.y);
  if (dbl && button == MouseButton::kLeft && capture_ == target) {
    pressed_ = nullptr;  // a double click's release is not a click
    target->DblClick();
  }
}

void ControlHost::PointerUp(MouseButton button, int x, int y, ShiftState shift) {
  modifiers_ = shift;
  Control* target = capture_ ? capture_ : hover_;
  bool click =
      target && pressed_ == target && button == pressedButton_ && button == MouseButton::kLeft;
  capture_ = nullptr;
  pressed_ = nullptr;
  if (target && target->Enabled()) {
    Point p = ToLocal(*target, x, y);
    // As the classic controls do: the click comes before the release event.
    // A click handler may destroy the control (ForgetControl clears upTarget_).
    upTarget_ = target;
    if (click && target->ClientRect().Contains(p.x, p.y)) target->Click();
    if (upTarget_ == target) target->MouseUp(button, shift, p.x, p.y);
    upTarget_ = nullptr;
  }
  UpdateHover(x, y, shift);
}

void ControlHost::PointerLeave() {
  if (capture_) return;  // the window keeps delivering while a button is down
  if (hover_) {
    Control* old = hover_;
    hover_ = nullptr;
    old->mouseInside_ = false;
    old->MouseLeave();
  }
  if (cursor_ != Cursor::kDefault && delegate_) delegate_->SetCursor(Cursor::kDefault);
  cursor_ = Cursor::kDefault;
}

void ControlHost::PointerWheel(int x, int y, int delta, ShiftState shift) {
  modifiers_ = shift;
  Control* target = ControlAt(x, y);
  if (!target || !target->Enabled()) target = focus_;
  if (!target) return;
  Point p = ToLocal(*target, x, y);
  target->MouseWheel(delta, shift, p.x, p.y);
}

bool ControlHost::KeyDown(int virtualKey, ShiftState shift) {
  modifiers_ = shift & (kShiftShift | kShiftAlt | kShiftCtrl);
  if (focus_ && focus_->Enabled()) {
    int key = virtualKey;
    focus_->KeyDown(key, modifiers_);
    if (key == 0) return true;
  }
  if (virtualKey == 0x09 && !(shift & (kShiftAlt | kShiftCtrl))) {  // Tab moves the focus
    std::vector<Control*> order;
    CollectFocusable(root_, order);
    if (order.empty()) return false;
    auto it = std::find(order.begin(), order.end(), focus_);
    size_t i = 0;
    if (it != order.end()) {
      size_t cur = static_cast<size_t>(it - order.begin());
      i = (shift & kShiftShift) ? (cur + order.size() - 1) % order.size()
                                : (cur + 1) % order.size();
    }
    SetFocusControl(order[i]);
    return true;
  }
  return focus_ != nullptr;
}

bool ControlHost::KeyUp(int virtualKey, ShiftState shift) {
  modifiers_ = shift & (kShiftShift | kShiftAlt | kShiftCtrl);
  if (!focus_ || !focus_->Enabled()) return false;
  int key = virtualKey;
  focus_->KeyUp(key, modifiers_);
  return true;
}

bool ControlHost::KeyPress(char32_t ch) {
  if (!focus_ || !focus_->Enabled()) return false;
  focus_->KeyPress(ch);
  return true;
}

void ControlHost::WindowFocusChanged(bool focused) {
  if (!focused) {
    capture_ = nullptr;
    pressed_ = nullptr;
    ClosePopup();
  }
  if (focus_) focus_->FocusChanged(focused);
}

void ControlHost::Resize(int width, int height) {
  root_.SetBounds(0, 0, width, height);
  backValid_ = false;
  InvalidateRect(root_.ClientRect());
}

void ControlHost::InvalidateRect(const Rect& rect) {
  Rect r = rect.Intersect(root_.ClientRect());
  if (r.Empty()) return;
  invalid_ = invalid_.Union(r);
  if (delegate_) delegate_->InvalidateRect(r);
}

void ControlHost::SetFocusControl(Control* control) {
  if (control == focus_) return;
  Control* old = focus_;
  focus_ = control;
  if (old) old->FocusChanged(false);
  if (focus_ && focus_ == control) focus_->FocusChanged(true);
}

void ControlHost::ReleaseCapture() {
  capture_ = nullptr;
  pressed_ = nullptr;
}

Point ControlHost::ClientToScreen(Point p) const {
  if (!delegate_) return p;
  Point o = delegate_->ClientOrigin();
  return {p.x + o.x, p.y + o.y};
}

Rect ControlHost::ScreenWorkArea() const {
  if (!delegate_) return {0, 0, 1920, 1080};
  return delegate_->ScreenWorkArea();
}

void ControlHost::OpenPopup(ControlHost& popup, const Rect& screenRect, Control* opener,
                            std::function<void()> onClosed) {
  ClosePopup();
  popup_ = &popup;
  popupOpener_ = opener;
  popupClosed_ = std::move(onClosed);
  if (delegate_) delegate_->OpenPopup(popup, screenRect);
}

void ControlHost::ClosePopup() {
  if (!popup_) return;
  ControlHost* popup = popup_;
  popup_ = nullptr;
  popupOpener_ = nullptr;
  if (delegate_) delegate_->ClosePopup(*popup);
  auto closed = std::move(popupClosed_);
  popupClosed_ = nullptr;
  if (closed) closed();
}

void ControlHost::ForgetControl(Control* control) {
  if (IsWithin(hover_, control)) hover_ = nullptr;
  if (IsWithin(capture_, control)) capture_ = nullptr;
  if (IsWithin(pressed_, control)) pressed_ = nullptr;
  if (IsWithin(focus_, control)) focus_ = nullptr;
  if (IsWithin(upTarget_, control)) upTarget_ = nullptr;
  if (popup_ && IsWithin(popupOpener_, control)) ClosePopup();
}

void ControlHost::PaintControl(Canvas& canvas, Control& control, const Rect& clip) {
  if (!control.Visible()) return;
  Rect r = &control == &root_ ? control.ClientRect() : control.Bounds();
  Rect visible = r.Intersect(clip);
  if (visible.Empty()) return;
  canvas.Save();
  canvas.Translate(r.x, r.y);
  canvas.ClipRect(visible.Offset(-r.x, -r.y));
  control.Paint(canvas);
  Rect childClip = visible.Offset(-r.x, -r.y);
  for (Control* child : control.Children()) PaintControl(canvas, *child, childClip);
  canvas.Restore();
}

void ControlHost::PaintTo(Canvas& canvas, const Rect& clip) {
  PaintControl(canvas, root_, clip);
}

void ControlHost::EnsureBackBuffer(Canvas& target) {
  int w = std::max(1, root_.Width()), h = std::max(1, root_.Height());
  if (back_ && back_->Pixels().Width() == w && back_->Pixels().Height() == h) return;
  back_.reset();  // the old frame goes before the new one is made
  back_ = target.CreateFrameBuffer(w, h);
  backValid_ = false;
}

void ControlHost::Paint(Canvas& target) {
  EnsureBackBuffer(target);
  Image& pixels = back_->Pixels();
  if (!backValid_) invalid_ = root_.ClientRect();
  if (!invalid_.Empty()) {
    back_->BeginDraw();
    FillPixels(pixels, invalid_, background_);
    std::unique_ptr<Canvas> canvas = CreateImageCanvas(pixels);
    canvas->ClipRect(invalid_);
    PaintTo(*canvas, invalid_);
    canvas->Flush();
    canvas.reset();
    back_->EndDraw();
    invalid_ = {};
    backValid_ = true;
  }
  back_->Present(target, {0, 0, pixels.Width(), pixels.Height()});
}

Image ControlHost::RenderToImage() {
  OffscreenCanvas off(std::max(1, root_.Width()), std::max(1, root_.Height()));
  off.Clear(background_);
  PaintTo(off.GetCanvas());
  return off.Snapshot();
}

}  // namespace kestrune
