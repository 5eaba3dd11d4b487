#include <gtest/gtest.h>

#include <string>

#include "application.h"
#include "class_builder.h"
#include "forms.h"
#include "gui_helpers.h"
#include "menus.h"
#include "timers.h"

using namespace orlo;
using orlo::testing_support::PumpUntil;

namespace orlo {

// A form that checks, while it is constructed, that the application has
// already stored it in the caller's reference.
class TRefForm : public TForm {
  ORLO_CLASS(TRefForm)
public:
  static TRefForm** watched;
  static bool fail;
  bool refSetDuringConstruction = false;
  explicit TRefForm(TComponent* owner) : TForm(owner) {
    refSetDuringConstruction = watched && *watched == this;
    if (fail) throw EInvalidOperation("construction failed");
  }
};
TRefForm** TRefForm::watched = nullptr;
bool TRefForm::fail = false;
ORLO_DEFINE_CLASS(TRefForm, TForm) {}

}  // namespace orlo

namespace {

struct Closer : TObject {
  TTimer* timer = nullptr;
  int fired = 0;
  void Tick(TObject*) {
    ++fired;
    timer->SetEnabled(false);
    Application->MainForm()->Close();
  }
};

TEST(Application, TitleWindowAndTheMainFormsLife) {
  // The title starts as the program's base name, the rest lowered.
  EXPECT_EQ(Application->Title(), "application_test");
  EXPECT_EQ(TitleFromModuleName("C:\\Tools\\ORLOSEND.EXE"), "Orlosend");
  // A double-byte first character whose second byte is 0x5C stays whole.
  EXPECT_EQ(TitleFromModuleName("C:\\x\\\x95\\ABC.exe"), "\x95\\abc");
  Application->SetTitle("ORLO MOVE");
  HWND app = Application->Handle();
  char text[64] = {}, cls[64] = {};
  GetWindowTextA(app, text, sizeof text);
  GetClassNameA(app, cls, sizeof cls);
  EXPECT_STREQ(text, "ORLO MOVE");
  EXPECT_STREQ(cls, "TApplication");
  RECT r;
  GetWindowRect(app, &r);
  EXPECT_EQ(r.right - r.left, 0) << "only its task-bar button shows";

  // A construction that fails resets the reference and makes no main form.
  TRefForm* form = nullptr;
  TRefForm::watched = &form;
  TRefForm::fail = true;
  EXPECT_THROW(Application->CreateForm(form), EInvalidOperation);
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(Application->MainForm(), nullptr);

  // The first form made is the main form, stored before it was constructed,
  // with its window made at once and owned by the application window.
  TRefForm::fail = false;
  Application->CreateForm(form);
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->refSetDuringConstruction);
  EXPECT_EQ(Application->MainForm(), form);
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), app);
  TRefForm* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), form);
  EXPECT_FALSE(second->HandleAllocated()) << "other forms make their windows when needed";

  // Run shows the main form; closing it ends the loop.
  Closer closer;
  closer.timer = new TTimer(Application.Get());
  closer.timer->SetInterval(50);
  closer.timer->SetOnTimer(TNotifyEvent(&closer, &Closer::Tick));
  Application->Run();
  EXPECT_EQ(closer.fired, 1);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_FALSE(Application->Running());
}

TEST(PopupMenu, PopsUpAlignedAndClicksTheChosenItem) {
  Application->ResetTerminated();
  TPopupMenu* menu = new TPopupMenu(nullptr);
  EXPECT_EQ(menu->TrackFlags() & (TPM_CENTERALIGN | TPM_RIGHTALIGN), 0u);
  menu->SetAlignment(paRight);
  EXPECT_TRUE(menu->TrackFlags() & TPM_RIGHTALIGN);
  menu->SetAlignment(paCenter);
  EXPECT_TRUE(menu->TrackFlags() & TPM_CENTERALIGN);

  struct Probe : TObject {
    int popups = 0, clicks = 0;
    void Popup(TObject*) {
      ++popups;
      // Choose the first item once the menu's loop runs.
      keybd_event(VK_DOWN, 0, 0, 0);
      keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
      keybd_event(VK_RETURN, 0, 0, 0);
      keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
    }
    void Click(TObject*) { ++clicks; }
  } probe;
  TMenuItem* item = new TMenuItem(menu);
  item->SetCaption("&Open");
  item->OnClick = TNotifyEvent(&probe, &Probe::Click);
  menu->Items()->Add(item);
  menu->OnPopup = TNotifyEvent(&probe, &Probe::Popup);
  menu->Popup(200, 200);
  EXPECT_EQ(probe.popups, 1);
  EXPECT_EQ(probe.clicks, 1);
  delete menu;
}

TEST(Timer, RunsOnlyWithAnIntervalAHandlerAndEnabled) {
  struct Counter : TObject {
    int ticks = 0;
    void Tick(TObject*) { ++ticks; }
  } counter;
  TTimer timer(nullptr);
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_FALSE(timer.Running()) << "no handler yet";
  timer.SetInterval(10);
  timer.SetOnTimer(TNotifyEvent(&counter, &Counter::Tick));
  EXPECT_TRUE(timer.Running());
  ASSERT_TRUE(PumpUntil([&] { return counter.ticks >= 2; }, 2000));
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());
  int seen = counter.ticks;
  orlo::testing_support::PumpFor(60);
  EXPECT_EQ(counter.ticks, seen);
}

}  // namespace
