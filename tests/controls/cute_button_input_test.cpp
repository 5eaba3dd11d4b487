// The cute button driven by real messages through the message loop: mouse,
// keys, accelerators, focus, the pointer entering and leaving, clicks while
// a click handler runs, and the drop-down menu with and without a delay.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "application.h"
#include "class_builder.h"
#include "cute_button.h"
#include "forms.h"
#include "gui_helpers.h"
#include "std_controls.h"

using namespace orlo;
using orlo::testing_support::PumpFor;
using orlo::testing_support::PumpUntil;

namespace orlo {

// A real pop-up menu that records where and when it opens and closes itself
// again at once (a cancel posted before it runs its own loop).
class TClosingMenu : public TPopupMenu {
  ORLO_CLASS(TClosingMenu)
public:
  using TPopupMenu::TPopupMenu;
  std::vector<TPoint> shown;
  std::vector<TPanelBevel> faces;
  TCuteButton* button = nullptr;
  std::function<void()> whileShown;
  void Popup(int x, int y) override {
    shown.push_back(TPoint(x, y));
    if (button) faces.push_back(button->OuterBevel());
    if (whileShown) whileShown();
    PostMessageA(Application->Handle(), WM_CANCELMODE, 0, 0);
    TPopupMenu::Popup(x, y);
  }
};
ORLO_DEFINE_CLASS(TClosingMenu, TPopupMenu) {}

}  // namespace orlo

namespace {

// What the button's events report, in order.
struct Recorder : TObject {
  TCuteButton* button = nullptr;
  std::vector<std::string> log;
  int clicks = 0;
  std::vector<TPanelBevel> faceAtClick;
  std::function<void()> onClick;
  TObject* enterSender = nullptr;

  void Click(TObject*) {
    ++clicks;
    faceAtClick.push_back(button->OuterBevel());
    log.push_back("click");
    if (onClick) onClick();
  }
  void MouseDown(TObject*, TMouseButton b, TShiftState s, int x, int y) {
    log.push_back(Format("down %d %d %d %d", int(b), int(s), x, y));
  }
  void MouseUp(TObject*, TMouseButton b, TShiftState s, int x, int y) {
    log.push_back(Format("up %d %d %d %d", int(b), int(s), x, y));
  }
  void Enter(TObject*) { log.push_back("enter"); }
  void Exit(TObject*) { log.push_back("exit"); }
  void MouseEnter(TObject* sender, TShiftState s, int x, int y) {
    enterSender = sender;
    log.push_back(Format("mouseenter %d %d %d", int(s), x, y));
  }
  void MouseLeave(TObject*, TShiftState s, int x, int y) {
    log.push_back(Format("mouseleave %d %d %d", int(s), x, y));
  }
  bool Logged(const std::string& entry) const {
    for (const auto& e : log)
      if (e == entry) return true;
    return false;
  }
};

struct ExceptionCatcher : TObject {
  std::vector<std::string> messages;
  void OnException(TObject*, const std::exception_ptr& e) {
    try {
      std::rethrow_exception(e);
    } catch (const Exception& ex) {
      messages.push_back(ex.Message());
    }
  }
};

// The left mouse button as the thread's key state table reports it.
void SetLeftButtonState(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_LBUTTON] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

class CuteButtonInputTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->ResetTerminated();
    Application->OnException = TExceptionEvent(&errors, &ExceptionCatcher::OnException);
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 320, 160);
    // Holds the focus when the form opens: the first tab stop.
    other = new TCuteButton(form);
    other->SetParent(form);
    other->SetBounds(200, 20, 75, 25);
    other->SetCaption("Other");
    button = new TCuteButton(form);
    button->SetParent(form);
    button->SetBounds(20, 20, 89, 25);
    button->SetCaption("&YES");
    rec.button = button;
    button->OnClick = TNotifyEvent(&rec, &Recorder::Click);
    button->OnMouseDown = TMouseEvent(&rec, &Recorder::MouseDown);
    button->OnMouseUp = TMouseEvent(&rec, &Recorder::MouseUp);
    button->OnEnter = TNotifyEvent(&rec, &Recorder::Enter);
    button->OnExit = TNotifyEvent(&rec, &Recorder::Exit);
    button->OnMouseEnter = TMouseMoveEvent(&rec, &Recorder::MouseEnter);
    button->OnMouseLeave = TMouseMoveEvent(&rec, &Recorder::MouseLeave);
    menu = new TClosingMenu(form);
    menu->button = button;
    // The pointer starts away from the form.
    SetCursorPos(0, 0);
    Application->DoIdle();
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return form->Active() && other->Focused(); }));
    rec.log.clear();
  }
  void TearDown() override {
    SetLeftButtonState(false);
    SetCursorPos(0, 0);
    Application->DoIdle();
    form->Free();
    Application->OnException.Clear();
  }

  void Post(UINT msg, WPARAM w, int x, int y) {
    PostMessageA(button->Handle(), msg, w, MAKELPARAM(x, y));
  }
  void Key(UINT msg, WPARAM key) { PostMessageA(GetFocus(), msg, key, 0); }
  void Pump() { Application->ProcessMessages(); }
  void Click(int x = 10, int y = 10) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Post(WM_LBUTTONUP, 0, x, y);
    Pump();
  }
  void FocusButton() {
    button->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return button->Focused(); }));
  }
  // The pointer to a point of the button's client area, seen by idle time.
  void PointerTo(TControl* c, int x, int y) {
    TPoint p = c->ClientToScreen(TPoint(x, y));
    SetCursorPos(p.X, p.Y);
    Application->DoIdle();
  }

  TForm* form = nullptr;
  TCuteButton* other = nullptr;
  TCuteButton* button = nullptr;
  TClosingMenu* menu = nullptr;
  Recorder rec;
  ExceptionCatcher errors;
};

}  // namespace

