// What a bevelled frame should look like, worked out pixel by pixel from the
// rules of the platform's line drawing, not from the framework's routine:
// ring k goes from (left, bottom) up to (left, top), on to (right, top) in
// the top-left colour, then down to (right, bottom) and on to (left - 1,
// bottom) in the bottom-right colour, each line without its end point, with
// right and bottom inclusive and every side moved in by k.
#pragma once
#include <vector>

#include "graphics.h"

namespace orlo::testing_support {

class TPixelModel {
public:
  TPixelModel(int width, int height, TColor fill)
      : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  TColor At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void Set(int x, int y, TColor c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[static_cast<size_t>(y) * width_ + x] = c;
  }

  // W rings inside r (right and bottom exclusive); returns r shrunk by W.
  // Rings past the surface are skipped: they cannot touch it.
  TRect Frame(TRect r, TColor topLeft, TColor bottomRight, long long rings) {
    int l = r.Left, t = r.Top, rt = r.Right - 1, b = r.Bottom - 1;
    long long limit = width_ + height_ + (rt > b ? rt : b) + 4;
    for (long long k = 0; k < rings && k < limit; ++k) {
      int cx = l, cy = b;
      auto lineTo = [&](int x, int y, TColor c) {
        int dx = x > cx ? 1 : (x < cx ? -1 : 0), dy = y > cy ? 1 : (y < cy ? -1 : 0);
        while (cx != x || cy != y) {
          Set(cx, cy, c);
          cx += dx;
          cy += dy;
        }
      };
      lineTo(l, t, topLeft);
      lineTo(rt, t, topLeft);
      lineTo(rt, b, bottomRight);
      lineTo(l - 1, b, bottomRight);
      ++l, ++t, --rt, --b;
    }
    return TRect(static_cast<int>(r.Left + rings), static_cast<int>(r.Top + rings),
                 static_cast<int>(r.Right - rings), static_cast<int>(r.Bottom - rings));
  }

private:
  int width_;
  int height_;
  std::vector<TColor> pixels_;
};

// The first pixel where a painting differs from the model, as text; empty
// when every pixel agrees.
inline std::string FirstDifference(const TMemoryCanvas& c, const TPixelModel& m) {
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      if (c.At(x, y) != m.At(x, y)) {
        char text[96];
        wsprintfA(text, "(%d, %d): painted %06X, expected %06X", x, y,
                  static_cast<unsigned>(c.At(x, y)), static_cast<unsigned>(m.At(x, y)));
        return text;
      }
  return "";
}

}  // namespace orlo::testing_support
