#include "graphics.h"

#include <cstring>

#include "class_builder.h"

namespace orlo {

namespace {

uint32_t g_system_colors_generation = 1;

[[noreturn]] void OutOfResources() { throw EOutOfResources(res::SOutOfResources); }

// The screen's device context for a short look.
class TScreenDC {
public:
  TScreenDC() : dc_(GetDC(nullptr)) {}
  ~TScreenDC() { ReleaseDC(nullptr, dc_); }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  operator HDC() const { return dc_; }

private:
  HDC dc_;
};

// Copies a face name into a LOGFONT, cut at 31 bytes without splitting a
// double-byte character.
void CopyFaceName(const std::string& name, char (&face)[LF_FACESIZE]) {
  size_t n = 0;
  while (n < name.size()) {
    size_t step = IsDBCSLeadByte(static_cast<BYTE>(name[n])) ? 2 : 1;
    if (n + step > LF_FACESIZE - 1 || n + step > name.size()) break;
    n += step;
  }
  std::memcpy(face, name.data(), n);
  face[n] = '\0';
}

}  // namespace

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    TScreenDC dc;
    int v = GetDeviceCaps(dc, LOGPIXELSY);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

void SystemColorsChanged() { ++g_system_colors_generation; }
uint32_t SystemColorsGeneration() { return g_system_colors_generation; }

// --- TGraphicsObject ------------------------------------------------------------

ORLO_DEFINE_CLASS(TGraphicsObject, TPersistent) {}

TGraphicsObject::~TGraphicsObject() { DropHandle(); }

HGDIOBJ TGraphicsObject::GetHandle() {
  if (handle_ && generation_ != g_system_colors_generation && UsesSystemColor()) DropHandle();
  if (!handle_) {
    bool owned = true;
    HGDIOBJ h = CreateHandle(owned);
    if (!h) OutOfResources();
    handle_ = h;
    owned_ = owned;
    generation_ = g_system_colors_generation;
  }
  return handle_;
}

void TGraphicsObject::DropHandle() {
  if (!handle_) return;
  if (canvas_) canvas_->ObjectChanging(this);
  if (owned_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TGraphicsObject::Changed(bool affectsHandle) {
  if (affectsHandle)
    DropHandle();
  else if (canvas_)
    canvas_->ObjectStateChanged(this);
  if (OnChange) OnChange(this);
}

// --- TFont ------------------------------------------------------------------------

const TEnumNames& FontStyleNames() {
  static const TEnumNames names{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
  return names;
}

const TEnumNames& FontPitchNames() {
  static const TEnumNames names{"fpDefault", "fpVariable", "fpFixed"};
  return names;
}

const TFontDefaults& DefaultFont() {
  static const TFontDefaults defaults = [] {
    TFontDefaults d;
    int ppi = ScreenPixelsPerInch();
    TEXTMETRICA tm{};
    bool shiftJis = false;
    if (GetSystemMetrics(SM_DBCSENABLED)) {
      TScreenDC dc;
      shiftJis = GetTextMetricsA(dc, &tm) && tm.tmCharSet == SHIFTJIS_CHARSET;
    }
    if (shiftJis) {
      d.Name = "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ Ｐゴシック
      d.Charset = SHIFTJIS_CHARSET;
      d.Height = -MulDiv(9, ppi, 72);
    } else {
      d.Name = "MS Sans Serif";
      d.Charset = DEFAULT_CHARSET;
      d.Height = -MulDiv(8, ppi, 72);
    }
    return d;
  }();
  return defaults;
}

ORLO_DEFINE_CLASS(TFont, TGraphicsObject) {
  p.Int("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET, &CharsetIdents());
  p.Int("Color", &TFont::Color, &TFont::SetColor, clWindowText, &ColorIdents());
  p.Int("Height", &TFont::Height, &TFont::SetHeight);
  p.String("Name", &TFont::Name, &TFont::SetName);
  p.Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, FontPitchNames(), fpDefault);
  p.Int("Size", &TFont::Size, &TFont::SetSize);
  p.Set("Style", &TFont::Style, &TFont::SetStyle, FontStyleNames(), 0);
}

TFont::TFont() {
  const TFontDefaults& d = DefaultFont();
  name_ = d.Name;
  charset_ = d.Charset;
  height_ = d.Height;
  ppi_ = ScreenPixelsPerInch();
}

TFont::~TFont() = default;

void TFont::Assign(TPersistent* source) {
  auto* f = Cast<TFont>(source);
  if (!f) {
    TPersistent::Assign(source);
    return;
  }
  if (f == this) return;
  bool shape = name_ != f->name_ || height_ != f->height_ || charset_ != f->charset_ ||
               style_ != f->style_ || pitch_ != f->pitch_;
  bool color = color_ != f->color_;
  if (!shape && !color) return;
  name_ = f->name_;
  height_ = f->height_;
  charset_ = f->charset_;
  style_ = f->style_;
  pitch_ = f->pitch_;
  color_ = f->color_;
  Changed(shape);
}

void TFont::SetName(const std::string& v) {
  if (v.empty() || v == name_) return;
  name_ = v;
  Changed();
}

void TFont::SetHeight(int v) {
  if (v == height_) return;
  height_ = v;
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, ppi_); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ppi_, 72)); }

void TFont::SetCharset(TFontCharset v) {
  if (v == charset_) return;
  charset_ = v;
  Changed();
}

void TFont::SetStyle(TFontStyles v) {
  if (v == style_) return;
  style_ = v;
  Changed();
}

void TFont::SetPitch(TFontPitch v) {
  if (v == pitch_) return;
  pitch_ = v;
  Changed();
}

void TFont::SetColor(TColor v) {
  if (v == color_) return;
  color_ = v;
  Changed(false);  // the colour is the canvas's text colour, not part of the handle
}

LOGFONTA TFont::LogFont() const {
  LOGFONTA lf{};
  lf.lfHeight = height_;
  lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic);
  lf.lfUnderline = style_.Contains(fsUnderline);
  lf.lfStrikeOut = style_.Contains(fsStrikeOut);
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  static const BYTE kPitch[] = {DEFAULT_PITCH, VARIABLE_PITCH, FIXED_PITCH};
  lf.lfPitchAndFamily = kPitch[pitch_];
  CopyFaceName(name_, lf.lfFaceName);
  return lf;
}

