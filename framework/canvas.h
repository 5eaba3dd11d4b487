// Drawing surfaces: a canvas over a device context, with its own font, brush
// and pen, and the off-screen and screen canvases built on it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics.h"

namespace orlo {

class TBitmap;
class TIcon;

// A canvas draws on a device context with its own font, brush and pen.
// Their handles are selected into the context on demand, just before an
// operation needs them, and everything selected is put back when the context
// is given up (SetHandle, destruction): the context is returned as it came.
//
// Device state that follows the canvas's objects is applied when the object
// is selected: the text colour with the font (its colour resolved through the
// system colours), the background colour and mode with the brush (transparent
// while the brush is clear, else opaque in the brush colour), the raster
// operation with the pen. State set directly on the context afterwards stays
// until the object changes.
class TCanvas : public TPersistent {
  ORLO_CLASS(TCanvas)
public:
  TCanvas();
  ~TCanvas() override;

  // The context with the canvas's font, pen and brush selected, ready for the
  // platform's own drawing calls. A canvas without a context asks CreateHandle
  // for one; null when there is none.
  HDC Handle();
  // Lends the canvas a context it does not own (a paint handler's); the
  // previous one is given back with its own objects selected again.
  void SetHandle(HDC dc);
  // The context with nothing selected for it, for platform calls that use
  // none of the canvas's objects (a copy of a colour picture, the platform's
  // edges): a repaint that only copies pays for no font, pen or brush.
  HDC BareHandle() { return EnsureHandle(); }
  bool HandleAllocated() const { return dc_ != nullptr; }

  // The canvas's own objects; setting copies the values.
  TFont* Font() const { return font_; }
  void SetFont(TFont* f) { font_->Assign(f); }
  TBrush* Brush() const { return brush_; }
  void SetBrush(TBrush* b) { brush_->Assign(b); }
  TPen* Pen() const { return pen_; }
  void SetPen(TPen* p) { pen_->Assign(p); }

  // Fills with the brush; right and bottom edges are not filled.
  void FillRect(const TRect& r);
  // A one-pixel frame in the brush.
  void FrameRect(const TRect& r);
  // Outline with the pen, inside filled with the brush.
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void Ellipse(const TRect& r);
  // Lines with the pen; the end point is not drawn.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  TPoint PenPos();
  void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }
  void Polyline(const std::vector<TPoint>& points);
  void Polygon(const std::vector<TPoint>& points);

  // The colour of one pixel (-1 outside the surface) and setting it.
  TColor Pixel(int x, int y);
  void SetPixel(int x, int y, TColor c);

  // Text in the font; its background follows the brush (see above).
  void TextOut(int x, int y, const std::string& text);
  // Text clipped to r, starting at (x, y); an opaque brush fills r behind it.
  void TextRect(const TRect& r, int x, int y, const std::string& text);
  TSize TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // The platform's formatted text drawing (DT_ flags). With DT_CALCRECT, r
  // receives the measured extent. Returns the height of the text.
  int DrawText(const std::string& text, TRect& r, UINT flags);

  // The platform's dotted focus frame, drawn by inverting: drawing it twice
  // restores the pixels.
  void DrawFocusRect(const TRect& r);

  // Pictures: a bitmap copied as it is, an icon with its transparency.
  void Draw(int x, int y, TBitmap* bitmap);
  void Draw(int x, int y, TIcon* icon);
  void StretchDraw(const TRect& r, TBitmap* bitmap);
  // A block of width x height pixels (rows from the top, 0x00RRGGBB each)
  // scaled to dest by repeating pixels, in one call.
  void DrawPixels(const TRect& dest, int width, int height, const uint32_t* pixels);
  // The part of the surface drawing can reach now, in the canvas's coordinates.
  TRect ClipRect();
  // Copies a rectangle of another canvas, scaled to dest, with a raster operation.
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect, DWORD rop = SRCCOPY);

protected:
  // Gives the canvas a context when it has none; the default makes none.
  virtual void CreateHandle() {}
  // Gives the objects back and forgets the context; returns it to the caller
  // (a derived class frees what it made).
  HDC DetachHandle();

private:
  friend class TGraphicsObject;
  enum : unsigned { kFont = 1, kPen = 2, kBrush = 4, kAll = 7 };

  HDC EnsureHandle();
  // Selects whichever of the objects are not yet in the context.
  HDC Require(unsigned what);
  void Deselect(unsigned what);
  void ObjectChanging(TGraphicsObject* o);
  // Only device state that follows the object changed (the font's colour,
  // the pen's mode): applied at once where the object is selected.
  void ObjectStateChanged(TGraphicsObject* o);

  HDC dc_ = nullptr;
  TFont* font_;
  TBrush* brush_;
  TPen* pen_;
  unsigned selected_ = 0;
  HGDIOBJ saved_font_ = nullptr;
  HGDIOBJ saved_pen_ = nullptr;
  HGDIOBJ saved_brush_ = nullptr;
  uint32_t generation_ = 0;
};

// An off-screen surface of w x h pixels in 32 bits per pixel, for painting
// that is read back (pixel tests, composing before a copy to the screen).
class TMemoryCanvas : public TCanvas {
  ORLO_CLASS(TMemoryCanvas)
public:
  TMemoryCanvas(int width, int height);
  ~TMemoryCanvas() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Bitmap() const { return bitmap_; }
  // The colour of a pixel, read straight from memory (0x00BBGGRR).
  TColor At(int x, int y) const;
  // Fills the whole surface with a colour.
  void Clear(TColor c);

private:
  int width_;
  int height_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// A canvas on the whole screen, for measuring text as the screen shows it.
class TScreenCanvas : public TCanvas {
  ORLO_CLASS(TScreenCanvas)
public:
  TScreenCanvas();
  ~TScreenCanvas() override;
};

// The framework's three-dimensional frame: W rings inside r, each with its
// left column and top row in topLeft and its right column and bottom row
// (both corners included) in bottomRight; r comes back shrunk by W on every
// side. W of 0 or less draws nothing. Uses the canvas pen at width 1.
void DrawBevelFrame(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width);

// Lends a context to a canvas for one scope, as a paint handler does, and
// takes it back however the scope ends.
class TCanvasLease {
public:
  TCanvasLease(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
  ~TCanvasLease() { canvas_.SetHandle(nullptr); }
  TCanvasLease(const TCanvasLease&) = delete;
  TCanvasLease& operator=(const TCanvasLease&) = delete;

private:
  TCanvas& canvas_;
};

}  // namespace orlo
