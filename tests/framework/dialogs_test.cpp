#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "application.h"
#include "dialogs.h"
#include "ext_controls.h"
#include "graphics.h"
#include "message_box_watch.h"
#include "std_controls.h"
#include "timers.h"

using namespace orlo;
using orlo::testing_support::TMessageBoxSeen;
using orlo::testing_support::WatchMessageBoxes;

namespace {

// The dialog's font measured on the screen, as the window measures it.
struct TMeasured {
  TSize AvgChar;
  int LineHeight;
};
TMeasured MeasureDefaultFont() {
  TScreenCanvas canvas;
  TFont font;
  canvas.SetFont(&font);
  return TMeasured{MeasureAverageChar(canvas), canvas.TextHeight("Ag")};
}

TSize MeasureText(const std::string& text) {
  TScreenCanvas canvas;
  TFont font;
  canvas.SetFont(&font);
  return MeasureMessageText(canvas, text, GetSystemMetrics(SM_CXSCREEN));
}

}  // namespace

TEST(MessageLayout, SpacingIsRoundedDialogUnits) {
  // 7 x 13: every quantity has a fraction, and MulDiv rounds to the nearest.
  TMessageLayoutInput in;
  in.AvgChar = TSize{7, 13};
  in.Text = TSize{100, 13};
  in.Buttons = {mbOK};
  TMessageLayout l = LayoutMessageDialog(in);
  EXPECT_EQ(l.HorzMargin, 14);
  EXPECT_EQ(l.VertMargin, 13);
  EXPECT_EQ(l.HorzSpacing, 18);    // 17.5
  EXPECT_EQ(l.VertSpacing, 16);    // 16.25
  EXPECT_EQ(l.ButtonWidth, 88);    // 87.5
  EXPECT_EQ(l.ButtonHeight, 23);   // 22.75
  EXPECT_EQ(l.ButtonSpacing, 7);
  // The text is narrower than the button: the row decides the width.
  EXPECT_EQ(l.ClientWidth, 100 + 2 * 14);
  EXPECT_EQ(l.ClientHeight, 13 + 23 + 16 + 2 * 13);
}

TEST(MessageLayout, ShortTextInTheDefaultFontIsAsWideAsTheOkButtonAndMargins) {
  TMeasured m = MeasureDefaultFont();
  ASSERT_GT(m.AvgChar.cx, 0);
  ASSERT_GT(m.AvgChar.cy, 0);
  TMessageLayoutInput in;
  in.AvgChar = m.AvgChar;
  in.Text = MeasureText("short");
  in.Buttons = {mbOK};
  TMessageLayout l = LayoutMessageDialog(in);

  ASSERT_LT(in.Text.cx, l.ButtonWidth);
  EXPECT_EQ(in.Text.cy, m.LineHeight);
  EXPECT_EQ(l.ClientWidth, l.ButtonWidth + 2 * l.HorzMargin);
  EXPECT_EQ(l.ClientHeight, in.Text.cy + l.ButtonHeight + l.VertSpacing + 2 * l.VertMargin);
  // Text at the margins, the one button centred under it.
  EXPECT_EQ(l.MessageBounds, Bounds(l.HorzMargin, l.VertMargin, in.Text.cx, in.Text.cy));
  EXPECT_EQ(l.ButtonBounds[mbOK], Bounds(l.HorzMargin, in.Text.cy + l.VertMargin + l.VertSpacing,
                                         l.ButtonWidth, l.ButtonHeight));
  EXPECT_TRUE(l.IconBounds.IsEmpty());
  EXPECT_EQ(l.DefaultButton, mbOK);
  EXPECT_EQ(l.CancelButton, mbOK);
  for (int b = 0; b < kMsgDlgButtonCount; ++b) {
    if (b != mbOK) {
      EXPECT_TRUE(l.ButtonBounds[static_cast<size_t>(b)].IsEmpty()) << b;
    }
  }
}

