// Exact or refused: paths the code page cannot hold (the program's own folder,
// the destination) are used by their true names, so a folder whose best-fit
// name also exists is never touched; names the platform would read as others
// ("a." as "a", "nul.txt" as a device), names cut short and moves that did
// not happen are failures, never another file moved. And the end of the
// session loses nothing.
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

// A file by a path the platform's rules leave as it is ("\\?\" paths keep a
// trailing dot or blank, and a device's name).
bool PutRaw(const std::string& path, const std::string& bytes) { return PutWide(L"\\\\?\\" + Wide(path), bytes); }
bool ExistsRaw(const std::string& path) {
  return GetFileAttributesW((L"\\\\?\\" + Wide(path)).c_str()) != INVALID_FILE_ATTRIBUTES;
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

TEST_F(ProgramTest, NamesThePlatformWouldRewriteAreRefusedAndTheirNeighboursStay) {
  // "a." and "b " would be "a" and "b" to the platform; the device names
  // would be devices in every folder. Each fails before it is looked up, with
  // no question, and only "ok.txt" moves.
  const Texts refused = {"a.", "b ", "nul.txt", "con", "aux.c", "com1.log", "lpt9", "conin$", "CONOUT$"};
  std::string args;
  for (const std::string& n : refused) {
    ASSERT_TRUE(PutRaw(Sources() + n, "named " + n)) << n;
    args += " \"" + Sources() + n + "\"";
  }
  for (const char* n : {"a", "b"}) ASSERT_TRUE(PutFile(Sources() + n, "neighbour"));
  args += " " + Source("ok.txt", "ok");
  MainWindow w = Start(args);
  ASSERT_TRUE(w.Found());
  const std::string folder = WithoutSlash(Target());
  SetText(w.edit, folder);
  ClickOk(w);
  for (const std::string& n : refused)
    EXPECT_TRUE(AnswerFailure(folder + "\\" + n + "のMoveに失敗しました")) << n;
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(FileBytes(Target() + "ok.txt"), "ok");
  for (const std::string& n : refused) {
    EXPECT_TRUE(ExistsRaw(Sources() + n)) << n;
    EXPECT_FALSE(ExistsRaw(Target() + n)) << n;
  }
  for (const char* n : {"a", "b"}) {
    EXPECT_EQ(FileBytes(Sources() + n), "neighbour");
    EXPECT_FALSE(Exists(Target() + n));
  }

  // A destination the platform would shorten: nothing goes there, nor to
  // the folder it would become.
  const std::string c = Source("c.txt", "c");
  w = Start(c);
  ASSERT_TRUE(w.Found());
  SetText(w.edit, folder + ".");
  ClickOk(w);
  EXPECT_TRUE(AnswerFailure(folder + ".\\c.txtのMoveに失敗しました"));
  EXPECT_EQ(FileBytes(c), "c");
  EXPECT_FALSE(Exists(Target() + "c.txt"));
}

TEST_F(ProgramTest, ALongDroppedNameIsTakenWholeAndAHeldSourceIsAFailure) {
  // A dropped name of 516 characters: cut at 511 it would be "x", a file of
  // its own.
  std::string deep = Sources();
  while (deep.size() < 320) {
    deep += std::string(100, 'd') + "\\";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + Wide(deep)).c_str(), nullptr));
  }
  const std::string name = std::string(516 - deep.size() - 6, 'x') + "yz.txt";
  const std::string longPath = deep + name;
  ASSERT_EQ(longPath.size(), 516u);
  ASSERT_TRUE(PutRaw(longPath, "long"));
  ASSERT_TRUE(PutRaw(longPath.substr(0, 511), "cut"));
  MainWindow w = Start();
  ASSERT_TRUE(w.Found());
  ASSERT_TRUE(DropFilesWide(Program(), w.form, {Wide(longPath)}));
  EXPECT_TRUE(WaitUntil([&] { return Lines(w.memo) == Texts{name}; }));
  SetText(w.edit, WithoutSlash(Target()));
  ClickOk(w);
  // The file named is the one that moves.
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(BytesWide(Wide(Target() + name)), "long");
  EXPECT_FALSE(ExistsRaw(longPath));
  EXPECT_EQ(BytesWide(L"\\\\?\\" + Wide(longPath.substr(0, 511))), "cut");

  // A source held open by another program does not move, though the shell
  // says it did: the failure is reported, the window stays, and the
  // favourites are as they were.
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Fav\r\n"));
  const std::string held = Source("held.txt", "held");
  w = Start(held);
  ASSERT_TRUE(w.Found());
  const std::string folder = WithoutSlash(Target());
  SetText(w.edit, folder);
  {
    FileHolder other(held);
    ASSERT_TRUE(other.Held());
    ClickOk(w);
    EXPECT_TRUE(AnswerFailure(folder + "\\held.txtのMoveに失敗しました"));
  }
  EXPECT_FALSE(Program().WaitExit(500));
  EXPECT_TRUE(Enabled(w.form));
  EXPECT_EQ(ListItems(w.list), (Texts{"C:\\Fav"}));
  EXPECT_EQ(FileBytes(held), "held");
  ASSERT_TRUE(CloseAndWait(w));
  EXPECT_EQ(FileBytes(FavouritesFile()), "C:\\Fav\r\n");
}

TEST_F(ProgramTest, TheSessionWaitsForARunAndAnIdleWindowKeepsItsStateAtItsEnd) {
  const std::string folder = WithoutSlash(Target());
  const std::string a = Source("a.txt", "new a");
  ASSERT_TRUE(PutFile(Target() + "a.txt", "old a"));
  MainWindow w = Start(a);
  ASSERT_TRUE(w.Found());
  SetText(w.edit, folder);
  ClickOk(w);
  HWND q = WaitQuestionShowing(folder.substr(0, 3) + "...\\a.txt");
  ASSERT_NE(q, nullptr);
  // A log-off asked for while the question is up is refused.
  DWORD_PTR answer = 99;
  ASSERT_TRUE(SendMessageTimeoutW(w.form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, 0u);
  Key(FocusOf(q), 'N');
  EXPECT_TRUE(WaitUntil([&] { return Enabled(w.form); }));

  // Idle, the window lets the session end and writes what a close writes
  // before it is ended from outside.
  SetText(w.edit, "C:\\Typed");
  Click(w.copy, 5, 5);
  EXPECT_TRUE(WaitUntil([&] { return Checked(w.copy); }));
  answer = 99;
  ASSERT_TRUE(SendMessageTimeoutW(w.form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, 1u);
  ASSERT_TRUE(SendMessageTimeoutW(w.form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
  Program().Kill();
  EXPECT_EQ(Setting("ToPath"), "C:\\Typed");
  EXPECT_EQ(Setting("Action"), "1");
  EXPECT_EQ(FileBytes(FavouritesFile()), "");
  EXPECT_EQ(FileBytes(Target() + "a.txt"), "old a");
}
