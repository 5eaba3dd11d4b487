// Stamps of one start, taken with the benchmarks' clock and printed as a
// timeline: the time since the process was created, then one line per step
// with its offset from that creation and its own length. Used by the
// program's timeline and by the bare window's, so both read the same way.
#pragma once
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench_stats.h"

namespace orlo::bench {

// How long ago the process was created, from the system's clock: the loader,
// the libraries' start-up and the static objects all run before the entry.
inline double MsSinceProcessCreated() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  auto ticks = [](const FILETIME& f) {
    return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

class Timeline {
public:
  // Taken at the entry, which is the first stamp.
  Timeline() : since_creation_(MsSinceProcessCreated()) { Stamp("entry"); }

  void Stamp(const char* what) { marks_.push_back(Mark{what, NowMs()}); }

  void Print() const {
    const double entry = marks_.front().at;
    std::printf("%-42s %8.2f ms\n", "process created -> entry", since_creation_);
    double previous = entry;
    for (const Mark& m : marks_) {
      std::printf("%-42s %8.2f ms  (+%.2f)\n", m.what, since_creation_ + (m.at - entry), m.at - previous);
      previous = m.at;
    }
    std::fflush(stdout);
  }

private:
  struct Mark {
    const char* what;
    double at;
  };
  double since_creation_;
  std::vector<Mark> marks_;
};

// The first paint is done when no message is left to handle.
inline void DrainMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace orlo::bench
