// The repaint benchmarks of the three custom-painted controls, each beside
// the bare platform calls it cannot do without (its floor), measured in one
// run. Each prints its figures and returns whether it met its target.
#pragma once

bool BenchGradBox();
bool BenchCuteButton();
bool BenchSpeedButton();