TEST_F(CuteButtonInputTest, PressAndReleaseInsideClicksOnceWhilePressed) {
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Pump();
  EXPECT_EQ(button->OuterBevel(), bvLowered);
  EXPECT_TRUE(button->Focused()) << "a press focuses the button through its form";
  EXPECT_EQ(form->ActiveControl(), button);
  EXPECT_EQ(CaptureControl(), button);
  EXPECT_EQ(rec.clicks, 0);
  Post(WM_LBUTTONUP, 0, 10, 10);
  Pump();
  EXPECT_EQ(rec.clicks, 1);
  EXPECT_EQ(rec.faceAtClick, std::vector<TPanelBevel>{bvLowered});
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  EXPECT_EQ(CaptureControl(), nullptr);
  std::vector<std::string> order{"enter", "down 0 8 10 10", "click", "up 0 0 10 10"};
  EXPECT_EQ(rec.log, order);

  // Released outside: no click. The focused button shows its raised face
  // while TabFocusUp is on, and none when it is off.
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Post(WM_LBUTTONUP, 0, 150, 10);
  Pump();
  EXPECT_EQ(rec.clicks, 1);
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  button->SetTabFocusUp(false);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Post(WM_LBUTTONUP, 0, 10, -3);
  Pump();
  EXPECT_EQ(rec.clicks, 1);
  EXPECT_EQ(button->OuterBevel(), bvNone);

  // Other mouse buttons focus but neither press nor click.
  other->SetFocus();
  Pump();
  button->SetOuterBevel(bvNone);
  Post(WM_RBUTTONDOWN, MK_RBUTTON, 10, 10);
  Post(WM_RBUTTONUP, 0, 10, 10);
  Pump();
  EXPECT_TRUE(button->Focused());
  EXPECT_EQ(button->OuterBevel(), bvNone);
  EXPECT_EQ(rec.clicks, 1);

  // With a border the window is larger than its client area: a release on
  // the border is outside, as the face shows, and only the client area clicks.
  button->SetBorderStyle(bsSingle);
  Pump();
  const int cw = button->ClientWidth(), ch = button->ClientHeight();
  ASSERT_LT(cw, button->Width());
  ASSERT_LT(ch, button->Height());
  for (TPoint border : {TPoint(cw, 5), TPoint(5, ch)}) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Post(WM_LBUTTONUP, 0, border.X, border.Y);
    Pump();
    EXPECT_EQ(rec.clicks, 1) << "a release at " << border.X << ", " << border.Y;
    EXPECT_EQ(button->OuterBevel(), bvNone);
  }
  Click(cw - 1, ch - 1);
  EXPECT_EQ(rec.clicks, 2);
}

