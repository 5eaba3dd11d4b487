#include "application.h"

#include <cstdlib>
#include <memory>

#include "class_builder.h"
#include "hints.h"
#include "paths.h"
#include "platform_boundary.h"

namespace orlo {

ORLO_DEFINE_CLASS(TApplication, TComponent) {}

const TApplicationRef Application;

namespace {
std::unique_ptr<TApplication>& Instance() {
  static std::unique_ptr<TApplication> app;
  return app;
}

TInitProc g_init_proc = nullptr;

// The exit procedure Run registers: when the program ends, the forms and the
// other components of the application are released while the application is
// still whole, its hints already off and its owned windows hidden. The
// application window goes later, with the application object.
void ReleaseApplicationComponents() {
  if (!TApplicationRef::Exists()) return;
  TApplication* app = Application.Get();
  try {
    if (app->HandleAllocated()) ShowOwnedPopups(app->Handle(), FALSE);
    app->SetShowHint(false);
    while (app->ComponentCount() > 0) app->Components(app->ComponentCount() - 1)->Free();
  } catch (...) {
    // Nothing can be reported any more; the rest goes with the application.
  }
}

}  // namespace

TInitProc SetInitProc(TInitProc proc) {
  TInitProc old = g_init_proc;
  g_init_proc = proc;
  return old;
}

std::string TitleFromModuleName(const std::string& path) {
  std::string name = NamePart(path);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  // The first character stays as it is (it may be a double-byte one).
  bool first = true;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsDBCSLeadByte(c)) {
      ++i;
    } else if (!first && c >= 'A' && c <= 'Z') {
      name[i] = static_cast<char>(c - 'A' + 'a');
    }
    first = false;
  }
  return name;
}

TApplication* TApplicationRef::Get() {
  auto& app = Instance();
  if (!app) app.reset(new TApplication(nullptr));
  return app.get();
}

bool TApplicationRef::Exists() { return Instance() != nullptr; }

LRESULT CALLBACK ApplicationWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (!TApplicationRef::Exists()) return DefWindowProcA(h, msg, w, l);
  TApplication* app = Application.Get();
  if (!app->handle_) app->handle_ = h;
  TMessage m{msg, w, l, 0};
  try {
    app->AppWndProc(m);
  } catch (...) {
    HandleBoundaryException();
  }
  return m.Result;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  title_ = TitleFromModuleName(path);
  hints_ = std::make_unique<THintController>(this);
  SetBoundaryExceptionHandler([](std::exception_ptr e) {
    if (TApplicationRef::Exists()) Application->HandleException(nullptr, e);
  });
  SetShowHint(true);
}

TApplication::~TApplication() {
  BeginDestruction();
  hints_.reset();
  // The forms go first, while the application window still owns them.
  while (ComponentCount() > 0) Components(ComponentCount() - 1)->Free();
  main_form_ = nullptr;
  SetBoundaryExceptionHandler(nullptr);
  if (handle_) {
    HWND h = handle_;
    handle_ = nullptr;
    DestroyWindow(h);
  }
}

void TApplication::Initialize() {
  if (g_init_proc) g_init_proc();
}

HICON TApplication::Icon() {
  if (!icon_) {
    icon_ = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    if (!icon_) icon_ = LoadIconA(nullptr, IDI_APPLICATION);
  }
  return icon_;
}

HWND TApplication::Handle() {
  if (handle_) return handle_;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(inst, "TApplication", &wc)) {
    wc.lpfnWndProc = ApplicationWindowProc;
    wc.hInstance = inst;
    wc.hIcon = Icon();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "TApplication";
    if (!RegisterClassA(&wc)) throw EOutOfResources(res::SWindowClass);
  }
  // A zero-sized window at the screen's centre: only its task-bar button shows.
  HWND h = CreateWindowExA(0, "TApplication", title_.c_str(),
                           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                           GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                           nullptr, nullptr, inst, nullptr);
  if (!h) throw EOutOfResources(res::SWindowClass);
  handle_ = h;
  SendMessageA(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon()));
  HMENU menu = GetSystemMenu(h, FALSE);
  DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
  // Shown without taking the activation: the main form takes it when it is
  // shown, and activating this window first would only hand it on again.
  ShowWindow(h, SW_SHOWNOACTIVATE);
  return h;
}

void TApplication::SetTitle(const std::string& v) {
  title_ = v;
  if (handle_) SetWindowTextA(handle_, v.c_str());
}

void TApplication::AppWndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE:
      if (main_form_) main_form_->Close();
      return;
    case WM_SYSCOMMAND:
      if ((m.WParam & 0xFFF0) == SC_RESTORE && main_form_ && main_form_->HandleAllocated()) {
        ShowWindow(main_form_->Handle(), SW_RESTORE);
        SetActiveWindow(main_form_->Handle());
        return;
      }
      break;
    case WM_ACTIVATEAPP:
      if (!m.WParam) CancelHint();
      break;
    case WM_ENDSESSION:
      // The main form hears of it first: the process may be ended as soon
      // as this returns, so what it keeps must be written now.
      if (m.WParam) {
        if (main_form_ && main_form_->HandleAllocated())
          main_form_->Perform(WM_ENDSESSION, m.WParam, m.LParam);
        Terminate();
      }
      return;
    case WM_SETFOCUS:
      // The task-bar button activates the application window: hand the
      // activation to the main form.
      if (main_form_ && main_form_->HandleAllocated() && IsWindowVisible(main_form_->Handle()) &&
          IsWindowEnabled(main_form_->Handle())) {
        SetFocus(main_form_->Handle());
        return;
      }
      break;
    default:
      break;
  }
  m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

