// Hints: the small pop-up text shown when the pointer rests on a control
// whose ShowHint is on and whose Hint is not empty.
#pragma once
#include <windows.h>

#include <string>

#include "controls.h"

namespace orlo {

class TApplication;
struct THintInfo;

// The pop-up window that shows a hint.
class THintWindow : public TCustomControl {
  ORLO_CLASS(THintWindow)
public:
  explicit THintWindow(TComponent* owner);
  // The rectangle the text needs, wrapped at maxWidth, without "&" processing.
  virtual TRect CalcHintRect(int maxWidth, const std::string& hint);
  // Shows the text at rect (screen coordinates), kept on the screen, topmost,
  // without taking the activation.
  virtual void ActivateHint(TRect rect, const std::string& hint);
  void ReleaseHandleIfShown();
  bool IsHintMsg(const MSG& msg) const;
  void Paint() override;

protected:
  void CreateParams(TCreateParams& params) override;
  void Dispatch(TMessage& m) override;
};

// The application's hint state: the pending or shown hint, its timer and
// its window. All on the user-interface thread; the application's message
// loop feeds it, so no hook or watcher thread is needed.
class THintController {
public:
  explicit THintController(TApplication* app);
  ~THintController();

  void SetEnabled(bool on);            // hints on: the window exists
  void MouseMove(TControl* control, TMessage& m);
  void Idle(TControl* underMouse);     // cancels when nothing or the hint window is under the pointer
  void FilterMessage(const MSG& msg);  // keys, clicks, activation cancel a hint
  void Cancel();
  void ControlDestroyed(TControl* c);
  THintWindow* Window() const { return window_; }
  TControl* HintControl() const { return hint_control_; }
  bool HintActive() const { return hint_active_; }
  bool TimerRunning() const { return timer_id_ != 0; }

  // Timer expiry, as the platform timer calls it (tests call them too).
  void ShowNow();
  void HideNow();

private:
  enum class TimerMode { Show, Hide };
  void StartTimer(TimerMode mode, int interval);
  void StopTimer();
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

  TApplication* app_;
  THintWindow* window_ = nullptr;
  TControl* hint_control_ = nullptr;
  bool hint_active_ = false;
  TRect cursor_rect_;
  // A key or click cancels the hint until the pointer moves: the platform
  // may follow a click with a move to the same point (Wine 10 does).
  TControl* quiet_control_ = nullptr;
  POINT quiet_point_{};
  UINT_PTR timer_id_ = 0;
  TimerMode timer_mode_ = TimerMode::Show;
};

}  // namespace orlo