TEST_F(CuteButtonInputTest, DoubleClickGivesOneClick) {
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Post(WM_LBUTTONUP, 0, 10, 10);
  Post(WM_LBUTTONDBLCLK, MK_LBUTTON, 10, 10);
  Post(WM_LBUTTONUP, 0, 10, 10);
  Pump();
  EXPECT_EQ(rec.clicks, 1);
  EXPECT_TRUE(rec.Logged(Format("down 0 %d 10 10", int(ssLeft | ssDouble))));
  EXPECT_EQ(button->OuterBevel(), bvRaised);
}

TEST_F(CuteButtonInputTest, SpaceClicksOnReleaseUnlessAnotherKeyCameBetween) {
  FocusButton();
  EXPECT_EQ(button->OuterBevel(), bvRaised) << "focus shows the raised face";
  // Held with key repeat: pressed all along, one click at the release.
  for (int i = 0; i < 3; ++i) {
    Key(WM_KEYDOWN, VK_SPACE);
    Pump();
    EXPECT_EQ(button->OuterBevel(), bvLowered);
  }
  EXPECT_EQ(rec.clicks, 0);
  Key(WM_KEYUP, VK_SPACE);
  Pump();
  EXPECT_EQ(rec.clicks, 1);
  EXPECT_EQ(rec.faceAtClick.back(), bvLowered);
  EXPECT_EQ(button->OuterBevel(), bvRaised);

  // Another key cancels the pending Space.
  button->SetTabFocusUp(false);
  Key(WM_KEYDOWN, VK_SPACE);
  Key(WM_KEYDOWN, 'A');
  Pump();
  EXPECT_EQ(button->OuterBevel(), bvNone);
  Key(WM_KEYUP, 'A');
  Key(WM_KEYUP, VK_SPACE);
  Pump();
  EXPECT_EQ(rec.clicks, 1);

  // A disabled button takes no Space (the form gave its focus away).
  button->SetEnabled(false);
  button->Perform(WM_KEYDOWN, VK_SPACE);
  button->Perform(WM_KEYUP, VK_SPACE);
  EXPECT_EQ(rec.clicks, 1);
}

TEST_F(CuteButtonInputTest, EnterClicksOnKeyDownUnlessTheFormHasADefaultButton) {
  FocusButton();
  Key(WM_KEYDOWN, VK_RETURN);
  Pump();
  EXPECT_EQ(rec.clicks, 1);
  EXPECT_EQ(rec.faceAtClick.back(), bvLowered);
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  button->SetTabFocusUp(false);
  Key(WM_KEYDOWN, VK_RETURN);
  Pump();
  EXPECT_EQ(rec.clicks, 2);
  EXPECT_EQ(button->OuterBevel(), bvNone);

  // The form's default button takes Enter first.
  struct Counter : TObject {
    int n = 0;
    void Click(TObject*) { ++n; }
  } counter;
  TButton* def = new TButton(form);
  def->SetParent(form);
  def->SetBounds(20, 100, 75, 25);
  def->SetDefault(true);
  def->OnClick = TNotifyEvent(&counter, &Counter::Click);
  Key(WM_KEYDOWN, VK_RETURN);
  Pump();
  EXPECT_EQ(counter.n, 1);
  EXPECT_EQ(rec.clicks, 2);
}

