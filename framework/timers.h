// The timer component: OnTimer every Interval milliseconds while enabled.
#pragma once
#include <windows.h>

#include "components.h"

namespace orlo {

class TTimer : public TComponent {
  ORLO_CLASS(TTimer)
public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  TNotifyEvent OnTimer() const { return on_timer_; }
  // Assigning the handler can start the platform timer.
  void SetOnTimer(TNotifyEvent e);
  bool Running() const { return id_ != 0; }

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

  unsigned interval_ = 1000;
  bool enabled_ = true;
  TNotifyEvent on_timer_;
  UINT_PTR id_ = 0;
};

}  // namespace orlo