TEST(MessageLayout, TextWrapsAtHalfTheScreenAndBreaksLinesWhereItSays) {
  TMeasured m = MeasureDefaultFont();
  const int half = GetSystemMetrics(SM_CXSCREEN) / 2;

  std::string longText;
  for (int i = 0; i < 60; ++i) longText += "transfer ";
  TSize wide = MeasureText(longText);
  EXPECT_LE(wide.cx, half);
  EXPECT_GT(wide.cx, half * 3 / 4);  // words fill the lines, not just a few
  EXPECT_GE(wide.cy, 2 * m.LineHeight);
  EXPECT_EQ(wide.cy % m.LineHeight, 0);

  // Own line breaks: one line per part, as wide as the widest part.
  TSize one = MeasureText("first line");
  TSize three = MeasureText("first line\r\nthe second, longer line\r\nthird");
  TSize widest = MeasureText("the second, longer line");
  EXPECT_EQ(three.cy, 3 * one.cy);
  EXPECT_EQ(three.cx, widest.cx);

  TMessageLayoutInput in;
  in.AvgChar = m.AvgChar;
  in.Buttons = {mbOK};
  in.Text = one;
  TMessageLayout small = LayoutMessageDialog(in);
  in.Text = three;
  TMessageLayout tall = LayoutMessageDialog(in);
  EXPECT_EQ(tall.ClientHeight - small.ClientHeight, 2 * one.cy);
  EXPECT_EQ(tall.ButtonBounds[mbOK].Top - small.ButtonBounds[mbOK].Top, 2 * one.cy);

  // A wide text decides the width and the button is centred under it.
  in.Text = wide;
  TMessageLayout w = LayoutMessageDialog(in);
  EXPECT_EQ(w.ClientWidth, wide.cx + 2 * w.HorzMargin);
  EXPECT_EQ(w.ButtonBounds[mbOK].Left, (w.ClientWidth - w.ButtonWidth) / 2);
}

TEST(MessageLayout, IconStandsAtTheMarginsAndTheTextRightOfIt) {
  TMessageLayoutInput in;
  in.AvgChar = TSize{6, 12};  // margins 12 x 12, spacing 15 x 15
  in.Text = TSize{200, 12};
  in.HasIcon = true;
  in.Buttons = {mbOK};
  TMessageLayout l = LayoutMessageDialog(in);
  EXPECT_EQ(l.IconBounds, Bounds(12, 12, 32, 32));
  EXPECT_EQ(l.IconTextWidth, 200 + 15 + 32);
  EXPECT_EQ(l.IconTextHeight, 32);  // a line of text is lower than the icon
  EXPECT_EQ(l.MessageBounds, Bounds(12 + 32 + 15, 12, 200, 12));
  EXPECT_EQ(l.ClientWidth, 247 + 24);
  EXPECT_EQ(l.ButtonBounds[mbOK].Top, 32 + 12 + 15);

  in.Text = TSize{200, 48};  // taller than the icon: the text decides
  l = LayoutMessageDialog(in);
  EXPECT_EQ(l.IconTextHeight, 48);
  EXPECT_EQ(l.ClientHeight, 48 + MulDiv(14, 12, 8) + 15 + 24);
}

TEST(MessageLayout, ButtonsGoInTableOrderWithTheirDefaultAndCancel) {
  TMessageLayoutInput in;
  in.AvgChar = TSize{6, 12};  // buttons 75 x 21, 6 apart
  in.Text = TSize{20, 12};
  in.Buttons = {mbHelp, mbCancel, mbNo, mbYes};  // order given does not matter
  TMessageLayout l = LayoutMessageDialog(in);
  EXPECT_EQ(l.ButtonRowWidth, 4 * 75 + 3 * 6);
  EXPECT_EQ(l.ClientWidth, l.ButtonRowWidth + 24);
  int x = 12;
  for (TMsgDlgBtn b : {mbYes, mbNo, mbCancel, mbHelp}) {
    EXPECT_EQ(l.ButtonBounds[b], Bounds(x, 12 + 12 + 15, 75, 21)) << int(b);
    x += 81;
  }
  EXPECT_TRUE(l.ButtonBounds[mbOK].IsEmpty());
  EXPECT_EQ(l.DefaultButton, mbYes);
  EXPECT_EQ(l.CancelButton, mbCancel);

  in.Buttons = {mbYes, mbNo};
  l = LayoutMessageDialog(in);
  EXPECT_EQ(l.DefaultButton, mbYes);
  EXPECT_EQ(l.CancelButton, mbNo);

  in.Buttons = {mbAbort, mbRetry, mbIgnore};
  l = LayoutMessageDialog(in);
  EXPECT_EQ(l.DefaultButton, mbRetry);
  EXPECT_EQ(l.CancelButton, mbOK);  // not in the set: Escape finds no button

  // A row narrower than the text is centred, the odd pixel to the right.
  in.Text = TSize{301, 12};
  in.Buttons = {mbOK, mbCancel};
  l = LayoutMessageDialog(in);
  EXPECT_EQ(l.ClientWidth, 301 + 24);
  EXPECT_EQ(l.ButtonBounds[mbOK].Left, (325 - 156) / 2);
  EXPECT_EQ(l.ButtonBounds[mbCancel].Left, (325 - 156) / 2 + 81);

  // No buttons at all: only the text's width counts.
  in.Buttons = {};
  l = LayoutMessageDialog(in);
  EXPECT_EQ(l.ButtonRowWidth, 0);
  EXPECT_EQ(l.ClientWidth, 301 + 24);
}

