#include <algorithm>
#include <map>

#include "application.h"
#include "class_builder.h"
#include "controls.h"
#include "forms.h"
#include "platform_boundary.h"
#include "wide_text.h"

namespace orlo {

// ---------------------------------------------------------------------------
// Window classes and the one window procedure

template <bool Wide>
LRESULT CALLBACK ObjectWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l);

namespace {

const char* const kObjectProp = "OrloControl";
thread_local TWinControl* t_creating = nullptr;

// The platform procedure behind each of our window classes, by class atom:
// DefWindowProc for our own classes, the platform class's for superclasses.
// Never destroyed: windows still go away while static objects are released
// at the end of the program.
std::map<ATOM, WNDPROC>& ClassProcs() {
  static auto* procs = new std::map<ATOM, WNDPROC>;
  return *procs;
}

WNDPROC ClassDefaultProc(HWND h) {
  ATOM atom = static_cast<ATOM>(GetClassWord(h, GCW_ATOM));
  auto it = ClassProcs().find(atom);
  if (it != ClassProcs().end()) return it->second;
  return IsWindowUnicode(h) ? DefWindowProcW : DefWindowProcA;
}

LRESULT CallDefault(bool wide, WNDPROC proc, HWND h, UINT msg, WPARAM w, LPARAM l) {
  return wide ? CallWindowProcW(proc, h, msg, w, l) : CallWindowProcA(proc, h, msg, w, l);
}

// Our window classes by name, registered on first use: each is named after
// its component class, so one name always means the same parameters, the
// wide ones included.
std::map<std::string, WNDPROC>& RegisteredClasses() {
  static auto* classes = new std::map<std::string, WNDPROC>;
  return *classes;
}

// Class names are ASCII: the component classes' names.
std::wstring AsciiWide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

BOOL ClassInfo(const char* name, WNDCLASSA* wc) { return GetClassInfoA(nullptr, name, wc); }
BOOL ClassInfo(const wchar_t* name, WNDCLASSW* wc) { return GetClassInfoW(nullptr, name, wc); }
ATOM Register(const WNDCLASSA* wc) { return RegisterClassA(wc); }
ATOM Register(const WNDCLASSW* wc) { return RegisterClassW(wc); }

// Registers a class of ours by the code page's or the wide calls; def gets
// the procedure behind it (the superclassed control's, or defaultProc).
template <class Class, class Char>
ATOM RegisterClassOf(const std::basic_string<Char>& name, const std::basic_string<Char>& base, UINT style,
                     HBRUSH background, WNDPROC proc, WNDPROC defaultProc, WNDPROC& def) {
  Class wc{};
  def = defaultProc;
  if (!base.empty()) {
    if (!ClassInfo(base.c_str(), &wc)) throw EOutOfResources(res::SWindowClass);
    def = wc.lpfnWndProc;
  } else {
    wc.style = style;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
  }
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name.c_str();
  wc.lpszMenuName = nullptr;
  return Register(&wc);
}

WNDPROC RegisterObjectClass(const std::string& name, const std::string& base, UINT style,
                            HBRUSH background, bool unicode) {
  auto known = RegisteredClasses().find(name);
  if (known != RegisteredClasses().end()) return known->second;
  WNDPROC def = nullptr;
  const ATOM atom =
      unicode ? RegisterClassOf<WNDCLASSW>(AsciiWide(name), AsciiWide(base), style, background,
                                           ObjectWindowProc<true>, DefWindowProcW, def)
              : RegisterClassOf<WNDCLASSA>(name, base, style, background, ObjectWindowProc<false>, DefWindowProcA, def);
  if (!atom) throw EOutOfResources(res::SWindowClass);
  ClassProcs()[atom] = def;
  RegisteredClasses()[name] = def;
  return def;
}

}  // namespace

TWinControl* FindControl(HWND h) {
  if (!h) return nullptr;
  return static_cast<TWinControl*>(GetPropA(h, kObjectProp));
}

TWinControl* TWinControl::FromHandle(HWND h) { return FindControl(h); }

