#include "canvas.h"

#include <algorithm>
#include <cstdint>

#include "bitmaps.h"
#include "class_builder.h"

namespace orlo {

namespace {

std::vector<POINT> ToPOINTs(const std::vector<TPoint>& points) {
  std::vector<POINT> out;
  out.reserve(points.size());
  for (const TPoint& p : points) out.push_back(p);
  return out;
}

// TPenMode order to the platform's R2_ codes.
const int kRop2[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                     R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                     R2_MERGEPEN, R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN,
                     R2_NOTXORPEN};

}  // namespace

// --- TCanvas -------------------------------------------------------------------------

ORLO_DEFINE_CLASS(TCanvas, TPersistent) {}

TCanvas::TCanvas() : font_(new TFont), brush_(new TBrush), pen_(new TPen) {
  font_->canvas_ = this;
  brush_->canvas_ = this;
  pen_->canvas_ = this;
}

TCanvas::~TCanvas() {
  Deselect(kAll);
  delete font_;
  delete brush_;
  delete pen_;
}

HDC TCanvas::EnsureHandle() {
  if (!dc_) CreateHandle();
  return dc_;
}

HDC TCanvas::Handle() { return Require(kAll); }

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  DetachHandle();
  dc_ = dc;
}

HDC TCanvas::DetachHandle() {
  Deselect(kAll);
  HDC dc = dc_;
  dc_ = nullptr;
  return dc;
}

HDC TCanvas::Require(unsigned what) {
  HDC dc = EnsureHandle();
  if (!dc) return nullptr;
  if (generation_ != SystemColorsGeneration()) {
    // Colours resolved at selection time may be stale: apply them again.
    Deselect(kAll);
    generation_ = SystemColorsGeneration();
  }
  // Getting a handle may replace an old one, which deselects it first; so
  // each object's handle is fetched before its selected flag is tested.
  if (what & kFont) {
    HFONT h = font_->Handle();
    if (!(selected_ & kFont)) {
      saved_font_ = SelectObject(dc, h);
      SetTextColor(dc, ColorToRGB(font_->Color()));
      selected_ |= kFont;
    }
  }
  if (what & kPen) {
    HPEN h = pen_->Handle();
    if (!(selected_ & kPen)) {
      saved_pen_ = SelectObject(dc, h);
      SetROP2(dc, kRop2[pen_->Mode()]);
      selected_ |= kPen;
    }
  }
  if (what & kBrush) {
    HBRUSH h = brush_->Handle();
    if (!(selected_ & kBrush)) {
      saved_brush_ = SelectObject(dc, h);
      SetBkColor(dc, ColorToRGB(brush_->Color()));
      SetBkMode(dc, brush_->Style() == bsClear ? TRANSPARENT : OPAQUE);
      selected_ |= kBrush;
    }
  }
  return dc;
}

void TCanvas::Deselect(unsigned what) {
  what &= selected_;
  if (!what || !dc_) {
    selected_ &= ~what;
    return;
  }
  if (what & kFont) SelectObject(dc_, saved_font_);
  if (what & kPen) SelectObject(dc_, saved_pen_);
  if (what & kBrush) SelectObject(dc_, saved_brush_);
  selected_ &= ~what;
}

void TCanvas::ObjectChanging(TGraphicsObject* o) {
  if (o == font_) Deselect(kFont);
  else if (o == pen_) Deselect(kPen);
  else if (o == brush_) Deselect(kBrush);
}

void TCanvas::ObjectStateChanged(TGraphicsObject* o) {
  // Selecting a font again costs far more than setting its colour, and a
  // caption drawn in several colours changes it between every pass.
  if (o == font_ && (selected_ & kFont))
    SetTextColor(dc_, ColorToRGB(font_->Color()));
  else if (o == pen_ && (selected_ & kPen))
    SetROP2(dc_, kRop2[pen_->Mode()]);
}

void TCanvas::FillRect(const TRect& r) {
  RECT rc = r;
  if (brush_->Style() == bsSolid && !brush_->Bitmap() && !IsSystemColor(brush_->Color())) {
    // A fixed colour fills through the context's own brush: no brush object
    // is made and selected for each new colour (a gradient sets 256 of them).
    // Like the text and background colours, the context keeps the colour.
    // System colours keep their brush, which follows the colour notices.
    static const HBRUSH contextBrush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    HDC dc = EnsureHandle();
    if (!dc) return;
    SetDCBrushColor(dc, ColorToRGB(brush_->Color()));
    ::FillRect(dc, &rc, contextBrush);
    return;
  }
  HDC dc = Require(kBrush);
  if (!dc) return;
  ::FillRect(dc, &rc, brush_->Handle());
}

