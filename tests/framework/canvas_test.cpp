#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "bevel_model.h"
#include "pixel_helpers.h"
#include "graphics.h"

using namespace orlo;
using orlo::testing_support::CountColor;

namespace {

TColor Sys(int index) { return static_cast<TColor>(GetSysColor(index)); }

// Live GDI objects of this process. The platform's count where it keeps one;
// Wine answers 0, so there every handle index is probed instead.
int GdiObjectCount(const char** method = nullptr) {
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) {
    if (method) *method = "GetGuiResources";
    return static_cast<int>(n);
  }
  if (method) *method = "handle-table probe";
  int count = 0;
  for (ULONG_PTR i = 1; i < 0x10000; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++count;
  return count;
}


}  // namespace

TEST(Canvas, FillRectFillsLeftAndTopButNotRightAndBottom) {
  TMemoryCanvas c(10, 10);
  c.Clear(clWhite);
  c.Brush()->SetColor(clRed);
  c.FillRect(TRect(2, 3, 6, 8));
  EXPECT_EQ(c.At(2, 3), clRed);
  EXPECT_EQ(c.At(5, 7), clRed);
  EXPECT_EQ(c.At(6, 7), clWhite);
  EXPECT_EQ(c.At(5, 8), clWhite);
  EXPECT_EQ(c.At(1, 3), clWhite);
  EXPECT_EQ(c.At(2, 2), clWhite);
  EXPECT_EQ(CountColor(c, TRect(0, 0, 10, 10), clRed), 4 * 5);

  // A clear brush fills nothing; giving it a colour, even the same one,
  // makes it solid again.
  c.Brush()->SetStyle(bsClear);
  c.FillRect(TRect(0, 0, 2, 2));
  EXPECT_EQ(c.At(0, 0), clWhite);
  c.Brush()->SetColor(clRed);
  c.FillRect(TRect(0, 0, 2, 2));
  EXPECT_EQ(c.At(0, 0), clRed);

  // System colours are resolved when drawn.
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(TRect(8, 8, 10, 10));
  EXPECT_EQ(c.At(9, 9), Sys(COLOR_BTNFACE));
  c.SetPixel(0, 9, clBtnShadow);
  EXPECT_EQ(c.At(0, 9), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(c.Pixel(0, 9), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(c.Pixel(10, 0), -1);
}

TEST(Canvas, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  TMemoryCanvas c(12, 12);
  c.Clear(clWhite);
  c.Pen()->SetColor(clBlue);
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(1, 1, 9, 9);
  for (TPoint p : {TPoint(1, 1), TPoint(8, 1), TPoint(1, 8), TPoint(8, 8), TPoint(4, 1)})
    EXPECT_EQ(c.At(p.X, p.Y), clBlue) << p.X << "," << p.Y;
  EXPECT_EQ(CountColor(c, TRect(2, 2, 8, 8), clWhite), 36);  // the inside is kept
  EXPECT_EQ(c.At(9, 9), clWhite);
  EXPECT_EQ(CountColor(c, TRect(0, 0, 12, 12), clBlue), 28);

  c.Brush()->SetColor(clLime);
  c.Rectangle(TRect(1, 1, 9, 9));
  EXPECT_EQ(CountColor(c, TRect(2, 2, 8, 8), clLime), 36);
  EXPECT_EQ(c.At(1, 1), clBlue);

  // Lines leave out their end point; the pen position follows.
  c.Pen()->SetColor(clRed);
  c.MoveTo(0, 11);
  c.LineTo(5, 11);
  EXPECT_EQ(c.PenPos(), TPoint(5, 11));
  EXPECT_EQ(c.At(4, 11), clRed);
  EXPECT_EQ(c.At(5, 11), clWhite);

  // The pen's mode is the raster operation of its lines.
  c.Pen()->SetMode(pmXor);
  c.MoveTo(0, 10);
  c.LineTo(3, 10);
  EXPECT_EQ(c.At(1, 10), clWhite ^ clRed);
  c.Pen()->SetMode(pmNot);
  c.MoveTo(0, 0);
  c.LineTo(2, 0);
  EXPECT_EQ(c.At(0, 0), clBlack);
}

TEST(Canvas, BevelFrameRingsFollowTheFrameRoutine) {
  const TColor tl = clYellow, br = clNavy, back = clWhite;
  for (int width : {0, 1, 3}) {
    SCOPED_TRACE(width);
    TMemoryCanvas c(20, 12);
    c.Clear(back);
    TRect r(0, 0, 20, 12);
    DrawBevelFrame(c, r, tl, br, width);
    EXPECT_EQ(r, TRect(width, width, 20 - width, 12 - width));
    for (int k = 0; k < width; ++k) {
      int left = k, top = k, right = 19 - k, bottom = 11 - k;
      EXPECT_EQ(c.At(left, top), tl);
      EXPECT_EQ(c.At(left, bottom - 1), tl);
      EXPECT_EQ(c.At(right - 1, top), tl);
      EXPECT_EQ(c.At(left, bottom), br);   // lower-left corner
      EXPECT_EQ(c.At(right, top), br);     // upper-right corner
      EXPECT_EQ(c.At(right, bottom), br);
      EXPECT_EQ(c.At(10, bottom), br);
      EXPECT_EQ(c.At(right, 6), br);
    }
    int ringPixels = 0;
    for (int k = 0; k < width; ++k) ringPixels += 2 * (20 - 2 * k) + 2 * (12 - 2 * k) - 4;
    EXPECT_EQ(CountColor(c, TRect(0, 0, 20, 12), back), 20 * 12 - ringPixels);
    EXPECT_EQ(CountColor(c, r, back), r.Width() * r.Height());
  }

  // The button's look: an outer frame in system colours, then an inner one
  // on what the outer frame left.
  TMemoryCanvas c(89, 25);
  c.Clear(clBlack);
  TRect r(0, 0, 89, 25);
  DrawBevelFrame(c, r, clBtnHighlight, clBtnShadow, 2);
  DrawBevelFrame(c, r, clBtnShadow, clBtnHighlight, 1);
  EXPECT_EQ(r, TRect(3, 3, 86, 22));
  EXPECT_EQ(c.At(1, 1), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(c.At(87, 1), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(c.At(2, 2), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(c.At(86, 22), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(c.At(3, 3), clBlack);
}

TEST(Canvas, BevelFramesWiderThanTheSurfaceCrossAndStillEnd) {
  using orlo::testing_support::FirstDifference;
  using orlo::testing_support::TPixelModel;
  // Rings that meet in the middle paint over each other; a width far past
  // the surface gives the same pixels as one just past it, and returns.
  for (int width : {5, 40, 2147483647}) {
    SCOPED_TRACE(width);
    TMemoryCanvas c(12, 8);
    c.Clear(clWhite);
    TRect r(0, 0, 12, 8);
    DrawBevelFrame(c, r, clRed, clBlue, width);
    TPixelModel m(12, 8, clWhite);
    m.Frame(TRect(0, 0, 12, 8), clRed, clBlue, width);
    EXPECT_EQ(FirstDifference(c, m), "");
    EXPECT_EQ(r, TRect(width, width, 12 - width, 8 - width));
  }
  // A frame that starts inside what is already shrunk past the int range
  // stops at the range's end instead of wrapping round.
  TMemoryCanvas c(4, 4);
  TRect r(2147483000, 2147483000, -2147483000, -2147483000);
  DrawBevelFrame(c, r, clRed, clBlue, 2147483647);
  EXPECT_EQ(r, TRect(2147483647, 2147483647, -2147483647 - 1, -2147483647 - 1));
}

TEST(Canvas, FocusRectangleInvertsAndASecondOneRestores) {
  TMemoryCanvas c(20, 20);
  c.Clear(clBlack);
  c.Font()->SetColor(clRed);  // must not tint the inversion
  c.DrawFocusRect(TRect(2, 2, 18, 18));
  int inverted = CountColor(c, TRect(0, 0, 20, 20), clWhite);
  int black = CountColor(c, TRect(0, 0, 20, 20), clBlack);
  EXPECT_EQ(inverted + black, 400);  // nothing but inversions
  EXPECT_GT(inverted, 10);
  EXPECT_LT(CountColor(c, TRect(2, 2, 18, 3), clWhite), 16);  // dotted, not solid
  EXPECT_GT(CountColor(c, TRect(2, 2, 18, 3), clWhite), 0);
  EXPECT_GT(CountColor(c, TRect(2, 17, 18, 18), clWhite), 0);
  EXPECT_EQ(CountColor(c, TRect(3, 3, 17, 17), clWhite), 0);  // only the frame
  EXPECT_EQ(CountColor(c, TRect(0, 0, 20, 2), clWhite), 0);

  c.DrawFocusRect(TRect(2, 2, 18, 18));
  EXPECT_EQ(CountColor(c, TRect(0, 0, 20, 20), clBlack), 400);
}

TEST(Canvas, TextIsTransparentWhileTheBrushIsClear) {
  const std::string text = "MIM WIW";
  TMemoryCanvas c(120, 40);
  c.Font()->SetColor(clBlue);
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-20);
  TSize ext = c.TextExtent(text);
  ASSERT_GT(ext.cx, 30);
  ASSERT_GT(ext.cy, 10);
  TRect box(2, 2, 2 + ext.cx, 2 + ext.cy);

  c.Clear(clRed);
  c.Brush()->SetStyle(bsClear);
  c.TextOut(2, 2, text);
  int background = CountColor(c, box, clRed);
  int ink = CountColor(c, box, clBlue);
  EXPECT_GT(ink, 20);
  EXPECT_GT(background, ink);  // the space and the gaps between glyphs
  EXPECT_EQ(CountColor(c, box, clWhite), 0);

  // An opaque brush paints the text's background box in its colour.
  c.Clear(clRed);
  c.Brush()->SetColor(clWhite);
  c.TextOut(2, 2, text);
  EXPECT_EQ(CountColor(c, box, clRed), 0);
  EXPECT_GT(CountColor(c, box, clWhite), background / 2);

  // DrawText goes the same way; measuring gives the extent and draws nothing.
  c.Clear(clRed);
  c.Brush()->SetStyle(bsClear);
  c.Font()->SetColor(clWindowText);
  TRect calc(0, 0, 200, 0);
  int h = c.DrawText(text, calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(h, ext.cy);
  EXPECT_EQ(calc, TRect(0, 0, ext.cx, ext.cy));
  EXPECT_EQ(CountColor(c, TRect(0, 0, 120, 40), clRed), 120 * 40);
  TRect r(2, 2, 118, 38);
  c.DrawText(text, r, DT_SINGLELINE);
  EXPECT_GT(CountColor(c, box, Sys(COLOR_WINDOWTEXT)), 20);
  EXPECT_GT(CountColor(c, box, clRed), 20);

  // A font change while the font is selected takes effect at once.
  c.Font()->SetHeight(-10);
  EXPECT_LT(c.TextHeight(text), ext.cy);
}

TEST(Canvas, ColourChangesDoNotMakeOrSelectObjectsAgain) {
  // A gradient and a caption in several colours repaint often: a fixed fill
  // colour makes no brush object, and a new text colour or line mode keeps
  // the selected font and pen.
  TMemoryCanvas c(40, 20);
  c.Clear(clWhite);
  c.Font()->SetColor(clRed);
  HDC dc = c.Handle();
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  c.Font()->SetColor(clBlue);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  EXPECT_EQ(GetTextColor(dc), static_cast<COLORREF>(clBlue));
  c.TextOut(2, 2, "XX");
  EXPECT_GT(CountColor(c, TRect(0, 0, 40, 20), clBlue), 5);
  EXPECT_EQ(CountColor(c, TRect(0, 0, 40, 20), clRed), 0);
  c.Pen()->SetMode(pmXor);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetROP2(dc), R2_XORPEN);

  for (TColor color : {clLime, clNavy, RGBColor(1, 2, 3)}) {
    c.Brush()->SetColor(color);
    c.FillRect(TRect(30, 0, 40, 20));
    EXPECT_EQ(CountColor(c, TRect(30, 0, 40, 20), color), 200);
    EXPECT_FALSE(c.Brush()->HandleAllocated());
  }
  // Hatched and system-coloured brushes are objects as before.
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(TRect(30, 0, 40, 20));
  EXPECT_EQ(c.At(35, 5), Sys(COLOR_BTNFACE));
  EXPECT_TRUE(c.Brush()->HandleAllocated());
  c.Brush()->SetColor(clBlack);
  c.Brush()->SetStyle(bsCross);
  EXPECT_FALSE(c.Brush()->HandleAllocated());
  c.FillRect(TRect(0, 0, 40, 20));
  EXPECT_TRUE(c.Brush()->HandleAllocated());
}

TEST(Canvas, GivesALentContextBackAsItCame) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
  {
    TCanvas c;
    c.SetHandle(dc);
    c.Brush()->SetColor(clAqua);
    c.FillRect(TRect(0, 0, 1, 1));
    c.Pen()->SetColor(clMaroon);
    c.LineTo(1, 1);
    c.TextOut(0, 0, "A");
    EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), c.Pen()->Handle());
    c.Pen()->SetWidth(2);  // the old pen goes while it is selected
    c.LineTo(0, 0);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), c.Pen()->Handle());

    c.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);

    c.SetHandle(dc);  // lent again and dropped by the destructor
    ASSERT_EQ(c.Handle(), dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), c.Brush()->Handle());
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  DeleteDC(dc);
}

