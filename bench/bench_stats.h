// Medians and spreads of repeated timings, and the clock they are taken with.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace orlo::bench {

inline double NowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

struct Spread {
  double median = 0, low = 0, high = 0;  // median, 10th and 90th percentile
};

inline Spread SpreadOf(std::vector<double> v) {
  Spread s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  auto at = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5)]; };
  s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  s.low = at(0.1);
  s.high = at(0.9);
  return s;
}

// One line of the table: "name  ours  baseline  ratio".
inline void PrintRow(const char* name, const Spread& ours, const Spread& base, const char* unit) {
  std::printf("%-34s %9.2f %s [%.2f-%.2f]   %9.2f %s [%.2f-%.2f]   %.3f\n", name, ours.median, unit,
              ours.low, ours.high, base.median, unit, base.low, base.high,
              base.median > 0 ? ours.median / base.median : 0.0);
}

}  // namespace orlo::bench
