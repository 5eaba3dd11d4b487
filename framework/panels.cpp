#include "panels.h"

#include "class_builder.h"

namespace orlo {

const TEnumNames& PanelBevelNames() {
  static const TEnumNames n{"bvNone", "bvLowered", "bvRaised"};
  return n;
}

ORLO_DEFINE_CLASS(TCustomPanel, TCustomControl) {}

ORLO_DEFINE_CLASS(TPanel, TCustomPanel) {
  p.Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment, AlignmentNames(), taCenter);
  p.Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, PanelBevelNames(), bvNone);
  p.Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter, PanelBevelNames(), bvRaised);
  p.Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1);
  p.Enum("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle, BorderStyleNames(), bsNone);
  p.Int("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0);
  p.Bool("FullRepaint", &TPanel::FullRepaint, &TPanel::SetFullRepaint, true);
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque |
                  csDoubleClicks);
  width_ = 185;
  height_ = 41;
  SetColor(clBtnFace);
}

void TCustomPanel::SetOuterBevel(TPanelBevel v) {
  outer_bevel_ = v;
  Realign();
  Invalidate();
}

void TCustomPanel::SetInnerBevel(TPanelBevel v) {
  inner_bevel_ = v;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int v) {
  bevel_width_ = v;
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment v) {
  alignment_ = v;
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle v) {
  if (v == border_style_) return;
  border_style_ = v;
  RecreateWnd();
}

void TCustomPanel::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  if (border_style_ == bsSingle) p.Style |= WS_BORDER;
}

void TCustomPanel::AlignControls(TControl* control, TRect& rect) {
  // Children stay inside the bevels.
  int inset = 0;
  if (outer_bevel_ != bvNone) inset += bevel_width_;
  if (inner_bevel_ != bvNone) inset += bevel_width_;
  rect.Inflate(-inset, -inset);
  TCustomControl::AlignControls(control, rect);
}

void TCustomPanel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      return;
    case WM_SIZE:
      TCustomControl::Dispatch(m);
      if (full_repaint_) Invalidate();
      return;
    default:
      TCustomControl::Dispatch(m);
  }
}

namespace {
void BevelColors(TPanelBevel bevel, TColor& topLeft, TColor& bottomRight) {
  topLeft = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
  bottomRight = bevel == bvLowered ? clBtnHighlight : clBtnShadow;
}
}  // namespace

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  TColor topLeft, bottomRight;
  if (outer_bevel_ != bvNone) {
    BevelColors(outer_bevel_, topLeft, bottomRight);
    DrawBevelFrame(*c, r, topLeft, bottomRight, bevel_width_);
  }
  r.Inflate(-BorderWidth(), -BorderWidth());  // the border keeps the fill colour
  if (inner_bevel_ != bvNone) {
    BevelColors(inner_bevel_, topLeft, bottomRight);
    DrawBevelFrame(*c, r, topLeft, bottomRight, bevel_width_);
  }
  static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  c->DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | kAlign[alignment_]);
}

}  // namespace orlo
