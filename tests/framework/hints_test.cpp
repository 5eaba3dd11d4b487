#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "application.h"
#include "class_builder.h"
#include "forms.h"
#include "gui_helpers.h"
#include "hints.h"
#include "pixel_helpers.h"

using namespace orlo;
using orlo::testing_support::CountColor;
using orlo::testing_support::PumpFor;
using orlo::testing_support::PumpUntil;

namespace orlo {
// A windowed control with a hint; it can decline the hint-show notification
// and remembers what that notification carried.
class THintBox : public TCustomControl {
  ORLO_CLASS(THintBox)
public:
  explicit THintBox(TComponent* owner) : TCustomControl(owner) {}
  bool decline = false;
  int hintShows = 0;
  std::string hintText;
  TControl* hintControl = nullptr;

protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_HINTSHOW) {
      ++hintShows;
      auto* info = reinterpret_cast<THintInfo*>(m.LParam);
      hintText = info->HintStr;
      hintControl = info->HintControl;
      m.Result = decline ? 1 : 0;
      return;
    }
    TCustomControl::Dispatch(m);
  }
};
ORLO_DEFINE_CLASS(THintBox, TCustomControl) {}
}  // namespace orlo

namespace {

THintWindow* Window() { return Application->Hints()->Window(); }
bool HintShown() {
  return Window() && Window()->HandleAllocated() && IsWindowVisible(Window()->Handle());
}

// A shown form with three hinted boxes.
struct HintedForm {
  TForm* form;
  THintBox* memo;
  THintBox* other;
  THintBox* plain;

  HintedForm() {
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 200);
    memo = MakeBox(10, 10, "C:\\Data\\|the long hint");
    other = MakeBox(150, 10, "second");
    plain = MakeBox(10, 100, "");
    form->Show();
  }
  ~HintedForm() {
    Application->CancelHint();
    delete form;
  }
  THintBox* MakeBox(int x, int y, const std::string& hint) {
    auto* b = new THintBox(form);
    b->SetBounds(x, y, 100, 60);
    b->SetHint(hint);
    b->SetShowHint(true);
    b->SetParent(form);
    return b;
  }
};

// The pointer rests on a control: the platform's cursor and a move message.
void RestOn(TControl* c, int x = 5, int y = 5) {
  TPoint p = c->ClientToScreen(TPoint(x, y));
  SetCursorPos(p.X, p.Y);
  c->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

}  // namespace

// First in this program: the other tests change the application's pauses.
// Lower bounds on times allow one tick of the system clock (16 ms).
TEST(HintDefaults, HalfASecondToShowTwoAndAHalfToHideOnTheInfoColour) {
  EXPECT_TRUE(Application->ShowHint());
  EXPECT_EQ(Application->HintPause(), 500);
  EXPECT_EQ(Application->HintShortPause(), 50);
  EXPECT_EQ(Application->HintHidePause(), 2500);
  EXPECT_EQ(Application->HintColor(), clInfoBk);
  ASSERT_NE(Window(), nullptr) << "hints are on, so the hint window exists";

  HintedForm f;
  ASSERT_TRUE(PumpUntil([&] { return f.form->Active(); }));
  DWORD start = GetTickCount();
  RestOn(f.memo);
  PumpFor(400);
  EXPECT_FALSE(HintShown()) << "shown before the half-second pause";
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 3000));
  EXPECT_GE(GetTickCount() - start, 500u - 16);
  EXPECT_EQ(Window()->Color(), clInfoBk);

  DWORD shown = GetTickCount();
  PumpFor(2000);
  EXPECT_TRUE(HintShown()) << "hidden before the hide pause";
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 3000));
  EXPECT_GE(GetTickCount() - shown, 2500u - 16);
}

namespace {

class HintsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->SetShowHint(true);
    Application->SetHintPause(300);
    Application->SetHintShortPause(10);
    Application->SetHintHidePause(150);
    Application->SetHintColor(clInfoBk);
    f = std::make_unique<HintedForm>();
    ASSERT_TRUE(PumpUntil([&] { return f->form->Active(); }));
  }
  void TearDown() override {
    Application->OnShowHint.Clear();
    f.reset();
  }
  std::unique_ptr<HintedForm> f;
};

}  // namespace

