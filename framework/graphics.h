// Drawing basics: points and rectangles, and the font, brush and pen objects
// whose platform handles are made on demand. Including this header also
// brings in the canvas (canvas.h) and the pictures (bitmaps.h).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "classes.h"
#include "colors.h"
#include "events.h"

namespace orlo {

class TCanvas;

struct TPoint {
  int X = 0;
  int Y = 0;

  constexpr TPoint() = default;
  constexpr TPoint(int x, int y) : X(x), Y(y) {}
  TPoint(const POINT& p) : X(p.x), Y(p.y) {}
  operator POINT() const { return POINT{X, Y}; }
  bool operator==(const TPoint& o) const { return X == o.X && Y == o.Y; }
  bool operator!=(const TPoint& o) const { return !(*this == o); }
};

struct TSize {
  int cx = 0;
  int cy = 0;
  bool operator==(const TSize& o) const { return cx == o.cx && cy == o.cy; }
};

// Left and top inclusive, right and bottom exclusive, as the platform counts.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr TRect() = default;
  constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
  TRect(const RECT& r) : Left(r.left), Top(r.top), Right(r.right), Bottom(r.bottom) {}
  operator RECT() const { return RECT{Left, Top, Right, Bottom}; }

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  TPoint TopLeft() const { return TPoint(Left, Top); }
  TPoint BottomRight() const { return TPoint(Right, Bottom); }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  // Moves the rectangle; Inflate grows it by dx, dy on each side (negative shrinks).
  void Offset(int dx, int dy) { Left += dx; Right += dx; Top += dy; Bottom += dy; }
  void Inflate(int dx, int dy) { Left -= dx; Right += dx; Top -= dy; Bottom += dy; }
  bool operator==(const TRect& o) const {
    return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
  }
  bool operator!=(const TRect& o) const { return !(*this == o); }
};

inline TRect Bounds(int left, int top, int width, int height) {
  return TRect(left, top, left + width, top + height);
}

// The screen's logical pixels per inch (vertical), read once.
int ScreenPixelsPerInch();

// Tells every font, brush and pen that the platform's system colours have
// changed: objects in a system colour make their handles again at next use,
// and canvases apply their colours again.
void SystemColorsChanged();
uint32_t SystemColorsGeneration();

// Font, brush and pen: values with change notification and a platform
// handle made from them when first needed and dropped when they change.
class TGraphicsObject : public TPersistent {
  ORLO_CLASS(TGraphicsObject)
public:
  TGraphicsObject() = default;
  ~TGraphicsObject() override;

  // Called after any value changed (the old handle is already gone).
  TNotifyEvent OnChange;

  bool HandleAllocated() const { return handle_ != nullptr; }

protected:
  // The platform object for the current values, made on demand; raises
  // EOutOfResources when the platform refuses.
  HGDIOBJ GetHandle();
  // Makes the platform object; owned = false for stock objects.
  virtual HGDIOBJ CreateHandle(bool& owned) = 0;
  // True when the handle bakes in a system colour.
  virtual bool UsesSystemColor() const { return false; }
  // After a change of values: drops the handle when the change affects it,
  // then calls OnChange. A canvas that has the handle selected lets go first.
  void Changed(bool affectsHandle = true);
  void DropHandle();

private:
  friend class TCanvas;
  HGDIOBJ handle_ = nullptr;
  bool owned_ = false;
  uint32_t generation_ = 0;
  TCanvas* canvas_ = nullptr;  // the canvas this object belongs to, if any
};

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of TFontStyle.
class TFontStyles {
public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) bits_ |= 1u << s;
  }
  static TFontStyles FromBits(uint32_t bits) {
    TFontStyles s;
    s.bits_ = bits & 0xF;
    return s;
  }
  uint32_t Bits() const { return bits_; }
  bool Contains(TFontStyle s) const { return bits_ & (1u << s); }
  bool Empty() const { return bits_ == 0; }
  TFontStyles& Include(TFontStyle s) { bits_ |= 1u << s; return *this; }
  TFontStyles& Exclude(TFontStyle s) { bits_ &= ~(1u << s); return *this; }
  bool operator==(const TFontStyles& o) const { return bits_ == o.bits_; }
  bool operator!=(const TFontStyles& o) const { return bits_ != o.bits_; }

