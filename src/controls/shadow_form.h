// The drop shadow of a frameless window: TCZBaseImage (a nine-sliced picture)
// and TShadowForm, the companion that keeps a per-pixel-alpha shadow surface
// glued to its form. The form's window forwards its move/size/show/focus
// notifications to OwnerWindowProc before acting on them itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "controls/canvas.h"
#include "controls/geometry.h"
#include "controls/image.h"

namespace kestrune {

class TCZBaseImage {
 public:
  // Loads the named PNG resource; throws PngError when missing or bad.
  TCZBaseImage(std::string_view resourceName, int cornerWidth, int cornerHeight);
  TCZBaseImage(std::shared_ptr<const Image> image, int cornerWidth, int cornerHeight);

  int CornerWidth() const { return cornerWidth_; }
  int CornerHeight() const { return cornerHeight_; }
  const Image& GetImage() const { return *image_; }
  // The nine draws of the stretch model onto (0, 0, w, h).
  void DrawNineSlice(Canvas& canvas, int width, int height) const;

 private:
  int cornerWidth_;
  int cornerHeight_;
  std::shared_ptr<const Image> image_;
};

// The layered popup window that shows the shadow (made by the GUI layer).
class ShadowWindowPort {
 public:
  virtual ~ShadowWindowPort() = default;
  virtual bool IsWindow() = 0;
  virtual Rect WindowRect() = 0;  // screen coordinates
  // Move and size without changing z-order or taking focus.
  virtual void SetRect(const Rect& screenRect) = 0;
  // Move only: no resize, no redraw, no focus, no z-order change.
  virtual void MoveTo(Point screenTopLeft) = 0;
  virtual void ShowNoActivate() = 0;
  virtual void Hide() = 0;
  // False where a shadow cannot be seen (no compositing on this desktop):
  // then it is neither drawn nor shown.
  virtual bool CanShow() { return true; }
  // Replace the surface's pixels (premultiplied ARGB, per-pixel alpha).
  virtual void UpdateLayered(Image pixels, Point screenTopLeft) = 0;
  // Changes when pixels handed over earlier no longer suit the surface (it
  // is now drawn at another scale); the shadow is then drawn again.
  virtual unsigned SurfaceGeneration() { return 0; }
};

// What the companion needs of the form that casts the shadow.
class ShadowOwnerForm {
 public:
  virtual ~ShadowOwnerForm() = default;
  virtual Rect FormWindowRect() = 0;  // screen coordinates
  virtual bool FormVisible() = 0;
  virtual void SetDoubleBuffered(bool on) = 0;
  // The desktop setting for showing window contents while dragging.
  virtual bool DragFullWindows() = 0;
  // Creates the hidden, unfocusable, owned shadow surface at a screen rect.
  virtual std::unique_ptr<ShadowWindowPort> CreateShadowWindow(const Rect& screenRect) = 0;
};

// The form-window notifications the companion reacts to.
struct FormMessage {
  enum class Kind {
    kMove,
    kMoving,
    kSize,
    kShowWindow,
    kWindowPosChanging,
    kWindowPosChanged,
    kActivate,
    kActivateApp,
    kNcActivate,
  };
  enum SizeType { kSizeRestored = 0, kSizeMinimized = 1, kSizeMaximized = 2 };
  enum PosFlags : unsigned { kShowWindowFlag = 0x40, kHideWindowFlag = 0x80 };

  Kind kind;
  int sizeType = kSizeRestored;  // kSize
  bool shown = false;            // kShowWindow
  bool hasPos = true;            // kWindowPos*: a position record came with it
  unsigned posFlags = 0;         // kWindowPos*
  bool active = false;           // kActivate*: gaining focus
};

struct Margins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class TShadowForm {
 public:
  // Throws PngError when "ShadowImage" is missing.
  explicit TShadowForm(ShadowOwnerForm& form);
  ~TShadowForm();
  TShadowForm(const TShadowForm&) = delete;
  TShadowForm& operator=(const TShadowForm&) = delete;

  static constexpr Margins kMargins = {5, 3, 5, 7};

  // The form's window rectangle grown by the margins.
  static Rect ShadowRect(const Rect& formWindowRect);
  Rect ShadowRect() const { return ShadowRect(form_.FormWindowRect()); }

  void ShowShadow(bool visible);
  void UpdateShadow();
  void MoveShadow();
  void PaintShadow();
  // The shadow's pixels for a w x h surface (what PaintShadow hands over).
  Image RenderShadow(int width, int height) const;

  // Call for every listed notification before the form handles it.
  void OwnerWindowProc(const FormMessage& message);

  ShadowWindowPort* ShadowWindow() const { return window_.get(); }
  const Margins& GetMargins() const { return margins_; }
  const TCZBaseImage& ShadowImage() const { return *image_; }

 private:
  void ActivateReaction(bool active);

  ShadowOwnerForm& form_;
  std::unique_ptr<TCZBaseImage> image_;
  std::unique_ptr<ShadowWindowPort> window_;
  Margins margins_;
  // What the surface holds now: drawing the same size again is skipped
  // (a form shows, activates and sizes several times as it comes up).
  int paintedWidth_ = 0;
  int paintedHeight_ = 0;
  unsigned paintedGeneration_ = 0;
};

}  // namespace kestrune
