#include "cute_button.h"

#include <algorithm>
#include <cstdint>
#include <exception>

#include "application.h"
#include "class_builder.h"
#include "forms.h"

namespace orlo {

const TEnumNames& TextLayoutNames() {
  static const TEnumNames n{"tlTop", "tlCenter", "tlBottom"};
  return n;
}

ORLO_DEFINE_CLASS(TCuteButtonTimer, TTimer) {
  p.Field("FCuteButton", &TCuteButtonTimer::FCuteButton);
}

ORLO_DEFINE_CLASS(TCuteButton, TCustomPanel) {
  p.Inherited({"Name", "Tag", "Left", "Top", "Cursor", "Hint", "HelpContext", "Caption",
               "DragCursor", "DragMode", "Enabled", "Font", "ParentFont", "ParentShowHint",
               "PopupMenu", "ShowHint", "TabOrder", "Visible", "OnClick", "OnEnter", "OnExit",
               "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  p.Enum("Alignment", &TCuteButton::Alignment, &TCuteButton::SetAlignment, AlignmentNames(), taCenter);
  p.Int("BevelWidth", &TCuteButton::BevelWidth, &TCuteButton::SetBevelWidth, 1);
  p.Int("BevelHighlightColor", &TCuteButton::BevelHighlightColor,
        &TCuteButton::SetBevelHighlightColor, clBtnHighlight, &ColorIdents());
  p.Int("BevelShadowColor", &TCuteButton::BevelShadowColor, &TCuteButton::SetBevelShadowColor,
        clBtnShadow, &ColorIdents());
  p.Enum("BorderStyle", &TCuteButton::BorderStyle, &TCuteButton::SetBorderStyle,
         BorderStyleNames(), bsNone);
  p.Object("Brush", &TCuteButton::Brush);
  p.Int("Color", &TCuteButton::Color, &TCuteButton::SetColor, clBtnFace, &ColorIdents());
  p.Int("DisabledColor", &TCuteButton::DisabledColor, &TCuteButton::SetDisabledColor, clGray,
        &ColorIdents());
  p.Int("DropDownDelay", &TCuteButton::DropDownDelay, &TCuteButton::SetDropDownDelay, 0);
  p.Component("DropDownMenu", &TCuteButton::DropDownMenu, &TCuteButton::SetDropDownMenu);
  p.Bool("EgnoreContClick", &TCuteButton::EgnoreContClick, &TCuteButton::SetEgnoreContClick);
  p.Bool("Flat", &TCuteButton::Flat, &TCuteButton::SetFlat);
  p.Int("Height", &TCuteButton::Height, &TCuteButton::SetHeight, 25);
  p.Enum("Layout", &TCuteButton::Layout, &TCuteButton::SetLayout, TextLayoutNames(), tlCenter);
  p.Int("MarginX", &TCuteButton::MarginX, &TCuteButton::SetMarginX, -1);
  p.Int("MarginY", &TCuteButton::MarginY, &TCuteButton::SetMarginY, -1);
  p.Bool("ShowFocusRect", &TCuteButton::ShowFocusRect, &TCuteButton::SetShowFocusRect);
  p.Bool("TabFocusUp", &TCuteButton::TabFocusUp, &TCuteButton::SetTabFocusUp, true);
  p.Bool("TabStop", &TCuteButton::TabStop, &TCuteButton::SetTabStop, true);
  p.Bool("UseDisabledColor", &TCuteButton::UseDisabledColor, &TCuteButton::SetUseDisabledColor);
  p.Int("Width", &TCuteButton::Width, &TCuteButton::SetWidth, 75);
  p.Event("OnMouseEnter", &TCuteButton::OnMouseEnter);
  p.Event("OnMouseLeave", &TCuteButton::OnMouseLeave);
  // The panel base made the colour the button's own.
  p.Bool("ParentColor", &TCuteButton::ParentColor, &TCuteButton::SetParentColor, false);
}

TCuteButton::TCuteButton(TComponent* owner) : TCustomPanel(owner) {
  // A button holds no controls: its window does not clip children.
  SetControlStyle(ControlStyle() & ~csAcceptsControls);
  FBevelHighlightColor = clBtnHighlight;
  FBevelShadowColor = clBtnShadow;
  FDisabledColor = clGray;
  FDropDownDelay = 0;
  FLayout = tlCenter;
  FMarginX = -1;
  FMarginY = -1;
  SetOuterBevel(bvNone);
  SetInnerBevel(bvRaised);
  SetHeight(25);
  FTabFocusUp = true;
  SetTabStop(true);
  SetWidth(75);
  Brush()->OnChange = TNotifyEvent(this, &TCuteButton::BrushChanged);
}

// --- properties ------------------------------------------------------------------

void TCuteButton::SetBevelHighlightColor(TColor v) {
  if (v == FBevelHighlightColor) return;
  FBevelHighlightColor = v;
  Invalidate();
}

void TCuteButton::SetBevelShadowColor(TColor v) {
  if (v == FBevelShadowColor) return;
  FBevelShadowColor = v;
  Invalidate();
}

// The disabled face colour shows only while disabled.
void TCuteButton::SetDisabledColor(TColor v) {
  if (v == FDisabledColor) return;
  FDisabledColor = v;
  if (!Enabled()) Invalidate();
}

void TCuteButton::SetUseDisabledColor(bool v) {
  if (v == FUseDisabledColor) return;
  FUseDisabledColor = v;
  if (!Enabled()) Invalidate();
}

void TCuteButton::SetDropDownMenu(TPopupMenu* v) {
  if (v == FDropDownMenu) return;
  // The link may serve the pop-up menu too; keep it then.
  if (FDropDownMenu && FDropDownMenu != PopupMenu()) FDropDownMenu->RemoveFreeNotification(this);
  FDropDownMenu = v;
  if (v) v->FreeNotification(this);
  Invalidate();
}

void TCuteButton::SetFlat(bool v) {
  if (v == FFlat) return;
  FFlat = v;
  SetInnerBevel(v ? bvNone : bvRaised);
}

void TCuteButton::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TCuteButton::SetShowFocusRect(bool v) {
  if (v == FShowFocusRect) return;
  FShowFocusRect = v;
  Invalidate();
}

void TCuteButton::SetMarginX(int v) {
  v = std::max(v, -1);
  if (v == FMarginX) return;
  FMarginX = v;
  Invalidate();
}

void TCuteButton::SetMarginY(int v) {
  v = std::max(v, -1);
  if (v == FMarginY) return;
  FMarginY = v;
  Invalidate();
}

void TCuteButton::BrushChanged(TObject*) { Invalidate(); }

void TCuteButton::Notification(TComponent* c, TOperation op) {
  TCustomPanel::Notification(c, op);
  if (op != TOperation::opRemove) return;
  if (c == FDropDownMenu) FDropDownMenu = nullptr;
  if (c == FTimer) FTimer = nullptr;
}

// --- painting --------------------------------------------------------------------

namespace {

// Text rectangle edges are worked out wide: twice a bevel width need not fit
// an int, and the platform's text drawing wants sane coordinates.
int ClampCoordinate(int64_t v) {
  constexpr int64_t kLimit = 1 << 26;
  return static_cast<int>(std::clamp<int64_t>(v, -kLimit, kLimit));
}

}  // namespace

// Everything a face is painted from besides its state (the outer bevel).
TCuteButton::TFaceKey TCuteButton::CurrentFaceKey() const {
  TFaceKey k;
  const TRect client = ClientRect();
  const TFont* f = Font();
  k.ints = {client.Width(), client.Height(), Brush()->Color(), Brush()->Style(),
            FDisabledColor, FUseDisabledColor, Enabled(), InnerBevel(), BevelWidth(),
            FBevelHighlightColor, FBevelShadowColor, FFlat, Alignment(), FLayout, FMarginX,
            FMarginY, f->Height(), f->Charset(), static_cast<int>(f->Style().Bits()), f->Pitch(),
            f->Color(), static_cast<int>(SystemColorsGeneration())};
  k.fontName = f->Name();
  k.caption = TControl::GetText();
  return k;
}

void TCuteButton::Paint() {
  TCanvas* c = Canvas();
  const TRect client = ClientRect();
  // A face is the same picture for as long as nothing it is painted from
  // changes, so each state's face is painted once into a bitmap of its own
  // and copied onto the window after that. A face that lets anything
  // through (a clear or pattern brush) or would take a large bitmap is
  // painted straight on.
  const bool opaque = Brush()->Style() == bsSolid && !Brush()->Bitmap();
  const int64_t pixels = int64_t{client.Width()} * client.Height();
  if (!opaque || pixels <= 0 || pixels > kMaxCachedFacePixels) {
    FFaces = {};
    PaintFace(*c);
  } else {
    TFaceKey key = CurrentFaceKey();
    if (!(key == FFaceKey)) {
      FFaces = {};
      FFaceKey = std::move(key);
    }
    std::unique_ptr<TMemoryCanvas>& face = FFaces[static_cast<size_t>(OuterBevel())];
    if (!face) {
      auto painted = std::make_unique<TMemoryCanvas>(client.Width(), client.Height());
      PaintFace(*painted);
      face = std::move(painted);
    }
    BitBlt(c->BareHandle(), 0, 0, client.Width(), client.Height(), face->BareHandle(), 0, 0,
           SRCCOPY);
  }
  if (FShowFocusRect && Focused()) {
    TRect t = TextRect();
    t.Inflate(-2, -2);
    c->DrawFocusRect(t);
  }
}

TRect TCuteButton::TextRect() const {
  // The text rectangle does not follow the face: only a press shifts it.
  const TRect client = ClientRect();
  const int width = BevelWidth();
  const int64_t d = FFlat ? int64_t{width} : 2 * int64_t{width};
  int64_t left = client.Left + d, top = client.Top + d;
  int64_t right = client.Right - d, bottom = client.Bottom - d;
  if (FMarginX != -1) {
    if (Alignment() == taLeftJustify) left += FMarginX;
    else if (Alignment() == taRightJustify) right -= FMarginX;
  }
  if (FMarginY != -1) {
    if (FLayout == tlTop) top += FMarginY;
    else if (FLayout == tlBottom) bottom -= FMarginY;
  }
  if (OuterBevel() == bvLowered) {
    left += 2;
    top += 2;
  }
  return TRect(ClampCoordinate(left), ClampCoordinate(top), ClampCoordinate(right),
               ClampCoordinate(bottom));
}

void TCuteButton::PaintFace(TCanvas& canvas) {
  TCanvas* c = &canvas;
  TRect r = ClientRect();

  c->SetBrush(Brush());
  if (FUseDisabledColor && !Enabled()) c->Brush()->SetColor(FDisabledColor);
  c->FillRect(r);
  // Text goes on the face without a background box: the brush turned clear
  // keeps the face colour as background colour and makes the mode transparent.
  c->Brush()->SetStyle(bsClear);

  const int width = BevelWidth();
  auto bevel = [&](TPanelBevel b) {
    if (b == bvLowered)
      DrawBevelFrame(*c, r, FBevelShadowColor, FBevelHighlightColor, width);
    else if (b == bvRaised)
      DrawBevelFrame(*c, r, FBevelHighlightColor, FBevelShadowColor, width);
  };
  bevel(OuterBevel());
  bevel(InnerBevel());

  TRect t = TextRect();
  const UINT horizontal = Alignment() == taRightJustify ? DT_RIGHT
                         : Alignment() == taCenter       ? DT_CENTER
                                                         : DT_LEFT;
  const UINT vertical = FLayout == tlCenter ? DT_VCENTER : FLayout == tlBottom ? DT_BOTTOM : DT_TOP;
  const UINT format = horizontal | vertical | DT_SINGLELINE;

  // The caption is clipped to the text rectangle: an empty one shows none
  // (the platform would straighten one turned inside out).
  const std::string caption = t.IsEmpty() ? std::string() : TControl::GetText();
  c->SetFont(Font());
  if (!Enabled()) {
    // Embossed: a highlight copy one pixel down-right under the shadow text.
    c->Font()->SetColor(clBtnHighlight);
    t.Offset(1, 1);
    c->DrawText(caption, t, format);
    t.Offset(-1, -1);
    c->Font()->SetColor(clBtnShadow);
  }
  c->DrawText(caption, t, format);
}

// --- clicks ----------------------------------------------------------------------

void TCuteButton::Click() {
  // The release that ends a drop-down press is not a click.
  if (FDropDownShowing) {
    FDropDownShowing = false;
    return;
  }
  if (!FEgnoreContClick) {
    TCustomPanel::Click();
    return;
  }
  // Clicks that reach the button while the handler runs, or while the
  // messages queued meanwhile are handled, find no handler and are lost.
  TNotifyEvent handler = OnClick;
  OnClick = nullptr;
  TDestroyWatch watch(this);
  std::exception_ptr error;
  try {
    TCustomPanel::Click();
    if (handler) handler(this);
  } catch (...) {
    error = std::current_exception();
  }
  if (handler) Application->ProcessMessages();
  // Put back even after a failed handler, or the button would stay dead.
  if (!watch.Destroyed()) OnClick = handler;
  if (error) std::rethrow_exception(error);
}

void TCuteButton::FaceUpOrNone() { SetOuterBevel(FTabFocusUp ? bvRaised : bvNone); }

// --- mouse -----------------------------------------------------------------------

void TCuteButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!ParentForm()) throw EInvalidOperation(Format(res::SParentRequired, Name()));
  SetFocus();
  if (button == mbLeft) SetOuterBevel(bvLowered);
  TDestroyWatch watch(this);
  TCustomPanel::MouseDown(button, shift, x, y);
  if (watch.Destroyed()) return;
  if (FDropDownMenu && button == mbLeft) {
    FKeyDropDown = false;
    StartDropDown();
  }
}

void TCuteButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    TCustomForm* form = ParentForm();
    if (ClientRect().Contains(TPoint(x, y)))
      SetOuterBevel(bvRaised);
    else if (FTabFocusUp && form && form->ActiveControl() == this)
      SetOuterBevel(bvRaised);
    else
      SetOuterBevel(bvNone);
  }
  TDestroyWatch watch(this);
  TCustomPanel::MouseUp(button, shift, x, y);
  if (watch.Destroyed()) return;
  DropTimer();
  if (CaptureControl() == this) SetCaptureControl(nullptr);
}

void TCuteButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGCHAR:
      DialogChar(m);
      return;
    case WM_SETTEXT:
      // Painting reads the stored caption: asking the window for its text
      // costs a trip through the window procedure on every paint. Text set
      // on the window directly is stored and shown too.
      TCustomPanel::Dispatch(m);
      SetControlText(m.LParam ? reinterpret_cast<const char*>(m.LParam) : "");
      Invalidate();
      return;
    case CM_ENABLEDCHANGED:
      TCustomPanel::Dispatch(m);
      Invalidate();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      TDestroyWatch watch(this);
      TCustomPanel::Dispatch(m);
      // The button's own notification, not one passed up from a child.
      if (watch.Destroyed() || (m.LParam != 0 && m.LParam != reinterpret_cast<LPARAM>(this)))
        return;
      TShiftState shift = KeyboardShiftState();
      POINT cursor{};
      GetCursorPos(&cursor);
      TPoint p = ScreenToClient(TPoint(cursor.x, cursor.y));
      if (m.Msg == CM_MOUSEENTER)
        MouseEnter(shift, p.X, p.Y);
      else
        MouseLeave(shift, p.X, p.Y);
      return;
    }
    default:
      TCustomPanel::Dispatch(m);
  }
}

// The framework starts no drag operation of controls, so no drag from the
// form's active control can be under way here.
void TCuteButton::MouseEnter(TShiftState shift, int x, int y) {
  if (OnMouseEnter) {
    TDestroyWatch watch(this);
    OnMouseEnter(this, shift, x, y);
    if (watch.Destroyed()) return;
  }
  SetOuterBevel((shift & ssLeft) ? bvLowered : bvRaised);
}

