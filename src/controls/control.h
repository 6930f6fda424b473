// The windowless control: a rectangle in its parent's client coordinates
// that paints on the host's canvas and receives pointer and key events from
// the ControlHost. Controls form a tree; a parent does not own its children
// (windows keep them as members), and destroying either side detaches it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/canvas.h"
#include "controls/geometry.h"

namespace kestrune {

class ControlHost;

// Modifier and button state, as bit flags (Shift, Alt, Ctrl like TShiftState).
enum ShiftFlag : unsigned {
  kShiftShift = 0x01,
  kShiftAlt = 0x02,
  kShiftCtrl = 0x04,
  kShiftLeft = 0x08,
  kShiftRight = 0x10,
  kShiftMiddle = 0x20,
  kShiftDouble = 0x40,
};
using ShiftState = unsigned;

enum class MouseButton { kLeft, kRight, kMiddle };

enum class Cursor { kDefault, kHandPoint, kIBeam };

enum Anchor : unsigned {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
};

enum class Align { kNone, kClient };

class Control {
 public:
  explicit Control(Control* parent = nullptr);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // --- tree ---
  Control* Parent() const { return parent_; }
  void SetParent(Control* parent);
  const std::vector<Control*>& Children() const { return children_; }
  ControlHost* Host() const;  // the host of the tree's root, if any

  // --- geometry (parent client coordinates) ---
  int Left() const { return bounds_.x; }
  int Top() const { return bounds_.y; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  const Rect& Bounds() const { return bounds_; }
  Rect ClientRect() const { return {0, 0, bounds_.width, bounds_.height}; }
  void SetBounds(int left, int top, int width, int height);
  void SetBounds(const Rect& r) { SetBounds(r.x, r.y, r.width, r.height); }
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  // Top-left corner in the host window's client coordinates.
  Point WindowOrigin() const;
  Rect WindowRect() const;
  unsigned Anchors() const { return anchors_; }
  void SetAnchors(unsigned anchors) { anchors_ = anchors; }
  Align GetAlign() const { return align_; }
  void SetAlign(Align align);

  // --- state ---
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool IsShowing() const;  // this and every ancestor visible
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const Font& GetFont() const { return font_; }
  Font& MutableFont() { return font_; }  // call Invalidate() after changes
  void SetFont(const Font& font);
  Color GetColor() const { return color_; }
  void SetColor(Color color);
  Cursor GetCursor() const { return cursor_; }
  void SetCursor(Cursor cursor) { cursor_ = cursor; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v) { tabStop_ = v; }
  bool Focused() const;
  void SetFocus();
  bool MouseInside() const { return mouseInside_; }

  // Asks the host to repaint this control (no-op without a host).
  void Invalidate();
  void Repaint() { Invalidate(); }

  // --- events (the standard ones the windows use) ---
  std::function<void(Control&)> OnClick;
  std::function<void(Control&)> OnDblClick;
  std::function<void(Control&, MouseButton, ShiftState, int, int)> OnMouseDown;
  std::function<void(Control&, MouseButton, ShiftState, int, int)> OnMouseUp;
  std::function<void(Control&, ShiftState, int, int)> OnMouseMove;
  std::function<void(Control&)> OnMouseEnter;
  std::function<void(Control&)> OnMouseLeave;
  std::function<void(Control&)> OnResize;

  // --- overridables; the host calls these ---
  virtual void Paint(Canvas& canvas);
  // Hit test in client coordinates; a control that returns false lets the
  // pointer fall through to what lies below.
  virtual bool HitTest(int x, int y) const { return ClientRect().Contains(x, y); }
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseMove(ShiftState shift, int x, int y);
  virtual void Click();
  virtual void DblClick();
  // Wheel notches: positive away from the user.
  virtual void MouseWheel(int delta, ShiftState shift, int x, int y);
  // Keys: virtual-key codes (Windows numbering, see virtual_keys.h). Setting
  // key to 0 in KeyDown, or ch to 0 in KeyPress, marks the event as eaten.
  virtual void KeyDown(int& key, ShiftState shift);
  virtual void KeyUp(int& key, ShiftState shift);
  virtual void KeyPress(char32_t& ch);
  virtual void FocusChanged(bool focused);
  virtual bool CanFocus() const { return false; }
  virtual void EnabledChanged() { Invalidate(); }
  // After SetFont (not after edits through MutableFont).
  virtual void FontChanged() {}
  virtual void Resized();

  std::function<void(Control&, int&, ShiftState)> OnKeyDown;
  std::function<void(Control&, int&, ShiftState)> OnKeyUp;
  std::function<void(Control&, char32_t&)> OnKeyPress;
  std::function<void(Control&)> OnEnter;
  std::function<void(Control&)> OnExit;

 private:
  friend class ControlHost;
  void AlignChildren(int oldWidth, int oldHeight);

  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  ControlHost* host_ = nullptr;  // set on the root by the host
  Rect bounds_;
  unsigned anchors_ = kAnchorLeft | kAnchorTop;
  Align align_ = Align::kNone;
  bool visible_ = true;
  bool enabled_ = true;
  bool tabStop_ = false;
  bool mouseInside_ = false;
  Font font_;
  Color color_ = colors::kWindow;
  Cursor cursor_ = Cursor::kDefault;
  std::string name_;
};

}  // namespace kestrune
