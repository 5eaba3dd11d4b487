#include "controls.h"

#include <algorithm>

#include "application.h"
#include "class_builder.h"
#include "forms.h"
#include "menus.h"

namespace orlo {

const TEnumNames& AlignNames() {
  static const TEnumNames n{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
  return n;
}
const TEnumNames& AlignmentNames() {
  static const TEnumNames n{"taLeftJustify", "taRightJustify", "taCenter"};
  return n;
}
const TEnumNames& DragModeNames() {
  static const TEnumNames n{"dmManual", "dmAutomatic"};
  return n;
}
const TEnumNames& BorderStyleNames() {
  static const TEnumNames n{"bsNone", "bsSingle"};
  return n;
}

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (keyData & 0x20000000) s |= ssAlt;
  return s;
}

TShiftState KeyboardShiftState() {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  TShiftState s = 0;
  if (keys[VK_SHIFT] & 0x80) s |= ssShift;
  if (keys[VK_MENU] & 0x80) s |= ssAlt;
  if (keys[VK_CONTROL] & 0x80) s |= ssCtrl;
  if (keys[VK_LBUTTON] & 0x80) s |= ssLeft;
  if (keys[VK_RBUTTON] & 0x80) s |= ssRight;
  if (keys[VK_MBUTTON] & 0x80) s |= ssMiddle;
  return s;
}

// ---------------------------------------------------------------------------
// Mouse capture

namespace {
TControl* g_capture = nullptr;
}

TControl* CaptureControl() {
  HWND h = GetCapture();
  if (!h) {
    g_capture = nullptr;
    return nullptr;
  }
  if (g_capture) {
    TWinControl* w = Cast<TWinControl>(g_capture);
    HWND owner = w ? (w->HandleAllocated() ? w->Handle() : nullptr)
                   : (g_capture->Parent() && g_capture->Parent()->HandleAllocated()
                          ? g_capture->Parent()->Handle() : nullptr);
    if (owner == h) return g_capture;
  }
  return FindControl(h);
}

void SetCaptureControl(TControl* c) {
  g_capture = c;
  if (!c) {
    if (GetCapture()) ReleaseCapture();
    return;
  }
  if (auto* w = Cast<TWinControl>(c))
    SetCapture(w->Handle());
  else if (c->Parent())
    SetCapture(c->Parent()->Handle());
}

TControl* FindControlAt(TPoint screenPoint, bool allowDisabled) {
  POINT pt{screenPoint.X, screenPoint.Y};
  HWND h = WindowFromPoint(pt);
  TWinControl* w = FindControl(h);
  if (!w) return nullptr;
  // The platform passes over disabled child windows and answers with their
  // parent: look further down among the children ourselves, windowed ones
  // included.
  for (;;) {
    TControl* c = w->ControlAtPos(w->ScreenToClient(screenPoint), allowDisabled, true);
    if (!c) return w;
    auto* inner = Cast<TWinControl>(c);
    if (!inner) return c;
    w = inner;
  }
}

// ---------------------------------------------------------------------------
// TControl

ORLO_DEFINE_CLASS(TControl, TComponent) {
  p.Int("Left", &TControl::Left, &TControl::SetLeft);
  p.Int("Top", &TControl::Top, &TControl::SetTop);
  p.Int("Width", &TControl::Width, &TControl::SetWidth);
  p.Int("Height", &TControl::Height, &TControl::SetHeight);
  p.Enum("Align", &TControl::Align, &TControl::SetAlign, AlignNames(), alNone);
  p.String("Caption", &TControl::Caption, &TControl::SetCaption);
  p.Int("Color", &TControl::Color, &TControl::SetColor, std::nullopt, &ColorIdents());
  p.Int("Cursor", &TControl::Cursor, &TControl::SetCursor, 0, &CursorIdents());
  p.Int("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor, -12, &CursorIdents());
  p.Enum("DragMode", &TControl::DragMode, &TControl::SetDragMode, DragModeNames(), dmManual);
  p.Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true);
  p.Object("Font", &TControl::Font, &TControl::SetFont);
  p.Int("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext, 0);
  p.String("Hint", &TControl::Hint, &TControl::SetHint);
  p.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true);
  p.Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true);
  p.Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true);
  p.Component("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
  p.Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
  p.Bool("Visible", &TControl::Visible, &TControl::SetVisible, true);
  p.Event("OnClick", &TControl::OnClick);
  p.Event("OnDblClick", &TControl::OnDblClick);
  p.Event("OnMouseDown", &TControl::OnMouseDown);
  p.Event("OnMouseMove", &TControl::OnMouseMove);
  p.Event("OnMouseUp", &TControl::OnMouseUp);
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_ = new TFont();
  font_->OnChange = TNotifyEvent(this, &TControl::FontObjectChanged);
}

