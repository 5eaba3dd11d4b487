// The platform's message boxes of this thread, found from a timer while one
// is up, read, and answered with OK.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace orlo::testing_support {

struct TMessageBoxSeen {
  int Count = 0;  // boxes answered
  std::string Caption;
  std::string Text;
  HICON Icon = nullptr;
  HWND Owner = nullptr;
  int Buttons = 0;
};

namespace detail {
inline TMessageBoxSeen g_box_seen;

inline BOOL CALLBACK CollectBoxChild(HWND child, LPARAM) {
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) {
    if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      g_box_seen.Icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    } else {
      char text[512] = {};
      GetWindowTextA(child, text, sizeof text);
      if (text[0]) g_box_seen.Text = text;
    }
  } else if (lstrcmpiA(cls, "Button") == 0) {
    ++g_box_seen.Buttons;
  }
  return TRUE;
}

inline BOOL CALLBACK FindBox(HWND h, LPARAM found) {
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(h)) {
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
  }
  return TRUE;
}

inline void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
  if (!box || GetPropA(box, "OrloAnswered")) return;
  SetPropA(box, "OrloAnswered", box);
  ++g_box_seen.Count;
  g_box_seen.Text.clear();
  g_box_seen.Buttons = 0;
  g_box_seen.Icon = nullptr;
  char caption[256] = {};
  GetWindowTextA(box, caption, sizeof caption);
  g_box_seen.Caption = caption;
  g_box_seen.Owner = GetWindow(box, GW_OWNER);
  EnumChildWindows(box, CollectBoxChild, 0);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}
}  // namespace detail

// Runs action while every message box it shows is read and answered; the
// last one answered is described in the result.
inline TMessageBoxSeen WatchMessageBoxes(const std::function<void()>& action) {
  detail::g_box_seen = TMessageBoxSeen();
  UINT_PTR timer = SetTimer(nullptr, 0, 50, detail::AnswerBox);
  try {
    action();
  } catch (...) {
    KillTimer(nullptr, timer);
    throw;
  }
  KillTimer(nullptr, timer);
  return detail::g_box_seen;
}

}  // namespace orlo::testing_support