// Windows made by the wide calls get their messages here in UTF-16 form and
// hand them on to the platform in that form.
template <bool Wide>
LRESULT CALLBACK ObjectWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  TWinControl* c = FindControl(h);
  if (!c) {
    c = t_creating;
    if (!c) return CallDefault(Wide, ClassDefaultProc(h), h, msg, w, l);
    t_creating = nullptr;
    c->AttachHandle(h);
  }
  // A control that is being destroyed hears nothing more: its derived parts
  // are gone, and handlers must not run on a half-destroyed form.
  if (c->Destroying()) {
    LRESULT r = CallDefault(Wide, ClassDefaultProc(h), h, msg, w, l);
    if (msg == WM_NCDESTROY) {
      RemovePropA(h, kObjectProp);
      if (c->handle_ == h) c->handle_ = nullptr;
    }
    return r;
  }
  TMessage m{msg, w, l, 0};
  try {
    c->WndProc(m);
  } catch (...) {
    HandleBoundaryException();
  }
  if (msg == WM_NCDESTROY) {
    RemovePropA(h, kObjectProp);
    if (c->handle_ == h) c->handle_ = nullptr;
  }
  return m.Result;
}

template LRESULT CALLBACK ObjectWindowProc<false>(HWND, UINT, WPARAM, LPARAM);
template LRESULT CALLBACK ObjectWindowProc<true>(HWND, UINT, WPARAM, LPARAM);

// ---------------------------------------------------------------------------
// TWinControl

ORLO_DEFINE_CLASS(TWinControl, TControl) {
  p.Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1);
  p.Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false);
  p.Event("OnKeyDown", &TWinControl::OnKeyDown);
  p.Event("OnKeyPress", &TWinControl::OnKeyPress);
  p.Event("OnKeyUp", &TWinControl::OnKeyUp);
  p.Event("OnEnter", &TWinControl::OnEnter);
  p.Event("OnExit", &TWinControl::OnExit);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  brush_ = new TBrush();
  brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
  BeginDestruction();
  if (TCustomForm* f = ParentForm(); f && f != this) f->ControlRemoved(this);
  // Children first, from the last: each leaves its owner's list as it goes.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    c->Free();
  }
  DestroyHandle();
  delete brush_;
}

void TWinControl::AttachHandle(HWND h) {
  handle_ = h;
  SetPropA(h, kObjectProp, this);
  default_proc_ = ClassDefaultProc(h);
  unicode_ = IsWindowUnicode(h) != FALSE;
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = TControl::GetText();
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle() & csAcceptsControls) p.Style |= WS_CLIPCHILDREN;
  if (Visible()) p.Style |= WS_VISIBLE;
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (TabStop()) p.Style |= WS_TABSTOP;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  p.WinClassName = ClassName();
  p.ClassStyle = CS_DBLCLKS;
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  for (TControl* c : controls_)
    if (auto* w = Cast<TWinControl>(c)) w->CreateHandle();
  Realign();
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if (p.Style & WS_CHILD) {
    if (!parent_) throw EInvalidOperation(Format(res::SParentRequired, Name()));
    p.WndParent = parent_->Handle();
    // Making the parent's window makes its children's too, this one included.
    if (handle_) return;
  }
  RegisterObjectClass(p.WinClassName, p.BaseClassName, p.ClassStyle, p.Background, p.Unicode);
  TWinControl* outer = t_creating;
  t_creating = this;
  HWND h;
  {
    TCarriedException carried;
    if (p.Unicode)
      h = CreateWindowExW(p.ExStyle, AsciiWide(p.WinClassName).c_str(), KeptWideText(p.Caption).c_str(),
                          p.Style, p.X, p.Y, p.Width, p.Height, p.WndParent, nullptr, GetModuleHandleA(nullptr),
                          nullptr);
    else
      h = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                          p.Width, p.Height, p.WndParent, nullptr, GetModuleHandleA(nullptr), nullptr);
    t_creating = outer;
    try {
      carried.Rethrow();
    } catch (...) {
      if (h) DestroyWindow(h);
      handle_ = nullptr;
      throw;
    }
  }
  if (!h) throw EOutOfResources(res::SWindowClass);
  if (!handle_) AttachHandle(h);
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  CreateWindowHandleDone();
}

