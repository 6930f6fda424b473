// Picture page widgets: texts and fonts from the page table, hot-key editors
// that only change through capture.
#include "app/orvane_page.h"

#include "app/dialogs.h"
#include "controls/ui_font.h"
#include "gui/gui_host.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"

namespace kestrune::app {

using enhance::HotKeyEditor;

void TGroupBox::Paint(Canvas& canvas) {
  Rect r = ClientRect();
  canvas.SetFont(GetFont());
  Size text = canvas.TextExtent(caption_);
  int top = text.height / 2;
  canvas.FrameRect({0, top, r.width, r.height - top}, Color::Rgb(0xDCDCDC));
  canvas.FillRect({8, 0, text.width + 8, text.height}, colors::kWhite);
  canvas.SetBrushStyle(BrushStyle::kClear);
  canvas.DrawText(caption_, {12, 0, text.width + 4, text.height}, kTextSingleLine);
}

namespace {

void StyleText(Control& control, std::string_view name) {
  for (const enhance::PageText& text : enhance::OrvanePageTexts()) {
    if (text.control != name) continue;
    Font font = control.GetFont();
    ApplyUiFont(font);
    font.height = text.height;
    if (text.colour >= 0) font.color = Color::Rgb(static_cast<uint32_t>(text.colour));
    control.SetFont(font);
    const std::string caption = i18n::TrS(text.text);
    if (auto* label = dynamic_cast<TLabel*>(&control)) label->SetCaption(caption);
    if (auto* button = dynamic_cast<TCZBaseControl*>(&control)) button->SetCaption(caption);
    if (auto* box = dynamic_cast<TGroupBox*>(&control)) box->SetCaption(caption);
  }
}

}  // namespace

TOrvaneFrameView::TOrvaneFrameView(Control& parent, enhance::TOrvaneFrame::Hooks hooks) {
  Frame.SetParent(&parent);
  Frame.SetAlign(Align::kClient);
  Frame.SetBounds(parent.ClientRect());

  GroupBox1.SetBounds(24, 14, 832, 206);
  StyleText(GroupBox1, "GroupBox1");
  Label6.SetBounds(48, 48, 400, 20);
  StyleText(Label6, "Label6");
  BtnGraphicsOpti.SetBounds(48, 80, 100, 32);
  SkinStrip(BtnGraphicsOpti, "ChooseButton", 4);
  StyleText(BtnGraphicsOpti, "BtnGraphicsOpti");
  BtnGraphicsOpti.MutableFont().color = colors::kWhite;
  Label7.SetBounds(48, 134, 300, 18);
  StyleText(Label7, "Label7");
  DescriptionLabel.SetAutoSize(false);
  DescriptionLabel.SetWordWrap(true);
  DescriptionLabel.SetBounds(48, 158, 790, 44);
  StyleText(DescriptionLabel, "DescriptionLabel");

  Label1.SetBounds(24, 240, 200, 20);
  StyleText(Label1, "Label1");
  struct Row {
    TLabel& label;
    const char* labelName;
    TEdit& edit;
    HotKeyEditor editor;
    int y;
  } rows[] = {{Label2, "Label2", Edit1, HotKeyEditor::Edit1, 276},
              {Label4, "Label4", Edit3, HotKeyEditor::Edit3, 314},
              {Label3, "Label3", Edit2, HotKeyEditor::Edit2, 352}};
  for (Row& row : rows) {
    row.label.SetBounds(48, row.y + 4, 200, 18);
    StyleText(row.label, row.labelName);
    row.edit.SetBounds(260, row.y, 160, 26);
    Font font = row.edit.GetFont();
    ApplyUiFont(font);
    row.edit.SetFont(font);
    row.edit.SetName(row.labelName == std::string("Label2")   ? "Edit1"
                     : row.labelName == std::string("Label4") ? "Edit3"
                                                              : "Edit2");
    WireEditor(row.edit, row.editor);
  }
  Label5.SetBounds(48, 398, 120, 20);
  StyleText(Label5, "Label5");
  Label5.MutableFont().color = Color::Rgb(0x1E6FD9);
  Label5.SetCursor(Cursor::kHandPoint);

  model_ = std::make_unique<enhance::TOrvaneFrame>(std::move(hooks));
  model_->onChanged = [this] { Refresh(); };
  Label5.OnClick = [this](Control&) { RunGuarded([this] { model_->Label5Click(); }); };
  BtnGraphicsOpti.OnClick = [this](Control&) {
    RunGuarded([this] { model_->BtnGraphicsOptiClick(); });
  };
  Refresh();
}

TEdit& TOrvaneFrameView::Editor(HotKeyEditor editor) {
  switch (editor) {
    case HotKeyEditor::Edit1:
      return Edit1;
    case HotKeyEditor::Edit3:
      return Edit3;
    case HotKeyEditor::Edit2:
      return Edit2;
  }
  return Edit1;
}

void TOrvaneFrameView::WireEditor(TEdit& edit, HotKeyEditor editor) {
  edit.OnKeyDown = [this, editor](Control&, int& key, ShiftState shift) {
    enhance::ShiftState state{(shift & kShiftShift) != 0, (shift & kShiftAlt) != 0,
                              (shift & kShiftCtrl) != 0};
    bool ctrlDown = gui::IsKeyDown(0x11);
    bool shiftDown = gui::IsKeyDown(0x10);
    int vk = key;
    DebugLogF("hot key editor %d: key 0x%X, ctrl %d, shift %d", static_cast<int>(editor), vk,
              ctrlDown ? 1 : 0, shiftDown ? 1 : 0);
    RunGuarded([&] { model_->EditKeyDown(editor, vk, state, ctrlDown, shiftDown); });
    // The editor's text changes only through the capture: no deleting keys.
    if (key != 0x09) key = 0;
  };
  edit.OnKeyPress = [this, editor](Control&, char32_t& ch) {
    model_->EditKeyPress(editor, ch);
    ch = 0;
  };
}

void TOrvaneFrameView::Refresh() {
  Label6.SetCaption(model_->Label6Text());
  for (HotKeyEditor editor : {HotKeyEditor::Edit1, HotKeyEditor::Edit3, HotKeyEditor::Edit2}) {
    TEdit& edit = Editor(editor);
    if (edit.Text() != model_->EditText(editor)) edit.SetText(model_->EditText(editor));
  }
}

}  // namespace kestrune::app
