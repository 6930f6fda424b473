// The simple skinned controls: title label, backdrop panel, push button,
// plain picture and the eight-frame check box.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "controls/base_control.h"

namespace kestrune {

class TCZStandardLabel : public TCZBaseControl {
 public:
  explicit TCZStandardLabel(Control* parent = nullptr);
  void Paint(Canvas& canvas) override;
};

class TCZStandardPanel;
// Sender, the canvas, and IsDefaultDraw (in and out).
using TOnPaintPanelEvent = std::function<void(TCZStandardPanel&, Canvas&, bool&)>;

class TCZStandardPanel : public TCZBaseControl {
 public:
  explicit TCZStandardPanel(Control* parent = nullptr);
  void Paint(Canvas& canvas) override;
  TOnPaintPanelEvent OnPaint;

 protected:
  void PictureChanged() override { FitToPicture(); }
  void FrameCountChanged() override { FitToPicture(); }

 private:
  void FitToPicture();
};

class TCZStandardButton : public TCZBaseControl {
 public:
  explicit TCZStandardButton(Control* parent = nullptr);
  void Paint(Canvas& canvas) override;

  int TextRectTop() const { return textRectTop_; }
  void SetTextRectTop(int v);
  int TextRectLeft() const { return textRectLeft_; }
  void SetTextRectLeft(int v) { textRectLeft_ = v; }
  // Stored with the layout; no effect on drawing or input.
  bool EnableDownLoadModel() const { return enableDownLoadModel_; }
  void SetEnableDownLoadModel(bool v);
  int Position() const { return position_; }
  void SetPosition(int v);
  int CloseButtonLeft() const { return closeButtonLeft_; }
  void SetCloseButtonLeft(int v);
  int CloseButtonTop() const { return closeButtonTop_; }
  void SetCloseButtonTop(int v);

  // Skin from a named resource; throws PngError when it is missing or bad
  // (the picture is then left as it was).
  void LoadPicture(std::string_view resourceName);

  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
  void EnabledChanged() override;

 protected:
  void PictureChanged() override;
  void FrameCountChanged() override;

 private:
  int textRectTop_ = 0;
  int textRectLeft_ = 0;
  bool enableDownLoadModel_ = false;
  int position_ = 0;
  int closeButtonLeft_ = 0;
  int closeButtonTop_ = 0;
};

class TCZStandImage : public TCZBaseControl {
 public:
  explicit TCZStandImage(Control* parent = nullptr);
  void Paint(Canvas& canvas) override;
};

class TCZCheckBox2 : public Control {
 public:
  explicit TCZCheckBox2(Control* parent = nullptr);

  bool Checked() const { return checked_; }
  void SetChecked(bool v);  // repaints, fires no OnClick
  bool Hover() const { return hover_; }
  bool Pressed() const { return pressed_; }
  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  const Image* CachedImage() const { return cachedImage_.get(); }
  // The strip frame the current flags select (0..7).
  int FrameIndex() const;

  void Paint(Canvas& canvas) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
  void Click() override;

 private:
  std::shared_ptr<const Image> cachedImage_;
  bool hover_ = false;
  bool pressed_ = false;
  bool checked_ = true;
  TPicture picture_;
  std::string caption_;
};

}  // namespace kestrune
