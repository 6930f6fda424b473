// TCZComboBox: a drop-down list whose closed face is a three-frame skin strip
// chosen by a four-value visual state, and whose opened list (a popup surface
// that may reach beyond the window) is drawn row by row by the control.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/base_control.h"
#include "controls/control_host.h"

namespace kestrune {

enum class TCZComboBoxState : uint8_t { cbsNormal = 0, cbsHover = 1, cbsDown = 2, cbsDisable = 3 };

// Owner-draw row state.
enum OwnerDrawState : unsigned {
  kOdsSelected = 0x1,
  kOdsFocus = 0x10,
  kOdsComboBoxEdit = 0x1000,
};

enum class TBiDiMode { bdLeftToRight, bdRightToLeft };

// Width of the opened list's scroll bar (inside its border).
inline constexpr int kComboScrollBarWidth = 12;

class TCZComboBox : public Control {
 public:
  explicit TCZComboBox(Control* parent = nullptr);
  ~TCZComboBox() override;

  TCZComboBoxState State() const { return state_; }
  void SetState(TCZComboBoxState state);
  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  const Image* CachedImage() const { return cachedImage_.get(); }

  std::vector<std::string>& Items() { return items_; }
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items);
  int ItemIndex() const { return itemIndex_; }
  // From code: no OnChange. Out-of-range values give -1.
  void SetItemIndex(int index);
  std::string Text() const;
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v) { itemHeight_ = v; }
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v) { dropDownCount_ = v; }
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool v) { autoComplete_ = v; }
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode v);

  // Face frame for the current state over the whole client area.
  void DrawBorders(Canvas& canvas);
  // One owner-draw request: a list row (index >= 0) or, with
  // kOdsComboBoxEdit, the face.
  void DrawItem(Canvas& canvas, int index, const Rect& rect, unsigned state);

  bool DroppedDown() const { return dropped_; }
  void SetDroppedDown(bool open);
  // Highlighted row of the opened list.
  int ListIndex() const { return listIndex_; }
  int ListTopIndex() const { return listTop_; }
  // Rows the opened list shows (at least one, at most DropDownCount).
  int VisibleRows() const;
  // The opened list scrolls with a bar at its right when it has more items
  // than rows; its track and thumb in the list's own coordinates.
  bool HasScrollBar() const;
  Rect ScrollTrackRect() const;
  Rect ScrollThumbRect() const;
  ControlHost& PopupHost() { return *popupHost_; }
  // Where the list opens, in screen coordinates (below, or above when the
  // screen has no room below).
  Rect DropDownScreenRect() const;

  std::function<void(Control&)> OnChange;
  std::function<void(Control&)> OnSelect;
  std::function<void(Control&)> OnDropDown;
  std::function<void(Control&)> OnCloseUp;

  void Paint(Canvas& canvas) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseWheel(int delta, ShiftState shift, int x, int y) override;
  void KeyDown(int& key, ShiftState shift) override;
  void KeyPress(char32_t& ch) override;
  bool CanFocus() const override { return true; }
  void FocusChanged(bool focused) override;

 private:
  class ListControl;
  friend class ListControl;
  void SetStateInternal(TCZComboBoxState state);
  void SelectByUser(int index);  // sets ItemIndex and fires OnSelect/OnChange
  void MoveListIndex(int index);
  void CommitList(int index);
  void ScrollListTo(int index);
  int TopForThumbAt(int thumbY) const;
  int FindByPrefix(const std::u32string& prefix, int start) const;

  TCZComboBoxState state_ = TCZComboBoxState::cbsNormal;
  TPicture picture_;
  std::shared_ptr<const Image> cachedImage_;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  int itemHeight_ = 16;
  int dropDownCount_ = 8;
  bool autoComplete_ = true;
  TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
  bool dropped_ = false;
  int listIndex_ = -1;
  int listTop_ = 0;
  std::u32string typed_;
  int64_t typedAt_ = 0;
  std::unique_ptr<ListControl> list_;
  std::unique_ptr<ControlHost> popupHost_;
};

}  // namespace kestrune
