// Reading what was painted into a memory canvas.
#pragma once
#include "graphics.h"

namespace orlo::testing_support {

// Counts pixels of one colour inside a rectangle.
inline int CountColor(const TMemoryCanvas& c, const TRect& r, TColor color) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (c.At(x, y) == color) ++n;
  return n;
}

}  // namespace orlo::testing_support