private:
  uint32_t bits_ = 0;
};
const TEnumNames& FontStyleNames();  // fsBold, fsItalic, fsUnderline, fsStrikeOut

enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
const TEnumNames& FontPitchNames();

using TFontCharset = uint8_t;

// The framework's default font: the Japanese UI font on a double-byte system
// whose screen font is Shift-JIS, else "MS Sans Serif" 8 pt.
struct TFontDefaults {
  std::string Name;
  TFontCharset Charset = DEFAULT_CHARSET;
  int Height = 0;
};
const TFontDefaults& DefaultFont();

class TFont : public TGraphicsObject {
  ORLO_CLASS(TFont)
public:
  TFont();  // DefaultFont(), in clWindowText
  ~TFont() override;

  void Assign(TPersistent* source) override;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& v);
  // Negative: character height in pixels; positive: cell height.
  int Height() const { return height_; }
  void SetHeight(int v);
  // Points at PixelsPerInch: Size = -Height * 72 / ppi, rounded.
  int Size() const;
  void SetSize(int points);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset v);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles v);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  int PixelsPerInch() const { return ppi_; }
  void SetPixelsPerInch(int v) { ppi_ = v; }

  HFONT Handle() { return static_cast<HFONT>(GetHandle()); }
  // The platform description of the font, and taking the values of one.
  LOGFONTA LogFont() const;
  void SetLogFont(const LOGFONTA& lf);

protected:
  HGDIOBJ CreateHandle(bool& owned) override;

private:
  std::string name_;
  int height_ = 0;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TFontStyles style_;
  TFontPitch pitch_ = fpDefault;
  TColor color_ = clWindowText;
  int ppi_ = 96;
};

class TBitmap;

enum TBrushStyle : uint8_t {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};
const TEnumNames& BrushStyleNames();

class TBrush : public TGraphicsObject {
  ORLO_CLASS(TBrush)
public:
  TBrush();  // solid white
  ~TBrush() override;

  void Assign(TPersistent* source) override;

  TColor Color() const { return color_; }
  // Also makes a clear brush solid, even when the colour stays the same.
  void SetColor(TColor v);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle v);
  // A pattern brush from a bitmap (not owned; null returns to Color/Style).
  // The pattern is taken when the handle is made.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* b);

  HBRUSH Handle() { return static_cast<HBRUSH>(GetHandle()); }

protected:
  HGDIOBJ CreateHandle(bool& owned) override;
  bool UsesSystemColor() const override { return IsSystemColor(color_); }

private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
};

enum TPenStyle : uint8_t {
  psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame
};
const TEnumNames& PenStyleNames();

// Raster operation of lines, as the platform's R2_ codes.
enum TPenMode : uint8_t {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
const TEnumNames& PenModeNames();

class TPen : public TGraphicsObject {
  ORLO_CLASS(TPen)
public:
  TPen();  // solid black, 1 pixel, copy mode
  ~TPen() override;

  void Assign(TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle v);
  int Width() const { return width_; }
  void SetWidth(int v);  // below 1 counts as 1
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode v);

  HPEN Handle() { return static_cast<HPEN>(GetHandle()); }

protected:
  HGDIOBJ CreateHandle(bool& owned) override;
  bool UsesSystemColor() const override { return IsSystemColor(color_); }

private:
  TColor color_ = clBlack;
  TPenStyle style_ = psSolid;
  int width_ = 1;
  TPenMode mode_ = pmCopy;
};

}  // namespace orlo

#include "bitmaps.h"
#include "canvas.h"