// ---------------------------------------------------------------------------
// The picture control

namespace {
int CountNot(const TMemoryCanvas& c, const TRect& r, TColor color) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (c.At(x, y) != color) ++n;
  return n;
}
}  // namespace

TEST(Image, DrawsItsIconWithTransparencyAtTheCornerOrCentred) {
  TImage image(nullptr);
  image.SetBounds(0, 0, 64, 64);
  image.Icon()->SetHandle(LoadIconA(nullptr, IDI_HAND));
  TMemoryCanvas surface(64, 64);
  surface.Clear(clLime);
  image.PaintOn(surface.Handle());
  EXPECT_GT(CountNot(surface, TRect(0, 0, 32, 32), clLime), 200);
  EXPECT_EQ(CountNot(surface, TRect(32, 0, 64, 64), clLime), 0);
  EXPECT_EQ(CountNot(surface, TRect(0, 32, 64, 64), clLime), 0);
  EXPECT_EQ(surface.At(0, 0), clLime);  // the hand icon's round shape leaves its corner

  surface.Clear(clLime);
  image.SetCenter(true);
  image.PaintOn(surface.Handle());
  EXPECT_GT(CountNot(surface, TRect(16, 16, 48, 48), clLime), 200);
  EXPECT_EQ(CountNot(surface, TRect(0, 0, 64, 16), clLime), 0);
  EXPECT_EQ(CountNot(surface, TRect(0, 48, 64, 64), clLime), 0);
  EXPECT_EQ(CountNot(surface, TRect(0, 0, 16, 64), clLime), 0);

  // A bitmap is not shown while the icon is there.
  image.Bitmap()->SetSize(64, 64);
  image.Bitmap()->Canvas()->Brush()->SetColor(clBlue);
  image.Bitmap()->Canvas()->FillRect(TRect(0, 0, 64, 64));
  surface.Clear(clLime);
  image.PaintOn(surface.Handle());
  EXPECT_EQ(surface.At(1, 1), clLime);
  EXPECT_EQ(CountNot(surface, TRect(0, 0, 64, 64), clBlue), 64 * 64);
}

TEST(Image, DrawsABitmapAtItsSizeCentredOrStretched) {
  TImage image(nullptr);
  image.SetBounds(0, 0, 20, 20);
  TBitmap* b = image.Bitmap();
  b->SetSize(2, 2);
  b->SetPixel(0, 0, clRed);
  b->SetPixel(1, 0, clGreen);
  b->SetPixel(0, 1, clBlue);
  b->SetPixel(1, 1, clWhite);
  TMemoryCanvas surface(20, 20);

  surface.Clear(clLime);
  image.PaintOn(surface.Handle());
  EXPECT_EQ(surface.At(0, 0), clRed);
  EXPECT_EQ(surface.At(1, 1), clWhite);
  EXPECT_EQ(CountNot(surface, TRect(0, 0, 20, 20), clLime), 4);

  surface.Clear(clLime);
  image.SetCenter(true);
  image.PaintOn(surface.Handle());
  EXPECT_EQ(surface.At(9, 9), clRed);
  EXPECT_EQ(surface.At(10, 10), clWhite);
  EXPECT_EQ(CountNot(surface, TRect(0, 0, 20, 20), clLime), 4);

  surface.Clear(clLime);
  image.SetStretch(true);  // stretching wins over centring
  image.PaintOn(surface.Handle());
  EXPECT_EQ(CountNot(surface, TRect(0, 0, 10, 10), clRed), 0);
  EXPECT_EQ(CountNot(surface, TRect(10, 0, 20, 10), clGreen), 0);
  EXPECT_EQ(CountNot(surface, TRect(0, 10, 10, 20), clBlue), 0);
  EXPECT_EQ(CountNot(surface, TRect(10, 10, 20, 20), clWhite), 0);
}

