#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "application.h"
#include "class_builder.h"
#include "forms.h"
#include "gui_helpers.h"
#include "radio_group.h"
#include "std_controls.h"
#include "timers.h"

using namespace orlo;
using orlo::testing_support::PumpFor;
using orlo::testing_support::PumpUntil;

namespace orlo {

// A focusable windowed control that records what reaches it.
class TTestBox : public TCustomControl {
  ORLO_CLASS(TTestBox)
public:
  explicit TTestBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 20, 20);
    SetTabStop(true);
  }
  std::vector<std::string> log;
  bool throwOnCreate = false;

protected:
  void KeyDown(uint16_t& key, TShiftState shift) override {
    log.push_back("keydown " + std::to_string(key));
    TCustomControl::KeyDown(key, shift);
  }
  void DoEnter() override { log.push_back("enter"); }
  void DoExit() override { log.push_back("exit"); }
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_CREATE && throwOnCreate) throw EInvalidOperation("no window for you");
    if (m.Msg == CM_MOUSEENTER && m.LParam == 0) log.push_back("mouseenter");
    if (m.Msg == CM_MOUSELEAVE && m.LParam == 0) log.push_back("mouseleave");
    TCustomControl::Dispatch(m);
  }
};
ORLO_DEFINE_CLASS(TTestBox, TCustomControl) {}

class TScaleForm : public TForm {
  ORLO_CLASS(TScaleForm)
public:
  using TForm::TForm;
  TTestBox* Box1 = nullptr;
  TTestBox* Box2 = nullptr;
  TTestBox* Inner1 = nullptr;
  TButton* Button1 = nullptr;
  TEdit* Edit1 = nullptr;
  TTestBox* Own1 = nullptr;
  TTestBox* Named1 = nullptr;
  TRadioGroup* Group1 = nullptr;
  TRadioGroup* Group2 = nullptr;
};
ORLO_DEFINE_CLASS(TScaleForm, TForm) {
  p.Field("Box1", &TScaleForm::Box1);
  p.Field("Box2", &TScaleForm::Box2);
  p.Field("Inner1", &TScaleForm::Inner1);
  p.Field("Button1", &TScaleForm::Button1);
  p.Field("Edit1", &TScaleForm::Edit1);
  p.Field("Own1", &TScaleForm::Own1);
  p.Field("Named1", &TScaleForm::Named1);
  p.Field("Group1", &TScaleForm::Group1);
  p.Field("Group2", &TScaleForm::Group2);
}

// The same fields, read from other descriptions (named after the class).
class TPpiForm : public TScaleForm {
  ORLO_CLASS(TPpiForm)
public:
  using TScaleForm::TScaleForm;
};
ORLO_DEFINE_CLASS(TPpiForm, TScaleForm) {}

class TPpiKeepsFontForm : public TScaleForm {
  ORLO_CLASS(TPpiKeepsFontForm)
public:
  using TScaleForm::TScaleForm;
};
ORLO_DEFINE_CLASS(TPpiKeepsFontForm, TScaleForm) {}

class TPlainForm : public TForm {
  ORLO_CLASS(TPlainForm)
public:
  using TForm::TForm;
  TTestBox* Box1 = nullptr;
  TTestBox* Box2 = nullptr;
  int created = 0;
  bool failCreate = false;
  void FormCreate(TObject*) {
    ++created;
    if (failCreate) throw Exception("create failed");
  }
};
ORLO_DEFINE_CLASS(TPlainForm, TForm) {
  p.Field("Box1", &TPlainForm::Box1);
  p.Field("Box2", &TPlainForm::Box2);
  p.Method("FormCreate", &TPlainForm::FormCreate);
}

}  // namespace orlo

namespace {

// Records what the application's exception handling receives.
struct ExceptionLog {
  std::vector<std::string> messages;
  void OnException(TObject*, const std::exception_ptr& e) {
    try {
      std::rethrow_exception(e);
    } catch (const Exception& ex) {
      messages.push_back(ex.Message());
    }
  }
};

class FormsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->SetTitle("ORLO MOVE");
    Application->ResetTerminated();
    Application->OnException = TExceptionEvent(&log_holder, &Holder::OnException);
  }
  void TearDown() override {
    Application->OnException.Clear();
    Application->OnIdle.Clear();
  }
  struct Holder : TObject {
    ExceptionLog log;
    void OnException(TObject* s, const std::exception_ptr& e) { log.OnException(s, e); }
  } log_holder;
};