TEST(Canvas, SystemColourChangesReachCanvasesAlreadyDrawing) {
  INT element = COLOR_BTNFACE;
  COLORREF saved = GetSysColor(COLOR_BTNFACE);
  COLORREF changed = saved == RGB(10, 20, 30) ? RGB(30, 20, 10) : RGB(10, 20, 30);
  TMemoryCanvas c(4, 4);
  c.Brush()->SetColor(clBtnFace);
  c.Font()->SetColor(clBtnFace);
  c.FillRect(TRect(0, 0, 4, 4));
  ASSERT_EQ(c.At(0, 0), static_cast<TColor>(saved));

  ASSERT_TRUE(SetSysColors(1, &element, &changed));
  c.FillRect(TRect(0, 0, 4, 4));
  TColor beforeNotice = c.At(0, 0);
  SystemColorsChanged();
  c.FillRect(TRect(0, 0, 4, 4));
  TColor afterNotice = c.At(0, 0);
  COLORREF textColor = GetTextColor(c.Handle());
  SetSysColors(1, &element, &saved);
  SystemColorsChanged();

  EXPECT_EQ(beforeNotice, static_cast<TColor>(saved));  // the brush made before
  EXPECT_EQ(afterNotice, static_cast<TColor>(changed));
  EXPECT_EQ(textColor, changed);
}

