// Paths the code page cannot hold, other than the files sent: the program's
// own folder and the destination. Each is used by its true name; a folder
// whose best-fit name also exists is never touched.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"
#include "e2e_support.h"
#include "program_fixture.h"

using namespace orlo::e2e;

namespace {

using Texts = std::vector<std::string>;

// Puts text on the clipboard in UTF-16, as a program copying it would.
bool PutOnClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (g) {
    memcpy(GlobalLock(g), text.c_str(), bytes);
    GlobalUnlock(g);
  }
  const bool put = g && SetClipboardData(CF_UNICODETEXT, g);
  CloseClipboard();
  return put;
}

void CaretToEnd(HWND edit) {
  const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
}

}  // namespace

TEST_F(ProgramTest, AProgramFolderOutsideTheCodePageIsUsedByItsTrueName) {
  // "prog Zoë" holds the program; "prog Zoe", its best-fit twin, has settings
  // of its own and a "rel" folder that must stay empty.
  const std::wstring prog = Wide(Root()) + L"prog Zo\u00EB\\";
  const std::string twin = Root() + "prog Zoe\\";
  ASSERT_TRUE(CreateDirectoryW(prog.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((prog + L"rel").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(twin.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((twin + "rel").c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(Wide(ProgramUnderTest()).c_str(), (prog + L"orlosend.exe").c_str(), FALSE));
  ASSERT_TRUE(PutWide(prog + L"orlosend.ini", "[Setting]\r\nToPath=rel\r\nAction=1\r\n"));
  ASSERT_TRUE(PutWide(prog + L"dirlist.txt", "C:\\Fav\r\n"));
  const std::string twinSettings = "[Setting]\r\nToPath=C:\\Twin\r\nAction=0\r\n";
  ASSERT_TRUE(PutFile(twin + "orlosend.ini", twinSettings));
  const std::string a = Source("a.txt", "a");

  // Started from another folder: "rel" is the program's own.
  Process run(prog + L"orlosend.exe", L"\"" + Wide(a) + L"\"", Wide(Sources()));
  MainWindow w = AttachTo(run);
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(Text(w.edit), "rel");
  EXPECT_TRUE(Checked(w.copy));
  EXPECT_EQ(ListItems(w.list), (Texts{"C:\\Fav"}));
  ClickOk(w);
  ASSERT_TRUE(run.WaitExit(15000));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(BytesWide(prog + L"rel\\a.txt"), "a");
  EXPECT_FALSE(Exists(twin + "rel\\a.txt"));
  EXPECT_EQ(BytesWide(prog + L"dirlist.txt"), "rel\r\nC:\\Fav\r\n");

  // A close that cannot write names the settings file by its shown path;
  // once it can, CLOSE writes the code page's bytes and ends the program.
  run = Process(prog + L"orlosend.exe", L"", prog);
  w = AttachTo(run);
  ASSERT_TRUE(w.Found());
  SetText(w.edit, "D:\\日本語");
  {
    FileHolder other(prog + L"orlosend.ini");
    ASSERT_TRUE(other.Held());
    ClickClose(w);
    HWND box = WaitTopWindow(run.Id(), "#32770");
    ASSERT_NE(box, nullptr) << "no report of the failed close";
    std::string message;
    for (HWND c : Children(box, "Static"))
      if (!Text(c).empty()) message = Text(c);
    EXPECT_EQ(message, Root() + "prog Zo?\\\\orlosend.ini に書き込めません.");
    Click(GetDlgItem(box, IDOK), 5, 5);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  }
  ClickClose(w);
  ASSERT_TRUE(run.WaitExit(10000));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(BytesWide(prog + L"orlosend.ini"), "[Setting]\r\nToPath=D:\\日本語\r\nAction=1\r\n");
  EXPECT_EQ(FileBytes(twin + "orlosend.ini"), twinSettings);
  EXPECT_FALSE(Exists(twin + "dirlist.txt"));
}

TEST_F(ProgramTest, DestinationsOutsideTheCodePageAreUsedButNotRemembered) {
  // Each named folder has a best-fit twin: "café" and "cafe", "price¥list"
  // and "price\list".
  const std::wstring dst = Wide(Target());
  for (const wchar_t* f : {L"caf\u00E9", L"cafe", L"price\u00A5list", L"price", L"price\\list"})
    ASSERT_TRUE(CreateDirectoryW((dst + f).c_str(), nullptr));
  const std::string settings = "[Setting]\r\nToPath=C:\\Before\r\nAction=1\r\n";
  ASSERT_TRUE(PutFile(SettingsFile(), settings));
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Fav\r\n"));
  const std::string a = Source("a.txt", "a");

  // "é" typed at the end of the field.
  MainWindow w = Start(a);
  ASSERT_TRUE(w.Found());
  SetWideText(w.edit, dst + L"caf");
  CaretToEnd(w.edit);
  PostMessageW(w.edit, WM_CHAR, 0xE9, 1);
  EXPECT_TRUE(WaitUntil([&] { return WideText(w.edit) == dst + L"caf\u00E9"; }));
  ClickOk(w);
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(BytesWide(dst + L"caf\u00E9\\a.txt"), "a");
  EXPECT_EQ(BytesWide(dst + L"cafe\\a.txt"), "<missing>");
  // Used, never stored: the settings keep their folder, the favourites theirs.
  EXPECT_EQ(Setting("ToPath"), "C:\\Before");
  EXPECT_EQ(Setting("Action"), "1");
  EXPECT_EQ(FileBytes(FavouritesFile()), "C:\\Fav\r\n");

  // "¥list" pasted: "¥" is a letter of the name, not a separator.
  w = Start(a);
  ASSERT_TRUE(w.Found());
  SetWideText(w.edit, dst + L"price");
  CaretToEnd(w.edit);
  ASSERT_TRUE(PutOnClipboard(L"\u00A5list"));
  SendMessageW(w.edit, WM_PASTE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return WideText(w.edit) == dst + L"price\u00A5list"; }));
  ClickOk(w);
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(BytesWide(dst + L"price\u00A5list\\a.txt"), "a");
  EXPECT_EQ(BytesWide(dst + L"price\\list\\a.txt"), "<missing>");
  EXPECT_EQ(FileBytes(SettingsFile()), settings);
  EXPECT_EQ(FileBytes(FavouritesFile()), "C:\\Fav\r\n");
}