TForm* NewShownForm(int left) {
  TForm* f = new TForm(nullptr);
  f->SetBounds(left, 50, 200, 150);
  f->Show();
  return f;
}

}  // namespace

namespace {
// The height of "0" in the descriptions' window font on this screen.
int WindowFontTextHeight() {
  TScreenCanvas canvas;
  TFont font;
  font.SetName("ＭＳ Ｐゴシック");
  font.SetCharset(SHIFTJIS_CHARSET);
  font.SetHeight(-12);
  canvas.SetFont(&font);
  return canvas.TextHeight("0");
}
}  // namespace

TEST_F(FormsTest, ReadsDescriptionAndScalesOnlyWhenTheTextHeightDiffers) {
  TPlainForm* f = TCustomForm::Create<TPlainForm>(nullptr);
  ASSERT_NE(f->Box1, nullptr);
  ASSERT_NE(f->Box2, nullptr);
  EXPECT_EQ(f->created, 1);
  EXPECT_EQ(f->Box1->Parent(), f);
  // Designed at a text height of 12, and "0" in the window font is 12 pixels
  // high here as on the platform it was designed for: nothing is scaled.
  ASSERT_EQ(WindowFontTextHeight(), 12) << "the prefix's Japanese font has other metrics";
  EXPECT_EQ(f->Box1->BoundsRect(), TRect(10, 20, 40, 60));
  EXPECT_EQ(f->FormClientWidth(), 200);
  EXPECT_EQ(f->FormClientHeight(), 100);
  EXPECT_EQ(f->TextHeight(), 12);
  // The stored tab order wins over the creation order.
  EXPECT_EQ(f->Box2->TabOrder(), 0);
  EXPECT_EQ(f->Box1->TabOrder(), 1);
  delete f;
}

TEST_F(FormsTest, ScalesOnlyWhatTheDescriptionSetByTheTextHeight) {
  ASSERT_EQ(WindowFontTextHeight(), 12) << "the prefix's Japanese font has other metrics";
  // Stored with a text height of 6: scaled by 12 / 6.
  TScaleForm* f = TCustomForm::Create<TScaleForm>(nullptr);
  EXPECT_EQ(f->TextHeight(), 12);
  EXPECT_EQ(f->FormClientWidth(), 400);
  EXPECT_EQ(f->FormClientHeight(), 200);
  // Right and bottom edges are scaled, not sizes; children of windowed
  // controls the same way.
  EXPECT_EQ(f->Box1->BoundsRect(), TRect(20, 40, 80, 120));
  EXPECT_EQ(f->Inner1->BoundsRect(), TRect(4, 6, 24, 16));
  // Only the position was stored: the size stays the constructor's.
  EXPECT_EQ(f->Box2->BoundsRect(), TRect(100, 40, 120, 60));
  // Nothing of the geometry stored: nothing scaled.
  EXPECT_EQ(f->Button1->BoundsRect(), TRect(0, 0, 75, 25));
  EXPECT_EQ(f->Named1->BoundsRect(), TRect(0, 0, 20, 20));
  // An edit grows with its font: its stored height scales too.
  EXPECT_EQ(f->Edit1->BoundsRect(), TRect(6, 8, 106, 50));
  // An own font set by the description grows with the rest; one whose size
  // the description left alone does not.
  EXPECT_FALSE(f->Own1->ParentFont());
  EXPECT_EQ(f->Own1->Font()->Size(), 18);
  EXPECT_EQ(f->Own1->BoundsRect(), TRect(120, 10, 140, 30));
  EXPECT_FALSE(f->Named1->ParentFont());
  EXPECT_EQ(f->Named1->Font()->Size(), 9);
  // Option buttons a group makes while it is loaded are placed by the group,
  // not scaled: inside a group that kept its size, and inside one that grew.
  EXPECT_EQ(f->Group1->BoundsRect(), TRect(0, 0, 185, 105));
  ASSERT_EQ(f->Group1->ButtonCount(), 2);
  EXPECT_EQ(f->Group1->Buttons(0)->Width(), 185 - 10);
  EXPECT_EQ(f->Group2->BoundsRect(), TRect(20, 200, 198, 362));
  ASSERT_EQ(f->Group2->ButtonCount(), 2);
  EXPECT_EQ(f->Group2->Buttons(1)->Width(), 178 - 10);
  EXPECT_LE(f->Group2->Buttons(1)->Top() + f->Group2->Buttons(1)->Height(), 162);
  delete f;
}