void TCanvas::FrameRect(const TRect& r) {
  HDC dc = Require(kBrush);
  if (!dc) return;
  RECT rc = r;
  ::FrameRect(dc, &rc, brush_->Handle());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (HDC dc = Require(kPen | kBrush)) ::Rectangle(dc, left, top, right, bottom);
}

void TCanvas::Ellipse(const TRect& r) {
  if (HDC dc = Require(kPen | kBrush)) ::Ellipse(dc, r.Left, r.Top, r.Right, r.Bottom);
}

void TCanvas::MoveTo(int x, int y) {
  if (HDC dc = EnsureHandle()) MoveToEx(dc, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  if (HDC dc = Require(kPen | kBrush)) ::LineTo(dc, x, y);
}

TPoint TCanvas::PenPos() {
  POINT p{};
  if (HDC dc = EnsureHandle()) GetCurrentPositionEx(dc, &p);
  return p;
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  HDC dc = Require(kPen | kBrush);
  if (!dc || points.empty()) return;
  std::vector<POINT> pts = ToPOINTs(points);
  ::Polyline(dc, pts.data(), static_cast<int>(pts.size()));
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  HDC dc = Require(kPen | kBrush);
  if (!dc || points.empty()) return;
  std::vector<POINT> pts = ToPOINTs(points);
  ::Polygon(dc, pts.data(), static_cast<int>(pts.size()));
}

TColor TCanvas::Pixel(int x, int y) {
  HDC dc = EnsureHandle();
  return dc ? static_cast<TColor>(GetPixel(dc, x, y)) : -1;
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  if (HDC dc = EnsureHandle()) ::SetPixelV(dc, x, y, ColorToRGB(c));
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  if (HDC dc = Require(kFont | kBrush))
    ::TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
  HDC dc = Require(kFont | kBrush);
  if (!dc) return;
  RECT rc = r;
  UINT options = ETO_CLIPPED;
  if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
  ::ExtTextOutA(dc, x, y, options, &rc, text.data(), static_cast<UINT>(text.size()), nullptr);
}

TSize TCanvas::TextExtent(const std::string& text) {
  TSize s;
  HDC dc = Require(kFont);
  if (!dc) return s;
  SIZE sz{};
  if (GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &sz)) {
    s.cx = sz.cx;
    s.cy = sz.cy;
  }
  return s;
}

int TCanvas::DrawText(const std::string& text, TRect& r, UINT flags) {
  HDC dc = Require(kFont | kBrush);
  if (!dc) return 0;
  RECT rc = r;
  int height = ::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &rc, flags);
  if (flags & DT_CALCRECT) r = rc;
  return height;
}

void TCanvas::DrawFocusRect(const TRect& r) {
  HDC dc = Require(kFont | kBrush);
  if (!dc) return;
  // The platform's dotted pattern takes the text and background colours:
  // black and white make it a plain inversion whatever the font colour is.
  COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
  RECT rc = r;
  ::DrawFocusRect(dc, &rc);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
}

void TCanvas::Draw(int x, int y, TBitmap* bitmap) {
  if (!bitmap || bitmap->Empty()) return;
  HDC dc = Require(kAll);
  if (!dc) return;
  ::BitBlt(dc, x, y, bitmap->Width(), bitmap->Height(), bitmap->Canvas()->EnsureHandle(), 0, 0,
           SRCCOPY);
}

void TCanvas::Draw(int x, int y, TIcon* icon) {
  if (!icon || !icon->Handle()) return;
  if (HDC dc = Require(kAll)) DrawIconEx(dc, x, y, icon->Handle(), 0, 0, 0, nullptr, DI_NORMAL);
}

void TCanvas::StretchDraw(const TRect& r, TBitmap* bitmap) {
  if (!bitmap || bitmap->Empty()) return;
  HDC dc = Require(kAll);
  if (!dc) return;
  int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, r.Left, r.Top, r.Width(), r.Height(), bitmap->Canvas()->EnsureHandle(), 0, 0,
               bitmap->Width(), bitmap->Height(), SRCCOPY);
  SetStretchBltMode(dc, oldMode);
}

void TCanvas::DrawPixels(const TRect& dest, int width, int height, const uint32_t* pixels) {
  if (width <= 0 || height <= 0 || dest.IsEmpty()) return;
  HDC dc = EnsureHandle();
  if (!dc) return;
  BITMAPINFO bi = TopDownBitmapInfo(width, height);
  if (dest.Width() == width && dest.Height() == height) {
    SetDIBitsToDevice(dc, dest.Left, dest.Top, static_cast<DWORD>(width), static_cast<DWORD>(height),
                      0, 0, 0, static_cast<UINT>(height), pixels, &bi, DIB_RGB_COLORS);
    return;
  }
  // Repeating, never blending: one source pixel becomes a block of its colour.
  int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), 0, 0, width, height, pixels,
                &bi, DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
}

