// The picture-enhancement page's widgets over the TOrvaneFrame logic.
#pragma once

#include <memory>

#include "controls/plain_controls.h"
#include "controls/standard_controls.h"
#include "enhance/orvane_frame.h"

namespace kestrune::app {

// A frame with a caption, drawn like a group box.
class TGroupBox : public Control {
 public:
  using Control::Control;
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  void Paint(Canvas& canvas) override;

 private:
  std::string caption_;
};

class TOrvaneFrameView {
 public:
  TOrvaneFrameView(Control& parent, enhance::TOrvaneFrame::Hooks hooks);
  enhance::TOrvaneFrame& Model() { return *model_; }
  // Re-reads Config.dat (the main window's 0x500).
  void LoadHotKeysAndPreset() { model_->LoadHotKeysAndPreset(); }
  TEdit& Editor(enhance::HotKeyEditor editor);

  Control Frame;
  TGroupBox GroupBox1{&Frame};
  TLabel Label6{&Frame};
  TCZStandardButton BtnGraphicsOpti{&Frame};
  TLabel Label7{&Frame};
  TLabel DescriptionLabel{&Frame};
  TLabel Label1{&Frame};
  TLabel Label2{&Frame};
  TEdit Edit1{&Frame};
  TLabel Label4{&Frame};
  TEdit Edit3{&Frame};
  TLabel Label3{&Frame};
  TEdit Edit2{&Frame};
  TLabel Label5{&Frame};

 private:
  void Refresh();
  void WireEditor(TEdit& edit, enhance::HotKeyEditor editor);

  std::unique_ptr<enhance::TOrvaneFrame> model_;
};

}  // namespace kestrune::app