TEST_F(HintsTest, ShowsTheShortHintBelowTheControlAfterThePauseThenHidesIt) {
  RestOn(f->memo);
  PumpFor(200);
  EXPECT_FALSE(HintShown()) << "not before the pause";
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  EXPECT_EQ(Window()->GetText(), "C:\\Data\\");
  RECT r;
  GetWindowRect(Window()->Handle(), &r);
  TPoint origin = f->memo->ClientOrigin();
  EXPECT_EQ(r.left, origin.X);
  EXPECT_EQ(r.top, origin.Y + f->memo->Height() + 6);
  EXPECT_TRUE(Application->Hints()->HintActive());
  EXPECT_EQ(f->memo->hintShows, 1);
  EXPECT_EQ(f->memo->hintText, "C:\\Data\\") << "the short hint, before the bar";
  EXPECT_EQ(f->memo->hintControl, f->memo);

  // Hidden after the hide pause, and not shown again while the pointer stays.
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 2000));
  RestOn(f->memo, 7, 7);
  PumpFor(400);
  EXPECT_FALSE(HintShown());
  EXPECT_EQ(Application->Hints()->HintControl(), f->memo);
}

TEST_F(HintsTest, EveryMoveBeforeTheHintShowsStartsThePauseAgain) {
  Application->SetHintPause(400);
  RestOn(f->memo);
  PumpFor(250);
  ASSERT_FALSE(HintShown());
  DWORD moved = GetTickCount();
  RestOn(f->memo, 20, 20);
  PumpFor(300);
  EXPECT_FALSE(HintShown()) << "the pause counted from the first move, not the last";
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  EXPECT_GE(GetTickCount() - moved, 400u - 16);
}

TEST_F(HintsTest, MovingToAnotherHintedControlUsesTheShortPause) {
  RestOn(f->memo);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  DWORD start = GetTickCount();
  RestOn(f->other);
  ASSERT_TRUE(PumpUntil([&] { return HintShown() && Window()->GetText() == "second"; }, 2000));
  EXPECT_LT(GetTickCount() - start, 200u) << "the short pause, not the hint pause";
}

TEST_F(HintsTest, KeysAndClicksCancelAndEmptyHintsShowNothing) {
  RestOn(f->memo);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  PostMessageA(f->memo->Handle(), WM_KEYDOWN, 'A', 0);
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 1000));
  EXPECT_EQ(Application->Hints()->HintControl(), nullptr);

  RestOn(f->other);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  PostMessageA(f->other->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(f->other->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 1000));
  EXPECT_EQ(Application->Hints()->HintControl(), nullptr);
  // A move to the point of the click, as Wine 10 sends after one, starts no
  // new pause; the pointer moving on does.
  RestOn(f->other);
  EXPECT_FALSE(Application->Hints()->TimerRunning());
  EXPECT_EQ(Application->Hints()->HintControl(), nullptr);
  RestOn(f->other, 6, 6);
  EXPECT_TRUE(Application->Hints()->TimerRunning());
  EXPECT_EQ(Application->Hints()->HintControl(), f->other);

  RestOn(f->plain);
  PumpFor(400);
  EXPECT_FALSE(HintShown()) << "an empty hint shows nothing";

  f->other->SetShowHint(false);
  RestOn(f->other);
  EXPECT_FALSE(Application->Hints()->TimerRunning()) << "ShowHint off cancels";
  EXPECT_EQ(Application->Hints()->HintControl(), nullptr);
}

TEST_F(HintsTest, OnlyTheKeyAndMouseButtonRangesOfTheLoopCancel) {
  THintWindow* w = Window();
  ASSERT_NE(w, nullptr);
  auto cancels = [&](UINT msg) {
    MSG m{};
    m.message = msg;
    return w->IsHintMsg(m);
  };
  // Keys are 0x0100 to 0x0108, mouse buttons and the wheel 0x0201 to 0x0209,
  // whatever the platform headers call the last of each.
  EXPECT_FALSE(cancels(0x00FF));
  EXPECT_TRUE(cancels(WM_KEYDOWN));
  EXPECT_TRUE(cancels(0x0108));
  EXPECT_FALSE(cancels(0x0109));
  EXPECT_FALSE(cancels(WM_MOUSEMOVE));
  EXPECT_TRUE(cancels(WM_LBUTTONDOWN));
  EXPECT_TRUE(cancels(0x0209));
  EXPECT_FALSE(cancels(0x020A));
  EXPECT_FALSE(cancels(0x020D));
  EXPECT_TRUE(cancels(WM_NCMOUSEMOVE));
  EXPECT_TRUE(cancels(WM_COMMAND));
  for (UINT cm : {0xB000u, 0xB001u, 0xB016u, 0xB017u}) EXPECT_TRUE(cancels(cm)) << cm;
  EXPECT_FALSE(cancels(0xB002));

  // Through the loop: messages just outside the ranges leave the hint up.
  RestOn(f->memo);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  Application->SetHintHidePause(5000);
  PostMessageA(f->memo->Handle(), 0x0109, 0, 0);
  PostMessageA(f->memo->Handle(), 0x020A, 0, 0);
  PumpFor(100);
  EXPECT_TRUE(HintShown());
  EXPECT_EQ(Application->Hints()->HintControl(), f->memo);
  PostMessageA(f->memo->Handle(), 0x0108, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 1000));
}