// ---------------------------------------------------------------------------
// The exception message box (the platform's): found from a timer while it is
// up, read, and answered.

TEST(ExceptionBox, ShowsTheMessageWithAFullStopUnderTheTitle) {
  Application->SetTitle("ORLO MOVE");
  TMessageBoxSeen box = WatchMessageBoxes(
      [] { Application->ShowException("ファイル C:\\a.txt を開けません"); });
  ASSERT_EQ(box.Count, 1);
  EXPECT_EQ(box.Text, "ファイル C:\\a.txt を開けません.");
  EXPECT_EQ(box.Caption, "ORLO MOVE");
  EXPECT_EQ(box.Owner, Application->Handle());
  EXPECT_EQ(box.Buttons, 1);
  ASSERT_NE(box.Icon, nullptr);
  EXPECT_EQ(box.Icon, LoadIconA(nullptr, IDI_HAND));
}

// ---------------------------------------------------------------------------
// The real window, shown modally and answered from a timer while it is up.

namespace {

TMessageForm* ShowingMessageForm() {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (auto* f = Cast<TMessageForm>(Screen->Forms(i)); f && f->Showing()) return f;
  return nullptr;
}

struct TChildSeen {
  std::string ClassName;
  std::string Name;
  TRect Bounds;
  std::string Caption;
};

// What a message window looked like while it was up.
struct TWindowSeen {
  bool Seen = false;
  HWND Handle = nullptr;
  std::string Caption;
  TRect Bounds;  // outer, on the screen
  int ClientWidth = 0, ClientHeight = 0;
  std::string FontName;
  int FontCharset = -1, FontHeight = 0;
  int HelpContext = -1;
  bool OthersDisabled = false;
  std::vector<TChildSeen> Children;
  std::string Focused;          // name of the control with the focus
  std::string DefaultButton, CancelButton;
  bool LabelWraps = false;
  HICON Icon = nullptr;
  bool StillUpAfterHelp = false;
};

// Watches for the message window from a timer and answers it.
class TAnswerer : public TObject {
public:
  enum TAction { Enter, Escape, CloseBox, ClickButton, HelpThenEscape };
  TAnswerer(TAction action, const std::string& button = "") : action_(action), button_(button) {
    timer_.SetInterval(20);
    timer_.SetOnTimer(TNotifyEvent(this, &TAnswerer::Tick));
  }
  TWindowSeen Seen;
  bool TimedOut = false;

private:
  void Tick(TObject*) {
    ++ticks_;
    TMessageForm* f = ShowingMessageForm();
    if (!f) return;
    if (ticks_ > 150) {  // ~3 s: the answer did not close it
      TimedOut = true;
      PostMessageA(f->Handle(), WM_CLOSE, 0, 0);
      return;
    }
    if (step_ == 0) {
      Record(f);
      Act(f);
    } else if (step_ == 1 && action_ == HelpThenEscape) {
      Seen.StillUpAfterHelp = f->ModalResult() == 0;
      Key(VK_ESCAPE);
      step_ = 2;
    }
  }