void TWinControl::DestroyWnd() {
  if (!handle_) return;
  // Keep the caption: the window's text is the control's while it exists.
  if (unicode_) kept_wide_text_ = WideText();
  SetControlText(GetText());
  HWND h = handle_;
  DestroyWindow(h);
  if (handle_ == h) {  // the window did not pass through our procedure
    RemovePropA(h, kObjectProp);
    handle_ = nullptr;
  }
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* c : controls_)
    if (auto* w = Cast<TWinControl>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyHandle();
  CreateHandle();
}

std::string TWinControl::GetText() const {
  if (!handle_) return TControl::GetText();
  // Never the platform's best-fit letters: "?" for what the code page lacks.
  if (unicode_) return CodePageFromWide(WideText());
  int n = GetWindowTextLengthA(handle_);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  int got = GetWindowTextA(handle_, s.data(), n + 1);
  s.resize(static_cast<size_t>(std::max(got, 0)));
  return s;
}

void TWinControl::SetText(const std::string& v) {
  if (unicode_ && handle_) {
    SetWideText(WideFromCodePage(v));
    return;
  }
  if (v == GetText()) return;
  SetControlText(v);
  if (handle_) SetWindowTextA(handle_, v.c_str());
  Perform(CM_TEXTCHANGED);
}

bool TWinControl::OwnClass() const {
  return !default_proc_ || default_proc_ == DefWindowProcA || default_proc_ == DefWindowProcW;
}

std::wstring TWinControl::KeptWideText(const std::string& text) const {
  // The wide text kept from the last window, while nothing has changed it.
  if (!kept_wide_text_.empty() && CodePageFromWide(kept_wide_text_) == text) return kept_wide_text_;
  return WideFromCodePage(text);
}

std::wstring TWinControl::WideText() const {
  if (!handle_) return KeptWideText(TControl::GetText());
  if (!unicode_) return WideFromCodePage(GetText());
  const int n = GetWindowTextLengthW(handle_);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(handle_, &s[0], n + 1);
  s.resize(static_cast<size_t>(std::max(got, 0)));
  return s;
}

void TWinControl::SetWideText(const std::wstring& v) {
  if (!handle_ || !unicode_) {
    kept_wide_text_ = v;  // for the wide window still to be made
    SetText(CodePageFromWide(v));
    return;
  }
  if (v == WideText()) return;
  SetControlText(CodePageFromWide(v));
  SetWindowTextW(handle_, v.c_str());
  Perform(CM_TEXTCHANGED);
}

TRect TWinControl::ClientRect() const {
  if (!handle_) return TRect(0, 0, width_, height_);
  RECT r;
  GetClientRect(handle_, &r);
  return TRect(r.left, r.top, r.right, r.bottom);
}

TPoint TWinControl::ClientOrigin() const {
  if (!handle_) return TControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(handle_, &p);
  return TPoint(p.x, p.y);
}

bool TWinControl::Showing() const {
  return handle_ && IsWindowVisible(handle_);
}

void TWinControl::DoSetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (handle_) {
    SetWindowPos(handle_, nullptr, left, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateBounds();
  }
  Realign();
  RequestAlign();
}

void TWinControl::UpdateBounds() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD) {
    HWND p = GetParent(handle_);
    if (p) MapWindowPoints(HWND_DESKTOP, p, reinterpret_cast<POINT*>(&r), 2);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
}

void TWinControl::Realign() {
  TRect r = ClientRect();
  r.Left += border_width_;
  r.Top += border_width_;
  r.Right -= border_width_;
  r.Bottom -= border_width_;
  AlignControls(nullptr, r);
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  if (Loading()) return;
  for (TControl* c : controls_) {
    if (!c->Visible()) continue;
    switch (c->Align()) {
      case alTop:
        c->SetBounds(rect.Left, rect.Top, rect.Width(), c->Height());
        rect.Top += c->Height();
        break;
      case alBottom:
        c->SetBounds(rect.Left, rect.Bottom - c->Height(), rect.Width(), c->Height());
        rect.Bottom -= c->Height();
        break;
      case alLeft:
        c->SetBounds(rect.Left, rect.Top, c->Width(), rect.Height());
        rect.Left += c->Width();
        break;
      case alRight:
        c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), rect.Height());
        rect.Right -= c->Width();
        break;
      default:
        break;
    }
  }
  for (TControl* c : controls_)
    if (c->Visible() && c->Align() == alClient)
      c->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
}