TEST(Canvas, DrawsBitmapsAndIcons) {
  TBitmap b;
  b.SetSize(4, 3);
  b.Canvas()->Brush()->SetColor(clTeal);
  b.Canvas()->FillRect(TRect(0, 0, 4, 3));
  b.SetPixel(3, 2, clYellow);

  // The handle comes free of the bitmap's own canvas, for the platform's use.
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(other, b.Handle());
  EXPECT_NE(old, nullptr);
  if (old) SelectObject(other, old);
  DeleteDC(other);

  TMemoryCanvas c(40, 40);
  c.Clear(clWhite);
  c.Draw(5, 6, &b);
  EXPECT_EQ(c.At(5, 6), clTeal);
  EXPECT_EQ(c.At(8, 8), clYellow);
  EXPECT_EQ(c.At(9, 8), clWhite);
  EXPECT_EQ(c.At(5, 9), clWhite);

  c.StretchDraw(TRect(20, 20, 28, 26), &b);
  EXPECT_EQ(c.At(20, 20), clTeal);
  EXPECT_EQ(c.At(26, 24), clYellow);
  EXPECT_EQ(c.At(27, 25), clYellow);
  EXPECT_EQ(c.At(28, 26), clWhite);

  TMemoryCanvas copy(4, 3);
  copy.CopyRect(TRect(0, 0, 4, 3), c, TRect(5, 6, 9, 9));
  EXPECT_EQ(copy.At(3, 2), clYellow);
  EXPECT_EQ(copy.At(0, 0), clTeal);

  // A pattern brush repeats the bitmap (a checkerboard here).
  TBitmap checker;
  checker.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) checker.SetPixel(x, y, (x + y) % 2 ? clBtnFace : clWhite);
  c.Brush()->SetBitmap(&checker);
  c.FillRect(TRect(0, 0, 16, 16));
  c.Brush()->SetBitmap(nullptr);
  EXPECT_EQ(c.At(0, 0), clWhite);
  EXPECT_EQ(c.At(1, 0), Sys(COLOR_BTNFACE));
  EXPECT_EQ(c.At(9, 14), Sys(COLOR_BTNFACE));
  EXPECT_EQ(c.At(15, 15), clWhite);
  EXPECT_EQ(CountColor(c, TRect(0, 0, 16, 16), clWhite), 128);

  // This program's MAINICON: red on its left half, blue on its right.
  TIcon icon;
  ASSERT_TRUE(icon.LoadMainIcon());
  EXPECT_NE(icon.Handle(), LoadIconA(nullptr, IDI_APPLICATION));
  c.Clear(clWhite);
  c.Draw(2, 2, &icon);
  EXPECT_EQ(c.At(2 + 3, 2 + 3), clRed);
  EXPECT_EQ(c.At(2 + 28, 2 + 28), clBlue);
  EXPECT_EQ(c.At(2 + 32, 2 + 32), clWhite);
}