TEST_F(CuteButtonInputTest, AcceleratorClicksFromAnywhereInTheForm) {
  // Typed while the other button holds the focus: it takes no characters,
  // so the form offers them to its controls.
  Key(WM_CHAR, 'y');
  Pump();
  EXPECT_EQ(rec.clicks, 1);
  EXPECT_EQ(rec.faceAtClick.back(), bvLowered);
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  EXPECT_TRUE(other->Focused()) << "an accelerator does not move the focus";
  Key(WM_CHAR, 'Y');
  Key(WM_SYSCHAR, 'y');  // Alt+Y
  Key(WM_CHAR, 'n');
  Pump();
  EXPECT_EQ(rec.clicks, 3);

  // The button's own visibility is not asked, its parent's is; a disabled
  // button and a caption ending in "&" have no accelerator.
  button->SetVisible(false);
  Key(WM_CHAR, 'y');
  Pump();
  EXPECT_EQ(rec.clicks, 4);
  button->SetVisible(true);
  button->SetEnabled(false);
  Key(WM_CHAR, 'y');
  Pump();
  EXPECT_EQ(rec.clicks, 4);
  button->SetEnabled(true);
  button->SetCaption("YES&");
  Key(WM_CHAR, 'y');
  Key(WM_CHAR, '&');
  Pump();
  EXPECT_EQ(rec.clicks, 4);

  TPanel* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 60, 150, 60);
  button->SetParent(panel);
  button->SetCaption("&YES");
  Key(WM_CHAR, 'y');
  Pump();
  EXPECT_EQ(rec.clicks, 5);
  panel->SetVisible(false);
  Key(WM_CHAR, 'y');
  Pump();
  EXPECT_EQ(rec.clicks, 5);
}

TEST_F(CuteButtonInputTest, FocusRaisesAndLeavingOrDisablingDropsTheFace) {
  FocusButton();
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  other->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return other->Focused(); }));
  EXPECT_EQ(button->OuterBevel(), bvNone);
  std::vector<std::string> order{"enter", "exit"};
  EXPECT_EQ(rec.log, order);

  button->SetTabFocusUp(false);
  FocusButton();
  EXPECT_EQ(button->OuterBevel(), bvNone);

  // Disabling the focused button: the form takes the focus back.
  button->SetTabFocusUp(true);
  other->SetFocus();
  FocusButton();
  button->SetEnabled(false);
  Pump();
  EXPECT_FALSE(button->Focused());
  EXPECT_NE(form->ActiveControl(), button);
  EXPECT_EQ(button->OuterBevel(), bvNone);
  EXPECT_EQ(rec.log.back(), "exit");
  EXPECT_FALSE(IsWindowEnabled(button->Handle()));
}

TEST_F(CuteButtonInputTest, PointerEnteringAndLeavingGivesTheHotFace) {
  PointerTo(button, 7, 9);
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  ASSERT_FALSE(rec.log.empty());
  EXPECT_EQ(rec.log.back(), "mouseenter 0 7 9");
  EXPECT_EQ(rec.enterSender, button);
  PointerTo(button, 30, 12);  // moving inside changes nothing
  EXPECT_EQ(rec.log.size(), 1u);
  PointerTo(form, 5, 100);
  EXPECT_EQ(button->OuterBevel(), bvNone);
  EXPECT_EQ(rec.log.back(), "mouseleave 0 -15 80");

  // A focused button with TabFocusUp keeps its face when the pointer leaves.
  FocusButton();
  PointerTo(button, 5, 5);
  button->SetOuterBevel(bvLowered);
  PointerTo(form, 5, 100);
  EXPECT_EQ(button->OuterBevel(), bvLowered);
  button->SetTabFocusUp(false);
  PointerTo(button, 5, 5);
  PointerTo(form, 5, 100);
  EXPECT_EQ(button->OuterBevel(), bvNone);
}

