#include "forms.h"

#include <algorithm>

#include "application.h"
#include "class_builder.h"
#include "description_reader.h"
#include "streams.h"

namespace orlo {

const TEnumNames& PositionNames() {
  static const TEnumNames n{"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                            "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                            "poOwnerFormCenter"};
  return n;
}
const TEnumNames& BorderIconNames() {
  static const TEnumNames n{"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
  return n;
}
const TEnumNames& FormBorderStyleNames() {
  static const TEnumNames n{"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
                            "bsSizeToolWin"};
  return n;
}

namespace {
TScreen g_screen;

struct TaskWindows {
  HWND except;
  std::vector<HWND> list;
};

BOOL CALLBACK GatherTaskWindow(HWND h, LPARAM l) {
  auto* g = reinterpret_cast<TaskWindows*>(l);
  try {
    if (h != g->except && IsWindowVisible(h) && IsWindowEnabled(h)) g->list.push_back(h);
  } catch (...) {
    return FALSE;  // out of memory: the windows gathered so far are disabled
  }
  return TRUE;
}
}  // namespace

std::vector<HWND> DisableTaskWindows(HWND except) {
  TaskWindows g{except, {}};
  EnumThreadWindows(GetCurrentThreadId(), GatherTaskWindow, reinterpret_cast<LPARAM>(&g));
  for (HWND h : g.list) EnableWindow(h, FALSE);
  return g.list;
}

void EnableTaskWindows(const std::vector<HWND>& list) {
  for (HWND h : list)
    if (IsWindow(h)) EnableWindow(h, TRUE);
}
TScreen* const Screen = &g_screen;

// References of the form "Form2.Edit1" in descriptions find other forms by name.
static const bool g_forms_finder_installed = [] {
  SetFindGlobalComponent([](const std::string& name) -> TComponent* {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (SameTextAscii(Screen->Forms(i)->Name(), name)) return Screen->Forms(i);
    return nullptr;
  });
  return true;
}();

int TScreen::PixelsPerInch() const { return ScreenPixelsPerInch(); }

HCURSOR TScreen::CursorHandle(int cursor) const {
  LPCSTR id = IDC_ARROW;
  switch (cursor) {
    case -3: id = IDC_CROSS; break;
    case -4: id = IDC_IBEAM; break;
    case -6: id = IDC_SIZENESW; break;
    case -7: id = IDC_SIZENS; break;
    case -8: id = IDC_SIZENWSE; break;
    case -9: id = IDC_SIZEWE; break;
    case -10: id = IDC_UPARROW; break;
    case -11: id = IDC_WAIT; break;
    case -18: id = IDC_NO; break;
    case -19: id = IDC_APPSTARTING; break;
    case -20: id = IDC_HELP; break;
    case -21: id = IDC_HAND; break;
    case -22: id = IDC_SIZEALL; break;
    case -1: return nullptr;
    default: break;
  }
  return LoadCursorA(nullptr, id);
}

TCustomForm* TScreen::ActiveForm() const {
  HWND active = GetActiveWindow();
  for (TCustomForm* f : forms_)
    if (f->HandleAllocated() && f->Handle() == active) return f;
  return nullptr;
}

// ---------------------------------------------------------------------------

ORLO_DEFINE_CLASS(TCustomForm, TWinControl) {
  p.Component("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
  p.Set("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons, BorderIconNames(),
        (1 << biSystemMenu) | (1 << biMinimize) | (1 << biMaximize));
  p.Enum("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle,
         FormBorderStyleNames(), bsSizeable);
  p.Int("ClientWidth", &TCustomForm::FormClientWidth, &TCustomForm::SetFormClientWidth);
  p.Int("ClientHeight", &TCustomForm::FormClientHeight, &TCustomForm::SetFormClientHeight);
  p.Bool("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false);
  p.Enum("Position", &TCustomForm::Position, &TCustomForm::SetPosition, PositionNames(), poDesigned);
  p.Event("OnCreate", &TCustomForm::OnCreate);
  p.Event("OnDestroy", &TCustomForm::OnDestroy);
  p.Event("OnShow", &TCustomForm::OnShow);
  p.Event("OnHide", &TCustomForm::OnHide);
  p.Event("OnActivate", &TCustomForm::OnActivate);
  p.Event("OnDeactivate", &TCustomForm::OnDeactivate);
  p.Event("OnClose", &TCustomForm::OnClose);
  p.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
}

ORLO_DEFINE_CLASS(TForm, TCustomForm) {}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(ControlStyle() | csAcceptsControls);
  SetVisible(false);
  // A new form is 320 x 240 in the framework's default font, on a button-face
  // background.
  width_ = 320;
  height_ = 240;
  SetColor(clBtnFace);
  SetParentColor(false);
  SetParentFont(false);
  Screen->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  BeginDestruction();
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  auto& forms = Screen->forms_;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void TCustomForm::AfterConstruction() {
  std::string name = UpperCaseAscii(ClassName());
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (FindResourceA(inst, name.c_str(), MAKEINTRESOURCEA(10))) {
    TResourceStream stream(inst, name, MAKEINTRESOURCEA(10));
    ReadDescription(stream);
  }
  DoCreate();
}

void TCustomForm::ReadDescription(TStream& stream) {
  TReader reader(stream);
  reader.ReadRootComponent(this);
  ScaleAfterReading();
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (active_control_ && !active_control_->Parent()) active_control_ = nullptr;
}

bool TCustomForm::ReadDefinedProperty(const std::string& name, TReader& reader) {
  if (SameTextAscii(name, "PixelsPerInch")) {
    pixels_per_inch_ = reader.ReadInteger();
    return true;
  }
  if (SameTextAscii(name, "TextHeight")) {
    text_height_ = reader.ReadInteger();
    return true;
  }
  return TWinControl::ReadDefinedProperty(name, reader);
}

namespace {
// The frame of a window of this style in the classic look, where a caption
// is 19 pixels and a sizing border 4 at 96 pixels per inch: the frame that a
// window described by its outer size was laid out in. Today's platforms draw
// taller captions and wider borders, which would take that room from the
// client area. A description stored at another density had a frame grown in
// proportion.
SIZE ClassicFrameAt(DWORD style, DWORD exStyle, int ppi) {
  const bool dialogFrame = (style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME);
  int edge = 0;
  if (dialogFrame || (style & WS_THICKFRAME)) edge += 2;
  if (style & WS_THICKFRAME) edge += 1;
  if (dialogFrame || (style & WS_BORDER)) edge += 1;
  int caption = 0;
  if ((style & WS_CAPTION) == WS_CAPTION) caption = (exStyle & WS_EX_TOOLWINDOW) ? 16 : 19;
  if (ppi <= 0) ppi = 96;
  return SIZE{MulDiv(2 * edge, ppi, 96), MulDiv(2 * edge + caption, ppi, 96)};
}
}  // namespace

void TCustomForm::ScaleAfterReading() {
  int screenPpi = Screen->PixelsPerInch();
  const int designPpi = pixels_per_inch_;
  if (pixels_per_inch_ > 0 && text_height_ > 0) {
    if ((ScaleFlags() & sfFont) && screenPpi != pixels_per_inch_)
      Font()->SetHeight(MulDiv(Font()->Height(), screenPpi, pixels_per_inch_));
    pixels_per_inch_ = screenPpi;
  }
  // A window described by its outer size keeps the client area its controls
  // were laid out in; the platform's frame goes around that.
  if (stored_client_width_ <= 0 || stored_client_height_ <= 0) {
    DWORD style, ex;
    FrameStyle(style, ex);
    const SIZE frame = ClassicFrameAt(style, ex, designPpi);
    if (stored_client_width_ <= 0) stored_client_width_ = width_ - frame.cx;
    if (stored_client_height_ <= 0) stored_client_height_ = height_ - frame.cy;
  }
  if (text_height_ > 0) {
    TScreenCanvas canvas;
    canvas.SetFont(Font());
    int t = canvas.TextHeight("0");
    if (t != text_height_) {
      struct Mark {
        bool& on;
        explicit Mark(bool& b) : on(b) { on = true; }
        ~Mark() { on = false; }
      } mark(scaling_description_);
      for (int i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(t, text_height_);
      stored_client_width_ = MulDiv(stored_client_width_, t, text_height_);
      stored_client_height_ = MulDiv(stored_client_height_, t, text_height_);
      text_height_ = t;
    }
  }
  if (stored_client_width_ > 0) SetClientWidth(stored_client_width_);
  if (stored_client_height_ > 0) SetClientHeight(stored_client_height_);
  stored_client_width_ = stored_client_height_ = 0;
}

void TCustomForm::SetFormClientWidth(int v) {
  if (Reading()) {
    stored_client_width_ = v;
    return;
  }
  SetClientWidth(v);
}

void TCustomForm::SetFormClientHeight(int v) {
  if (Reading()) {
    stored_client_height_ = v;
    return;
  }
  SetClientHeight(v);
}

void TCustomForm::FrameStyle(DWORD& style, DWORD& exStyle) const {
  style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  exStyle = 0;
  switch (border_style_) {
    case bsNone:
      style |= WS_POPUP;
      break;
    case bsSingle: case bsToolWindow:
      style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable: case bsSizeToolWin:
      style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      style |= WS_POPUP | WS_CAPTION;
      exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (border_style_ == bsToolWindow || border_style_ == bsSizeToolWin) exStyle |= WS_EX_TOOLWINDOW;
  if (border_style_ != bsNone && (border_icons_ & (1 << biSystemMenu))) {
    style |= WS_SYSMENU;
    if (border_style_ != bsDialog) {
      if (border_icons_ & (1 << biMinimize)) style |= WS_MINIMIZEBOX;
      if (border_icons_ & (1 << biMaximize)) style |= WS_MAXIMIZEBOX;
    }
  }
}

TRect TCustomForm::ClientRect() const {
  if (handle_) return TWinControl::ClientRect();
  DWORD style, ex;
  FrameStyle(style, ex);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  return TRect(0, 0, width_ - (r.right - r.left), height_ - (r.bottom - r.top));
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  FrameStyle(p.Style, p.ExStyle);
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (position_ == poScreenCenter && !placed_) {
    p.X = (Screen->Width() - width_) / 2;
    p.Y = (Screen->Height() - height_) / 2;
  }
  // Forms belong to the application window: its task-bar button stands for
  // the program, with the application's title.
  if (Application) p.WndParent = Application->Handle();
}

void TCustomForm::CreateWindowHandleDone() {
  // The application's icon on every caption but a dialog frame's.
  if (Application && border_style_ != bsDialog) {
    HICON icon = Application->Icon();
    SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  if (border_style_ == bsDialog) {
    // A dialog frame keeps the close command only.
    HMENU menu = GetSystemMenu(handle_, FALSE);
    DeleteMenu(menu, SC_TASKLIST, MF_BYCOMMAND);
    DeleteMenu(menu, 7, MF_BYPOSITION);
    DeleteMenu(menu, 5, MF_BYPOSITION);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (v == border_style_) return;
  border_style_ = v;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
  if (v == border_icons_) return;
  border_icons_ = v;
  RecreateWnd();
}

bool TCustomForm::Showing() const { return handle_ && IsWindowVisible(handle_); }

bool TCustomForm::Active() const { return handle_ && GetActiveWindow() == handle_; }

void TCustomForm::PlaceOnFirstShow() {
  if (placed_) return;
  placed_ = true;
  switch (position_) {
    case poScreenCenter: case poDesktopCenter:
      SetBounds((Screen->Width() - width_) / 2, (Screen->Height() - height_) / 2, width_, height_);
      break;
    case poMainFormCenter: case poOwnerFormCenter:
      if (Application && Application->MainForm() && Application->MainForm() != this) {
        TCustomForm* m = Application->MainForm();
        SetBounds(m->Left() + (m->Width() - width_) / 2, m->Top() + (m->Height() - height_) / 2,
                  width_, height_);
      }
      break;
    default:
      break;
  }
}

void TCustomForm::CMVisibleChanged(TMessage& m) {
  if (Visible()) {
    HandleNeeded();
    PlaceOnFirstShow();
    DoShow();
    ShowWindow(handle_, SW_SHOW);
    SetForegroundWindow(handle_);
    SetActiveWindow(handle_);
  } else {
    if (handle_) {
      DoHide();
      // Hiding the active window would leave no window of ours active; pass
      // activation on like the platform's dialogs do.
      SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      if (GetActiveWindow() == handle_ || GetActiveWindow() == nullptr) {
        if (Application && Application->MainForm() && Application->MainForm() != this &&
            Application->MainForm()->Showing() && IsWindowEnabled(Application->MainForm()->Handle()))
          SetActiveWindow(Application->MainForm()->Handle());
      }
    }
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}
void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoCreate() {
  if (!OnCreate) return;
  // A failing creation handler is reported; the form is made all the same.
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}
void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::SetActiveControl(TWinControl* c) {
  if (c == active_control_) return;
  if (c && (c == this || c->ParentForm() != this) && !Reading())
    throw EInvalidOperation(res::SCannotFocus);
  active_control_ = c;
  if (c && Active() && !Reading() && c->CanFocus() && c->HandleAllocated()) ::SetFocus(c->Handle());
}

void TCustomForm::FocusControl(TWinControl* c) {
  if (!c->CanFocus()) throw EInvalidOperation(res::SCannotFocus);
  active_control_ = c;
  if (Active() || (handle_ && IsWindowVisible(handle_) && GetActiveWindow() == handle_))
    ::SetFocus(c->Handle());
}

void TCustomForm::SetFocusedControl(TWinControl* c) {
  active_control_ = c;
  focused_control_ = c;
}

void TCustomForm::ControlDisabled(TWinControl* c) {
  bool holds = c->HandleAllocated() && (GetFocus() == c->Handle() || IsChild(c->Handle(), GetFocus()));
  if (active_control_ == c || (active_control_ && c->HandleAllocated() && active_control_->HandleAllocated() &&
                               IsChild(c->Handle(), active_control_->Handle())))
    active_control_ = nullptr;
  if (holds && handle_) ::SetFocus(handle_);
}

void TCustomForm::ControlRemoved(TWinControl* c) {
  if (active_control_ == c) active_control_ = nullptr;
  if (focused_control_ == c) focused_control_ = nullptr;
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::BlockInput(bool block) {
  input_blocked_ = block;
  if (handle_) EnableWindow(handle_, block ? FALSE : TRUE);
  // The window under the pointer chooses its pointer again now, not at the
  // next move of the mouse.
  POINT p;
  if (!handle_ || !GetCursorPos(&p)) return;
  HWND under = WindowFromPoint(p);
  TWinControl* control = FindControl(under);
  if (!control || control->ParentForm() != this) return;
  const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

void TCustomForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  bool isMain = Application && Application->MainForm() == this;
  TCloseAction action = isMain ? caFree : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (isMain) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    if (handle_) ShowWindow(handle_, SW_MINIMIZE);
  } else {
    Release();
  }
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone) modal_result_ = mrNone;
  } catch (...) {
    modal_result_ = mrNone;
    Application->HandleException(this);
  }
}

void TCustomForm::Release() {
  if (handle_) PostMessageA(handle_, CM_RELEASE, 0, 0);
}

int TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || modal_) throw EInvalidOperation(res::SCannotShowModal);
  if (GetCapture()) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  HandleNeeded();
  modal_ = true;
  HWND previous = GetActiveWindow();
  // Every other visible, enabled top-level window of this thread is disabled.
  std::vector<HWND> disabled = DisableTaskWindows(handle_);
  auto restore = [&]() {
    bool stillActive = GetActiveWindow() == handle_;
    EnableTaskWindows(disabled);
    if (stillActive && previous && IsWindow(previous)) SetActiveWindow(previous);
    Hide();
    modal_ = false;
  };
  try {
    Show();
    modal_result_ = mrNone;
    do {
      Application->HandleMessage();
      if (Application->Terminated())
        modal_result_ = mrCancel;
      else if (modal_result_ != mrNone)
        CloseModal();
    } while (modal_result_ == mrNone);
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return modal_result_;
}

void TCustomForm::CMDialogKey(TMessage& m) {
  uint16_t key = static_cast<uint16_t>(m.WParam);
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  bool alt = GetKeyState(VK_MENU) < 0;
  if (!ctrl && !alt) {
    switch (key) {
      case VK_TAB:
        SelectNext(active_control_, !shift, true);
        m.Result = 1;
        return;
      case VK_LEFT: case VK_UP:
        SelectNext(active_control_, false, false);
        m.Result = 1;
        return;
      case VK_RIGHT: case VK_DOWN:
        SelectNext(active_control_, true, false);
        m.Result = 1;
        return;
      default:
        break;
    }
  }
  TWinControl::Dispatch(m);  // Enter and Escape: default and cancel buttons
}

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY:
      CMDialogKey(m);
      return;
    case CM_VISIBLECHANGED:
      CMVisibleChanged(m);
      return;
    case WM_CLOSE:
      Close();
      return;
    case CM_RELEASE:
      Free();
      return;
    case WM_ACTIVATE: {
      DefaultHandler(m);
      if (LOWORD(m.WParam) != WA_INACTIVE) {
        if (active_control_ && active_control_->CanFocus())
          ::SetFocus(active_control_->Handle());
        else
          SelectFirst();
        Activate();
      } else {
        Deactivate();
      }
      return;
    }
    case WM_SETFOCUS:
      DefaultHandler(m);
      if (active_control_ && active_control_->CanFocus() && active_control_->HandleAllocated())
        ::SetFocus(active_control_->Handle());
      return;
    case WM_GETMINMAXINFO: case WM_WINDOWPOSCHANGED:
      TWinControl::Dispatch(m);
      return;
    default:
      TWinControl::Dispatch(m);
  }
}

}  // namespace orlo