TEST_F(FormsTest, AnotherPixelsPerInchConvertsTheStoredFontHeightFirst) {
  ASSERT_EQ(Screen->PixelsPerInch(), 96);
  ASSERT_EQ(WindowFontTextHeight(), 12) << "the prefix's Japanese font has other metrics";
  // Stored at 120 with a 15-pixel font: the font becomes 12 pixels at 96,
  // "0" is then 12 high against the stored 15, and the controls shrink.
  TPpiForm* f = TCustomForm::Create<TPpiForm>(nullptr);
  EXPECT_EQ(f->Font()->Height(), -12);
  EXPECT_EQ(f->PixelsPerInch(), 96);
  EXPECT_EQ(f->TextHeight(), 12);
  EXPECT_EQ(f->Box1->BoundsRect(), TRect(12, 24, 48, 72));
  EXPECT_EQ(f->FormClientWidth(), 200);
  EXPECT_EQ(f->FormClientHeight(), 120);
  delete f;

  // Without a stored font height the font stays, and a text height that
  // matches the screen's scales nothing.
  const int defaultHeight = TFont().Height();
  TPpiKeepsFontForm* g = TCustomForm::Create<TPpiKeepsFontForm>(nullptr);
  EXPECT_EQ(g->Font()->Height(), defaultHeight);
  EXPECT_EQ(g->PixelsPerInch(), 96);
  EXPECT_EQ(g->TextHeight(), 12);
  EXPECT_EQ(g->Box1->BoundsRect(), TRect(15, 30, 60, 90));
  EXPECT_EQ(g->FormClientWidth(), 250);
  EXPECT_EQ(g->FormClientHeight(), 150);
  delete g;
}

TEST_F(FormsTest, FailingCreationHandlerIsReportedAndTheFormStillMade) {
  // The handler runs during construction; make it fail through a subclass
  // whose constructor sets the flag before the description is read.
  struct TFailing : TPlainForm {
    explicit TFailing(TComponent* o) : TPlainForm(o) { failCreate = true; }
    TClass ClassType() const override { return TPlainForm::StaticClass(); }
  };
  TFailing* f = TCustomForm::Create<TFailing>(nullptr);
  EXPECT_EQ(f->created, 1);
  ASSERT_EQ(log_holder.log.messages.size(), 1u);
  EXPECT_EQ(log_holder.log.messages[0], "create failed");
  EXPECT_NE(f->Box1, nullptr);
  delete f;
}

TEST_F(FormsTest, ModalShowDisablesOthersAndRestoresThem) {
  TForm* main = NewShownForm(50);
  ASSERT_TRUE(PumpUntil([&] { return main->Active(); }));
  TForm* dialog = new TForm(nullptr);
  dialog->SetBounds(100, 100, 150, 100);

  struct Probe : TObject {
    TForm* main;
    TForm* dialog;
    int step = 0;
    bool mainDisabledDuringShow = false;
    bool dialogActiveDuringShow = false;
    int resultSeenAtStart = -1;
    void Idle(TObject*, bool& done) {
      done = false;
      if (!dialog->Showing()) return;
      if (resultSeenAtStart < 0) resultSeenAtStart = dialog->ModalResult();
      mainDisabledDuringShow = !IsWindowEnabled(main->Handle());
      dialogActiveDuringShow = dialog->Active();
      dialog->SetModalResult(step == 0 ? mrYes : mrNo);
    }
  } probe;
  probe.main = main;
  probe.dialog = dialog;
  Application->OnIdle = TIdleEvent(&probe, &Probe::Idle);

  int r = dialog->ShowModal();
  EXPECT_EQ(r, mrYes);
  EXPECT_EQ(dialog->ModalResult(), mrYes);
  EXPECT_TRUE(probe.mainDisabledDuringShow);
  EXPECT_TRUE(probe.dialogActiveDuringShow);
  EXPECT_EQ(probe.resultSeenAtStart, 0);
  EXPECT_FALSE(dialog->Showing());
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_TRUE(main->Active()) << "the window active before the show is active again";

  // A second show starts again from 0 and waits for its own answer.
  probe.step = 1;
  probe.resultSeenAtStart = -1;
  EXPECT_EQ(dialog->ShowModal(), mrNo);
  EXPECT_EQ(probe.resultSeenAtStart, 0);
  delete dialog;
  delete main;
}

