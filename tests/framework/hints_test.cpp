#include <gtest/gtest.h>

#include "application.h"
#include "class_builder.h"
#include "forms.h"
#include "gui_helpers.h"
#include "hints.h"

using namespace orlo;
using orlo::testing_support::PumpFor;
using orlo::testing_support::PumpUntil;

namespace orlo {
class THintBox : public TCustomControl {
  ORLO_CLASS(THintBox)
public:
  explicit THintBox(TComponent* owner) : TCustomControl(owner) {}
};
ORLO_DEFINE_CLASS(THintBox, TCustomControl) {}
}  // namespace orlo

namespace {

class HintsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->SetShowHint(true);
    Application->SetHintPause(300);
    Application->SetHintShortPause(10);
    Application->SetHintHidePause(150);
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 200);
    memo = MakeBox(10, 10, "C:\\Data\\|the long hint");
    other = MakeBox(150, 10, "second");
    plain = MakeBox(10, 100, "");
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return form->Active(); }));
  }
  void TearDown() override {
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
  // The pointer rests on a control: the platform's cursor and a move message.
  void RestOn(TControl* c, int x = 5, int y = 5) {
    TPoint p = c->ClientToScreen(TPoint(x, y));
    SetCursorPos(p.X, p.Y);
    c->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  }
  THintWindow* Window() { return Application->Hints()->Window(); }
  bool HintShown() { return Window() && Window()->HandleAllocated() && IsWindowVisible(Window()->Handle()); }

  TForm* form = nullptr;
  THintBox* memo = nullptr;
  THintBox* other = nullptr;
  THintBox* plain = nullptr;
};

TEST_F(HintsTest, ShowsTheShortHintBelowTheControlAfterThePauseThenHidesIt) {
  RestOn(memo);
  EXPECT_FALSE(HintShown()) << "not before the pause";
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  EXPECT_EQ(Window()->GetText(), "C:\\Data\\");
  RECT r;
  GetWindowRect(Window()->Handle(), &r);
  TPoint origin = memo->ClientOrigin();
  EXPECT_EQ(r.left, origin.X);
  EXPECT_EQ(r.top, origin.Y + memo->Height() + 6);
  EXPECT_TRUE(Application->Hints()->HintActive());

  // Hidden after the hide pause, and not shown again while the pointer stays.
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 2000));
  RestOn(memo, 7, 7);
  PumpFor(200);
  EXPECT_FALSE(HintShown());
  EXPECT_EQ(Application->Hints()->HintControl(), memo);
}

TEST_F(HintsTest, MovingToAnotherHintedControlUsesTheShortPause) {
  RestOn(memo);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  DWORD start = GetTickCount();
  RestOn(other);
  ASSERT_TRUE(PumpUntil([&] { return HintShown() && Window()->GetText() == "second"; }, 2000));
  EXPECT_LT(GetTickCount() - start, 200u) << "the short pause, not the hint pause";
}

TEST_F(HintsTest, KeysAndClicksCancelAndEmptyHintsShowNothing) {
  RestOn(memo);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }, 2000));
  PostMessageA(memo->Handle(), WM_KEYDOWN, 'A', 0);
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 1000));
  EXPECT_EQ(Application->Hints()->HintControl(), nullptr);

  RestOn(plain);
  PumpFor(150);
  EXPECT_FALSE(HintShown()) << "an empty hint shows nothing";

  other->SetShowHint(false);
  RestOn(other);
  EXPECT_FALSE(Application->Hints()->TimerRunning()) << "ShowHint off cancels";
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

}  // namespace