TEST_F(CuteButtonInputTest, ADisabledButtonStillFollowsThePointer) {
  // Entering and leaving do not ask whether the button is enabled: a
  // disabled button under the pointer is found all the same.
  button->SetEnabled(false);
  PointerTo(button, 7, 9);
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  ASSERT_FALSE(rec.log.empty());
  EXPECT_EQ(rec.log.back(), "mouseenter 0 7 9");
  PointerTo(form, 5, 100);
  EXPECT_EQ(button->OuterBevel(), bvNone);
  EXPECT_EQ(rec.log.back(), "mouseleave 0 -15 80");
}

TEST_F(CuteButtonInputTest, DraggingOutAndBackWithTheButtonHeld) {
  for (bool tabFocusUp : {true, false}) {
    SCOPED_TRACE(tabFocusUp);
    button->SetTabFocusUp(tabFocusUp);
    rec.clicks = 0;
    PointerTo(button, 10, 10);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Pump();
    SetLeftButtonState(true);
    EXPECT_EQ(button->OuterBevel(), bvLowered);
    // Out: the focused button keeps the pressed face only with TabFocusUp.
    PointerTo(form, 5, 100);
    EXPECT_EQ(button->OuterBevel(), tabFocusUp ? bvLowered : bvNone);
    // Back with the button still held: pressed again.
    PointerTo(button, 12, 12);
    EXPECT_EQ(button->OuterBevel(), bvLowered);
    EXPECT_TRUE(rec.Logged(Format("mouseenter %d 12 12", int(ssLeft))));
    SetLeftButtonState(false);
    Post(WM_LBUTTONUP, 0, 12, 12);
    Pump();
    EXPECT_EQ(rec.clicks, 1);
    EXPECT_EQ(button->OuterBevel(), bvRaised);
    PointerTo(form, 5, 100);
    other->SetFocus();
    Pump();
  }
}

TEST_F(CuteButtonInputTest, EgnoreContClickDropsClicksWhileTheHandlerRuns) {
  // Each handled click queues two more, as a quick double press would.
  rec.onClick = [&] {
    if (rec.clicks > 1) return;
    for (int i = 0; i < 2; ++i) {
      Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
      Post(WM_LBUTTONUP, 0, 10, 10);
    }
  };
  Click();
  PumpFor(30);
  EXPECT_EQ(rec.clicks, 3) << "without the option every click counts";

  rec.clicks = 0;
  button->SetEgnoreContClick(true);
  Click();
  PumpFor(30);
  EXPECT_EQ(rec.clicks, 1);
  ASSERT_TRUE(static_cast<bool>(button->OnClick)) << "the handler is attached again";
  rec.onClick = nullptr;
  Click();
  EXPECT_EQ(rec.clicks, 2);

  // Clicks the handler lets through itself are dropped as well.
  rec.clicks = 0;
  rec.onClick = [&] {
    if (rec.clicks > 1) return;
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Post(WM_LBUTTONUP, 0, 10, 10);
    Application->ProcessMessages();
  };
  Click();
  EXPECT_EQ(rec.clicks, 1);
}

TEST_F(CuteButtonInputTest, EgnoreContClickSurvivesAFailingHandler) {
  button->SetEgnoreContClick(true);
  rec.onClick = [&] {
    if (rec.clicks > 1) return;
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Post(WM_LBUTTONUP, 0, 10, 10);
    throw Exception("click failed");
  };
  Click();
  PumpFor(30);
  EXPECT_EQ(rec.clicks, 1) << "the click queued by the failing handler is still dropped";
  EXPECT_EQ(errors.messages, std::vector<std::string>{"click failed"});
  ASSERT_TRUE(static_cast<bool>(button->OnClick)) << "a failed click must not leave the button dead";
  Click();
  EXPECT_EQ(rec.clicks, 2);
  Key(WM_CHAR, 'y');
  Pump();
  EXPECT_EQ(rec.clicks, 3);
}