TEST(Canvas, PaintingAThousandTimesLeaksNoGdiObjects) {
  HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 60, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(wnd, nullptr);
  TFont bold;
  bold.SetStyle(TFontStyles{fsBold});
  TBitmap picture;
  picture.SetSize(8, 8);

  auto paint = [&](int i) {
    HDC dc = GetDC(wnd);
    {
      TCanvas c;
      c.SetHandle(dc);
      c.SetFont(&bold);
      c.Font()->SetSize(8 + i % 5);
      c.Font()->SetColor(i % 2 ? clBtnText : clRed);
      c.Brush()->SetColor(static_cast<TColor>(i * 0x010203 & 0xFFFFFF));
      c.FillRect(TRect(0, 0, 200, 60));
      c.Pen()->SetColor(clBtnShadow);
      c.Rectangle(1, 1, 50, 20);
      TRect r(0, 0, 200, 60);
      DrawBevelFrame(c, r, clBtnHighlight, clBtnShadow, 2);
      c.Brush()->SetStyle(bsClear);
      c.TextOut(4, 4, "ORLO");
      c.DrawText("\x8F\xE3\x8F\x91\x82\xAB", r, DT_CENTER | DT_SINGLELINE);
      c.TextExtent("W");
      c.DrawFocusRect(r);
      c.Draw(60, 4, &picture);
    }
    ReleaseDC(wnd, dc);
    TMemoryCanvas m(16, 16);
    m.Brush()->SetColor(clBtnFace);
    m.FillRect(TRect(0, 0, 16, 16));
    m.TextOut(0, 0, "x");
    picture.Canvas()->Pen()->SetColor(static_cast<TColor>(i));
    picture.Canvas()->LineTo(i % 8, 7);
  };

  paint(0);  // first-use caches (default font, stock objects) settle here
  const char* method = "";
  int before = GdiObjectCount(&method);
  for (int i = 1; i <= 1000; ++i) paint(i);
  int after = GdiObjectCount();
  std::printf("GDI objects (%s): %d before, %d after 1000 paints\n", method, before, after);
  RecordProperty("gdi_before", before);
  RecordProperty("gdi_after", after);
  EXPECT_EQ(after, before);

  // The count does see objects: ten pens made are ten more.
  HPEN pens[10];
  for (HPEN& p : pens) p = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  EXPECT_EQ(GdiObjectCount(), after + 10);
  for (HPEN p : pens) DeleteObject(p);
  DestroyWindow(wnd);
}
