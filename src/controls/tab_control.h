// The skinned tab strip: TCZTabControl paints a backdrop and keeps the list
// of its TCZTabControlItem children; items draw a three-frame strip, an
// optional icon and a caption in the strip's font.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/base_control.h"

namespace kestrune {

class TCZTabControlItem;

class TCZTabControl : public Control {
 public:
  explicit TCZTabControl(Control* parent = nullptr);
  ~TCZTabControl() override;

  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  const Image* CachedImage() const { return cachedImage_.get(); }
  bool IsLock() const { return isLock_; }

  // Deselects every other selected item, then selects `item` if it is ours.
  void SelectItem(TCZTabControlItem* item);
  void AddItem(TCZTabControlItem* item);
  void RemoveItem(TCZTabControlItem* item);
  const std::vector<TCZTabControlItem*>& Items() const { return items_; }

  void Paint(Canvas& canvas) override;

 private:
  TPicture picture_;
  std::shared_ptr<const Image> cachedImage_;
  std::vector<TCZTabControlItem*> items_;
  bool isLock_ = false;
};

class TCZTabControlItem : public Control {
 public:
  explicit TCZTabControlItem(Control* parent = nullptr);
  ~TCZTabControlItem() override;

  // Layout attach rule: leave the old strip's list, become a child of the
  // new strip and join its list (nothing happens if it is the same strip).
  void AttachTo(TCZTabControl* strip);

  TMouseStatus MouseStatus() const { return mouseStatus_; }
  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  const TPicture& ICON() const { return icon_; }
  void SetICON(const TPicture& icon);
  bool Seleted() const { return seleted_; }
  void SetSeleted(bool v);  // does not touch the other items
  int PictureTop() const { return pictureTop_; }
  void SetPictureTop(int v);
  int ICONTop() const { return iconTop_; }
  void SetICONTop(int v);
  int CaptionTop() const { return captionTop_; }
  void SetCaptionTop(int v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TCZTabControl* TabControl() const { return tabControl_; }
  // The strip frame the current state shows (0, 1 or 2).
  int FrameIndex() const;

  void Paint(Canvas& canvas) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;

 private:
  friend class TCZTabControl;
  void SetStatus(TMouseStatus status);

  TMouseStatus mouseStatus_ = TMouseStatus::MouseStatusNormal;
  std::shared_ptr<const Image> cachedImage_;
  std::shared_ptr<const Image> cachedIcon_;
  TPicture picture_;
  TPicture icon_;
  bool seleted_ = false;
  int pictureTop_ = 0;
  int iconTop_ = 0;
  TCZTabControl* tabControl_ = nullptr;
  int captionTop_ = 0;
  std::string caption_;
};

}  // namespace kestrune