void TWinControl::SetBorderWidth(int v) {
  if (v == border_width_) return;
  border_width_ = v;
  Realign();
  Invalidate();
}

void TWinControl::InsertControl(TControl* c) {
  controls_.push_back(c);
  c->parent_ = this;
  if (auto* w = Cast<TWinControl>(c)) {
    tab_list_.push_back(w);
    if (w->pending_tab_order_ >= 0) w->UpdateTabOrder(w->pending_tab_order_);
    if (handle_) w->CreateHandle();
  } else {
    c->Invalidate();
  }
  if (c->Align() != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end()) return;
  c->Invalidate();
  controls_.erase(it);
  if (auto* w = Cast<TWinControl>(c)) {
    if (TCustomForm* f = ParentForm()) f->ControlRemoved(w);
    tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), w), tab_list_.end());
    w->DestroyHandle();
  }
  c->parent_ = nullptr;
}

void TWinControl::SetChildOrder(TComponent* child, int order) {
  auto* c = Cast<TControl>(child);
  if (!c || c->Parent() != this) return;
  auto it = std::find(controls_.begin(), controls_.end(), c);
  controls_.erase(it);
  order = std::clamp(order, 0, static_cast<int>(controls_.size()));
  controls_.insert(controls_.begin() + order, c);
  c->Invalidate();
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    bool windowed = Cast<TWinControl>(c) != nullptr;
    if (windowed && !allowWinControls) continue;
    if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
    if (p.X >= c->Left() && p.Y >= c->Top() && p.X < c->Left() + c->Width() &&
        p.Y < c->Top() + c->Height())
      if (c->Perform(CM_HITTEST, 0, MAKELPARAM(p.X - c->Left(), p.Y - c->Top())) != 0) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& m) {
  // A copy: a handler may add or remove controls.
  std::vector<TControl*> list = controls_;
  for (TControl* c : list) {
    c->WndProc(m);
    if (m.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT msg) {
  std::vector<TControl*> list = controls_;
  for (TControl* c : list) c->Perform(msg);
}

int TWinControl::TabOrder() const {
  if (!parent_) return pending_tab_order_;
  const auto& list = parent_->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int v) {
  pending_tab_order_ = v;
  if (parent_) UpdateTabOrder(v);
}

void TWinControl::UpdateTabOrder(int v) {
  auto& list = parent_->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (v < 0 || v > static_cast<int>(list.size())) v = static_cast<int>(list.size());
  list.insert(list.begin() + v, this);
}

void TWinControl::SetTabStop(bool v) {
  if (v == tab_stop_) return;
  tab_stop_ = v;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    SetWindowLongPtrA(handle_, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* w : tab_list_) {
    list.push_back(w);
    w->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), current);
  int start = it == list.end() ? (forward ? n - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = forward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c == current) break;
    if ((!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) && c->CanFocus())
      return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  if (TWinControl* c = FindNextControl(current, forward, checkTabStop, false)) c->SetFocus();
}

void TWinControl::SelectFirst() {
  TWinControl* c = FindNextControl(nullptr, true, true, false);
  if (!c) c = FindNextControl(nullptr, true, false, false);
  if (c) c->SetFocus();
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return ParentForm() != nullptr || parent_ == nullptr;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  TCustomForm* f = ParentForm();
  if (f && f != this)
    f->FocusControl(this);
  else if (handle_ && IsWindowVisible(handle_))
    ::SetFocus(handle_);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !IsOpaque());
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::ChangeScale(int m, int d) {
  if (m == d) return;
  for (TControl* c : controls_) c->ChangeScale(m, d);
  TControl::ChangeScale(m, d);
}

void TWinControl::FontChanged() {
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
  TControl::FontChanged();
  NotifyControls(CM_PARENTFONTCHANGED);
}

bool TWinControl::IsDialogKey(uint16_t key) const { return false; }

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_MBUTTONUP:
    case WM_MOUSEMOVE: {
      // Windowless children get the mouse over them, or all of it while one
      // of them holds the capture.
      TControl* target = nullptr;
      TControl* cap = CaptureControl();
      if (cap && cap->Parent() == this && !Cast<TWinControl>(cap)) {
        target = cap;
      } else if (!cap || cap == this) {
        TPoint p(static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam)));
        target = ControlAtPos(p, false);
      }
      if (target) {
        int x = static_cast<short>(LOWORD(m.LParam)) - target->Left();
        int y = static_cast<short>(HIWORD(m.LParam)) - target->Top();
        m.Result = target->Perform(m.Msg, m.WParam, MAKELPARAM(x, y));
        return;
      }
      break;
    }
    default:
      break;
  }
  TControl::WndProc(m);
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT:
      if (OwnClass())
        PaintHandler(m);
      else
        DefaultHandler(m);
      return;
    case WM_ERASEBKGND:
      if (OwnClass()) {
        EraseBackground(reinterpret_cast<HDC>(m.WParam));
        m.Result = 1;
      } else {
        DefaultHandler(m);
      }
      return;
    case WM_SIZE: case WM_MOVE:
      DefaultHandler(m);
      UpdateBounds();
      if (m.Msg == WM_SIZE) Realign();
      return;
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      if (!DoKeyDown(m)) DefaultHandler(m);
      return;
    case WM_KEYUP: case WM_SYSKEYUP:
      if (!DoKeyUp(m)) DefaultHandler(m);
      return;
    case WM_CHAR:
      if (!DoKeyPress(m)) DefaultHandler(m);
      return;
    case WM_SETFOCUS:
      DefaultHandler(m);
      if (TCustomForm* f = ParentForm(); f && f != this) f->SetFocusedControl(this);
      DoEnter();
      return;
    case WM_KILLFOCUS:
      DefaultHandler(m);
      DoExit();
      return;
    case WM_SETCURSOR:
      // A form that takes no input while it works shows the busy pointer
      // over all of it, its frame too (the hit test then says HTERROR).
      if (TCustomForm* f = ParentForm(); f && f->InputBlocked()) {
        ::SetCursor(Screen->CursorHandle(crAppStart));
        m.Result = 1;
        return;
      }
      if (Cursor() != 0 && LOWORD(m.LParam) == HTCLIENT) {
        ::SetCursor(Screen->CursorHandle(Cursor()));
        m.Result = 1;
        return;
      }
      DefaultHandler(m);
      return;
    case WM_COMMAND: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: case WM_DRAWITEM: case WM_MEASUREITEM:
      ReflectNotification(m);
      return;
    case CN_KEYDOWN: case CN_SYSKEYDOWN:
      CNKeyDown(m);
      return;
    case CN_CHAR: case CN_SYSCHAR:
      CNChar(m);
      return;
    case CN_CTLCOLOREDIT: case CN_CTLCOLORLISTBOX: case CN_CTLCOLORBTN: case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
      SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(brush_->Color())));
      m.Result = reinterpret_cast<LRESULT>(brush_->Handle());
      return;
    }
    case CM_DIALOGCHAR: case CM_DIALOGKEY:
      Broadcast(m);
      return;
    case CM_ENABLEDCHANGED:
      if (!Enabled())
        if (TCustomForm* f = ParentForm(); f && f != this) f->ControlDisabled(this);
      if (handle_) EnableWindow(handle_, Enabled());
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      if (!Visible())
        if (TCustomForm* f = ParentForm(); f && f != this) f->ControlDisabled(this);
      if (handle_ && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD))
        ShowWindow(handle_, Visible() ? SW_SHOWNOACTIVATE : SW_HIDE);
      return;
    case CM_COLORCHANGED:
      brush_->SetColor(Color());
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      return;
    case CM_SHOWHINTCHANGED:
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      return;
    case CM_SYSCOLORCHANGE:
      NotifyControls(CM_SYSCOLORCHANGE);
      return;
    case WM_SYSCOLORCHANGE:
      SystemColorsChanged();
      NotifyControls(CM_SYSCOLORCHANGE);
      DefaultHandler(m);
      return;
    case WM_GETDLGCODE:
      DefaultHandler(m);
      return;
    default:
      TControl::Dispatch(m);
  }
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_) {
    TControl::DefaultHandler(m);
    return;
  }
  WNDPROC proc = default_proc_ ? default_proc_ : unicode_ ? DefWindowProcW : DefWindowProcA;
  m.Result = CallDefault(unicode_, proc, handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::ReflectNotification(TMessage& m) {
  HWND child = nullptr;
  if (m.Msg == WM_COMMAND) child = reinterpret_cast<HWND>(m.LParam);
  else if (m.Msg == WM_DRAWITEM) child = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->hwndItem;
  else if (m.Msg == WM_MEASUREITEM) child = nullptr;
  else child = reinterpret_cast<HWND>(m.LParam);
  TWinControl* c = FindControl(child);
  if (c && c != this) {
    m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return;
  }
  DefaultHandler(m);
}

void TWinControl::EraseBackground(HDC dc) {
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(dc, &r, brush_->Handle());
}

void TWinControl::PaintHandler(TMessage& m) {
  PAINTSTRUCT ps;
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(handle_, &ps);
  try {
    int saved = SaveDC(dc);
    PaintWindow(dc);
    RestoreDC(dc, saved);
    PaintControls(dc, nullptr);
  } catch (...) {
    if (own) EndPaint(handle_, &ps);
    throw;
  }
  if (own) EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC dc) {
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto it = controls_.begin();
  if (first) it = std::find(controls_.begin(), controls_.end(), first);
  for (; it != controls_.end(); ++it) {
    auto* g = Cast<TGraphicControl>(*it);
    if (!g || !g->Visible()) continue;
    RECT r{g->Left(), g->Top(), g->Left() + g->Width(), g->Top() + g->Height()};
    if (!RectVisible(dc, &r)) continue;
    int saved = SaveDC(dc);
    POINT org;
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.x + g->Left(), org.y + g->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, g->Width(), g->Height());
    try {
      g->PaintOn(dc);
    } catch (...) {
      RestoreDC(dc, saved);
      throw;
    }
    RestoreDC(dc, saved);
  }
}

