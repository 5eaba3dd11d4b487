// The gradient box: a windowless panel that paints 256 colour bands between
// two colours, an optional one-pixel outline, and its caption at a fixed
// offset, optionally with a shadow or an extruded look in a second colour.
// Where it paints nothing (gsNone, around the caption) the parent shows.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "controls.h"

namespace orlo {

enum TGradStyle : uint8_t { gsTopBottom, gsBottomTop, gsLeftRight, gsRightLeft, gsNone };
enum TFontStyle3D : uint8_t { fsLowShadow, fsRaiseShadow, fsLow3D, fsRaise3D };
const TEnumNames& GradStyleNames();
const TEnumNames& FontStyle3DNames();

class TGradBox : public TGraphicControl {
  ORLO_CLASS(TGradBox)
public:
  // 200 x 100, green to lime from top to bottom, caption at (10, 10).
  explicit TGradBox(TComponent* owner);

  // Each setter ignores the current value; a new one repaints, except where
  // it cannot show yet (the outline colour without the outline, the depth
  // and back colour without the 3D caption): those wait for the next paint.
  int CaptionLeft() const { return FCaptionLeft; }
  void SetCaptionLeft(int v);
  int CaptionTop() const { return FCaptionTop; }
  void SetCaptionTop(int v);
  TColor TopColor() const { return FTopColor; }
  void SetTopColor(TColor v);
  TColor LastColor() const { return FLastColor; }
  void SetLastColor(TColor v);
  TColor OutLineColor() const { return FOutLineColor; }
  void SetOutLineColor(TColor v);
  bool DrawOutLine() const { return FDrawOutLine; }
  void SetDrawOutLine(bool v);
  TGradStyle GradStyle() const { return FGradStyle; }
  void SetGradStyle(TGradStyle v);
  bool Font3D() const { return FFont3D; }
  void SetFont3D(bool v);
  uint8_t FontDepth() const { return FFontDepth; }
  void SetFontDepth(uint8_t v);
  TFontStyle3D Style3D() const { return FStyle3D; }
  void SetStyle3D(TFontStyle3D v);
  TColor BackFont() const { return FBackFont; }
  void SetBackFont(TColor v);

  // Called at the end of every paint.
  TNotifyEvent OnPaint;

  void Paint() override;

  // The band colours of the last paint: entries 0 and 255 are the end
  // colours as stored (a system colour stays one), the rest plain colours.
  const std::array<TColor, 256>& GradTable() const { return FGradTable; }

protected:
  void Dispatch(TMessage& m) override;

  // Fills the table for a direction; gsNone leaves it as it was.
  void BuildGradTable(TGradStyle style);
  // The red, green and blue bytes a colour is drawn in now.
  static void SplitColor(TColor c, uint8_t& red, uint8_t& green, uint8_t& blue);
  void DrawCaption(TRect rect);

private:
  void PaintBands();

  int FCaptionLeft = 10;
  int FCaptionTop = 10;
  TColor FBackFont = clYellow;
  TColor FTopColor = clGreen;
  TColor FLastColor = clLime;
  TColor FOutLineColor = clBlack;
  bool FFont3D = false;
  bool FDrawOutLine = false;
  uint8_t FFontDepth = 1;
  TFontStyle3D FStyle3D = fsRaise3D;
  TGradStyle FGradStyle = gsTopBottom;
  std::array<TColor, 256> FGradTable{};
  std::vector<uint32_t> FLines;  // scratch of the bands' paint: one pixel a line
};

}  // namespace orlo
