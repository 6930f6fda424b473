// The plain controls the windows use beside the skinned ones: a single-line
// edit, a label and a picture. Drawn by the same canvas, hosted the same way.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "controls/control.h"
#include "controls/picture.h"

namespace kestrune {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TEdit : public Control {
 public:
  explicit TEdit(Control* parent = nullptr);

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);  // caret to the end, no selection
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v) { maxLength_ = v; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  // Caret and selection in characters (code points).
  int SelStart() const { return std::min(caret_, anchor_); }
  int SelLength() const { return std::abs(caret_ - anchor_); }
  int CaretPos() const { return caret_; }
  void SetSelection(int anchor, int caret);
  void SelectAll() { SetSelection(0, Length()); }
  std::string SelText() const;
  int Length() const;

  std::function<void(Control&)> OnChange;

  void Paint(Canvas& canvas) override;
  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseMove(ShiftState shift, int x, int y) override;
  // OnKeyDown runs first (it may zero the key); then caret and deletion keys.
  void KeyDown(int& key, ShiftState shift) override;
  // OnKeyPress runs first (it may zero the character); then the character
  // replaces the selection.
  void KeyPress(char32_t& ch) override;
  bool CanFocus() const override { return Enabled(); }
  void FocusChanged(bool focused) override;

 private:
  void ReplaceSelection(const std::u32string& with);
  int CharAt(int x);
  int TextX(int index) const;

  std::u32string chars_;
  std::string text_;
  int caret_ = 0;
  int anchor_ = 0;
  int maxLength_ = 0;
  bool readOnly_ = false;
  bool selecting_ = false;
  bool focused_ = false;
};

class TLabel : public Control {
 public:
  explicit TLabel(Control* parent = nullptr);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  // Recompute the size from the text (auto-size on).
  void AdjustSize();

  void Paint(Canvas& canvas) override;
  void FontChanged() override { AdjustSize(); }

 private:
  std::string caption_;
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool transparent_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TImage : public Control {
 public:
  explicit TImage(Control* parent = nullptr);

  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  const Image* CachedImage() const { return cachedImage_.get(); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);

  void Paint(Canvas& canvas) override;

 private:
  TPicture picture_;
  std::shared_ptr<const Image> cachedImage_;
  bool stretch_ = false;
  bool center_ = false;
};

}  // namespace kestrune