TEST_F(HintsTest, LeavingTheProgramsWindowsCancels) {
  RestOn(f->memo);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  // Far from the form: no window of this program lies under the pointer.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
  ASSERT_EQ(FindControlAt(TPoint(GetSystemMetrics(SM_CXSCREEN) - 2,
                                 GetSystemMetrics(SM_CYSCREEN) - 2), true),
            nullptr);
  Application->DoIdle();
  EXPECT_FALSE(HintShown());
  EXPECT_EQ(Application->Hints()->HintControl(), nullptr);
  EXPECT_FALSE(Application->Hints()->TimerRunning());
}

TEST_F(HintsTest, ADisabledControlShowsItsHint) {
  f->memo->SetEnabled(false);
  // The platform sends the move over a disabled child to its parent.
  TPoint p = f->memo->ClientToScreen(TPoint(5, 5));
  SetCursorPos(p.X, p.Y);
  TPoint inForm = f->form->ScreenToClient(p);
  f->form->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(inForm.X, inForm.Y));
  EXPECT_EQ(Application->Hints()->HintControl(), f->memo);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  EXPECT_EQ(Window()->GetText(), "C:\\Data\\");
}

TEST_F(HintsTest, TheControlOrTheApplicationMayDeclineAHint) {
  f->memo->decline = true;
  RestOn(f->memo);
  PumpFor(500);
  EXPECT_EQ(f->memo->hintShows, 1);
  EXPECT_FALSE(HintShown());
  EXPECT_EQ(Application->Hints()->HintControl(), nullptr);

  struct Decliner : TObject {
    int calls = 0;
    std::string text;
    TControl* control = nullptr;
    void ShowHint(std::string& hint, bool& canShow, THintInfo& info) {
      ++calls;
      text = hint;
      control = info.HintControl;
      canShow = false;
    }
  } decliner;
  Application->OnShowHint = TShowHintEvent(&decliner, &Decliner::ShowHint);
  RestOn(f->other);
  PumpFor(500);
  EXPECT_EQ(decliner.calls, 1);
  EXPECT_EQ(decliner.text, "second");
  EXPECT_EQ(decliner.control, f->other);
  EXPECT_FALSE(HintShown());
  EXPECT_EQ(Application->Hints()->HintControl(), nullptr);
}

TEST_F(HintsTest, TheHintWindowTakesTheHintColourAndDrawsInTheInfoTextColour) {
  Application->SetHintColor(clLime);
  Application->SetHintHidePause(5000);
  RestOn(f->memo);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  EXPECT_EQ(Window()->Color(), clLime);
  PumpFor(50);
  RECT r;
  GetClientRect(Window()->Handle(), &r);
  TMemoryCanvas shot(r.right, r.bottom);
  HDC dc = GetDC(Window()->Handle());
  BitBlt(shot.Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(Window()->Handle(), dc);
  const TRect all(0, 0, r.right, r.bottom);
  const int lime = CountColor(shot, all, clLime);
  const int text = CountColor(shot, all, static_cast<TColor>(GetSysColor(COLOR_INFOTEXT)));
  EXPECT_GT(lime, r.right * r.bottom / 2) << "the background";
  EXPECT_GT(text, 0) << "the text";
  EXPECT_EQ(lime + text, r.right * r.bottom) << "nothing but background and text";
}

TEST_F(HintsTest, AHintNearTheScreenEdgesIsKeptOnTheScreen) {
  ASSERT_NE(Window(), nullptr);
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  Window()->ActivateHint(TRect(sw - 10, sh - 5, sw + 90, sh + 15), "edge");
  RECT r;
  GetWindowRect(Window()->Handle(), &r);
  EXPECT_EQ(r.right, sw);
  EXPECT_EQ(r.bottom, sh);
  Window()->ActivateHint(TRect(-30, -40, 70, -20), "edge");
  GetWindowRect(Window()->Handle(), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  Window()->ReleaseHandleIfShown();
}