TControl::~TControl() {
  if (destroyed_flag_) *destroyed_flag_ = true;
  BeginDestruction();
  if (g_capture == this) SetCaptureControl(nullptr);
  if (Application) Application->ControlDestroyed(this);
  if (parent_) parent_->RemoveControl(this);
  delete font_;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  DoSetBounds(left, top, width, height);
}

void TControl::DoSetBounds(int left, int top, int width, int height) {
  InvalidateControl(visible_, false);
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  InvalidateControl(visible_, false);
  RequestAlign();
}

void TControl::RequestAlign() {
  if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetClientWidth(int v) { SetWidth(width_ - ClientWidth() + v); }
void TControl::SetClientHeight(int v) { SetHeight(height_ - ClientHeight() + v); }

TPoint TControl::ClientOrigin() const {
  if (!parent_) return TPoint(left_, top_);
  TPoint p = parent_->ClientOrigin();
  return TPoint(p.X + left_, p.Y + top_);
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = ClientOrigin();
  return TPoint(p.X + o.X, p.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = ClientOrigin();
  return TPoint(p.X - o.X, p.Y - o.Y);
}

void TControl::SetAlign(TAlign v) {
  if (v == align_) return;
  align_ = v;
  RequestAlign();
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation(res::SControlParentSelf);
  if (parent_) parent_->RemoveControl(this);
  if (parent) {
    parent->InsertControl(this);
    if (parent_font_) Perform(CM_PARENTFONTCHANGED);
    if (parent_color_) Perform(CM_PARENTCOLORCHANGED);
    if (parent_show_hint_) Perform(CM_PARENTSHOWHINTCHANGED);
  }
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = Cast<TWinControl>(parent)) SetParent(w);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

bool TControl::Showing() const {
  return visible_ && parent_ && parent_->Showing();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  if (!v) InvalidateControl(true, false);
  visible_ = v;
  Perform(CM_VISIBLECHANGED, v);
  if (v) InvalidateControl(true, IsOpaque());
  RequestAlign();
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const std::string& v) {
  if (v == text_) return;
  text_ = v;
  Perform(CM_TEXTCHANGED);
}

void TControl::SetParentFont(bool v) {
  if (v == parent_font_) return;
  parent_font_ = v;
  if (v && parent_) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontObjectChanged(TObject*) {
  if (!assigning_parent_font_) parent_font_ = false;
  FontChanged();
}

void TControl::FontChanged() { Perform(CM_FONTCHANGED); }

void TControl::SetColor(TColor v) {
  if (v == color_) {
    parent_color_ = false;
    return;
  }
  color_ = v;
  parent_color_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
  if (v == parent_color_) return;
  parent_color_ = v;
  if (v && parent_) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetShowHint(bool v) {
  parent_show_hint_ = false;
  if (v == show_hint_) return;
  show_hint_ = v;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool v) {
  if (v == parent_show_hint_) return;
  parent_show_hint_ = v;
  if (v && parent_) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetCursor(int v) {
  if (v == cursor_) return;
  cursor_ = v;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* m) {
  popup_menu_ = m;
  if (m) m->FreeNotification(this);
}

void TControl::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  // A pop-up menu destroyed while assigned is forgotten, never shown.
  if (op == TOperation::opRemove && popup_menu_ && c == popup_menu_) popup_menu_ = nullptr;
}

LRESULT TControl::Perform(UINT msg, WPARAM w, LPARAM l) {
  TMessage m{msg, w, l, 0};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  if (m.Msg == WM_MOUSEMOVE && Application) Application->HintMouseMessage(this, m);
  Dispatch(m);
}

void TControl::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_GETTEXTLENGTH:
      m.Result = static_cast<LRESULT>(text_.size());
      break;
    default:
      break;
  }
}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_MOUSEMOVE:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
      HandleMouse(m);
      return;
    case WM_CANCELMODE:
      control_state_ &= ~(csClicked | csLButtonDown);
      if (g_capture == this) SetCaptureControl(nullptr);
      DefaultHandler(m);
      return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); return;
    case CM_MOUSEENTER: case CM_MOUSELEAVE: CMMouseEnterLeave(m); return;
    case CM_HITTEST: m.Result = 1; return;
    case CM_ENABLEDCHANGED: case CM_FONTCHANGED: case CM_COLORCHANGED:
      Invalidate();
      return;
    case CM_VISIBLECHANGED: case CM_TEXTCHANGED:
      return;
    default:
      DefaultHandler(m);
  }
}

