#include "speed_button.h"

#include "class_builder.h"
#include "std_controls.h"

namespace orlo {

const TEnumNames& ButtonLayoutNames() {
  static const TEnumNames n{"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
  return n;
}

ORLO_DEFINE_CLASS(TSpeedButton, TGraphicControl) {
  p.Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false);
  p.Int("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0);
  p.Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false);
  p.Object("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
  p.Int("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1);
  p.Enum("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout, ButtonLayoutNames(),
         blGlyphLeft);
  p.Int("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, -1);
  p.Int("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, 4);
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(new TButtonGlyph) {
  SetControlStyle(csCaptureMouse | csOpaque | csDoubleClicks);
  width_ = 25;
  height_ = 25;
  glyph_->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  AddButtonPatternUser();
}

TSpeedButton::~TSpeedButton() {
  BeginDestruction();
  delete glyph_;
  RemoveButtonPatternUser();
}

// --- properties ---------------------------------------------------------------------

void TSpeedButton::SetAllowAllUp(bool v) {
  if (v == allow_all_up_) return;
  allow_all_up_ = v;
  AnnounceToGroup();
}

void TSpeedButton::SetGroupIndex(int v) {
  if (v == group_index_) return;
  group_index_ = v;
  // Only a member of a group stays down: leaving every group releases it.
  if (v == 0 && down_) {
    down_ = false;
    state_ = bsUp;
    Invalidate();
  }
  AnnounceToGroup();
}

void TSpeedButton::SetDown(bool v) {
  if (group_index_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allow_all_up_) return;  // a pressed member cannot release itself
  down_ = v;
  state_ = v ? bsExclusive : bsUp;
  Invalidate();
  if (v) AnnounceToGroup();
}

void TSpeedButton::SetGlyph(TBitmap* b) { glyph_->SetGlyph(b); }

void TSpeedButton::SetNumGlyphs(int v) { glyph_->SetNumGlyphs(v); }

void TSpeedButton::SetLayout(TButtonLayout v) {
  if (v == layout_) return;
  layout_ = v;
  Invalidate();
}

void TSpeedButton::SetMargin(int v) {
  if (v == margin_ || v < -1) return;
  margin_ = v;
  Invalidate();
}

void TSpeedButton::SetSpacing(int v) {
  if (v == spacing_) return;
  spacing_ = v;
  Invalidate();
}

void TSpeedButton::GlyphChanged(TObject*) { Invalidate(); }

// --- grouping -------------------------------------------------------------------------

void TSpeedButton::AnnounceToGroup() {
  if (group_index_ == 0 || !Parent()) return;
  TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(group_index_), reinterpret_cast<LPARAM>(this), 0};
  Parent()->Broadcast(m);
}

void TSpeedButton::CMButtonPressed(TMessage& m) {
  if (static_cast<int>(m.WParam) != group_index_) return;
  auto* sender = Cast<TSpeedButton>(reinterpret_cast<TControl*>(m.LParam));
  if (!sender || sender == this) return;
  if (sender->Down() && down_) {
    down_ = false;
    state_ = bsUp;
    Invalidate();
  }
  allow_all_up_ = sender->AllowAllUp();
}

// --- painting -------------------------------------------------------------------------

TRect TSpeedButton::DrawFace(TCanvas& canvas, bool pressed) {
  // The platform's edges bring their own pens and brushes.
  HDC dc = canvas.BareHandle();
  RECT r{0, 0, Width(), Height()};
  if (!pressed) {
    DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_BOTTOMRIGHT);
    r.right -= 1;
    r.bottom -= 1;
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_TOPLEFT);
    r.left += 1;
    r.top += 1;
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_BOTTOMRIGHT | BF_MIDDLE);
  } else {
    DrawEdge(dc, &r, BDR_SUNKENINNER, BF_TOPLEFT);
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_BOTTOMRIGHT);
    InflateRect(&r, -1, -1);
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_TOPLEFT | BF_MIDDLE);
  }
  TRect content(1, 1, Width() - 2, Height() - 2);
  if (pressed) content.Offset(1, 1);
  return content;
}

void TSpeedButton::LayoutContent(TCanvas& canvas, const TRect& content, TPoint& glyphAt,
                                 TRect& textRect) {
  const TSize glyph = glyph_->ImageSize();
  TSize text;
  const std::string caption = Caption();
  if (!caption.empty()) {
    TRect r(0, 0, content.Width(), 0);
    canvas.DrawText(caption, r, DT_CALCRECT);
    text = TSize{r.Width(), r.Height()};
  }

  // Along the layout axis (a) and across it (b).
  const bool acrossX = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  const int ca = acrossX ? content.Width() : content.Height();
  const int cb = acrossX ? content.Height() : content.Width();
  const int ga = acrossX ? glyph.cx : glyph.cy;
  const int gb = acrossX ? glyph.cy : glyph.cx;
  const int ta = acrossX ? text.cx : text.cy;
  const int tb = acrossX ? text.cy : text.cx;

  const int glyphB = (cb - gb + 1) / 2;
  const int textB = (cb - tb + 1) / 2;
  int m = margin_;
  int s = spacing_;
  if (text.cx == 0 || glyph.cx == 0) s = 0;
  if (m == -1 && s == -1) {
    m = s = (ca - (ga + ta)) / 3;
  } else if (m == -1) {
    m = (ca - (ga + s + ta) + 1) / 2;
  } else if (s == -1) {
    s = ((ca - (m + ga)) - ta) / 2;
  }
  int glyphA, textA;
  if (layout_ == blGlyphLeft || layout_ == blGlyphTop) {
    glyphA = m;
    textA = m + ga + s;
  } else {
    glyphA = ca - m - ga;
    textA = glyphA - s - ta;
  }

  glyphAt = acrossX ? TPoint(glyphA, glyphB) : TPoint(glyphB, glyphA);
  glyphAt.X += content.Left;
  glyphAt.Y += content.Top;
  const TPoint textAt = acrossX ? TPoint(textA, textB) : TPoint(textB, textA);
  textRect = Bounds(content.Left + textAt.X, content.Top + textAt.Y, text.cx, text.cy);
}

