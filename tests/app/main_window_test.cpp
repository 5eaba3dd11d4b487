// The main window from its real description, with the shell's file operation
// replaced by one that keeps messages flowing the way the shell's progress
// window does.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "application.h"
#include "confirm_dialog.h"
#include "cute_button.h"
#include "gui_helpers.h"
#include "main_window.h"
#include "paths.h"
#include "radio_group.h"
#include "scratch_folder.h"
#include "std_controls.h"
#include "strings.h"
#include "sysutils.h"

using namespace orlo;
using orlo::testing_support::PumpFor;
using orlo::testing_support::ScratchFolder;

namespace {

using Texts = std::vector<std::string>;

// Drop data as the shell hands it over: DROPFILES and the ANSI paths, each
// ended by a NUL, the list by a second one.
HDROP MakeDrop(const Texts& paths) {
  std::string names;
  for (const std::string& p : paths) names += p + '\0';
  names += '\0';
  HGLOBAL g = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
  auto* df = static_cast<DROPFILES*>(GlobalLock(g));
  df->pFiles = sizeof(DROPFILES);
  std::memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(g);
  return static_cast<HDROP>(g);
}

Texts MemoLines() {
  Texts lines;
  for (int i = 0; i < Form1->Memo1->Lines()->Count(); ++i) lines.push_back(Form1->Memo1->Lines()->Strings(i));
  return lines;
}

void RemoveStateFiles() {
  DeleteFileA(SettingsPath().Shown().c_str());
  DeleteFileA(FavouritesPath().Shown().c_str());
}

}  // namespace

TEST(MainWindow, NothingTheTransferUsesGoesWhileItRunsAndTheWindowComesBack) {
  RemoveStateFiles();
  ScratchFolder files("main_window");
  ASSERT_TRUE(files.Created());
  const std::string dir = files.Path();
  Application->CreateForm(Form1);
  Application->CreateForm(Form2);
  Form1->Show();
  PumpFor(50);

  const Texts sources = {dir + "a.txt", dir + "b.txt", dir + "c.txt"};
  SendMessageA(Form1->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(sources)), 0);
  ASSERT_EQ(MemoLines(), (Texts{"a.txt", "b.txt", "c.txt"}));
  const std::string folder = dir + "to";
  Form1->Edit1->SetText(folder);

  // A run whose file operation raises, on the thread the shell works on,
  // raises here and leaves the window usable.
  DWORD operationThread = 0;
  Form1->FileOperation = [&](const TFileName&, const TFileName&, UINT) -> bool {
    operationThread = GetCurrentThreadId();
    throw Exception("the shell went away");
  };
  EXPECT_THROW(Form1->CuteButton1Click(nullptr), Exception);
  EXPECT_NE(operationThread, 0u);
  EXPECT_NE(operationThread, GetCurrentThreadId());
  EXPECT_FALSE(Form1->Transferring());
  EXPECT_TRUE(IsWindowEnabled(Form1->Handle()));
  ASSERT_NE(Form1->DirList(), nullptr);

  // In the middle of the next run a close, a second OK and a drop arrive.
  Texts handled;
  bool disabledMeanwhile = false;
  Form1->FileOperation = [&](const TFileName& source, const TFileName&, UINT) {
    handled.push_back(source.Shown());
    if (handled.size() == 1) {
      disabledMeanwhile = !IsWindowEnabled(Form1->Handle());
      PostMessageA(Form1->Handle(), WM_CLOSE, 0, 0);
      HWND ok = Form1->CuteButton1->Handle();
      PostMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      PostMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
      PostMessageA(Form1->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dir + "late.txt"})), 0);
      PumpFor(300);
    }
    return true;
  };
  Form1->CuteButton1Click(nullptr);
  // Every file once, none of the late drop's; the window took no input.
  EXPECT_EQ(handled, sources);
  EXPECT_TRUE(disabledMeanwhile);
  EXPECT_EQ(MemoLines(), (Texts{"a.txt", "b.txt", "c.txt"}));
  // The close was carried out after the run: settings and favourites
  // written, the favourites released.
  EXPECT_EQ(Form1->DirList(), nullptr);
  EXPECT_EQ(ScratchFolder::Bytes(FavouritesPath().Shown()), folder + "\r\n");
  char toPath[MAX_PATH] = {};
  GetPrivateProfileStringA("Setting", "ToPath", "", toPath, sizeof toPath, SettingsPath().Shown().c_str());
  EXPECT_EQ(std::string(toPath), folder);

  // The close told the loop to end; nothing else here runs it.
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  Form1->Hide();
  RemoveStateFiles();
}

