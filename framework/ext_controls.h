// Controls beyond the standard set: the picture control.
#pragma once
#include "controls.h"

namespace orlo {

// A windowless control that shows an icon or a bitmap. An icon, once it has
// a handle, is what shows; otherwise the bitmap does. The picture is drawn at
// its own size from the top-left corner, or centred, or stretched to fill the
// control; an icon keeps its transparency.
class TImage : public TGraphicControl {
  ORLO_CLASS(TImage)
public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TIcon* Icon() const { return icon_; }
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* b) { bitmap_->Assign(b); }
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);

  void Paint() override;

private:
  void PictureChanged(TObject*);
  // Where the picture goes inside the control for its natural size.
  TRect DestRect(int pictureWidth, int pictureHeight) const;

  TIcon* icon_;
  TBitmap* bitmap_;
  bool center_ = false;
  bool stretch_ = false;
};

}  // namespace orlo
