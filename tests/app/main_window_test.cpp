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

  // A run whose handler raises leaves the window usable.
  Form1->FileOperation = [](const TFileName&, const TFileName&, UINT) -> bool {
    throw Exception("the shell went away");
  };
  EXPECT_THROW(Form1->CuteButton1Click(nullptr), Exception);
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
