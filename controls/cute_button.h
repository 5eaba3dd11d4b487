// The cute button: a push button that paints its own face, one or two bevel
// frames in two chosen colours, a caption placed by alignment, layout and
// margins, and an embossed caption while disabled. It can carry a drop-down
// menu that opens just below it, at once or after the button has been held
// for a delay.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>

#include "menus.h"
#include "panels.h"
#include "timers.h"

namespace orlo {

// Vertical placement of the caption.
enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
const TEnumNames& TextLayoutNames();

class TCuteButton;

// The drop-down delay: armed by the button that owns it, fires once.
class TCuteButtonTimer : public TTimer {
  ORLO_CLASS(TCuteButtonTimer)
public:
  using TTimer::TTimer;
  TCuteButton* FCuteButton = nullptr;
};

// The panel base's outer bevel is the face: none at rest, raised when hot or
// focused, lowered while pressed. No other pressed, hot or focused flag is
// kept; whether the button holds the focus is asked of the platform.
class TCuteButton : public TCustomPanel {
  ORLO_CLASS(TCuteButton)
public:
  explicit TCuteButton(TComponent* owner);

  TColor BevelHighlightColor() const { return FBevelHighlightColor; }
  void SetBevelHighlightColor(TColor v);
  TColor BevelShadowColor() const { return FBevelShadowColor; }
  void SetBevelShadowColor(TColor v);
  // The face colour while disabled, when UseDisabledColor is on.
  TColor DisabledColor() const { return FDisabledColor; }
  void SetDisabledColor(TColor v);
  bool UseDisabledColor() const { return FUseDisabledColor; }
  void SetUseDisabledColor(bool v);
  // 0 or less: a press opens the menu at once; more: after that many
  // milliseconds held.
  int DropDownDelay() const { return FDropDownDelay; }
  void SetDropDownDelay(int v) { FDropDownDelay = v; }
  // Not owned; cleared when the menu goes away.
  TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* v);
  // Clicks that arrive while the OnClick handler runs are dropped.
  bool EgnoreContClick() const { return FEgnoreContClick; }
  void SetEgnoreContClick(bool v) { FEgnoreContClick = v; }
  // No bevel at rest, one when hot or pressed.
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  // The raised face while the button holds the focus.
  bool TabFocusUp() const { return FTabFocusUp; }
  void SetTabFocusUp(bool v) { FTabFocusUp = v; }
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool v);
  // Caption distance from the text area's edge on the aligned side; -1 none.
  int MarginX() const { return FMarginX; }
  void SetMarginX(int v);
  int MarginY() const { return FMarginY; }
  void SetMarginY(int v);

  void Click() override;
  void Paint() override;

  virtual void StartDropDown();
  virtual void MouseEnter(TShiftState shift, int x, int y);
  virtual void MouseLeave(TShiftState shift, int x, int y);
  virtual void ShowDropDown();

  // The delay timer's handler; any sender but a TCuteButtonTimer is refused.
  void TimerExpired(TObject* sender);
  void BrushChanged(TObject* sender);

  TMouseMoveEvent OnMouseEnter;
  TMouseMoveEvent OnMouseLeave;

protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyUp(uint16_t& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;

private:
  // Raised while TabFocusUp is on, else none: the face after a key click.
  void FaceUpOrNone();
  bool IsAccelerator(unsigned char c) const;
  void DialogChar(TMessage& m);
  void DropTimer();

  // Painting. A face is kept per state (none, lowered, raised outer bevel)
  // with the key of everything else it was painted from; any change of the
  // key drops them all.
  struct TFaceKey {
    std::array<int, 22> ints;  // size, colours, bevels, placement, font values, system colours
    std::string fontName;
    std::string caption;
    bool operator==(const TFaceKey& o) const {
      return std::tie(ints, fontName, caption) == std::tie(o.ints, o.fontName, o.caption);
    }
  };
  static constexpr int64_t kMaxCachedFacePixels = 1 << 16;
  TFaceKey CurrentFaceKey() const;
  void PaintFace(TCanvas& canvas);
  TRect TextRect() const;
  TFaceKey FFaceKey;
  std::array<std::unique_ptr<TMemoryCanvas>, 3> FFaces;

  // Zero until the constructor sets them, as every field starts.
  TColor FBevelShadowColor = 0;
  TColor FBevelHighlightColor = 0;
  TColor FDisabledColor = 0;
  int FDropDownDelay = 0;
  TPopupMenu* FDropDownMenu = nullptr;
  bool FDropDownShowing = false;
  bool FEgnoreContClick = false;
  bool FFlat = false;
  bool FSpaceDown = false;
  bool FTabFocusUp = false;
  TTextLayout FLayout = tlTop;
  bool FShowFocusRect = false;
  bool FUseDisabledColor = false;
  bool FKeyDropDown = false;
  int FMarginX = 0;
  int FMarginY = 0;
  TCuteButtonTimer* FTimer = nullptr;
};

}  // namespace orlo
