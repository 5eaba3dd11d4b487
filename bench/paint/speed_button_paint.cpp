// Repaint time of a 28 x 28 speed button with a 24 x 24 glyph, beside the
// floor measured in the same run: one bare DrawEdge and one BitBlt of the
// glyph on the same kind of surface. Each sample is one repaint; the two are
// measured in turn so that both see the same machine.
//
//   build/wine-run build/<arch>/bench/speed_button_paint_bench.exe [repaints]
#include <windows.h>

#include "paint_benches.h"
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics.h"
#include "speed_button.h"

using namespace orlo;

namespace {

// A 24 x 24, 8-bit picture with a 256-entry palette: a framed square on a
// background that is the lower-left pixel, as the main window's glyphs are.
std::string GlyphBmp() {
  const int w = 24, h = 24;
  const uint8_t palette[4][3] = {{0x55, 0xFF, 0x00}, {0, 0, 0}, {0x40, 0x40, 0xE0}, {0xFF, 0xFF, 0xFF}};
  std::string rows(static_cast<size_t>(w) * h, '\0');
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t i = 0;
      if (x >= 3 && y >= 3 && x <= 20 && y <= 20)
        i = (x == 3 || y == 3 || x == 20 || y == 20) ? 1 : (y == 10 ? 3 : 2);
      rows[static_cast<size_t>(h - 1 - y) * w + x] = static_cast<char>(i);
    }
  }
  std::string bmp;
  auto le = [&bmp](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bmp += static_cast<char>(v >> (8 * i));
  };
  const uint32_t offBits = 14 + 40 + 256 * 4;
  bmp += "BM";
  le(offBits + static_cast<uint32_t>(rows.size()), 4);
  le(0, 4);
  le(offBits, 4);
  le(40, 4);
  le(w, 4);
  le(h, 4);
  le(1, 2);
  le(8, 2);
  le(BI_RGB, 4);
  le(static_cast<uint32_t>(rows.size()), 4);
  le(2835, 4);
  le(2835, 4);
  le(256, 4);
  le(0, 4);
  for (int i = 0; i < 256; ++i) {
    const uint8_t* c = i < 4 ? palette[i] : palette[0];
    bmp += static_cast<char>(c[0]);
    bmp += static_cast<char>(c[1]);
    bmp += static_cast<char>(c[2]);
    bmp += '\0';
  }
  return bmp + rows;
}

double Ticks() {
  static const double perMicrosecond = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1e6;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / perMicrosecond;
}

struct TFigures {
  double median, p10, p90, min, max;
};

TFigures Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  auto at = [&v](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))]; };
  return TFigures{at(0.5), at(0.1), at(0.9), v.front(), v.back()};
}

void Print(const char* what, const TFigures& f) {
  std::printf("%-44s median %7.1f us   p10 %7.1f   p90 %7.1f   min %7.1f   max %8.1f\n", what,
              f.median, f.p10, f.p90, f.min, f.max);
}

}  // namespace

bool BenchSpeedButton() {
  const int repaints = 1000;
  TMemoryCanvas surface(28, 28);
  HDC dc = surface.Handle();

  TSpeedButton button(nullptr);
  button.SetBounds(0, 0, 28, 28);
  std::string bmp = GlyphBmp();
  button.Glyph()->LoadFromMemory(bmp.data(), bmp.size());
  // A held-down member of a group, for the second pair of figures.
  TSpeedButton held(nullptr);
  held.SetBounds(0, 0, 28, 28);
  held.Glyph()->LoadFromMemory(bmp.data(), bmp.size());
  held.SetGroupIndex(1);
  held.SetDown(true);

  // The floor's glyph: the same picture in a memory context of its own.
  TBitmap glyph;
  glyph.LoadFromMemory(bmp.data(), bmp.size());
  HDC glyphDc = glyph.Canvas()->Handle();

  // For the record: the platform's drawing of one image from an image list,
  // which the button's glyph goes through.
  HIMAGELIST list = ImageList_Create(24, 24, ILC_COLOR24 | ILC_MASK, 1, 1);
  ImageList_Add(list, glyph.Handle(), nullptr);
  glyphDc = glyph.Canvas()->Handle();

  auto floorPaint = [&] {
    RECT r{0, 0, 28, 28};
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    BitBlt(dc, 2, 2, 24, 24, glyphDc, 0, 0, SRCCOPY);
  };
  // Warm-up: fonts, brushes and the cached images are made once.
  for (int i = 0; i < 50; ++i) {
    floorPaint();
    button.PaintOn(dc);
    held.PaintOn(dc);
  }
  GdiFlush();

  std::vector<double> floorTimes, buttonTimes, heldTimes, listTimes;
  for (int i = 0; i < repaints; ++i) {
    double t0 = Ticks();
    floorPaint();
    GdiFlush();
    double t1 = Ticks();
    button.PaintOn(dc);
    GdiFlush();
    double t2 = Ticks();
    held.PaintOn(dc);
    GdiFlush();
    double t3 = Ticks();
    ImageList_Draw(list, 0, dc, 2, 2, ILD_NORMAL);
    GdiFlush();
    double t4 = Ticks();
    listTimes.push_back(t4 - t3);
    floorTimes.push_back(t1 - t0);
    buttonTimes.push_back(t2 - t1);
    heldTimes.push_back(t3 - t2);
  }

  TFigures floorF = Summarise(floorTimes);
  TFigures buttonF = Summarise(buttonTimes);
  TFigures heldF = Summarise(heldTimes);
  std::printf("%d repaints each, 28 x 28 with a 24 x 24 glyph\n", repaints);
  Print("floor: one DrawEdge + one BitBlt", floorF);
  Print("speed button, up", buttonF);
  Print("speed button, held down in a group", heldF);
  Print("(platform ImageList_Draw of one 24 x 24 image)", Summarise(listTimes));
  const double ratio = buttonF.median / floorF.median;
  const bool met = buttonF.median < 200.0 && ratio <= 1.5;
  std::printf("up repaint / floor: %.2f x (target: under 200 us and within 1.5 x): %s\n", ratio,
              met ? "met" : "NOT met");
  std::printf("held-down repaint / floor: %.2f x\n", heldF.median / floorF.median);
  ImageList_Destroy(list);
  return met;
}
