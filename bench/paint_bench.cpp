// Repaint cost of the gradient box, the cute button and the speed button,
// 1,000 repaints each, with the floor of each measured in the same run.
#include <cstdio>

#include "paint/paint_benches.h"

int main() {
  std::printf("-- gradient box, 377 x 57, top to bottom, 3D caption --\n");
  BenchGradBox();
  std::printf("\n-- cute button, 89 x 25 --\n");
  BenchCuteButton();
  std::printf("\n-- speed button, 28 x 28 with its 24 x 24 glyph --\n");
  BenchSpeedButton();
  return 0;
}