void TFont::SetLogFont(const LOGFONTA& lf) {
  TFontStyles style;
  if (lf.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (lf.lfItalic) style.Include(fsItalic);
  if (lf.lfUnderline) style.Include(fsUnderline);
  if (lf.lfStrikeOut) style.Include(fsStrikeOut);
  TFontPitch pitch = fpDefault;
  switch (lf.lfPitchAndFamily & 3) {
    case VARIABLE_PITCH: pitch = fpVariable; break;
    case FIXED_PITCH: pitch = fpFixed; break;
    default: break;
  }
  std::string name(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  if (name.empty()) name = name_;
  if (name == name_ && lf.lfHeight == height_ && lf.lfCharSet == charset_ && style == style_ &&
      pitch == pitch_)
    return;
  name_ = name;
  height_ = lf.lfHeight;
  charset_ = lf.lfCharSet;
  style_ = style;
  pitch_ = pitch;
  Changed();
}

HGDIOBJ TFont::CreateHandle(bool& owned) {
  LOGFONTA lf = LogFont();
  return CreateFontIndirectA(&lf);
}

// --- TBrush -----------------------------------------------------------------------

const TEnumNames& BrushStyleNames() {
  static const TEnumNames names{"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};
  return names;
}

ORLO_DEFINE_CLASS(TBrush, TGraphicsObject) {
  p.Int("Color", &TBrush::Color, &TBrush::SetColor, clWhite, &ColorIdents());
  p.Enum("Style", &TBrush::Style, &TBrush::SetStyle, BrushStyleNames(), bsSolid);
}

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::Assign(TPersistent* source) {
  auto* b = Cast<TBrush>(source);
  if (!b) {
    TPersistent::Assign(source);
    return;
  }
  if (color_ == b->color_ && style_ == b->style_ && bitmap_ == b->bitmap_) return;
  color_ = b->color_;
  style_ = b->style_;
  bitmap_ = b->bitmap_;
  Changed();
}

void TBrush::SetColor(TColor v) {
  if (v == color_ && style_ != bsClear) return;
  color_ = v;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle v) {
  if (v == style_) return;
  style_ = v;
  Changed();
}

void TBrush::SetBitmap(TBitmap* b) {
  if (b == bitmap_) return;
  bitmap_ = b;
  Changed();
}

HGDIOBJ TBrush::CreateHandle(bool& owned) {
  if (bitmap_ && bitmap_->Handle()) return CreatePatternBrush(bitmap_->Handle());
  switch (style_) {
    case bsSolid:
      return CreateSolidBrush(ColorToRGB(color_));
    case bsClear:
      owned = false;
      return GetStockObject(NULL_BRUSH);
    default: {
      static const int kHatch[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL,
                                   HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
      return CreateHatchBrush(kHatch[style_ - bsHorizontal], ColorToRGB(color_));
    }
  }
}

// --- TPen ---------------------------------------------------------------------------

const TEnumNames& PenStyleNames() {
  static const TEnumNames names{"psSolid", "psDash", "psDot", "psDashDot",
                                "psDashDotDot", "psClear", "psInsideFrame"};
  return names;
}

const TEnumNames& PenModeNames() {
  static const TEnumNames names{
      "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
      "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
      "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"};
  return names;
}

ORLO_DEFINE_CLASS(TPen, TGraphicsObject) {
  p.Int("Color", &TPen::Color, &TPen::SetColor, clBlack, &ColorIdents());
  p.Enum("Mode", &TPen::Mode, &TPen::SetMode, PenModeNames(), pmCopy);
  p.Enum("Style", &TPen::Style, &TPen::SetStyle, PenStyleNames(), psSolid);
  p.Int("Width", &TPen::Width, &TPen::SetWidth, 1);
}

TPen::TPen() = default;
TPen::~TPen() = default;

void TPen::Assign(TPersistent* source) {
  auto* p = Cast<TPen>(source);
  if (!p) {
    TPersistent::Assign(source);
    return;
  }
  bool shape = color_ != p->color_ || style_ != p->style_ || width_ != p->width_;
  bool mode = mode_ != p->mode_;
  if (!shape && !mode) return;
  color_ = p->color_;
  style_ = p->style_;
  width_ = p->width_;
  mode_ = p->mode_;
  Changed(shape);
}

void TPen::SetColor(TColor v) {
  if (v == color_) return;
  color_ = v;
  Changed();
}

void TPen::SetStyle(TPenStyle v) {
  if (v == style_) return;
  style_ = v;
  Changed();
}

void TPen::SetWidth(int v) {
  if (v < 1) v = 1;
  if (v == width_) return;
  width_ = v;
  Changed();
}

void TPen::SetMode(TPenMode v) {
  if (v == mode_) return;
  mode_ = v;
  Changed(false);  // a state of the device context, applied when the pen is selected
}

HGDIOBJ TPen::CreateHandle(bool& owned) {
  if (style_ == psClear) {
    owned = false;
    return GetStockObject(NULL_PEN);
  }
  static const int kStyle[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT,
                               PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
  return CreatePen(kStyle[style_], width_, ColorToRGB(color_));
}

}  // namespace orlo