void TCuteButton::MouseLeave(TShiftState shift, int x, int y) {
  if (OnMouseLeave) {
    TDestroyWatch watch(this);
    OnMouseLeave(this, shift, x, y);
    if (watch.Destroyed()) return;
  }
  // A focused button that shows its focus keeps its face, pressed included.
  if (!(Focused() && FTabFocusUp)) SetOuterBevel(bvNone);
}

// --- keyboard and focus ------------------------------------------------------------

void TCuteButton::KeyDown(uint16_t& key, TShiftState shift) {
  TDestroyWatch watch(this);
  TCustomPanel::KeyDown(key, shift);
  if (watch.Destroyed() || !Enabled()) return;
  if (key == VK_SPACE) {
    FSpaceDown = true;
    SetOuterBevel(bvLowered);
    if (FDropDownMenu) {
      FKeyDropDown = true;
      StartDropDown();
    }
  } else if (key == VK_RETURN) {
    SetOuterBevel(bvLowered);
    if (FDropDownMenu && FDropDownDelay == 0)
      ShowDropDown();
    else
      Click();
    if (watch.Destroyed()) return;
    FaceUpOrNone();
  } else if (FSpaceDown) {
    // Another key cancels a pending Space: its release will not click.
    FSpaceDown = false;
    FaceUpOrNone();
  }
}