TEST_F(CuteButtonInputTest, DropDownWithoutDelayOpensOnPressAndSwallowsTheClick) {
  button->SetDropDownMenu(menu);
  // A quick click: the release is already queued when the menu opens.
  Click();
  PumpFor(30);
  ASSERT_EQ(menu->shown.size(), 1u);
  TPoint below = button->ClientToScreen(TPoint(0, 25));
  EXPECT_EQ(menu->shown[0], below);
  EXPECT_EQ(menu->faces[0], bvRaised) << "the queued release was handled before the menu";
  EXPECT_EQ(rec.clicks, 0);
  EXPECT_EQ(rec.log.back(), "up 0 0 0 0") << "the release simulated after the menu";
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  EXPECT_EQ(CaptureControl(), nullptr);

  // Held: the menu opens over the pressed face; nothing clicks afterwards.
  rec.log.clear();
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Pump();
  ASSERT_EQ(menu->shown.size(), 2u);
  EXPECT_EQ(menu->faces[1], bvLowered);
  EXPECT_EQ(rec.log.back(), "up 0 0 0 0");
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  Post(WM_LBUTTONUP, 0, 10, 10);  // a release that still reaches the button
  Pump();
  EXPECT_EQ(rec.clicks, 0);
}

TEST_F(CuteButtonInputTest, DropDownByKeysAndTheNegativeDelay) {
  button->SetDropDownMenu(menu);
  FocusButton();
  // Enter opens the menu when the delay is exactly 0; no mouse drop-down
  // was started before, so the release simulated is the mouse's.
  Key(WM_KEYDOWN, VK_RETURN);
  Pump();
  ASSERT_EQ(menu->shown.size(), 1u);
  EXPECT_EQ(rec.clicks, 0);
  EXPECT_EQ(rec.log.back(), "up 0 0 0 0");

  // Space opens it at once, and the release simulated is the key's: the
  // pending Space ends without a click, and the real release clicks nothing.
  rec.log.clear();
  Key(WM_KEYDOWN, VK_SPACE);
  Pump();
  ASSERT_EQ(menu->shown.size(), 2u);
  EXPECT_EQ(menu->faces[1], bvLowered);
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  Key(WM_KEYUP, VK_SPACE);
  Pump();
  EXPECT_EQ(rec.clicks, 0);
  EXPECT_FALSE(rec.Logged("up 0 0 0 0"));

  // A negative delay: press and Space open the menu, Enter and the
  // accelerator click instead.
  button->SetDropDownDelay(-1);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Pump();
  Post(WM_LBUTTONUP, 0, 10, 10);
  Pump();
  EXPECT_EQ(menu->shown.size(), 3u);
  Key(WM_KEYDOWN, VK_SPACE);
  Key(WM_KEYUP, VK_SPACE);
  Pump();
  EXPECT_EQ(menu->shown.size(), 4u);
  EXPECT_EQ(rec.clicks, 0);
  Key(WM_KEYDOWN, VK_RETURN);
  Key(WM_CHAR, 'y');
  Pump();
  EXPECT_EQ(menu->shown.size(), 4u);
  EXPECT_EQ(rec.clicks, 2);

  // Delay 0 again: the accelerator opens the menu; the last drop-down was
  // by key, so its end simulates the key's release.
  button->SetDropDownDelay(0);
  rec.log.clear();
  Key(WM_CHAR, 'y');
  Pump();
  EXPECT_EQ(menu->shown.size(), 5u);
  EXPECT_EQ(rec.clicks, 2);
  EXPECT_FALSE(rec.Logged("up 0 0 0 0"));
  EXPECT_EQ(button->OuterBevel(), bvRaised);
}