bool TWinControl::DoKeyDown(TMessage& m) {
  uint16_t key = static_cast<uint16_t>(m.WParam);
  KeyDown(key, KeyDataToShiftState(m.LParam));
  if (key == 0) return true;
  m.WParam = key;
  return false;
}

bool TWinControl::DoKeyUp(TMessage& m) {
  uint16_t key = static_cast<uint16_t>(m.WParam);
  KeyUp(key, KeyDataToShiftState(m.LParam));
  if (key == 0) return true;
  m.WParam = key;
  return false;
}

bool TWinControl::DoKeyPress(TMessage& m) {
  // A wide window's characters are UTF-16 units: only ASCII ones are
  // characters of the code page that a handler could take.
  if (unicode_ && m.WParam >= 0x80) return false;
  char key = static_cast<char>(m.WParam);
  KeyPress(key);
  if (key == 0) return true;
  m.WParam = static_cast<unsigned char>(key);
  return false;
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}
void TWinControl::KeyUp(uint16_t& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}
void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}
void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CNKeyDown(TMessage& m) {
  // A key is first offered here, before dispatch: the keys that move between
  // controls or answer a dialog go to the form unless the control wants them.
  m.Result = 1;
  uint16_t key = static_cast<uint16_t>(m.WParam);
  if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
  DWORD mask = 0;
  switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
  }
  if (mask && Perform(CM_WANTSPECIALKEY, key) == 0 &&
      (Perform(WM_GETDLGCODE) & static_cast<LRESULT>(mask)) == 0) {
    TCustomForm* f = ParentForm();
    if (f && f->Perform(CM_DIALOGKEY, key, m.LParam) != 0) return;
  }
  m.Result = 0;
}

void TWinControl::CNChar(TMessage& m) {
  m.Result = 1;
  bool alt = m.Msg == CN_SYSCHAR;
  if (!(alt && m.WParam == VK_SPACE)) {
    if (alt || (Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
      TCustomForm* f = ParentForm();
      if (f && f->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) return;
    }
  }
  m.Result = 0;
}

// ---------------------------------------------------------------------------
// TCustomControl

ORLO_DEFINE_CLASS(TCustomControl, TWinControl) {}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
  canvas_ = new TCanvas();
}

TCustomControl::~TCustomControl() {
  BeginDestruction();
  delete canvas_;
}

void TCustomControl::PaintWindow(HDC dc) {
  TCanvasLease lease(*canvas_, dc);
  Paint();
}

}  // namespace orlo