TEST_F(FormsTest, CloseBoxAndTerminationEndAModalShowWithCancel) {
  TForm* dialog = new TForm(nullptr);
  struct Closer : TObject {
    TForm* dialog;
    bool quit = false;
    void Idle(TObject*, bool& done) {
      done = false;
      if (!dialog->Showing()) return;
      if (quit)
        PostQuitMessage(0);
      else
        PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
    }
  } closer;
  closer.dialog = dialog;
  Application->OnIdle = TIdleEvent(&closer, &Closer::Idle);
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  closer.quit = true;
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_TRUE(Application->Terminated());
  Application->ResetTerminated();
  delete dialog;
}

TEST_F(FormsTest, HandlerExceptionsInsideModalLoopsAndTimersAreReportedAndTheLoopGoesOn) {
  TForm* dialog = new TForm(nullptr);
  struct Thrower : TObject {
    TForm* dialog;
    int ticks = 0;
    void Tick(TObject*) {
      ++ticks;
      if (ticks == 1) throw Exception("timer failed");
      if (ticks == 2) throw EAbort("silent");
      dialog->SetModalResult(mrOk);
    }
    void Idle(TObject*, bool& done) {
      static bool thrown = false;
      if (dialog->Showing() && !thrown) {
        thrown = true;
        throw Exception("idle failed");
      }
    }
  } thrower;
  thrower.dialog = dialog;
  TTimer* timer = new TTimer(nullptr);
  timer->SetInterval(20);
  timer->SetOnTimer(TNotifyEvent(&thrower, &Thrower::Tick));
  Application->OnIdle = TIdleEvent(&thrower, &Thrower::Idle);
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  delete timer;
  EXPECT_EQ(thrower.ticks, 3);
  // Which of the two comes first depends on how long the show takes.
  std::vector<std::string> seen = log_holder.log.messages;
  std::sort(seen.begin(), seen.end());
  std::vector<std::string> expected{"idle failed", "timer failed"};
  EXPECT_EQ(seen, expected) << "EAbort is dropped without a message";
  delete dialog;
}

TEST_F(FormsTest, ExceptionWhileAWindowIsCreatedReachesTheCaller) {
  TForm* f = new TForm(nullptr);
  TTestBox* box = new TTestBox(f);
  box->throwOnCreate = true;
  box->SetParent(f);
  try {
    f->HandleNeeded();
    FAIL() << "the creation error must reach the caller";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "no window for you");
  }
  EXPECT_FALSE(box->HandleAllocated());
  EXPECT_TRUE(log_holder.log.messages.empty()) << "carried, not reported";
  delete f;
}

