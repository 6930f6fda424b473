// The windowless control: tree, geometry with anchors, state and the
// default event handlers (which fire the assigned events).
#include "controls/control.h"

#include <algorithm>

#include "controls/control_host.h"

namespace kestrune {

Control::Control(Control* parent) {
  SetParent(parent);
}

Control::~Control() {
  if (ControlHost* host = Host()) host->ForgetControl(this);
  for (Control* child : children_) child->parent_ = nullptr;
  children_.clear();
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_->Invalidate();
  }
  if (host_) host_ = nullptr;
}

void Control::SetParent(Control* parent) {
  if (parent == parent_ || parent == this) return;
  if (ControlHost* host = Host()) {
    Invalidate();
    host->ForgetControl(this);
  }
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent_ = parent;
  if (parent_) {
    parent_->children_.push_back(this);
    if (align_ == Align::kClient) SetBounds(0, 0, parent_->Width(), parent_->Height());
  }
  Invalidate();
}

ControlHost* Control::Host() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return c->host_;
}

void Control::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  Rect next{left, top, width, height};
  if (next == bounds_) return;
  Invalidate();
  Rect old = bounds_;
  bounds_ = next;
  Invalidate();
  if (old.width != width || old.height != height) {
    AlignChildren(old.width, old.height);
    Resized();
  }
}

void Control::AlignChildren(int oldWidth, int oldHeight) {
  int dw = Width() - oldWidth;
  int dh = Height() - oldHeight;
  for (Control* child : std::vector<Control*>(children_)) {
    if (child->align_ == Align::kClient) {
      child->SetBounds(0, 0, Width(), Height());
      continue;
    }
    Rect r = child->bounds_;
    unsigned a = child->anchors_;
    if ((a & kAnchorRight) && (a & kAnchorLeft))
      r.width += dw;
    else if (a & kAnchorRight)
      r.x += dw;
    if ((a & kAnchorBottom) && (a & kAnchorTop))
      r.height += dh;
    else if (a & kAnchorBottom)
      r.y += dh;
    child->SetBounds(r);
  }
}

void Control::SetAlign(Align align) {
  align_ = align;
  if (align_ == Align::kClient && parent_) SetBounds(0, 0, parent_->Width(), parent_->Height());
}

Point Control::WindowOrigin() const {
  Point p;
  for (const Control* c = this; c->parent_; c = c->parent_) {
    p.x += c->bounds_.x;
    p.y += c->bounds_.y;
  }
  return p;
}

Rect Control::WindowRect() const {
  Point p = WindowOrigin();
  return {p.x, p.y, bounds_.width, bounds_.height};
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  if (!visible) Invalidate();
  visible_ = visible;
  if (!visible) {
    if (ControlHost* host = Host()) host->ForgetControl(this);
  }
  Invalidate();
}

bool Control::IsShowing() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled) {
    if (ControlHost* host = Host()) {
      if (host->CaptureControl() == this) host->ReleaseCapture();
    }
  }
  EnabledChanged();
}

void Control::SetFont(const Font& font) {
  font_ = font;
  FontChanged();
  Invalidate();
}

void Control::SetColor(Color color) {
  color_ = color;
  Invalidate();
}

bool Control::Focused() const {
  ControlHost* host = Host();
  return host && host->FocusControl() == this;
}

void Control::SetFocus() {
  if (ControlHost* host = Host()) host->SetFocusControl(this);
}

void Control::Invalidate() {
  ControlHost* host = Host();
  if (!host || !IsShowing()) return;
  host->InvalidateRect(WindowRect());
}

void Control::Paint(Canvas&) {}

void Control::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}
void Control::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(*this);
}
void Control::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}
void Control::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}
void Control::MouseMove(ShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}
void Control::MouseWheel(int, ShiftState, int, int) {}
void Control::Click() {
  if (OnClick) OnClick(*this);
}
void Control::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}
void Control::KeyDown(int& key, ShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
}
void Control::KeyUp(int& key, ShiftState shift) {
  if (OnKeyUp) OnKeyUp(*this, key, shift);
}
void Control::KeyPress(char32_t& ch) {
  if (OnKeyPress) OnKeyPress(*this, ch);
}
void Control::FocusChanged(bool focused) {
  if (focused && OnEnter) OnEnter(*this);
  if (!focused && OnExit) OnExit(*this);
}
void Control::Resized() {
  if (OnResize) OnResize(*this);
}

}  // namespace kestrune
