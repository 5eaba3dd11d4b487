// Panels: a bevelled surface that holds other controls and shows a caption.
// TCustomPanel is also the base of self-painted buttons, which drive the outer
// bevel as their face state.
#pragma once
#include "controls.h"

namespace orlo {

enum TPanelBevel : uint8_t { bvNone, bvLowered, bvRaised };
const TEnumNames& PanelBevelNames();

class TCustomPanel : public TCustomControl {
  ORLO_CLASS(TCustomPanel)
public:
  // 185 x 41, raised outer bevel of 1 pixel, centred caption, button face.
  explicit TCustomPanel(TComponent* owner);

  // The bevel setters store without comparing, re-align the children and
  // repaint, so setting the current value still repaints.
  TPanelBevel OuterBevel() const { return outer_bevel_; }
  void SetOuterBevel(TPanelBevel v);
  TPanelBevel InnerBevel() const { return inner_bevel_; }
  void SetInnerBevel(TPanelBevel v);
  int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int v);
  // Stores and repaints, also without comparing.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  // bsSingle adds the platform border; a change makes the window again.
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle v);
  // True: a change of size repaints the whole panel.
  bool FullRepaint() const { return full_repaint_; }
  void SetFullRepaint(bool v) { full_repaint_ = v; }

  void Paint() override;

protected:
  void CreateParams(TCreateParams& p) override;
  void AlignControls(TControl* control, TRect& rect) override;
  void Dispatch(TMessage& m) override;

private:
  TPanelBevel outer_bevel_ = bvRaised;
  TPanelBevel inner_bevel_ = bvNone;
  int bevel_width_ = 1;
  TAlignment alignment_ = taCenter;
  TBorderStyle border_style_ = bsNone;
  bool full_repaint_ = true;
};

class TPanel : public TCustomPanel {
  ORLO_CLASS(TPanel)
public:
  using TCustomPanel::TCustomPanel;
  // Published under the names descriptions use.
  TPanelBevel BevelOuter() const { return OuterBevel(); }
  void SetBevelOuter(TPanelBevel v) { SetOuterBevel(v); }
  TPanelBevel BevelInner() const { return InnerBevel(); }
  void SetBevelInner(TPanelBevel v) { SetInnerBevel(v); }
};

}  // namespace orlo
