// The speed button: a small picture button without a window of its own,
// optionally one of a group of which one button at a time stays down.
#pragma once
#include <windows.h>

#include <string>

#include "button_glyph.h"
#include "controls.h"

namespace orlo {

// Where the glyph stands relative to the caption.
enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
const TEnumNames& ButtonLayoutNames();

class TSpeedButton : public TGraphicControl {
  ORLO_CLASS(TSpeedButton)
public:
  explicit TSpeedButton(TComponent* owner);  // 25 x 25
  ~TSpeedButton() override;

  // In a group, whether the pressed button may be released so that none is down.
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool v);
  // 0: an ordinary push button; otherwise the buttons of one parent with the
  // same value form a group.
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int v);
  // Held down; only a button of a group can be.
  bool Down() const { return down_; }
  void SetDown(bool v);
  // The picture, with NumGlyphs images side by side (up, disabled, down,
  // held down); setting copies it.
  TBitmap* Glyph() const { return glyph_->Glyph(); }
  void SetGlyph(TBitmap* b);
  int NumGlyphs() const { return glyph_->NumGlyphs(); }
  void SetNumGlyphs(int v);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout v);
  // Distance of the glyph from its edge; -1 centres glyph and caption.
  int Margin() const { return margin_; }
  void SetMargin(int v);
  // Distance between glyph and caption; -1 shares the room out evenly.
  int Spacing() const { return spacing_; }
  void SetSpacing(int v);

  // The face being shown.
  TButtonState State() const { return state_; }
  // The glyph holder (its cached images, for checks).
  TButtonGlyph* GlyphHolder() const { return glyph_; }

  void Paint() override;
  void DblClick() override;

protected:
  void Dispatch(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
  // The face over the whole button; returns the content rectangle.
  TRect DrawFace(TCanvas& canvas, bool pressed);
  // Where the glyph's top-left corner and the caption's rectangle go.
  void LayoutContent(TCanvas& canvas, const TRect& content, TPoint& glyphAt, TRect& textRect);
  void DrawCaption(TCanvas& canvas, TRect r);
  // Tells the other buttons of the parent about this one (its group, Down, AllowAllUp).
  void AnnounceToGroup();
  void CMButtonPressed(TMessage& m);
  void CMDialogChar(TMessage& m);
  void LeftDoubleClick(TMessage& m);
  void GlyphChanged(TObject*);
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

  TButtonGlyph* glyph_;
  TButtonState state_ = bsUp;
  bool dragging_ = false;
  bool down_ = false;
  bool allow_all_up_ = false;
  int group_index_ = 0;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  // Set while the framework's own double-click handling runs: the event
  // fires afterwards, and only for a button that is down.
  bool muting_double_click_ = false;
};

}  // namespace orlo
