// Repaint cost of the main window's title band: a 377 x 57 gradient box,
// top to bottom, with a two-pixel extruded caption, painted 1,000 times into
// an off-screen surface. Beside it, in the same run and on the same surface,
// the floor: the 256 band fills alone as bare FillRect calls with brushes made
// beforehand. A second reference adds the caption's own platform calls to the
// floor (selecting the font and three DrawTextA passes), which the box cannot
// do without. Prints the median and spread of each in microseconds.
#include <windows.h>

#include "paint_benches.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "grad_box.h"
#include "graphics.h"

using namespace orlo;

namespace {

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 /
         static_cast<double>(frequency.QuadPart);
}

struct Spread {
  double median, p10, p90, min, max;
};

Spread SpreadOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  auto at = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))]; };
  return {at(0.5), at(0.1), at(0.9), v.front(), v.back()};
}

void Print(const char* what, const Spread& s) {
  std::printf("%-34s median %8.1f us   p10 %8.1f   p90 %8.1f   min %8.1f   max %8.1f\n", what,
              s.median, s.p10, s.p90, s.min, s.max);
}

}  // namespace

bool BenchGradBox() {
  constexpr int kWidth = 377, kHeight = 57, kRuns = 1000, kWarmUp = 50;

  TGradBox box(nullptr);
  box.SetBounds(0, 0, kWidth, kHeight);
  box.SetTopColor(clBlue);
  box.SetLastColor(clWhite);
  box.SetGradStyle(gsTopBottom);
  box.SetCaptionTop(4);
  box.SetFont3D(true);
  box.SetFontDepth(2);
  box.SetStyle3D(fsLow3D);
  box.SetBackFont(clBlack);
  box.Font()->SetName("Arial");
  box.Font()->SetCharset(ANSI_CHARSET);
  box.Font()->SetHeight(-19);
  box.Font()->SetStyle({fsBold});
  box.Font()->SetColor(clWhite);
  box.SetCaption("ORLO COPY&&MOVE");

  TMemoryCanvas surface(kWidth, kHeight);
  HDC dc = surface.Handle();

  // The floor's fills: the same rectangles in the same colours.
  std::vector<HBRUSH> brushes;
  std::vector<RECT> rects;
  {
    box.PaintOn(dc);  // builds the table
    const long double step = static_cast<long double>(kHeight) / 255;
    const int band = static_cast<int>(step + 1.0L);
    int top = 0;
    for (int k = 0; k < 256; ++k) {
      brushes.push_back(CreateSolidBrush(ColorToRGB(box.GradTable()[static_cast<size_t>(k)])));
      rects.push_back(RECT{0, top, kWidth, top + band});
      top = static_cast<int>(static_cast<long double>(k) * step);
    }
  }

  LOGFONTA logFont = box.Font()->LogFont();
  HFONT font = CreateFontIndirectA(&logFont);
  const std::string caption = box.Caption();
  auto barePaint = [&] {
    for (int k = 0; k < 256; ++k) FillRect(dc, &rects[static_cast<size_t>(k)], brushes[static_cast<size_t>(k)]);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const COLORREF colors[] = {RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255)};
    for (int pass = 0; pass < 3; ++pass) {
      int d = pass == 2 ? 0 : pass + 1;
      RECT r{10 + d, 4 + d, kWidth + d, kHeight + d};
      SetTextColor(dc, colors[pass]);
      DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &r, DT_WORDBREAK | DT_EXPANDTABS);
    }
    SelectObject(dc, oldFont);
  };

  LARGE_INTEGER frequency, t0, t1, t2, t3;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> boxTimes, floorTimes, bareTimes;
  for (int i = 0; i < kWarmUp + kRuns; ++i) {
    // Alternating, so both see the same machine load.
    QueryPerformanceCounter(&t0);
    box.PaintOn(dc);
    QueryPerformanceCounter(&t1);
    for (int k = 0; k < 256; ++k) FillRect(dc, &rects[static_cast<size_t>(k)], brushes[static_cast<size_t>(k)]);
    QueryPerformanceCounter(&t2);
    barePaint();
    QueryPerformanceCounter(&t3);
    if (i < kWarmUp) continue;
    boxTimes.push_back(Microseconds(t0, t1, frequency));
    floorTimes.push_back(Microseconds(t1, t2, frequency));
    bareTimes.push_back(Microseconds(t2, t3, frequency));
  }
  for (HBRUSH b : brushes) DeleteObject(b);
  DeleteObject(font);

  Spread boxSpread = SpreadOf(boxTimes), floorSpread = SpreadOf(floorTimes);
  Spread bareSpread = SpreadOf(bareTimes);
  std::printf("%d repaints, %d x %d, gsTopBottom, fsLow3D caption of depth 2\n", kRuns, kWidth,
              kHeight);
  Print("gradient box repaint", boxSpread);
  Print("floor: 256 bare FillRect calls", floorSpread);
  Print("floor + font + 3 bare DrawTextA", bareSpread);
  std::printf("box / floor %.2f (target 1.5 or less); box / floor with caption %.2f; "
              "box median %s 200 us\n",
              boxSpread.median / floorSpread.median, boxSpread.median / bareSpread.median,
              boxSpread.median < 200.0 ? "under" : "over");
  return true;
}
