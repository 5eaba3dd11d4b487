#include "grad_box.h"

#include <algorithm>

#include "class_builder.h"
#include "extended_precision.h"

namespace orlo {

namespace {

// 1/255 rounded to the extended format (significand 0x8080808080808081).
// Every division by 255 of the gradient is a multiplication by it, so the
// bands come out the same on every machine that has the format.
constexpr long double kOneBy255 = 0x8080808080808081p-71L;

}  // namespace

const TEnumNames& GradStyleNames() {
  static const TEnumNames names{"gsTopBottom", "gsBottomTop", "gsLeftRight", "gsRightLeft",
                                "gsNone"};
  return names;
}

const TEnumNames& FontStyle3DNames() {
  static const TEnumNames names{"fsLowShadow", "fsRaiseShadow", "fsLow3D", "fsRaise3D"};
  return names;
}

ORLO_DEFINE_CLASS(TGradBox, TGraphicControl) {
  p.Inherited({"Name", "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint", "Align",
               "Caption", "DragCursor", "DragMode", "Enabled", "Font", "ParentFont",
               "ParentShowHint", "PopupMenu", "ShowHint", "Visible", "OnClick", "OnDblClick",
               "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  p.Int("CaptionLeft", &TGradBox::CaptionLeft, &TGradBox::SetCaptionLeft, 10);
  p.Int("CaptionTop", &TGradBox::CaptionTop, &TGradBox::SetCaptionTop, 10);
  p.Int("TopColor", &TGradBox::TopColor, &TGradBox::SetTopColor, clGreen, &ColorIdents());
  p.Int("LastColor", &TGradBox::LastColor, &TGradBox::SetLastColor, clLime, &ColorIdents());
  p.Int("OutLineColor", &TGradBox::OutLineColor, &TGradBox::SetOutLineColor, clBlack,
        &ColorIdents());
  p.Bool("DrawOutLine", &TGradBox::DrawOutLine, &TGradBox::SetDrawOutLine);
  p.Enum("GradStyle", &TGradBox::GradStyle, &TGradBox::SetGradStyle, GradStyleNames(),
         gsTopBottom);
  p.Bool("Font3D", &TGradBox::Font3D, &TGradBox::SetFont3D);
  p.Int("FontDepth", &TGradBox::FontDepth, &TGradBox::SetFontDepth, 1);
  p.Enum("Style3D", &TGradBox::Style3D, &TGradBox::SetStyle3D, FontStyle3DNames(), fsRaise3D);
  p.Int("BackFont", &TGradBox::BackFont, &TGradBox::SetBackFont, clYellow, &ColorIdents());
  p.Event("OnPaint", &TGradBox::OnPaint);
}

TGradBox::TGradBox(TComponent* owner) : TGraphicControl(owner) {
  SetWidth(200);
  SetHeight(100);
}

void TGradBox::SetCaptionLeft(int v) {
  if (v == FCaptionLeft) return;
  FCaptionLeft = v;
  Invalidate();
}

void TGradBox::SetCaptionTop(int v) {
  if (v == FCaptionTop) return;
  FCaptionTop = v;
  Invalidate();
}

void TGradBox::SetTopColor(TColor v) {
  if (v == FTopColor) return;
  FTopColor = v;
  Invalidate();
}

void TGradBox::SetLastColor(TColor v) {
  if (v == FLastColor) return;
  FLastColor = v;
  Invalidate();
}

void TGradBox::SetOutLineColor(TColor v) {
  if (v == FOutLineColor) return;
  FOutLineColor = v;
  if (FDrawOutLine) Invalidate();
}

void TGradBox::SetDrawOutLine(bool v) {
  if (v == FDrawOutLine) return;
  FDrawOutLine = v;
  Invalidate();
}

void TGradBox::SetGradStyle(TGradStyle v) {
  if (v == FGradStyle) return;
  FGradStyle = v;
  Invalidate();
}

void TGradBox::SetFont3D(bool v) {
  if (v == FFont3D) return;
  FFont3D = v;
  Invalidate();
}

void TGradBox::SetFontDepth(uint8_t v) {
  if (v == FFontDepth) return;
  FFontDepth = v;
  if (FFont3D) Invalidate();
}

void TGradBox::SetStyle3D(TFontStyle3D v) {
  if (v == FStyle3D) return;
  FStyle3D = v;
  Invalidate();
}

void TGradBox::SetBackFont(TColor v) {
  if (v == FBackFont) return;
  FBackFont = v;
  if (FFont3D) Invalidate();
}

void TGradBox::Dispatch(TMessage& m) {
  TGraphicControl::Dispatch(m);
  if (m.Msg == CM_TEXTCHANGED) Invalidate();
}

void TGradBox::SplitColor(TColor c, uint8_t& red, uint8_t& green, uint8_t& blue) {
  // Only the framework's own system colours (0 to 24) are looked up here;
  // any other value is taken as it is, its top byte ignored, as the box has
  // always split its colours.
  const uint32_t v = static_cast<uint32_t>(c);
  const uint32_t rgb = v - 0x80000000u <= 24u ? static_cast<uint32_t>(ColorToRGB(c)) : (v & 0xFFFFFFu);
  red = RedOf(rgb);
  green = GreenOf(rgb);
  blue = BlueOf(rgb);
}

void TGradBox::BuildGradTable(TGradStyle style) {
  TColor first, last;
  switch (style) {
    case gsTopBottom: case gsLeftRight:
      first = FTopColor;
      last = FLastColor;
      break;
    case gsBottomTop: case gsRightLeft:
      first = FLastColor;
      last = FTopColor;
      break;
    default:
      return;
  }
  uint8_t from[3], to[3];
  SplitColor(first, from[0], from[1], from[2]);
  SplitColor(last, to[0], to[1], to[2]);

  TExtendedPrecision precision;
  long double step[3], value[3];
  for (int ch = 0; ch < 3; ++ch) {
    step[ch] = static_cast<long double>(from[ch] - to[ch]) * kOneBy255;
    value[ch] = from[ch];
  }
  // The ends keep the colours as stored: a system colour is resolved by
  // the brush when it is drawn.
  FGradTable[0] = first;
  for (int i = 1; i <= 254; ++i) {
    // Accumulated, not recomputed from i: the rounding of each subtraction
    // carries into the next entry.
    uint32_t rgb = 0;
    for (int ch = 0; ch < 3; ++ch) {
      value[ch] -= step[ch];
      rgb |= (static_cast<uint32_t>(static_cast<int>(value[ch])) & 0xFFu) << (8 * ch);
    }
    FGradTable[i] = static_cast<TColor>(rgb);
  }
  FGradTable[255] = last;
}

void TGradBox::PaintBands() {
  bool stacked;  // horizontal bands from the top down, else vertical ones from the left
  switch (FGradStyle) {
    case gsTopBottom: case gsBottomTop: stacked = true; break;
    case gsLeftRight: case gsRightLeft: stacked = false; break;
    default: return;
  }
  TCanvas* c = Canvas();
  // The bands are runs of whole rows (or columns): the colour of each line is
  // worked out here, for the lines that can show, and the platform repeats
  // that one column (or row) across the box in a single call instead of 256
  // fills. The lines come out as the fills would leave them.
  const TRect clip = c->ClipRect();
  const int64_t lineFrom = std::max(0, stacked ? clip.Top : clip.Left);
  const int64_t acrossFrom = std::max(0, stacked ? clip.Left : clip.Top);
  const int64_t acrossTo = std::min(stacked ? Width() : Height(), stacked ? clip.Right : clip.Bottom);
  int64_t lineTo = stacked ? clip.Bottom : clip.Right;

  TExtendedPrecision precision;
  const long double step = static_cast<long double>(stacked ? Height() : Width()) * kOneBy255;
  const int64_t band = static_cast<int64_t>(step + 1.0L);
  // The last fill starts at trunc(254 x step) and reaches the box's far edge.
  lineTo = std::min(lineTo, static_cast<int64_t>(254.0L * step) + band);
  const bool visible = lineFrom < lineTo && acrossFrom < acrossTo;
  if (visible) FLines.assign(static_cast<size_t>(lineTo - lineFrom), 0);
  // Each band starts where the band before started, so the first two fills
  // cover the same lines and entry 0 never shows; later fills win.
  int64_t start = 0;
  for (int k = 0; visible && k < 256; ++k) {
    const int64_t from = std::max(start, lineFrom), to = std::min(start + band, lineTo);
    if (from < to) {
      const uint32_t rgb = ColorToRGB(FGradTable[static_cast<size_t>(k)]);
      const uint32_t pixel = (RedOf(rgb) << 16) | (GreenOf(rgb) << 8) | BlueOf(rgb);
      std::fill(FLines.begin() + (from - lineFrom), FLines.begin() + (to - lineFrom), pixel);
    }
    start = static_cast<int64_t>(static_cast<long double>(k) * step);
  }
  if (visible) {
    const int lines = static_cast<int>(lineTo - lineFrom);
    const int a = static_cast<int>(acrossFrom), b = static_cast<int>(acrossTo);
    const int l = static_cast<int>(lineFrom), m = static_cast<int>(lineTo);
    if (stacked)
      c->DrawPixels(TRect(a, l, b, m), 1, lines, FLines.data());
    else
      c->DrawPixels(TRect(l, a, m, b), lines, 1, FLines.data());
  }
  // The canvas is left as the last fill would leave it.
  c->Brush()->SetColor(FGradTable[255]);
}

void TGradBox::Paint() {
  BuildGradTable(FGradStyle);
  PaintBands();
  TCanvas* c = Canvas();
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetColor(FOutLineColor);
  c->Pen()->SetStyle(psSolid);
  if (FDrawOutLine) c->Rectangle(0, 0, Width(), Height());
  DrawCaption(TRect(FCaptionLeft, FCaptionTop, Width(), Height()));
  if (OnPaint) OnPaint(this);
}

void TGradBox::DrawCaption(TRect rect) {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  const std::string text = Caption();
  // Wrapped at the right edge, tabs expanded, "&&" shown as one '&' and a
  // single '&' underlining the character after it.
  auto draw = [&] { c->DrawText(text, rect, DT_WORDBREAK | DT_EXPANDTABS); };

  if (!Enabled()) {
    rect.Offset(1, 1);
    c->Font()->SetColor(clWhite);
    draw();
    rect.Offset(-1, -1);
    c->Font()->SetColor(clGray);
    draw();
    return;
  }
  if (FFont3D) {
    const int d = FFontDepth;
    c->Font()->SetColor(FBackFont);
    switch (FStyle3D) {
      case fsLowShadow:
        rect.Offset(d, d);
        draw();
        rect.Offset(-d, -d);
        break;
      case fsRaiseShadow:
        rect.Offset(-d, -d);
        draw();
        rect.Offset(d, d);
        break;
      case fsLow3D:
        for (int i = 0; i < d; ++i) {
          rect.Offset(1, 1);
          draw();
        }
        rect.Offset(-d, -d);
        break;
      case fsRaise3D:
        for (int i = 0; i < d; ++i) {
          rect.Offset(-1, -1);
          draw();
        }
        rect.Offset(d, d);
        break;
    }
    c->SetFont(Font());  // the face in the font's own colour
  }
  draw();
}

}  // namespace orlo
