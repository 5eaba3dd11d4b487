#include "timers.h"

#include <map>

#include "class_builder.h"
#include "platform_boundary.h"

namespace orlo {

namespace {
// Never destroyed: timers owned by the application go away while static
// objects are released at the end of the program.
std::map<UINT_PTR, TTimer*>& ActiveTimers() {
  static auto* timers = new std::map<UINT_PTR, TTimer*>;
  return *timers;
}
}  // namespace

ORLO_DEFINE_CLASS(TTimer, TComponent) {
  p.Int("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000);
  p.Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true);
  p.Event("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
  BeginDestruction();
  enabled_ = false;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned v) {
  if (v == interval_) return;
  interval_ = v;
  UpdateTimer();
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent e) {
  on_timer_ = e;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (id_) {
    KillTimer(nullptr, id_);
    ActiveTimers().erase(id_);
    id_ = 0;
  }
  if (interval_ != 0 && enabled_ && on_timer_ && !Destroying()) {
    id_ = SetTimer(nullptr, 0, interval_, &TTimer::TimerProc);
    if (!id_) {
      enabled_ = false;
      throw EOutOfResources(res::SNoTimers);
    }
    ActiveTimers()[id_] = this;
  }
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = ActiveTimers().find(id);
  if (it == ActiveTimers().end()) return;
  try {
    it->second->Timer();
  } catch (...) {
    HandleBoundaryException();
  }
}

void TTimer::Timer() {
  if (on_timer_) on_timer_(this);
}

}  // namespace orlo
