#include "dialogs.h"

#include <algorithm>
#include <memory>

#include "application.h"
#include "class_builder.h"
#include "ext_controls.h"
#include "resource_strings.h"
#include "std_controls.h"

namespace orlo {

// ---------------------------------------------------------------------------
// Tables

int TMsgDlgButtons::Count() const {
  int n = 0;
  for (uint32_t b = bits_; b; b &= b - 1) ++n;
  return n;
}

const TMsgDlgTypeInfo& MsgDlgTypeInfo(TMsgDlgType type) {
  static const TMsgDlgTypeInfo table[] = {
      {res::SMsgDlgWarning, IDI_EXCLAMATION},
      {res::SMsgDlgError, IDI_HAND},
      {res::SMsgDlgInformation, IDI_ASTERISK},
      {res::SMsgDlgConfirm, IDI_QUESTION},
      {0, nullptr},  // custom: the application title, no icon
  };
  return table[std::min<unsigned>(type, mtCustom)];
}

const TMsgDlgButtonInfo& MsgDlgButtonInfo(TMsgDlgBtn button) {
  static const TMsgDlgButtonInfo table[kMsgDlgButtonCount] = {
      {"Yes", res::SMsgDlgYes, mrYes},
      {"No", res::SMsgDlgNo, mrNo},
      {"OK", res::SMsgDlgOK, mrOk},
      {"Cancel", res::SMsgDlgCancel, mrCancel},
      {"Abort", res::SMsgDlgAbort, mrAbort},
      {"Retry", res::SMsgDlgRetry, mrRetry},
      {"Ignore", res::SMsgDlgIgnore, mrIgnore},
      {"All", res::SMsgDlgAll, mrAll},
      {"Help", res::SMsgDlgHelp, mrNone},  // opens help, never closes the window
  };
  return table[std::min<unsigned>(button, mbHelp)];
}

// ---------------------------------------------------------------------------
// Layout arithmetic

TMessageLayout LayoutMessageDialog(const TMessageLayoutInput& in) {
  const int x = in.AvgChar.cx;
  const int y = in.AvgChar.cy;
  TMessageLayout l;
  // Spacing in dialog units: a quarter of the average character across, an
  // eighth of its height down.
  l.HorzMargin = MulDiv(8, x, 4);
  l.VertMargin = MulDiv(8, y, 8);
  l.HorzSpacing = MulDiv(10, x, 4);
  l.VertSpacing = MulDiv(10, y, 8);
  l.ButtonWidth = MulDiv(50, x, 4);
  l.ButtonHeight = MulDiv(14, y, 8);
  l.ButtonSpacing = MulDiv(4, x, 4);

  const int w = in.Text.cx;
  const int h = in.Text.cy;
  l.IconTextWidth = w;
  l.IconTextHeight = h;
  if (in.HasIcon) {
    l.IconTextWidth += l.HorzSpacing + 32;
    if (h < 32) l.IconTextHeight = 32;
  }

  const int n = in.Buttons.Count();
  l.ButtonRowWidth = n > 0 ? n * l.ButtonWidth + (n - 1) * l.ButtonSpacing : 0;

  l.ClientWidth = std::max(l.IconTextWidth, l.ButtonRowWidth) + 2 * l.HorzMargin;
  l.ClientHeight = l.IconTextHeight + l.ButtonHeight + l.VertSpacing + 2 * l.VertMargin;

  if (in.HasIcon) l.IconBounds = Bounds(l.HorzMargin, l.VertMargin, 32, 32);
  l.MessageBounds = Bounds(l.IconTextWidth - w + l.HorzMargin, l.VertMargin, w, h);

  l.DefaultButton = in.Buttons.Contains(mbOK) ? mbOK : in.Buttons.Contains(mbYes) ? mbYes : mbRetry;
  l.CancelButton = in.Buttons.Contains(mbCancel) ? mbCancel : in.Buttons.Contains(mbNo) ? mbNo : mbOK;

  int bx = (l.ClientWidth - l.ButtonRowWidth) / 2;
  const int by = l.IconTextHeight + l.VertMargin + l.VertSpacing;
  for (int b = 0; b < kMsgDlgButtonCount; ++b) {
    if (!in.Buttons.Contains(static_cast<TMsgDlgBtn>(b))) continue;
    l.ButtonBounds[static_cast<size_t>(b)] = Bounds(bx, by, l.ButtonWidth, l.ButtonHeight);
    bx += l.ButtonWidth + l.ButtonSpacing;
  }
  return l;
}

TPoint CenterOnScreen(TSize screen, TSize window) {
  return TPoint(screen.cx / 2 - window.cx / 2, screen.cy / 2 - window.cy / 2);
}

TSize MeasureAverageChar(TCanvas& canvas) {
  TSize s = canvas.TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return TSize{s.cx / 52, s.cy};
}

TSize MeasureMessageText(TCanvas& canvas, const std::string& text, int screenWidth) {
  TRect r(0, 0, screenWidth / 2, 0);
  // The message is shown as given: an "&" in a file name is text, not a mark.
  canvas.DrawText(text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return TSize{r.Right, r.Bottom};
}

// ---------------------------------------------------------------------------
// The window

namespace {

// A canvas on a window's own device context, given back when it goes.
class TWindowDCCanvas : public TCanvas {
public:
  explicit TWindowDCCanvas(HWND window) : window_(window) { SetHandle(GetDC(window)); }
  ~TWindowDCCanvas() override { ReleaseDC(window_, DetachHandle()); }

private:
  HWND window_;
};

}  // namespace

ORLO_DEFINE_CLASS(TMessageForm, TForm) {
  p.Method("HelpButtonClick", &TMessageForm::HelpButtonClick);
}

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {}

void TMessageForm::HelpButtonClick(TObject* sender) {
  // Deliberately empty: see the declaration.
}

TMessageForm* CreateMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  const TMsgDlgTypeInfo& typeInfo = MsgDlgTypeInfo(type);
  const bool hasIcon = typeInfo.IconName != nullptr;

  std::unique_ptr<TMessageForm> form(new TMessageForm(Application.Get()));
  form->SetBorderStyle(bsDialog);
  // The window exists from here on: its frame decides the outer size, and
  // text is measured on its own device context in the form's font.
  form->HandleNeeded();

  TMessageLayoutInput in;
  in.HasIcon = hasIcon;
  in.Buttons = buttons;
  {
    TWindowDCCanvas canvas(form->Handle());
    canvas.SetFont(form->Font());
    in.AvgChar = MeasureAverageChar(canvas);
    in.Text = MeasureMessageText(canvas, text, GetSystemMetrics(SM_CXSCREEN));
  }
  const TMessageLayout l = LayoutMessageDialog(in);

  form->SetClientWidth(l.ClientWidth);
  form->SetClientHeight(l.ClientHeight);
  TPoint at = CenterOnScreen(TSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                             TSize{form->Width(), form->Height()});
  form->SetBounds(at.X, at.Y, form->Width(), form->Height());
  form->SetCaption(typeInfo.CaptionId ? std::string(res::LoadResString(typeInfo.CaptionId))
                                      : Application->Title());

  if (hasIcon) {
    auto* image = new TImage(form.get());
    image->SetName("Image");
    image->SetParent(form.get());
    image->Icon()->SetHandle(LoadIconA(nullptr, typeInfo.IconName));
    image->SetBounds(l.IconBounds.Left, l.IconBounds.Top, l.IconBounds.Width(), l.IconBounds.Height());
  }

  auto* message = new TLabel(form.get());
  message->SetName("Message");
  message->SetParent(form.get());
  // The measured extent is final: the label must not size itself.
  message->SetAutoSize(false);
  message->SetWordWrap(true);
  message->SetShowAccelChar(false);
  message->SetCaption(text);
  message->SetBounds(l.MessageBounds.Left, l.MessageBounds.Top, l.MessageBounds.Width(),
                     l.MessageBounds.Height());

  for (int b = 0; b < kMsgDlgButtonCount; ++b) {
    const TMsgDlgBtn btn = static_cast<TMsgDlgBtn>(b);
    if (!buttons.Contains(btn)) continue;
    const TMsgDlgButtonInfo& info = MsgDlgButtonInfo(btn);
    const TRect& r = l.ButtonBounds[static_cast<size_t>(b)];
    auto* button = new TButton(form.get());
    button->SetName(info.Name);
    button->SetParent(form.get());
    button->SetCaption(res::LoadResString(info.CaptionId));
    button->SetModalResult(info.ModalResult);
    if (btn == l.DefaultButton) button->SetDefault(true);
    if (btn == l.CancelButton) button->SetCancel(true);
    button->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    if (btn == mbHelp) button->OnClick = TNotifyEvent(form.get(), &TMessageForm::HelpButtonClick);
  }
  return form.release();
}

int MessageDlgPos(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                  int helpContext, int x, int y) {
  std::unique_ptr<TMessageForm> form(CreateMessageDialog(text, type, buttons));
  form->SetHelpContext(helpContext);
  if (x >= 0) form->SetLeft(x);
  if (y >= 0) form->SetTop(y);
  // The window and its children go when this returns, an error or not.
  return form->ShowModal();
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
  return MessageDlgPos(text, type, buttons, helpContext, -1, -1);
}

void ShowPlainMessage(const std::string& text) {
  MessageDlgPos(text, mtCustom, {mbOK}, 0, -1, -1);
}

}  // namespace orlo
