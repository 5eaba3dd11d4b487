// The standard message window: a modal dialog built at run time (no
// description), sized to its text, with an optional icon and a row of buttons.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "forms.h"

namespace orlo {

enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons, in the order the row lays them out from left to right.
enum TMsgDlgBtn : uint8_t { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbHelp };
constexpr int kMsgDlgButtonCount = 9;

// A set of TMsgDlgBtn (bit n = button n).
class TMsgDlgButtons {
public:
  constexpr TMsgDlgButtons() = default;
  constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
    for (TMsgDlgBtn b : buttons) bits_ |= 1u << b;
  }
  static constexpr TMsgDlgButtons FromBits(uint32_t bits) {
    TMsgDlgButtons s;
    s.bits_ = bits & ((1u << kMsgDlgButtonCount) - 1);
    return s;
  }
  constexpr uint32_t Bits() const { return bits_; }
  constexpr bool Contains(TMsgDlgBtn b) const { return (bits_ >> b) & 1u; }
  constexpr bool Empty() const { return bits_ == 0; }
  int Count() const;
  bool operator==(const TMsgDlgButtons& o) const { return bits_ == o.bits_; }
  bool operator!=(const TMsgDlgButtons& o) const { return bits_ != o.bits_; }

private:
  uint32_t bits_ = 0;
};

// What each dialog type and each button stands for.
struct TMsgDlgTypeInfo {
  int CaptionId;    // resource string; 0: the application title
  LPCSTR IconName;  // the platform's stock icon, or null
};
struct TMsgDlgButtonInfo {
  const char* Name;  // object name of the button
  int CaptionId;     // resource string
  int ModalResult;
};
const TMsgDlgTypeInfo& MsgDlgTypeInfo(TMsgDlgType type);
const TMsgDlgButtonInfo& MsgDlgButtonInfo(TMsgDlgBtn button);

// The measured inputs of the layout: the average character (X = width of
// "A".."Z","a".."z" div 52, Y = its height) and the wrapped text's extent.
struct TMessageLayoutInput {
  TSize AvgChar;
  TSize Text;
  bool HasIcon = false;
  TMsgDlgButtons Buttons;
};

// Where everything goes, in client coordinates of the window.
struct TMessageLayout {
  int HorzMargin = 0, VertMargin = 0, HorzSpacing = 0, VertSpacing = 0;
  int ButtonWidth = 0, ButtonHeight = 0, ButtonSpacing = 0;
  int IconTextWidth = 0, IconTextHeight = 0, ButtonRowWidth = 0;
  int ClientWidth = 0, ClientHeight = 0;
  TRect IconBounds;     // empty without an icon
  TRect MessageBounds;
  // Bounds of each button present, indexed by TMsgDlgBtn; empty for the rest.
  std::array<TRect, kMsgDlgButtonCount> ButtonBounds{};
  // OK, else Yes, else Retry; Cancel, else No, else OK (whether present or not).
  TMsgDlgBtn DefaultButton = mbOK;
  TMsgDlgBtn CancelButton = mbOK;
};

// The layout arithmetic alone, without any window.
TMessageLayout LayoutMessageDialog(const TMessageLayoutInput& in);
// Left/top of a window of the given outer size centred on a screen.
TPoint CenterOnScreen(TSize screen, TSize window);

// Measuring with a canvas that holds the dialog's font.
TSize MeasureAverageChar(TCanvas& canvas);
// The text's extent, wrapped at word boundaries at half the screen width.
TSize MeasureMessageText(TCanvas& canvas, const std::string& text, int screenWidth);

// The window class of the message window.
class TMessageForm : public TForm {
  ORLO_CLASS(TMessageForm)
public:
  explicit TMessageForm(TComponent* owner);

  // The help button's handler. There is no help system in this program
  // (the platform's help viewer is not available), so a click does nothing
  // and the window stays up; the help context stays stored on the form.
  void HelpButtonClick(TObject* sender);
};

// Builds the window (not shown) for the text, type and buttons. The caller
// owns it; it is owned by the application object too and may be deleted.
TMessageForm* CreateMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

// Shows the window modally and returns the modal result of the button that
// closed it (2 for the close box). x, y of 0 or more replace the centred
// position. The window is destroyed before the call returns, also when an
// error passes through.
int MessageDlgPos(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                  int helpContext, int x, int y);
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
// The text with the application title as caption and one OK button.
void ShowPlainMessage(const std::string& text);

}  // namespace orlo