TRect TCanvas::ClipRect() {
  HDC dc = EnsureHandle();
  RECT r{};
  if (!dc || GetClipBox(dc, &r) == ERROR) return TRect(0, 0, 0, 0);
  return TRect(r.left, r.top, r.right, r.bottom);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect, DWORD rop) {
  HDC dc = Require(kAll);
  HDC src = source.EnsureHandle();
  if (!dc || !src) return;
  if (dest.Width() == sourceRect.Width() && dest.Height() == sourceRect.Height()) {
    ::BitBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src, sourceRect.Left,
             sourceRect.Top, rop);
    return;
  }
  int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src, sourceRect.Left,
               sourceRect.Top, sourceRect.Width(), sourceRect.Height(), rop);
  SetStretchBltMode(dc, oldMode);
}

// --- TMemoryCanvas ------------------------------------------------------------------------

ORLO_DEFINE_CLASS(TMemoryCanvas, TCanvas) {}

TMemoryCanvas::TMemoryCanvas(int width, int height)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = -height_;  // rows from the top
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  bitmap_ = dc ? CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (!bitmap_) {
    if (dc) DeleteDC(dc);
    throw EOutOfResources(res::SOutOfResources);
  }
  bits_ = static_cast<uint32_t*>(bits);
  old_bitmap_ = SelectObject(dc, bitmap_);
  SetHandle(dc);
}

TMemoryCanvas::~TMemoryCanvas() {
  HDC dc = DetachHandle();
  SelectObject(dc, old_bitmap_);
  DeleteDC(dc);
  DeleteObject(bitmap_);
}

TColor TMemoryCanvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
  GdiFlush();
  uint32_t v = bits_[static_cast<size_t>(y) * width_ + x];
  return RGBColor(static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                  static_cast<uint8_t>(v));
}

void TMemoryCanvas::Clear(TColor c) {
  GdiFlush();
  uint32_t rgb = ColorToRGB(c);
  uint32_t v = (RedOf(rgb) << 16) | (GreenOf(rgb) << 8) | BlueOf(rgb);
  std::fill(bits_, bits_ + static_cast<size_t>(width_) * height_, v);
}

// --- TScreenCanvas --------------------------------------------------------------------------

ORLO_DEFINE_CLASS(TScreenCanvas, TCanvas) {}

TScreenCanvas::TScreenCanvas() { SetHandle(GetDC(nullptr)); }

TScreenCanvas::~TScreenCanvas() { ReleaseDC(nullptr, DetachHandle()); }

// --- the bevelled frame -------------------------------------------------------------------

void DrawBevelFrame(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width) {
  if (width <= 0) return;
  TPen* pen = canvas.Pen();
  pen->SetWidth(1);
  r.Right -= 1;
  r.Bottom -= 1;
  // Ring k draws on the columns left + k and right - k and the rows top + k
  // and bottom - k; once all four lie outside the clip box, no later ring
  // shows either. So a huge width costs no more than the visible rings.
  int64_t rings = width;
  RECT clip;
  if (GetClipBox(canvas.Handle(), &clip) != ERROR) {
    int64_t visible = std::max({int64_t{clip.right} - r.Left, int64_t{clip.bottom} - r.Top,
                                int64_t{r.Right} - clip.left + 1, int64_t{r.Bottom} - clip.top + 1});
    rings = std::clamp<int64_t>(visible, 0, width);
  }
  for (int64_t i = 0; i < rings; ++i) {
    pen->SetColor(topLeft);
    canvas.MoveTo(r.Left, r.Bottom);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right, r.Top);
    pen->SetColor(bottomRight);
    canvas.LineTo(r.Right, r.Bottom);
    canvas.LineTo(r.Left - 1, r.Bottom);
    r.Inflate(-1, -1);
  }
  // The rings not drawn still shrink r; coordinates stop at the int range.
  const int64_t rest = width - rings;
  auto move = [](int v, int64_t by) {
    return static_cast<int>(std::clamp<int64_t>(v + by, INT32_MIN, INT32_MAX));
  };
  r = TRect(move(r.Left, rest), move(r.Top, rest), move(r.Right, 1 - rest), move(r.Bottom, 1 - rest));
}

}  // namespace orlo