void TCuteButton::KeyUp(uint16_t& key, TShiftState shift) {
  TDestroyWatch watch(this);
  TCustomPanel::KeyUp(key, shift);
  if (watch.Destroyed()) return;
  DropTimer();
  if (FSpaceDown && key == VK_SPACE) {
    FSpaceDown = false;
    Click();
    if (watch.Destroyed()) return;
    FaceUpOrNone();
  }
}

void TCuteButton::DoEnter() {
  if (FTabFocusUp) SetOuterBevel(bvRaised);
  TCustomPanel::DoEnter();
}

void TCuteButton::DoExit() {
  TDestroyWatch watch(this);
  TCustomPanel::DoExit();
  if (!watch.Destroyed()) SetOuterBevel(bvNone);
}

bool TCuteButton::IsAccelerator(unsigned char c) const {
  const std::string caption = Caption();
  size_t amp = caption.find('&');
  if (amp == std::string::npos || amp + 1 >= caption.size()) return false;
  char mine = caption[amp + 1];
  char offered = static_cast<char>(c);
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, &mine, 1, &offered, 1) ==
         CSTR_EQUAL;
}

void TCuteButton::DialogChar(TMessage& m) {
  // The button's own visibility is not asked, only its parent's.
  if (!IsAccelerator(static_cast<unsigned char>(m.WParam & 0xFF)) || !Enabled() || !Parent() ||
      !Parent()->Visible()) {
    TCustomPanel::Dispatch(m);
    return;
  }
  TDestroyWatch watch(this);
  SetOuterBevel(bvLowered);
  if (FDropDownMenu && FDropDownDelay == 0)
    ShowDropDown();
  else
    Click();
  m.Result = 1;
  if (!watch.Destroyed()) FaceUpOrNone();
}