void TControl::HandleMouse(TMessage& m) {
  // Windowed controls let the platform see the message first (an edit places
  // its caret on the press). A platform button clicks there, and the click's
  // handler may destroy the control.
  TDestroyWatch watch(this);
  DefaultHandler(m);
  if (watch.Destroyed()) return;
  TShiftState shift = KeysToShiftState(m.WParam);
  int x = static_cast<short>(LOWORD(m.LParam));
  int y = static_cast<short>(HIWORD(m.LParam));
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (control_style_ & csCaptureMouse) SetCaptureControl(this);
      if (m.Msg == WM_LBUTTONDBLCLK && (control_style_ & csDoubleClicks)) {
        DblClick();
        if (watch.Destroyed()) return;
        MouseDown(mbLeft, shift | ssDouble, x, y);
      } else {
        if (control_style_ & csClickEvents) control_state_ |= csClicked;
        MouseDown(mbLeft, shift, x, y);
      }
      break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, shift | (m.Msg == WM_RBUTTONDBLCLK ? ssDouble : 0), x, y);
      break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK:
      MouseDown(mbMiddle, shift | (m.Msg == WM_MBUTTONDBLCLK ? ssDouble : 0), x, y);
      break;
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      break;
    case WM_LBUTTONUP: {
      bool clicked = control_state_ & csClicked;
      control_state_ &= ~csClicked;
      if (g_capture == this || CaptureControl() == this) SetCaptureControl(nullptr);
      // Only the client area clicks: a release on a window's border is outside.
      if (clicked && x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight()) {
        Click();
        if (watch.Destroyed()) return;
      }
      MouseUp(mbLeft, shift, x, y);
      break;
    }
    case WM_RBUTTONUP:
      MouseUp(mbRight, shift, x, y);
      if (popup_menu_) {
        TPoint p = ClientToScreen(TPoint(x, y));
        popup_menu_->PopupComponent = this;
        popup_menu_->Popup(p.X, p.Y);
      }
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, x, y);
      break;
  }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}
void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::CMParentFontChanged(TMessage& m) {
  if (!parent_font_ || !parent_) return;
  assigning_parent_font_ = true;
  try {
    font_->Assign(parent_->Font());
  } catch (...) {
    assigning_parent_font_ = false;
    throw;
  }
  assigning_parent_font_ = false;
}

void TControl::CMParentColorChanged(TMessage& m) {
  if (!parent_color_ || !parent_) return;
  if (color_ != parent_->Color()) {
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED);
  }
}

void TControl::CMParentShowHintChanged(TMessage& m) {
  if (!parent_show_hint_ || !parent_) return;
  if (show_hint_ != parent_->ShowHint()) {
    show_hint_ = parent_->ShowHint();
    Perform(CM_SHOWHINTCHANGED);
  }
}