  void Record(TMessageForm* f) {
    Seen.Seen = true;
    Seen.Handle = f->Handle();
    Seen.Caption = f->Caption();
    RECT r;
    GetWindowRect(f->Handle(), &r);
    Seen.Bounds = r;
    GetClientRect(f->Handle(), &r);
    Seen.ClientWidth = r.right;
    Seen.ClientHeight = r.bottom;
    Seen.FontName = f->Font()->Name();
    Seen.FontCharset = f->Font()->Charset();
    Seen.FontHeight = f->Font()->Height();
    Seen.HelpContext = f->HelpContext();
    Seen.OthersDisabled = !IsWindowEnabled(Application->Handle());
    for (int i = 0; i < f->ControlCount(); ++i) {
      TControl* c = f->Controls(i);
      Seen.Children.push_back({c->ClassName(), c->Name(), c->BoundsRect(), c->Caption()});
      if (auto* b = Cast<TButton>(c)) {
        if (b->Default()) Seen.DefaultButton += b->Name();
        if (b->Cancel()) Seen.CancelButton += b->Name();
      }
      if (auto* l = Cast<TLabel>(c)) Seen.LabelWraps = l->WordWrap();
      if (auto* im = Cast<TImage>(c)) Seen.Icon = im->Icon()->Handle();
    }
    if (TWinControl* w = FindControl(GetFocus())) Seen.Focused = w->Name();
  }

  void Key(WPARAM key) { PostMessageA(GetFocus(), WM_KEYDOWN, key, 1); }

  void Act(TMessageForm* f) {
    step_ = 1;
    switch (action_) {
      case Enter: Key(VK_RETURN); break;
      case Escape: Key(VK_ESCAPE); break;
      case CloseBox: PostMessageA(f->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
      case ClickButton: case HelpThenEscape: {
        auto* b = Cast<TWinControl>(f->FindComponent(action_ == ClickButton ? button_ : "Help"));
        if (b) PostMessageA(b->Handle(), BM_CLICK, 0, 0);
        break;
      }
    }
  }

  TAction action_;
  std::string button_;
  TTimer timer_{nullptr};
  int ticks_ = 0;
  int step_ = 0;
};

class MessageWindow : public testing::Test {
protected:
  void SetUp() override {
    Application->SetTitle("ORLO MOVE");
    forms_ = Screen->FormCount();
    components_ = Application->ComponentCount();
  }
  // Nothing of the window is left once the call has returned.
  void ExpectGone(const TWindowSeen& seen) {
    EXPECT_FALSE(IsWindow(seen.Handle));
    EXPECT_EQ(FindWindowA("TMessageForm", nullptr), nullptr);
    EXPECT_EQ(Screen->FormCount(), forms_);
    EXPECT_EQ(Application->ComponentCount(), components_);
    EXPECT_TRUE(IsWindowEnabled(Application->Handle()));
  }
  // The layout the window should have for a text, type and buttons.
  TMessageLayout Expected(const std::string& text, bool icon, TMsgDlgButtons buttons) {
    TMessageLayoutInput in;
    in.AvgChar = MeasureDefaultFont().AvgChar;
    in.Text = MeasureText(text);
    in.HasIcon = icon;
    in.Buttons = buttons;
    return LayoutMessageDialog(in);
  }
  static TPoint Centred(const TWindowSeen& s) {
    return CenterOnScreen(TSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                          TSize{s.Bounds.Width(), s.Bounds.Height()});
  }

  int forms_ = 0;
  int components_ = 0;
};

}  // namespace

TEST_F(MessageWindow, PlainMessageIsBuiltFromTheTextAndAnsweredByEnterEscapeOrCloseBox) {
  const std::string text = "short";
  const TMessageLayout l = Expected(text, false, {mbOK});
  struct {
    TAnswerer::TAction action;
    int result;
  } cases[] = {{TAnswerer::Enter, 1}, {TAnswerer::Escape, 1}, {TAnswerer::CloseBox, 2}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.action);
    TAnswerer answer(c.action);
    EXPECT_EQ(MessageDlgPos(text, mtCustom, {mbOK}, 0, -1, -1), c.result);
    EXPECT_FALSE(answer.TimedOut);
    const TWindowSeen& s = answer.Seen;
    ASSERT_TRUE(s.Seen);
    ExpectGone(s);
    EXPECT_EQ(s.Caption, "ORLO MOVE");
    EXPECT_EQ(s.ClientWidth, l.ClientWidth);
    EXPECT_EQ(s.ClientHeight, l.ClientHeight);
    EXPECT_EQ(s.Bounds.TopLeft(), Centred(s));
    EXPECT_TRUE(s.OthersDisabled);
    ASSERT_EQ(s.Children.size(), 2u);
    EXPECT_EQ(s.Children[0].ClassName, "TLabel");
    EXPECT_EQ(s.Children[0].Name, "Message");
    EXPECT_EQ(s.Children[0].Caption, text);
    EXPECT_EQ(s.Children[0].Bounds, l.MessageBounds);
    EXPECT_TRUE(s.LabelWraps);
    EXPECT_EQ(s.Children[1].ClassName, "TButton");
    EXPECT_EQ(s.Children[1].Name, "OK");
    EXPECT_EQ(s.Children[1].Caption, "OK");
    EXPECT_EQ(s.Children[1].Bounds, l.ButtonBounds[mbOK]);
    EXPECT_EQ(s.DefaultButton, "OK");
    EXPECT_EQ(s.CancelButton, "OK");
    EXPECT_EQ(s.Focused, "OK");
  }

