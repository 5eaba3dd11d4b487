#include "hints.h"

#include "application.h"
#include "class_builder.h"
#include "platform_boundary.h"

namespace orlo {

// ---------------------------------------------------------------------------
// THintWindow

ORLO_DEFINE_CLASS(THintWindow, TCustomControl) {}

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetVisible(false);
  SetEnabled(false);
  SetColor(static_cast<TColor>(0x80FFFF));
  SetParentColor(false);
  SetParentFont(false);
  // The status-bar font of the non-client metrics, else the default font.
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof(ncm);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
    Font()->SetLogFont(ncm.lfStatusFont);
  } else {
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(DefaultFont().Height);
  }
  Font()->SetColor(clInfoText);
  Canvas()->Brush()->SetStyle(bsClear);
}

void THintWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER | WS_DISABLED;
  p.ClassStyle |= CS_SAVEBITS;
  p.ExStyle |= WS_EX_TOOLWINDOW;
  p.WndParent = Application->Handle();
}

TRect THintWindow::CalcHintRect(int maxWidth, const std::string& hint) {
  TScreenCanvas canvas;
  canvas.SetFont(Font());
  TRect r(0, 0, maxWidth, 0);
  canvas.DrawText(hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect rect, const std::string& hint) {
  SetControlText(hint);
  HandleNeeded();
  int w = rect.Width();
  int h = rect.Height();
  int sw = GetSystemMetrics(SM_CXSCREEN);
  int sh = GetSystemMetrics(SM_CYSCREEN);
  if (rect.Top + h > sh) rect.Top = sh - h;
  if (rect.Left + w > sw) rect.Left = sw - w;
  if (rect.Left < 0) rect.Left = 0;
  if (rect.Top < 0) rect.Top = 0;
  left_ = rect.Left;
  top_ = rect.Top;
  width_ = w;
  height_ = h;
  SetWindowTextA(handle_, hint.c_str());
  SetWindowPos(handle_, HWND_TOPMOST, rect.Left, rect.Top, w, h, SWP_NOACTIVATE);
  ShowWindow(handle_, SW_SHOWNOACTIVATE);
  Invalidate();
  Update();
}

void THintWindow::ReleaseHandleIfShown() {
  if (HandleAllocated() && IsWindowVisible(handle_)) ShowWindow(handle_, SW_HIDE);
}

bool THintWindow::IsHintMsg(const MSG& msg) const {
  UINT m = msg.message;
  return IsKeyMessage(m) || m == CM_ACTIVATE || m == CM_DEACTIVATE || m == CM_APPKEYDOWN ||
         m == CM_APPSYSCOMMAND || m == WM_COMMAND || IsMouseButtonMessage(m) ||
         m == WM_NCMOUSEMOVE;
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  r.Left += 1;
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->SetFont(Font());
  Canvas()->Font()->SetColor(clInfoText);
  Canvas()->DrawText(GetText(), r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

void THintWindow::Dispatch(TMessage& m) {
  if (m.Msg == WM_NCHITTEST) {
    m.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::Dispatch(m);
}

// ---------------------------------------------------------------------------
// THintController

namespace {
THintController* g_timer_owner = nullptr;

std::string ShortHint(const std::string& hint) {
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

bool OurWindowIsActive() {
  HWND active = GetActiveWindow();
  if (!active) return false;
  DWORD pid = 0;
  return GetWindowThreadProcessId(active, &pid) == GetCurrentThreadId();
}
}  // namespace

THintController::THintController(TApplication* app) : app_(app) {}

THintController::~THintController() {
  StopTimer();
  delete window_;
}

void THintController::SetEnabled(bool on) {
  if (on && !window_) {
    window_ = new THintWindow(nullptr);
    window_->SetColor(app_->HintColor());
  } else if (!on && window_) {
    Cancel();
    delete window_;
    window_ = nullptr;
  }
}

void THintController::StartTimer(TimerMode mode, int interval) {
  StopTimer();
  timer_mode_ = mode;
  timer_id_ = SetTimer(nullptr, 0, static_cast<UINT>(interval), &THintController::TimerProc);
  if (!timer_id_) {
    Cancel();
    return;
  }
  g_timer_owner = this;
}

void THintController::StopTimer() {
  if (timer_id_) {
    KillTimer(nullptr, timer_id_);
    timer_id_ = 0;
  }
}

void CALLBACK THintController::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  THintController* c = g_timer_owner;
  if (!c || c->timer_id_ != id) {
    KillTimer(nullptr, id);
    return;
  }
  try {
    if (c->timer_mode_ == TimerMode::Show)
      c->ShowNow();
    else
      c->HideNow();
  } catch (...) {
    HandleBoundaryException();
  }
}

void THintController::MouseMove(TControl* control, TMessage& m) {
  if (!window_) return;
  POINT pt;
  GetCursorPos(&pt);
  TControl* under = FindControlAt(TPoint(pt.x, pt.y), true);
  if (!under || !under->ShowHint()) {
    Cancel();
    return;
  }
  if (under == hint_control_ && cursor_rect_.Contains(TPoint(pt.x, pt.y))) return;
  if (under == quiet_control_ && pt.x == quiet_point_.x && pt.y == quiet_point_.y) return;
  quiet_control_ = nullptr;
  int pause = hint_active_ ? app_->HintShortPause() : app_->HintPause();
  bool wasActive = hint_active_;
  Cancel();
  hint_active_ = wasActive;
  hint_control_ = under;
  // The cursor rectangle is set only once the hint shows: until then every
  // move over the control starts the pause again.
  cursor_rect_ = TRect();
  StartTimer(TimerMode::Show, pause);
}

void THintController::ShowNow() {
  StopTimer();
  hint_active_ = false;
  if (!app_->ShowHint() || !hint_control_ || !window_ || !OurWindowIsActive()) {
    Cancel();
    return;
  }
  POINT pt;
  GetCursorPos(&pt);
  THintInfo info;
  info.HintControl = hint_control_;
  info.CursorPos = hint_control_->ScreenToClient(TPoint(pt.x, pt.y));
  TPoint origin = hint_control_->ClientOrigin();
  info.HintPos = TPoint(origin.X, origin.Y + hint_control_->Height() + 6);
  info.HintMaxWidth = GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = app_->HintColor();
  info.CursorRect = hint_control_->ClientRect();
  info.HintStr = ShortHint(hint_control_->Hint());
  bool canShow = hint_control_->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && app_->OnShowHint) app_->OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) {
    Cancel();
    return;
  }
  TRect r = window_->CalcHintRect(info.HintMaxWidth, info.HintStr);
  r.Offset(info.HintPos.X, info.HintPos.Y);
  TPoint tl = hint_control_->ClientToScreen(TPoint(info.CursorRect.Left, info.CursorRect.Top));
  cursor_rect_ = TRect(tl.X, tl.Y, tl.X + info.CursorRect.Width(), tl.Y + info.CursorRect.Height());
  window_->SetColor(info.HintColor);
  window_->ActivateHint(r, info.HintStr);
  StartTimer(TimerMode::Hide, app_->HintHidePause());
  hint_active_ = true;
}

void THintController::HideNow() {
  StopTimer();
  if (window_) window_->ReleaseHandleIfShown();
}

void THintController::Idle(TControl* underMouse) {
  if (!window_) return;
  if (!underMouse || underMouse == window_) Cancel();
}

void THintController::FilterMessage(const MSG& msg) {
  if (!window_ || !window_->IsHintMsg(msg) || !hint_control_) return;
  quiet_control_ = hint_control_;
  GetCursorPos(&quiet_point_);
  Cancel();
}

void THintController::Cancel() {
  if (!hint_control_) return;
  HideNow();
  hint_control_ = nullptr;
  hint_active_ = false;
  StopTimer();
}

void THintController::ControlDestroyed(TControl* c) {
  if (c == quiet_control_) quiet_control_ = nullptr;
  if (c == hint_control_) Cancel();
}

}  // namespace orlo