namespace {

// What the application's exception handling was given, instead of its box.
struct Reports : TObject {
  Texts messages;
  void Report(TObject*, const std::exception_ptr& e) {
    try {
      std::rethrow_exception(e);
    } catch (const Exception& ex) {
      messages.push_back(ex.Message());
    } catch (...) {
      messages.push_back("<not ours>");
    }
  }
};

// Answers every question YES as soon as it is shown.
struct YesSayer : TObject {
  void Shown(TObject*) {
    HWND yes = Form2->CuteButton1->Handle();
    PostMessageA(yes, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(yes, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
};

// A window of the program made afresh, with one file dropped on it.
void OpenWith(const std::string& source) {
  Application->ResetTerminated();
  Application->CreateForm(Form1);
  if (!Form2) Application->CreateForm(Form2);
  Form1->Show();
  PumpFor(50);
  SendMessageA(Form1->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({source})), 0);
}

// A file of the given size whose bytes the disk does not hold.
bool PutSparse(const std::string& path, int64_t size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD ignored = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  const bool ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return ok;
}

}  // namespace

TEST(MainWindow, ACloseAskedForDuringARunThatRaisedIsForgotten) {
  RemoveStateFiles();
  ScratchFolder files("forgotten_close");
  ASSERT_TRUE(files.Created());
  const std::string dir = files.Path();
  ASSERT_TRUE(CreateDirectoryA((dir + "to").c_str(), nullptr));
  ASSERT_TRUE(ScratchFolder::Put(dir + "to\\a.txt", "old"));
  OpenWith(dir + "b.txt");
  Form1->Edit1->SetText(dir + "to");

  // The close comes in the middle of the run, and then the run raises.
  Form1->FileOperation = [](const TFileName&, const TFileName&, UINT) -> bool {
    PostMessageA(Form1->Handle(), WM_CLOSE, 0, 0);
    PumpFor(100);
    throw Exception("the shell went away");
  };
  EXPECT_THROW(Form1->CuteButton1Click(nullptr), Exception);
  EXPECT_NE(Form1->DirList(), nullptr);  // the window did not close

  // The next run asks about a.txt as any run does, and sends it on YES.
  YesSayer yes;
  Form2->OnShow = TNotifyEvent(&yes, &YesSayer::Shown);
  SendMessageA(Form1->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dir + "a.txt"})), 0);
  Texts sent;
  Form1->FileOperation = [&](const TFileName& source, const TFileName&, UINT) {
    sent.push_back(source.Shown());
    return true;
  };
  Form1->CuteButton1Click(nullptr);
  Form2->OnShow = TNotifyEvent();
  EXPECT_EQ(sent, (Texts{dir + "a.txt"}));
  EXPECT_EQ(Form1->DirList(), nullptr);  // a success closes the window
  Form1->Hide();
  RemoveStateFiles();
}

TEST(MainWindow, TheCloseMergesIntoFavouritesItCouldNotReadBeforeAndReplacesOnesItCannotReadNow) {
  RemoveStateFiles();
  ScratchFolder files("favourites_close");
  ASSERT_TRUE(files.Created());
  const std::string dir = files.Path(), favourites = FavouritesPath().Shown();
  Reports reports;
  Application->OnException = TExceptionEvent(&reports, &Reports::Report);
  Form1->FileOperation = nullptr;

  // Held by another program at start, free again at the close: the folder
  // of this run goes first into the lines the file holds then.
  ASSERT_TRUE(ScratchFolder::Put(favourites, "C:\\Keep\r\n"));
  HANDLE held = CreateFileA(favourites.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  OpenWith(dir + "a.txt");
  CloseHandle(held);
  ASSERT_EQ(reports.messages.size(), 1u);
  EXPECT_EQ(reports.messages[0], "ﾌｧｲﾙ " + favourites + " は開けません");
  Form1->FileOperation = [](const TFileName&, const TFileName&, UINT) { return true; };
  Form1->Edit1->SetText("C:\\Run");
  Form1->CuteButton1Click(nullptr);
  EXPECT_EQ(Form1->DirList(), nullptr);
  EXPECT_EQ(ScratchFolder::Bytes(favourites), "C:\\Run\r\nC:\\Keep\r\n");

  // Read at start, too large for memory at the close: the close goes
  // through and writes the list it has.
  OpenWith(dir + "b.txt");
  Form1->FileOperation = [&](const TFileName&, const TFileName&, UINT) {
    return PutSparse(favourites, sizeof(void*) == 4 ? 0x70000000LL : 0x10000000000LL);
  };
  Form1->Edit1->SetText("C:\\Next");
  Form1->CuteButton1Click(nullptr);
  EXPECT_EQ(Form1->DirList(), nullptr);
  EXPECT_EQ(ScratchFolder::Bytes(favourites), "C:\\Next\r\nC:\\Run\r\nC:\\Keep\r\n");
  EXPECT_EQ(reports.messages.size(), 1u);
  Application->OnException = TExceptionEvent();
  Form1->FileOperation = nullptr;
  Form1->Hide();
  RemoveStateFiles();
}
