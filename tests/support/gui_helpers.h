// Helpers for tests that drive real windows through the message loop.
#pragma once
#include <windows.h>

#include <functional>
#include <ostream>

#include "application.h"

namespace orlo {
// Rectangles in test messages as (left, top, right, bottom).
inline void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}
}  // namespace orlo

namespace orlo::testing_support {

// Handles messages until pred() holds or ms milliseconds pass; true when it held.
inline bool PumpUntil(const std::function<bool()>& pred, DWORD ms = 3000) {
  DWORD start = GetTickCount();
  while (!pred()) {
    Application->ProcessMessages();
    if (pred()) return true;
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

inline void PumpFor(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

}  // namespace orlo::testing_support
