#include "ext_controls.h"

#include "class_builder.h"

namespace orlo {

ORLO_DEFINE_CLASS(TImage, TGraphicControl) {
  p.Object("Bitmap", &TImage::Bitmap, &TImage::SetBitmap);
  p.Bool("Center", &TImage::Center, &TImage::SetCenter, false);
  p.Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false);
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
  icon_ = new TIcon();
  bitmap_ = new TBitmap();
  icon_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  bitmap_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  width_ = 105;
  height_ = 105;
}

TImage::~TImage() {
  BeginDestruction();
  delete icon_;
  delete bitmap_;
}

void TImage::SetCenter(bool v) {
  if (v == center_) return;
  center_ = v;
  Invalidate();
}

void TImage::SetStretch(bool v) {
  if (v == stretch_) return;
  stretch_ = v;
  Invalidate();
}

void TImage::PictureChanged(TObject*) { Invalidate(); }

TRect TImage::DestRect(int pictureWidth, int pictureHeight) const {
  if (stretch_) return TRect(0, 0, Width(), Height());
  if (center_)
    return Bounds((Width() - pictureWidth) / 2, (Height() - pictureHeight) / 2, pictureWidth,
                  pictureHeight);
  return Bounds(0, 0, pictureWidth, pictureHeight);
}

void TImage::Paint() {
  TCanvas* canvas = Canvas();
  if (icon_->Handle()) {
    TRect r = DestRect(icon_->Width(), icon_->Height());
    if (HDC dc = canvas->Handle())
      DrawIconEx(dc, r.Left, r.Top, icon_->Handle(), r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
    return;
  }
  if (bitmap_->Empty()) return;
  TRect r = DestRect(bitmap_->Width(), bitmap_->Height());
  if (stretch_)
    canvas->StretchDraw(r, bitmap_);
  else
    canvas->Draw(r.Left, r.Top, bitmap_);
}

}  // namespace orlo
