#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "application.h"
#include "class_builder.h"
#include "forms.h"
#include "gui_helpers.h"
#include "menus.h"
#include "message_box_watch.h"
#include "scratch_folder.h"
#include "timers.h"

using namespace orlo;
using orlo::testing_support::PumpUntil;
using orlo::testing_support::TMessageBoxSeen;
using orlo::testing_support::WatchMessageBoxes;

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

// A windowed control that logs the messages of interest here and raises what
// it is told to when a message asks for it.
class TProbeBox : public TCustomControl {
  ORLO_CLASS(TProbeBox)
public:
  enum : UINT { RaiseOurs = WM_USER + 1, RaiseForeign, Mark };
  explicit TProbeBox(TComponent* owner) : TCustomControl(owner) {}
  std::vector<UINT> log;

protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_CANCELMODE || m.Msg == Mark || (m.Msg >= 0x0100 && m.Msg <= 0x010F) ||
        (m.Msg >= CN_BASE && m.Msg < CN_BASE + 0x400))
      log.push_back(m.Msg);
    if (m.Msg == RaiseOurs) throw Exception("ファイルが壊れています");
    if (m.Msg == RaiseForeign) throw std::runtime_error("not ours");
    TCustomControl::Dispatch(m);
  }
};
ORLO_DEFINE_CLASS(TProbeBox, TCustomControl) {}

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
      // Choose the first item with keys posted to the menu once it is on
      // the screen. Keys injected as input would go to the foreground
      // window, which under Wine 10 without a window manager is often none
      // of ours. A menu that does not close is cancelled, so that the test
      // fails rather than waits for ever.
      HWND owner = Application->Handle();
      keys = std::thread([owner] {
        HWND shown = nullptr;
        for (int i = 0; i < 500 && !shown; ++i) {
          HWND m = FindWindowA("#32768", nullptr);
          if (m && IsWindowVisible(m)) shown = m; else Sleep(10);
        }
        if (shown) {
          PostMessageA(shown, WM_KEYDOWN, VK_DOWN, 0x00500001);
          PostMessageA(shown, WM_KEYDOWN, VK_RETURN, 0x001C0001);
          for (int i = 0; i < 500 && IsWindowVisible(shown); ++i) Sleep(10);
        }
        if (!shown || IsWindowVisible(shown)) SendMessageA(owner, WM_CANCELMODE, 0, 0);
      });
    }
    std::thread keys;
    void Click(TObject*) { ++clicks; }
  } probe;
  TMenuItem* item = new TMenuItem(menu);
  item->SetCaption("&Open");
  item->OnClick = TNotifyEvent(&probe, &Probe::Click);
  menu->Items()->Add(item);
  menu->OnPopup = TNotifyEvent(&probe, &Probe::Popup);
  menu->Popup(200, 200);
  if (probe.keys.joinable()) probe.keys.join();
  EXPECT_EQ(probe.popups, 1);
  EXPECT_EQ(probe.clicks, 1);
  delete menu;
}

TEST(PopupMenu, AControlForgetsItsMenuWhenTheMenuIsDestroyed) {
  TForm* form = new TForm(nullptr);
  TControl* c = new TControl(form);
  c->SetParent(form);
  TPopupMenu* menu = new TPopupMenu(nullptr);
  c->SetPopupMenu(menu);
  EXPECT_EQ(c->PopupMenu(), menu);
  delete menu;
  // A right click would otherwise pop up a freed menu.
  EXPECT_EQ(c->PopupMenu(), nullptr);
  delete form;
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

namespace {

bool Logged(const std::vector<UINT>& log, UINT msg) {
  for (UINT m : log)
    if (m == msg) return true;
  return false;
}

struct ProbeForm {
  TForm* form = new TForm(nullptr);
  TProbeBox* box = new TProbeBox(form);
  ProbeForm() {
    box->SetParent(form);
    form->HandleNeeded();
  }
  ~ProbeForm() { delete form; }
};

}  // namespace

TEST(Application, TheApplicationWindowSitsAtTheScreenCentreWithATrimmedSystemMenu) {
  HWND app = Application->Handle();
  RECT r;
  GetWindowRect(app, &r);
  EXPECT_EQ(r.left, GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) / 2);
  EXPECT_EQ(r.right, r.left);
  EXPECT_EQ(r.bottom, r.top);
  const LONG_PTR style = GetWindowLongPtrA(app, GWL_STYLE);
  const LONG_PTR wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS |
                          WS_VISIBLE;
  EXPECT_EQ(style & wanted, wanted);
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD), 0);
  HMENU menu = GetSystemMenu(app, FALSE);
  ASSERT_NE(menu, nullptr);
  for (UINT gone : {SC_MAXIMIZE, SC_SIZE, SC_MOVE})
    EXPECT_EQ(GetMenuState(menu, gone, MF_BYCOMMAND), static_cast<UINT>(-1)) << gone;
  for (UINT kept : {SC_MINIMIZE, SC_RESTORE, SC_CLOSE})
    EXPECT_NE(GetMenuState(menu, kept, MF_BYCOMMAND), static_cast<UINT>(-1)) << kept;
  // No icon of its own in this program: the platform's default one.
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(app, WM_GETICON, ICON_BIG, 0)),
            LoadIconA(nullptr, IDI_APPLICATION));
}