  // The plain entry is that same window; it is gone when the call returns.
  TAnswerer answer(TAnswerer::Enter);
  ShowPlainMessage("ファイル C:\\tmp\\a.txt を移動できません");
  const TWindowSeen& s = answer.Seen;
  ASSERT_TRUE(s.Seen);
  ExpectGone(s);
  EXPECT_EQ(s.Caption, "ORLO MOVE");
  // The framework's default font, in our Japanese set-up the P-Gothic at 9 pt.
  EXPECT_EQ(s.FontName, "ＭＳ Ｐゴシック");
  EXPECT_EQ(s.FontCharset, SHIFTJIS_CHARSET);
  EXPECT_EQ(s.FontHeight, -MulDiv(9, ScreenPixelsPerInch(), 72));
  EXPECT_EQ(s.HelpContext, 0);
  TMessageLayout lj = Expected("ファイル C:\\tmp\\a.txt を移動できません", false, {mbOK});
  EXPECT_EQ(s.ClientWidth, lj.ClientWidth);
  EXPECT_EQ(s.ClientHeight, lj.ClientHeight);
  EXPECT_GT(lj.MessageBounds.Width(), lj.ButtonWidth);  // here the text decides the width
}

TEST_F(MessageWindow, ConfirmationShowsItsIconCaptionAndButtonsWithTheirResults) {
  const std::string text = "上書きしますか？";
  const TMsgDlgButtons buttons{mbYes, mbNo, mbCancel, mbHelp};
  const TMessageLayout l = Expected(text, true, buttons);

  TAnswerer enter(TAnswerer::Enter);
  EXPECT_EQ(MessageDlg(text, mtConfirmation, buttons, 77), mrYes);
  const TWindowSeen& s = enter.Seen;
  ASSERT_TRUE(s.Seen);
  ExpectGone(s);
  EXPECT_EQ(s.Caption, "確認");
  EXPECT_EQ(s.HelpContext, 77);
  EXPECT_EQ(s.ClientWidth, l.ClientWidth);
  EXPECT_EQ(s.ClientHeight, l.ClientHeight);
  EXPECT_EQ(s.Bounds.TopLeft(), Centred(s));
  const char* order[] = {"Image", "Message", "Yes", "No", "Cancel", "Help"};
  ASSERT_EQ(s.Children.size(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(s.Children[i].Name, order[i]);
  EXPECT_EQ(s.Children[0].ClassName, "TImage");
  EXPECT_EQ(s.Children[0].Bounds, l.IconBounds);
  EXPECT_EQ(s.Icon, LoadIconA(nullptr, IDI_QUESTION));
  EXPECT_EQ(s.Children[1].Bounds, l.MessageBounds);
  EXPECT_GE(s.Children[1].Bounds.Left, s.Children[0].Bounds.Right);
  EXPECT_EQ(s.Children[2].Caption, "はい(&Y)");
  EXPECT_EQ(s.Children[3].Caption, "いいえ(&N)");
  EXPECT_EQ(s.Children[4].Caption, "ｷｬﾝｾﾙ");
  EXPECT_EQ(s.Children[5].Caption, "ﾍﾙﾌﾟ(&H)");
  EXPECT_EQ(s.Children[2].Bounds, l.ButtonBounds[mbYes]);
  EXPECT_EQ(s.Children[5].Bounds, l.ButtonBounds[mbHelp]);
  EXPECT_EQ(s.DefaultButton, "Yes");
  EXPECT_EQ(s.CancelButton, "Cancel");
  EXPECT_EQ(s.Focused, "Yes");

  TAnswerer escape(TAnswerer::Escape);
  EXPECT_EQ(MessageDlg(text, mtConfirmation, buttons, 0), mrCancel);
  TAnswerer no(TAnswerer::ClickButton, "No");
  EXPECT_EQ(MessageDlg(text, mtConfirmation, buttons, 0), mrNo);
  ExpectGone(no.Seen);
  // Help keeps the window up.
  TAnswerer help(TAnswerer::HelpThenEscape);
  EXPECT_EQ(MessageDlg(text, mtConfirmation, buttons, 0), mrCancel);
  EXPECT_TRUE(help.Seen.StillUpAfterHelp);
  for (TAnswerer* a : {&escape, &no, &help}) EXPECT_FALSE(a->TimedOut);

  // Each type brings its own caption and icon; results follow the table.
  struct {
    TMsgDlgType type;
    const char* caption;
    LPCSTR icon;
  } types[] = {{mtWarning, "警告", IDI_EXCLAMATION},
               {mtError, "ｴﾗｰ", IDI_HAND},
               {mtInformation, "情報", IDI_ASTERISK}};
  for (auto& t : types) {
    TAnswerer retry(TAnswerer::ClickButton, "Retry");
    EXPECT_EQ(MessageDlg(text, t.type, {mbAbort, mbRetry, mbIgnore}, 0), mrRetry);
    EXPECT_EQ(retry.Seen.Caption, t.caption);
    EXPECT_EQ(retry.Seen.Icon, LoadIconA(nullptr, t.icon));
    EXPECT_EQ(retry.Seen.DefaultButton, "Retry");
    EXPECT_EQ(retry.Seen.CancelButton, "");
  }
  TAnswerer all(TAnswerer::ClickButton, "All");
  EXPECT_EQ(MessageDlg(text, mtCustom, {mbOK, mbAll}, 0), mrAll);
  EXPECT_EQ(all.Seen.Icon, nullptr);
}

TEST_F(MessageWindow, IsCentredOnTheScreenWhereverTheMainFormIsUnlessPlaced) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->MainForm(), main);
  main->SetBounds(10, 20, 300, 200);
  main->Show();
  forms_ = Screen->FormCount();
  components_ = Application->ComponentCount();

  TAnswerer centred(TAnswerer::Enter);
  MessageDlg("short", mtInformation, {mbOK}, 0);
  ASSERT_TRUE(centred.Seen.Seen);
  EXPECT_EQ(centred.Seen.Bounds.TopLeft(), Centred(centred.Seen));
  EXPECT_TRUE(centred.Seen.OthersDisabled);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));  // given back

  TAnswerer placed(TAnswerer::Enter);
  MessageDlgPos("short", mtInformation, {mbOK}, 0, 5, 7);
  EXPECT_EQ(placed.Seen.Bounds.TopLeft(), TPoint(5, 7));
  TAnswerer onlyX(TAnswerer::Enter);
  MessageDlgPos("short", mtInformation, {mbOK}, 0, 0, -1);
  EXPECT_EQ(onlyX.Seen.Bounds.TopLeft(), TPoint(0, Centred(onlyX.Seen).Y));
  ExpectGone(onlyX.Seen);

  delete main;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

namespace {
class TFailingIdle : public TObject {
public:
  HWND Window = nullptr;
  void Idle(TObject*, bool& done) {
    if (TMessageForm* f = ShowingMessageForm()) {
      Window = f->Handle();
      throw EConvertError("idle failed");
    }
    done = false;
  }
  void PassOn(TObject*, const std::exception_ptr& e) { std::rethrow_exception(e); }
};
}  // namespace

TEST_F(MessageWindow, AnErrorDuringTheShowPassesOnAfterTheWindowIsGone) {
  TFailingIdle failing;
  Application->OnIdle = TIdleEvent(&failing, &TFailingIdle::Idle);
  Application->OnException = TExceptionEvent(&failing, &TFailingIdle::PassOn);
  try {
    MessageDlg("short", mtWarning, {mbOK, mbCancel}, 0);
    ADD_FAILURE() << "no error came through";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "idle failed");
  }
  Application->OnIdle = nullptr;
  Application->OnException = nullptr;
  EXPECT_NE(failing.Window, nullptr);
  TWindowSeen seen;
  seen.Handle = failing.Window;
  ExpectGone(seen);
}