void TControl::CMMouseEnterLeave(TMessage& m) {
  // The parent hears of it too, with the control the pointer entered or left.
  if (parent_) parent_->Perform(m.Msg, 0, m.LParam ? m.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::InvalidateControl(bool isVisible, bool isOpaque) {
  if (!isVisible || !parent_ || !parent_->HandleAllocated() || Cast<TWinControl>(this)) return;
  RECT r{left_, top_, left_ + width_, top_ + height_};
  InvalidateRect(parent_->Handle(), &r, !isOpaque);
}

void TControl::Invalidate() { InvalidateControl(visible_, IsOpaque()); }

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::BringToFront() {
  if (!parent_) return;
  TWinControl* p = parent_;
  p->RemoveControl(this);
  p->InsertControl(this);
  Invalidate();
}

TCustomForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return Cast<TCustomForm>(const_cast<TControl*>(c));
}

void TControl::PropertyRead(const std::string& path) {
  if (SameTextAscii(path, "Left")) scale_flags_ |= sfLeft;
  else if (SameTextAscii(path, "Top")) scale_flags_ |= sfTop;
  else if (SameTextAscii(path, "Width")) scale_flags_ |= sfWidth;
  else if (SameTextAscii(path, "Height")) scale_flags_ |= sfHeight;
  else if (SameTextAscii(path, "Font.Height") || SameTextAscii(path, "Font.Size")) scale_flags_ |= sfFont;
}

void TControl::Loaded() {
  TComponent::Loaded();
  // A description leaves out a value that equals its published default (a
  // cute button's height of 25): that is a designed value too, and scales.
  const struct { const char* name; uint8_t flag; } geometry[] = {
      {"Left", sfLeft}, {"Top", sfTop}, {"Width", sfWidth}, {"Height", sfHeight}};
  for (const auto& g : geometry) {
    const TPropInfo* p = ClassType()->FindProp(g.name);
    if (p && p->Default && p->GetOrd && p->GetOrd(this) == *p->Default) scale_flags_ |= g.flag;
  }
  RequestAlign();
}

void TControl::ChangeScale(int m, int d) {
  if (m == d) return;
  // While a window scales what its description set, only those values go: a
  // control the description did not set up (a radio group's option button)
  // is left as it is. At any other time everything is scaled.
  const TCustomForm* form = ParentForm();
  const uint8_t flags = form && form->ScalingDescription()
                            ? scale_flags_
                            : uint8_t{sfLeft | sfTop | sfWidth | sfHeight | sfFont};
  int l = left_, t = top_, w = width_, h = height_;
  if (flags & sfLeft) l = MulDiv(left_, m, d);
  if (flags & sfTop) t = MulDiv(top_, m, d);
  if ((flags & sfWidth) && !(control_style_ & csFixedWidth))
    w = MulDiv(left_ + width_, m, d) - l;
  if ((flags & sfHeight) && !(control_style_ & csFixedHeight))
    h = MulDiv(top_ + height_, m, d) - t;
  SetBounds(l, t, w, h);
  if (!parent_font_ && (flags & sfFont)) font_->SetSize(MulDiv(font_->Size(), m, d));
  scale_flags_ = 0;
}

// ---------------------------------------------------------------------------
// TGraphicControl

ORLO_DEFINE_CLASS(TGraphicControl, TControl) {}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
  canvas_ = new TCanvas();
}

TGraphicControl::~TGraphicControl() {
  BeginDestruction();
  delete canvas_;
}

void TGraphicControl::PaintOn(HDC dc) {
  TCanvasLease lease(*canvas_, dc);
  Paint();
}

void TGraphicControl::Dispatch(TMessage& m) {
  if (m.Msg == WM_PAINT) {
    PaintOn(reinterpret_cast<HDC>(m.WParam));
    return;
  }
  TControl::Dispatch(m);
}

}  // namespace orlo
