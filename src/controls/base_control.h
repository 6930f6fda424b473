// TCZBaseControl: the common base of the windowless skinned controls and its
// three drawing models (whole picture, nine-slice, frame strip).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "controls/control.h"
#include "controls/picture.h"

namespace kestrune {

enum class TDrawModel : uint8_t { DrawNormal = 0, DrawStretch = 1, DrawNImage = 2 };
enum class TImageModel : uint8_t { HorizontalModel = 0, VerticalModel = 1 };
enum class TMouseStatus : uint8_t {
  MouseStatusNormal = 0,
  MouseStatusOn = 1,
  MouseStatusDown = 2,
  MouseStatusDisabled = 3
};

// n / 2 to the nearest integer, ties to even (37.5 -> 38, 13.5 -> 14, 12.5 -> 12).
int HalfRoundEven(int n);

// Whole image scaled into dst.
void DrawImageNormal(Canvas& canvas, const Image& image, const Rect& dst);
// The nine draws about the split point (offLeft, offTop), in their fixed order.
void DrawImageStretch(Canvas& canvas, const Image& image, const Rect& dst, int offLeft, int offTop);
// Left and right halves of a frame at natural width, its middle column stretched.
void DrawThreePart(Canvas& canvas, const Image& image, const Rect& src, const Rect& dst);
// One frame of a strip chosen by the status; draws nothing for frame counts
// other than 3 and 4, and nothing for a disabled 3-frame strip.
void DrawImageFrames(Canvas& canvas, const Image& image, const Rect& dst, int nImage,
                     TImageModel model, TMouseStatus status);

class TCZBaseControl : public Control {
 public:
  explicit TCZBaseControl(Control* parent = nullptr);

  TDrawModel DrawModel() const { return drawModel_; }
  void SetDrawModel(TDrawModel v);
  int OffLeft() const { return offLeft_; }
  void SetOffLeft(int v);
  int OffTop() const { return offTop_; }
  void SetOffTop(int v);
  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  int NImage() const { return nImage_; }
  void SetNImage(int v);
  TImageModel ImageModel() const { return imageModel_; }
  void SetImageModel(TImageModel v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TMouseStatus MouseStatus() const { return mouseStatus_; }
  void SetMouseStatus(TMouseStatus status);

  const Image* CachedImage() const { return cachedImage_.get(); }
  // Draws the skin picture into rect by DrawModel; builds the cached image
  // first when it is missing.
  void DrawPicture(Canvas& canvas, const Rect& rect);

 protected:
  virtual void PictureChanged() {}
  virtual void FrameCountChanged() {}
  void SetPictureRaw(const TPicture& picture) { picture_ = picture; }
  void RebuildCachedImage();
  void ReleaseCachedImage() { cachedImage_.reset(); }

  // Copy the font into the canvas and set a clear brush (what every
  // descendant that draws text does first).
  void PrepareCanvas(Canvas& canvas) const;

 private:
  TDrawModel drawModel_ = TDrawModel::DrawNormal;
  int offLeft_ = 0;
  int offTop_ = 0;
  TPicture picture_;
  int nImage_ = 0;
  TImageModel imageModel_ = TImageModel::HorizontalModel;
  std::string caption_;
  std::shared_ptr<const Image> cachedImage_;
  const void* failedPicture_ = nullptr;  // a PNG that did not decode: not retried per paint
  TMouseStatus mouseStatus_ = TMouseStatus::MouseStatusNormal;
};

}  // namespace kestrune