TEST_F(CuteButtonInputTest, DelayedDropDownOpensOnlyWhenHeldLongEnough) {
  button->SetDropDownMenu(menu);
  button->SetDropDownDelay(500);
  // Released in time: an ordinary click, no menu, the timer gone.
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Pump();
  EXPECT_EQ(button->ComponentCount(), 1) << "the delay is armed";
  PumpFor(100);
  Post(WM_LBUTTONUP, 0, 10, 10);
  Pump();
  EXPECT_EQ(rec.clicks, 1);
  EXPECT_EQ(button->ComponentCount(), 0);
  PumpFor(550);
  EXPECT_TRUE(menu->shown.empty());

  // Held: the menu opens after the delay, below the button; no click.
  rec.log.clear();
  DWORD start = GetTickCount();
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  ASSERT_TRUE(PumpUntil([&] { return !menu->shown.empty(); }, 3000));
  DWORD held = GetTickCount() - start;
  EXPECT_GE(held, 450u);
  EXPECT_EQ(menu->faces[0], bvLowered);
  PumpFor(20);
  EXPECT_EQ(button->ComponentCount(), 0) << "the timer fires once";
  EXPECT_EQ(rec.log.back(), "up 0 0 0 0");
  EXPECT_EQ(CaptureControl(), nullptr);
  Post(WM_LBUTTONUP, 0, 10, 10);
  Pump();
  EXPECT_EQ(rec.clicks, 1);

  // By Space: released in time it clicks; held, the menu opens.
  FocusButton();
  Key(WM_KEYDOWN, VK_SPACE);
  Pump();
  PumpFor(100);
  Key(WM_KEYUP, VK_SPACE);
  Pump();
  EXPECT_EQ(rec.clicks, 2);
  EXPECT_EQ(menu->shown.size(), 1u);
  Key(WM_KEYDOWN, VK_SPACE);
  ASSERT_TRUE(PumpUntil([&] { return menu->shown.size() == 2; }, 3000));
  Key(WM_KEYUP, VK_SPACE);
  Pump();
  EXPECT_EQ(rec.clicks, 2);
  EXPECT_EQ(button->OuterBevel(), bvRaised);

  // Expired after the mouse let go elsewhere: nothing opens.
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Pump();
  SetCaptureControl(nullptr);
  PumpFor(600);
  EXPECT_EQ(menu->shown.size(), 2u);
  EXPECT_EQ(button->ComponentCount(), 0);
}

TEST_F(CuteButtonInputTest, MenuDestroyedWhileAssignedIsNeverUsed) {
  button->SetDropDownMenu(menu);
  menu->Free();
  menu = nullptr;
  Click();
  EXPECT_EQ(rec.clicks, 1) << "no menu left: an ordinary click";

  // Destroyed by a handler that runs while the drop-down gets ready.
  auto* second = new TClosingMenu(form);
  button->SetDropDownMenu(second);
  struct Killer : TObject {
    TPopupMenu* victim = nullptr;
    void Up(TObject*, TMouseButton, TShiftState, int, int) {
      if (victim) victim->Free();
      victim = nullptr;
    }
  } killer;
  killer.victim = second;
  button->OnMouseUp = TMouseEvent(&killer, &Killer::Up);
  Click();
  EXPECT_EQ(button->DropDownMenu(), nullptr);
  EXPECT_EQ(rec.clicks, 1) << "the release was the drop-down's";
  EXPECT_EQ(button->OuterBevel(), bvRaised);
  Click();
  EXPECT_EQ(rec.clicks, 2);
}

TEST_F(CuteButtonInputTest, FailingDropDownLeavesTheNextClickAlone) {
  button->SetDropDownMenu(menu);
  menu->whileShown = [] { throw Exception("menu failed"); };
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Pump();
  Post(WM_LBUTTONUP, 0, 10, 10);
  Pump();
  EXPECT_EQ(errors.messages, std::vector<std::string>{"menu failed"});
  button->SetDropDownMenu(nullptr);
  Click();
  EXPECT_EQ(rec.clicks, 1) << "the failed drop-down must not swallow a later click";
}