// --- drop-down menu ----------------------------------------------------------------

void TCuteButton::DropTimer() {
  if (!FTimer) return;
  TCuteButtonTimer* timer = FTimer;
  FTimer = nullptr;
  timer->Free();
}

void TCuteButton::StartDropDown() {
  if (FDropDownDelay <= 0) {
    ShowDropDown();
    return;
  }
  // An armed delay is not restarted (key repeat of Space).
  if (FTimer) return;
  FTimer = new TCuteButtonTimer(this);
  FTimer->FCuteButton = this;
  FTimer->SetInterval(static_cast<unsigned>(FDropDownDelay));
  // The platform timer starts here, once the timer has its handler.
  FTimer->SetOnTimer(TNotifyEvent(this, &TCuteButton::TimerExpired));
  FTimer->SetEnabled(true);
}

void TCuteButton::TimerExpired(TObject* sender) {
  if (!sender) throw EInvalidCast(res::SInvalidCast);
  TCuteButtonTimer* timer = As<TCuteButtonTimer>(sender);
  if (timer->FCuteButton) timer->FCuteButton->FTimer = nullptr;
  timer->Free();
  if (FKeyDropDown) {
    ShowDropDown();
  } else if (CaptureControl() == this) {
    // Still held down on the button.
    TDestroyWatch watch(this);
    ShowDropDown();
    if (!watch.Destroyed() && CaptureControl() == this) SetCaptureControl(nullptr);
  }
}

void TCuteButton::ShowDropDown() {
  if (!FDropDownMenu) return;
  const TPoint p = ClientToScreen(TPoint(0, Height()));
  FDropDownShowing = true;
  TDestroyWatch watch(this);
  try {
    // Paints the pressed face; a release already queued is swallowed here.
    Application->ProcessMessages();
    if (watch.Destroyed()) return;
    if (FDropDownMenu) FDropDownMenu->Popup(p.X, p.Y);
    if (watch.Destroyed()) return;
    if (FKeyDropDown) {
      uint16_t key = VK_SPACE;
      KeyUp(key, 0);
    } else {
      MouseUp(mbLeft, 0, 0, 0);
      // The press ended with the menu: a release that still reaches the
      // button must not click.
      SetControlState(ControlState() & ~csClicked);
    }
  } catch (...) {
    // A failed menu command must not leave the next click swallowed.
    if (!watch.Destroyed()) FDropDownShowing = false;
    throw;
  }
  if (!watch.Destroyed()) FDropDownShowing = false;
}

}  // namespace orlo
