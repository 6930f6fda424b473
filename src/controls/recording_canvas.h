// A canvas that keeps a list of every call, for geometry tests. Coordinates
// are recorded after the current translation, i.e. in the painted surface's
// own coordinates.
#pragma once

#include <string>
#include <vector>

#include "controls/canvas.h"

namespace kestrune {

struct CanvasCall {
  enum class Kind { kImage, kFill, kFrame, kText, kClip };
  Kind kind;
  const Image* image = nullptr;
  Rect src;  // image source rectangle
  Rect dst;  // destination / target rectangle
  Color color;
  std::string text;
  unsigned flags = 0;
  Font font;    // font at the time of a text call
  Brush brush;  // brush at the time of a text call
};

class RecordingCanvas : public Canvas {
 public:
  void DrawImage(const Image& image, const Rect& src, const Rect& dst) override;
  void FillRect(const Rect& rect, Color color) override;
  void FrameRect(const Rect& rect, Color color) override;
  void DrawText(std::string_view utf8, const Rect& rect, unsigned flags) override;
  // Fixed metrics: every character 6 pixels wide (12 for non-ASCII), font height tall.
  Size TextExtent(std::string_view utf8) override;
  void Save() override;
  void Restore() override;
  void Translate(int dx, int dy) override;
  void ClipRect(const Rect& rect) override;

  const std::vector<CanvasCall>& Calls() const { return calls_; }
  std::vector<CanvasCall> CallsOf(CanvasCall::Kind kind) const;
  void Reset() { calls_.clear(); }

 private:
  struct State {
    int dx = 0;
    int dy = 0;
  };
  std::vector<CanvasCall> calls_;
  State state_;
  std::vector<State> stack_;
};

}  // namespace kestrune