TEST(Application, OnlyTheKeyMessagesReachTheirControlFirst) {
  ProbeForm p;
  // 0x0100 to 0x0108 are offered as 0xBD00 and up before dispatch; 0x0109 is
  // not a key message for the loop, whatever the platform headers say.
  for (UINT msg : {0x0100u, 0x0108u, 0x0109u}) PostMessageA(p.box->Handle(), msg, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(Logged(p.box->log, CN_BASE + 0x0100));
  EXPECT_TRUE(Logged(p.box->log, CN_BASE + 0x0108));
  EXPECT_FALSE(Logged(p.box->log, CN_BASE + 0x0109));
  EXPECT_TRUE(Logged(p.box->log, 0x0109)) << "dispatched as it is";
}

TEST(Application, WithoutAHandlerExceptionsAreShownInABoxAndTheLoopGoesOn) {
  Application->SetTitle("ORLO MOVE");
  Application->OnException.Clear();
  ProbeForm p;
  // A handler fails: the exception box, and the next message is handled.
  TMessageBoxSeen box = WatchMessageBoxes([&] {
    PostMessageA(p.box->Handle(), TProbeBox::RaiseOurs, 0, 0);
    PostMessageA(p.box->Handle(), TProbeBox::Mark, 0, 0);
    PumpUntil([&] { return Logged(p.box->log, TProbeBox::Mark); });
  });
  EXPECT_EQ(box.Count, 1);
  EXPECT_EQ(box.Text, "ファイルが壊れています.");
  EXPECT_EQ(box.Caption, "ORLO MOVE");
  EXPECT_EQ(box.Icon, LoadIconA(nullptr, IDI_HAND));
  EXPECT_TRUE(Logged(p.box->log, TProbeBox::Mark));

  // Not one of the framework's exceptions: its own words, even when the
  // application has an exception handler.
  struct Handler : TObject {
    int calls = 0;
    void OnException(TObject*, const std::exception_ptr&) { ++calls; }
  } handler;
  Application->OnException = TExceptionEvent(&handler, &Handler::OnException);
  p.box->log.clear();
  box = WatchMessageBoxes([&] {
    PostMessageA(p.box->Handle(), TProbeBox::RaiseForeign, 0, 0);
    PostMessageA(p.box->Handle(), TProbeBox::Mark, 0, 0);
    PumpUntil([&] { return Logged(p.box->log, TProbeBox::Mark); });
  });
  Application->OnException.Clear();
  EXPECT_EQ(box.Count, 1);
  EXPECT_EQ(box.Text, "not ours");
  EXPECT_EQ(handler.calls, 0);
}

TEST(Application, AnExceptionFirstTakesTheMouseFromTheControlHoldingIt) {
  ProbeForm p;
  p.form->Show();
  SetCaptureControl(p.box);
  ASSERT_EQ(GetCapture(), p.box->Handle());
  // Even a silent exception cancels the capture.
  TMessageBoxSeen box = WatchMessageBoxes(
      [] { Application->HandleException(nullptr, std::make_exception_ptr(EAbort("quiet"))); });
  EXPECT_EQ(box.Count, 0);
  EXPECT_TRUE(Logged(p.box->log, WM_CANCELMODE));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(CaptureControl(), nullptr);
}

namespace {
int g_init_calls = 0;
void CountInit() { ++g_init_calls; }
}  // namespace

TEST(Application, InitializeCallsTheInitialisationHookWhenThereIsOne) {
  TInitProc before = SetInitProc(&CountInit);
  Application->Initialize();
  EXPECT_EQ(g_init_calls, 1);
  SetInitProc(nullptr);
  Application->Initialize();
  EXPECT_EQ(g_init_calls, 1);
  SetInitProc(before);
}

TEST(Application, ReleasesItsFormsWhileWholeWhenTheProgramEnds) {
  // The probe runs the loop, which registers the exit procedure, and ends.
  orlo::testing_support::ScratchFolder scratch("exit");
  ASSERT_TRUE(scratch.Created());
  const std::string logPath = scratch.Path() + "exit.log";
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string probe = self;
  probe = probe.substr(0, probe.find_last_of('\\') + 1) + "exit_probe.exe";
  std::string command = "\"" + probe + "\" \"" + logPath + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(probe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi));
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(scratch.Bytes(logPath),
            "loop ended\nmain form released: application whole, hints off\n");
}
