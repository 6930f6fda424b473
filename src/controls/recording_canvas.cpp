// The recording canvas used by geometry tests.
#include "controls/recording_canvas.h"

namespace kestrune {

void RecordingCanvas::DrawImage(const Image& image, const Rect& src, const Rect& dst) {
  CanvasCall c{CanvasCall::Kind::kImage};
  c.image = &image;
  c.src = src;
  c.dst = dst.Offset(state_.dx, state_.dy);
  calls_.push_back(std::move(c));
}

void RecordingCanvas::FillRect(const Rect& rect, Color color) {
  CanvasCall c{CanvasCall::Kind::kFill};
  c.dst = rect.Offset(state_.dx, state_.dy);
  c.color = color;
  calls_.push_back(std::move(c));
}

void RecordingCanvas::FrameRect(const Rect& rect, Color color) {
  CanvasCall c{CanvasCall::Kind::kFrame};
  c.dst = rect.Offset(state_.dx, state_.dy);
  c.color = color;
  calls_.push_back(std::move(c));
}

void RecordingCanvas::DrawText(std::string_view utf8, const Rect& rect, unsigned flags) {
  CanvasCall c{CanvasCall::Kind::kText};
  c.dst = rect.Offset(state_.dx, state_.dy);
  c.text = std::string(utf8);
  c.flags = flags;
  c.font = font_;
  c.brush = brush_;
  c.color = font_.color;
  calls_.push_back(std::move(c));
}

Size RecordingCanvas::TextExtent(std::string_view utf8) {
  int w = 0;
  for (unsigned char ch : utf8) {
    if (ch < 0x80)
      w += 6;
    else if (ch >= 0xC0)
      w += 12;  // lead byte of a wide character
  }
  return {w, font_.height};
}

void RecordingCanvas::Save() {
  stack_.push_back(state_);
}

void RecordingCanvas::Restore() {
  if (stack_.empty()) return;
  state_ = stack_.back();
  stack_.pop_back();
}

void RecordingCanvas::Translate(int dx, int dy) {
  state_.dx += dx;
  state_.dy += dy;
}

void RecordingCanvas::ClipRect(const Rect& rect) {
  CanvasCall c{CanvasCall::Kind::kClip};
  c.dst = rect.Offset(state_.dx, state_.dy);
  calls_.push_back(std::move(c));
}

std::vector<CanvasCall> RecordingCanvas::CallsOf(CanvasCall::Kind kind) const {
  std::vector<CanvasCall> out;
  for (const auto& c : calls_) {
    if (c.kind == kind) out.push_back(c);
  }
  return out;
}

}  // namespace kestrune