TEST_F(FormsTest, TabAndArrowsMoveFocusBeforeTheControlSeesTheKey) {
  TPlainForm* f = TCustomForm::Create<TPlainForm>(nullptr);
  f->Show();
  // Focus goes to the first tab stop on activation: Box2 has tab order 0.
  ASSERT_TRUE(PumpUntil([&] { return f->Box2->Focused(); }));
  EXPECT_EQ(f->ActiveControl(), f->Box2);

  PostMessageA(f->Box2->Handle(), WM_KEYDOWN, VK_TAB, 0);
  ASSERT_TRUE(PumpUntil([&] { return f->Box1->Focused(); }));
  for (const auto& e : f->Box2->log) EXPECT_NE(e, "keydown 9") << "Tab never reaches the control";

  PostMessageA(f->Box1->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
  ASSERT_TRUE(PumpUntil([&] { return f->Box2->Focused(); }));
  // An ordinary key reaches the focused control.
  PostMessageA(f->Box2->Handle(), WM_KEYDOWN, 'A', 0);
  PumpFor(50);
  EXPECT_EQ(f->Box2->log.back(), "keydown 65");
  std::vector<std::string> box1{"enter", "exit"};
  EXPECT_EQ(f->Box1->log, box1);
  delete f;
}

TEST_F(FormsTest, IdleProcessingTellsControlsThePointerEnteredAndLeft) {
  TPlainForm* f = TCustomForm::Create<TPlainForm>(nullptr);
  f->Show();
  PumpFor(50);
  TPoint inBox1 = f->Box1->ClientToScreen(TPoint(5, 5));
  TPoint inBox2 = f->Box2->ClientToScreen(TPoint(5, 5));
  SetCursorPos(inBox1.X, inBox1.Y);
  Application->DoIdle();
  EXPECT_EQ(Application->MouseControl(), f->Box1);
  SetCursorPos(inBox2.X, inBox2.Y);
  Application->DoIdle();
  EXPECT_EQ(Application->MouseControl(), f->Box2);
  ASSERT_FALSE(f->Box1->log.empty());
  EXPECT_EQ(f->Box1->log.back(), "mouseleave");
  EXPECT_EQ(f->Box2->log.back(), "mouseenter");
  SetCursorPos(0, 0);
  Application->DoIdle();
  delete f;
}

TEST_F(FormsTest, DisabledWindowedControlsAreFoundUnderThePointer) {
  TPlainForm* f = TCustomForm::Create<TPlainForm>(nullptr);
  auto* inner = new TGraphicControl(f);
  inner->SetBounds(2, 2, 10, 10);
  inner->SetParent(f->Box2);
  f->Show();
  PumpFor(50);
  f->Box1->SetEnabled(false);
  f->Box2->SetEnabled(false);
  TPoint inBox1 = f->Box1->ClientToScreen(TPoint(20, 20));
  TPoint inInner = f->Box2->ClientToScreen(TPoint(5, 5));
  EXPECT_EQ(FindControlAt(inBox1, true), f->Box1);
  EXPECT_EQ(FindControlAt(inInner, true), inner) << "a windowless child of a disabled one";
  EXPECT_EQ(FindControlAt(inBox1, false), f) << "without disabled ones, the form";

  // The disabled control hears that the pointer entered and left it.
  SetCursorPos(inBox1.X, inBox1.Y);
  Application->DoIdle();
  EXPECT_EQ(Application->MouseControl(), f->Box1);
  ASSERT_FALSE(f->Box1->log.empty());
  EXPECT_EQ(f->Box1->log.back(), "mouseenter");
  TPoint onForm = f->ClientToScreen(TPoint(150, 90));
  SetCursorPos(onForm.X, onForm.Y);
  Application->DoIdle();
  EXPECT_EQ(Application->MouseControl(), f);
  EXPECT_EQ(f->Box1->log.back(), "mouseleave");
  SetCursorPos(0, 0);
  Application->DoIdle();
  delete f;
}

TEST_F(FormsTest, KeysForAForeignWindowOwnedByAFormStayWithThatWindow) {
  TPlainForm* f = TCustomForm::Create<TPlainForm>(nullptr);
  f->Show();
  ASSERT_TRUE(PumpUntil([&] { return f->Box2->Focused(); }));
  // A window that is not ours, owned by the form (as the shell's folder
  // picker is): its Tab must not move the form's focus.
  HWND foreign = CreateWindowExA(0, "EDIT", "", WS_POPUP | WS_VISIBLE, 300, 300, 100, 20,
                                 f->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(foreign, nullptr);
  PostMessageA(foreign, WM_KEYDOWN, VK_TAB, 0);
  PumpFor(50);
  EXPECT_EQ(f->ActiveControl(), f->Box2);
  for (const auto& e : f->Box1->log) EXPECT_NE(e, "enter");
  DestroyWindow(foreign);
  delete f;
}

TEST_F(FormsTest, AFormThatTakesNoInputShowsTheBusyPointerOverAllOfItUntilItTakesInputAgain) {
  TPlainForm* f = TCustomForm::Create<TPlainForm>(nullptr);
  f->Show();
  PumpFor(50);
  // The pointer rests on a control of the form while the form blocks input:
  // it turns busy at once, over the control and over the form's frame, and
  // the control's own pointer comes back afterwards.
  const TPoint onBox = f->Box1->ClientToScreen(TPoint(5, 5));
  SetCursorPos(onBox.X, onBox.Y);
  f->Box1->SetCursor(crCross);
  SetCursor(Screen->CursorHandle(crDefault));
  const HCURSOR busy = Screen->CursorHandle(crAppStart);
  f->BlockInput(true);
  EXPECT_EQ(GetCursor(), busy);
  EXPECT_FALSE(IsWindowEnabled(f->Handle()));
  SetCursor(nullptr);
  EXPECT_EQ(SendMessageA(f->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f->Handle()),
                         MAKELPARAM(HTERROR, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(GetCursor(), busy);
  f->BlockInput(false);
  EXPECT_EQ(GetCursor(), Screen->CursorHandle(crCross));
  EXPECT_TRUE(IsWindowEnabled(f->Handle()));
  SetCursorPos(0, 0);
  delete f;
}