void TApplication::Run() {
  running_ = true;
  struct Reset {
    bool& r;
    ~Reset() { r = false; }
  } reset{running_};
  static const bool exitProcedureRegistered = std::atexit(ReleaseApplicationComponents) == 0;
  (void)exitProcedureRegistered;
  if (!main_form_) return;
  if (show_main_form_) main_form_->Show();
  do {
    HandleMessage();
  } while (!terminated_);
}

void TApplication::HandleMessage() {
  MSG msg;
  bool had = false;
  try {
    had = ProcessMessage(msg);
  } catch (...) {
    HandleException(this);
    return;
  }
  if (!had && DoIdle()) WaitMessage();
}

void TApplication::ProcessMessages() {
  MSG msg;
  for (;;) {
    bool had;
    try {
      had = ProcessMessage(msg);
    } catch (...) {
      HandleException(this);
      continue;
    }
    if (!had) break;
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  // A message for a window that holds any text (a wide edit) is taken and
  // dispatched in UTF-16, so that a typed character the code page lacks
  // arrives as it is; every other message goes through the code page.
  MSG next;
  if (!PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE)) return false;
  const bool wide = next.hwnd && IsWindowUnicode(next.hwnd);
  if (wide) {
    if (!PeekMessageW(&msg, next.hwnd, next.message, next.message, PM_REMOVE)) return false;
  } else if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    return false;
  }
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(msg, handled);
  IsHintMsg(msg);  // looks, never takes
  if (handled) return true;
  if (IsKeyMsg(msg)) return true;
  if (dialog_handle_ && (wide ? IsDialogMessageW : IsDialogMessageA)(dialog_handle_, &msg)) return true;
  TranslateMessage(&msg);
  if (wide) DispatchMessageW(&msg);
  else DispatchMessageA(&msg);
  return true;
}

bool TApplication::IsHintMsg(MSG& msg) {
  if (hints_) hints_->FilterMessage(msg);
  return false;
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (!IsKeyMessage(msg.message)) return false;
  if (GetCapture()) return false;
  HWND target = msg.hwnd;
  // A key for a child window inside one of ours goes to ours; the walk stops
  // at a top-level window (a foreign dialog owned by ours is not ours).
  while (target && !FindControl(target) && (GetWindowLongPtrA(target, GWL_STYLE) & WS_CHILD))
    target = GetParent(target);
  if (!target || !FindControl(target)) return false;
  return SendMessageA(target, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::DoIdle() {
  bool done = true;
  try {
    DoMouseIdle();
    if (hints_) hints_->Idle(mouse_control_);
    if (OnIdle) OnIdle(this, done);
  } catch (...) {
    HandleException(this);
  }
  return done;
}

void TApplication::DoMouseIdle() {
  POINT pt;
  GetCursorPos(&pt);
  TControl* now = FindControlAt(TPoint(pt.x, pt.y), true);
  if (now != mouse_control_) {
    TControl* before = mouse_control_;
    mouse_control_ = now;
    TControl* cap = CaptureControl();
    if (before && (!cap || cap == before)) before->Perform(CM_MOUSELEAVE);
    if (now && mouse_control_ == now && (!cap || cap == now)) now->Perform(CM_MOUSEENTER);
  }
  // The long hint (after "|") of the control under the pointer.
  std::string longHint;
  if (mouse_control_) {
    const std::string& h = mouse_control_->Hint();
    size_t bar = h.find('|');
    longHint = bar == std::string::npos ? h : h.substr(bar + 1);
  }
  SetHint(longHint);
}

void TApplication::SetHint(const std::string& v) {
  if (v == hint_) return;
  hint_ = v;
  if (OnHint) OnHint(this);
}

void TApplication::ControlDestroyed(TControl* c) {
  if (mouse_control_ == c) mouse_control_ = nullptr;
  if (main_form_ == c) main_form_ = nullptr;
  if (hints_) hints_->ControlDestroyed(c);
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* sender) {
  HandleException(sender, std::current_exception());
}

void TApplication::HandleException(TObject* sender, std::exception_ptr e) {
  if (!e) return;
  if (HWND cap = GetCapture()) SendMessageA(cap, WM_CANCELMODE, 0, 0);
  try {
    std::rethrow_exception(e);
  } catch (const EAbort&) {
    return;
  } catch (const Exception& ex) {
    if (OnException) {
      OnException(sender, e);
      return;
    }
    ShowException(ex.Message());
  } catch (const std::exception& ex) {
    // Not one of ours: the runtime's own words.
    MessageBox(ex.what(), title_, MB_OK | MB_ICONSTOP);
  } catch (...) {
    MessageBox("Unknown exception", title_, MB_OK | MB_ICONSTOP);
  }
}

void TApplication::ShowException(const std::string& message) {
  MessageBox(message + ".", title_, MB_OK | MB_ICONSTOP);
}

void ShowExceptionBox(const std::string& message) { Application->ShowException(message); }

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = Handle();
  HWND active = GetActiveWindow();
  std::vector<HWND> disabled = DisableTaskWindows(owner);
  int result = ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
  EnableTaskWindows(disabled);
  if (active && IsWindow(active)) SetActiveWindow(active);
  return result;
}

void TApplication::SetShowHint(bool v) {
  show_hint_ = v;
  if (hints_) hints_->SetEnabled(v);
}

void TApplication::CancelHint() {
  if (hints_) hints_->Cancel();
}

void TApplication::HintMouseMessage(TControl* control, TMessage& m) {
  if (hints_) hints_->MouseMove(control, m);
}

THintWindow* TApplication::HintWindowObject() const { return hints_ ? hints_->Window() : nullptr; }

}  // namespace orlo