void TSpeedButton::DrawCaption(TCanvas& canvas, TRect r) {
  const std::string caption = Caption();
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  canvas.Brush()->SetStyle(bsClear);
  if (state_ == bsDisabled) {
    TRect shifted = r;
    shifted.Offset(1, 1);
    canvas.Font()->SetColor(clWhite);
    canvas.DrawText(caption, shifted, flags);
    canvas.Font()->SetColor(clGray);
  }
  canvas.DrawText(caption, r, flags);
}

void TSpeedButton::Paint() {
  if (!Enabled()) {
    state_ = bsDisabled;
    dragging_ = false;
  } else if (state_ == bsDisabled) {
    state_ = down_ && group_index_ != 0 ? bsExclusive : bsUp;
  }
  TCanvas& c = *Canvas();
  c.SetFont(Font());
  TRect content = DrawFace(c, state_ == bsDown || state_ == bsExclusive);
  if (state_ == bsExclusive) {
    content.Right -= 1;
    content.Bottom -= 1;
    RECT r = content;
    FillRect(c.BareHandle(), &r, ButtonPatternBrush());
  }
  TPoint glyphAt;
  TRect textRect;
  LayoutContent(c, content, glyphAt, textRect);
  glyph_->Draw(c, glyphAt.X, glyphAt.Y, state_, state_ == bsExclusive);
  if (!Caption().empty()) DrawCaption(c, textRect);
}

// --- mouse and keys -------------------------------------------------------------------

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TDestroyWatch watch(this);
  TGraphicControl::MouseDown(button, shift, x, y);
  if (watch.Destroyed() || button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  TDestroyWatch watch(this);
  TGraphicControl::MouseMove(shift, x, y);
  if (watch.Destroyed() || !dragging_) return;
  TButtonState s = down_ ? bsExclusive : bsUp;
  if (Inside(x, y)) s = down_ ? bsExclusive : bsDown;
  if (s == state_) return;
  state_ = s;
  Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TDestroyWatch watch(this);
  TGraphicControl::MouseUp(button, shift, x, y);
  if (watch.Destroyed() || button != mbLeft || !dragging_) return;
  dragging_ = false;
  const bool inside = Inside(x, y);
  state_ = bsUp;
  if (group_index_ != 0) {
    if (inside) SetDown(!down_);
    // A member that stays down (released outside, or pressed again without
    // AllowAllUp) shows as held down, not as up.
    if (down_) state_ = bsExclusive;
  }
  Invalidate();
  if (inside) Click();
}

void TSpeedButton::DblClick() {
  if (!muting_double_click_) TGraphicControl::DblClick();
}

void TSpeedButton::LeftDoubleClick(TMessage& m) {
  TDestroyWatch watch(this);
  muting_double_click_ = true;
  try {
    TGraphicControl::Dispatch(m);
  } catch (...) {
    if (!watch.Destroyed()) muting_double_click_ = false;
    throw;
  }
  if (watch.Destroyed()) return;
  muting_double_click_ = false;
  if (down_) TGraphicControl::DblClick();
}

void TSpeedButton::CMDialogChar(TMessage& m) {
  if (IsAccel(static_cast<unsigned>(m.WParam), Caption()) && Enabled() && Visible()) {
    Click();
    m.Result = 1;
    return;
  }
  TGraphicControl::Dispatch(m);
}

void TSpeedButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_ENABLEDCHANGED:
      // A press in progress ends with the button disabled: its release must
      // not click, and the face does not come back pressed.
      if (!Enabled() && dragging_) {
        dragging_ = false;
        state_ = down_ ? bsExclusive : bsUp;
      }
      glyph_->PrepareImage(Enabled() ? bsUp : bsDisabled);
      Invalidate();
      return;
    case CM_FONTCHANGED: case CM_TEXTCHANGED:
      Invalidate();
      return;
    case CM_SYSCOLORCHANGE:
      glyph_->DropImages();
      glyph_->PrepareImage(state_);
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(m);
      return;
    case CM_BUTTONPRESSED:
      CMButtonPressed(m);
      return;
    case WM_LBUTTONDBLCLK:
      LeftDoubleClick(m);
      return;
    default:
      TGraphicControl::Dispatch(m);
  }
}

}  // namespace orlo
