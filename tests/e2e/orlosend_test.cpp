// The real program, started as the shell starts it and worked from outside:
// what it shows, what it asks, what it reports, and the files on disk after.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"
#include "program_fixture.h"

using namespace orlo::e2e;

namespace {

using Texts = std::vector<std::string>;


std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string ShellFolder(int csidl) {
  LPITEMIDLIST list = nullptr;
  char path[MAX_PATH + 4] = {};
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) && list) {
    SHGetPathFromIDListA(list, path);
    CoTaskMemFree(list);
  }
  return path;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

TEST_F(ProgramTest, StartsWithTheShellsFilesAndTheSavedSettings) {
  ASSERT_TRUE(PutFile(SettingsFile(), "[Setting]\r\nToPath=" + Target() + "\r\nAction=1\r\n"));
  ASSERT_TRUE(PutFile(FavouritesFile(),
                      "C:\\Tools\r\nC:\\Documents and Settings\\user\\Desktop\r\n\r\n12345678901234567890\r\n"));
  const std::string a = Source("a b.txt"), c = Source("c.txt"), j = Source("日本語の表.txt");
  // Quoted paths keep their blanks; the arguments' order is kept.
  MainWindow w = Start(Quoted(a) + " " + c + "\t" + Quoted(j));
  ASSERT_TRUE(w.Found());

  EXPECT_EQ(Lines(w.memo), (Texts{"a b.txt", "c.txt", "日本語の表.txt"}));
  EXPECT_EQ(Text(w.form), j);  // the last argument

  // The window has its described size and opens centred on the screen; the
  // title band runs from blue to white over its 57 rows. A taller caption
  // than the classic 19 pixels makes it taller outside, never inside.
  const RECT bounds = WindowBounds(w.form);
  const SIZE client = ClientSize(w.form);
  EXPECT_EQ(client.cx, 378);
  EXPECT_EQ(client.cy, 279);
  RECT outer{0, 0, 378, 279};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(w.form, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(w.form, GWL_EXSTYLE)));
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  if (GetSystemMetrics(SM_CYCAPTION) == 19 && GetSystemMetrics(SM_CXSIZEFRAME) == 4) {
    EXPECT_EQ(width, 386);
    EXPECT_EQ(height, 306);
  }
  EXPECT_EQ(bounds.right - bounds.left, width);
  EXPECT_EQ(bounds.bottom - bounds.top, height);
  EXPECT_EQ(bounds.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(bounds.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  Shot band;
  EXPECT_TRUE(WaitUntil([&] {
    band = Shot::Of(w.form);
    return band.At(300, 0) == 0x0505FF;
  })) << std::hex << band.At(300, 0);
  EXPECT_EQ(band.At(300, 1), 0x0909FFu);
  EXPECT_EQ(band.At(300, 56), 0xFFFFFFu);
  EXPECT_EQ(band.At(300, 57), 0xFFFFFFu);  // the white window below
  EXPECT_EQ(Text(w.edit), Target());
  EXPECT_FALSE(Checked(w.move));
  EXPECT_TRUE(Checked(w.copy));
  // Favourites longer than 20 bytes are shortened; a blank line stays a row.
  EXPECT_EQ(ListItems(w.list), (Texts{"C:\\Tools", "C:\\...\\Desktop", "", "12345678901234567890"}));
  EXPECT_EQ(ListIndex(w.list), -1);

  // Resting the pointer on the file list shows the first file's folder.
  const POINT memoAt = ClientOrigin(w.memo);
  MovePointer(memoAt.x + 30, memoAt.y + 30);
  HWND hint = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    auto list = TopWindows(Program().Id(), "THintWindow");
    hint = list.empty() ? nullptr : list.front();
    return hint != nullptr;
  }, 5000)) << "no hint came up over the file list";
  if (hint) {
    EXPECT_EQ(Text(hint), Sources());
    const RECT r = WindowBounds(hint);
    const RECT memo = WindowBounds(w.memo);
    EXPECT_EQ(r.left, memoAt.x);
    EXPECT_EQ(r.top, memoAt.y + (memo.bottom - memo.top) + 6);
  }
  MovePointer(0, 0);

  ASSERT_TRUE(CloseAndWait(w));
  EXPECT_EQ(Program().ExitCode(), 0u);
  EXPECT_EQ(Setting("ToPath"), Target());
  EXPECT_EQ(Setting("Action"), "1");
  EXPECT_EQ(FileBytes(FavouritesFile()),
            "C:\\Tools\r\nC:\\Documents and Settings\\user\\Desktop\r\n\r\n12345678901234567890\r\n");
}

TEST_F(ProgramTest, StartsEmptyWithoutArgumentsAndFiles) {
  // Two double quotes alone are no argument at all.
  MainWindow w = Start("\"\"");
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(Text(w.form), "ORLO SENDTO");
  EXPECT_TRUE(Lines(w.memo).empty());
  EXPECT_EQ(Text(w.edit), "");
  EXPECT_TRUE(Checked(w.move));
  EXPECT_TRUE(ListItems(w.list).empty());
  // OK with nothing to send does nothing: the window stays.
  ClickOk(w);
  EXPECT_FALSE(Program().WaitExit(500));
  ASSERT_TRUE(CloseAndWait(w));
  // The first close makes both files: an empty destination is kept as an
  // empty value, and an empty favourites list as an empty file.
  EXPECT_EQ(Setting("ToPath"), "");
  EXPECT_EQ(Setting("Action"), "0");
  EXPECT_EQ(FileBytes(FavouritesFile()), "");
}

TEST_F(ProgramTest, SavedActionValuesAreReadAsTheGroupTakesThem) {
  struct Case {
    const char* stored;
    bool move, copy;
    const char* written;
  };
  const Case cases[] = {
      {"1", false, true, "1"},   {"7", false, true, "1"},   {"-5", false, false, "-1"},
      {"abc", true, false, "0"}, {"0x1", false, true, "1"}, {"0x", true, false, "0"},
      {"$1", false, true, "1"},  {"1x", true, false, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    ASSERT_TRUE(PutFile(SettingsFile(), std::string("[Setting]\r\nAction=") + c.stored + "\r\n"));
    MainWindow w = Start();
    ASSERT_TRUE(w.Found());
    EXPECT_EQ(Checked(w.move), c.move);
    EXPECT_EQ(Checked(w.copy), c.copy);
    ASSERT_TRUE(CloseAndWait(w));
    EXPECT_EQ(Setting("Action"), c.written);
  }
}

TEST_F(ProgramTest, FavouritesAreShownWholeAndSavedAsThirtyLinesWithCrLf) {
  std::string file;
  Texts expected;
  for (int i = 1; i <= 35; ++i) {
    std::string line = "C:\\f" + std::to_string(i);
    if (i == 3) line = "";
    if (i == 4) line = "D:\\フォルダ\\長い名前のフォルダ";
    file += line;
    if (i < 35) file += "\n";  // LF alone, and no line end after the last
    if (i <= 30) expected.push_back(line);
  }
  ASSERT_TRUE(PutFile(FavouritesFile(), file));
  MainWindow w = Start();
  ASSERT_TRUE(w.Found());
  auto items = ListItems(w.list);
  ASSERT_EQ(items.size(), 35u);
  EXPECT_EQ(items[3], "D:\\...\\長い名前のフォルダ");
  EXPECT_EQ(items[34], "C:\\f35");

  // A close that fails (the file held by another program) leaves every row
  // working: row 33 still puts its folder into the field.
  {
    FileHolder other(FavouritesFile());
    ASSERT_TRUE(other.Held());
    ClickClose(w);
    EXPECT_EQ(AnswerExceptionBox(), "ﾌｧｲﾙ " + FavouritesShown() + " を作成できません.");
    EXPECT_FALSE(Program().WaitExit(300));
  }
  EXPECT_EQ(ListItems(w.list).size(), 35u);
  SendMessageA(w.list, LB_SETTOPINDEX, 30, 0);
  const int top = static_cast<int>(SendMessageA(w.list, LB_GETTOPINDEX, 0, 0));
  ASSERT_GT(top, 20);
  ClickFavourite(w, 32 - top);
  EXPECT_TRUE(WaitUntil([&] { return Text(w.edit) == "C:\\f33"; })) << Text(w.edit);
  EXPECT_EQ(TopWindows(Program().Id(), "#32770").size(), 0u) << "the click raised";
  // The next close writes the first thirty.
  ASSERT_TRUE(CloseAndWait(w));
  std::string saved;
  for (const auto& l : expected) saved += l + "\r\n";
  EXPECT_EQ(FileBytes(FavouritesFile()), saved);
}

TEST_F(ProgramTest, OddFavouritesFilesLoseNoLine) {
  // The text ends at its first NUL byte.
  ASSERT_TRUE(PutFile(FavouritesFile(), std::string("A\r\nB\0C\r\nD\r\n", 11)));
  MainWindow w = Start();
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(ListItems(w.list), (Texts{"A", "B"}));
  ASSERT_TRUE(CloseAndWait(w));
  EXPECT_EQ(FileBytes(FavouritesFile()), "A\r\nB\r\n");

  // Ten thousand lines are all shown, and the first thirty kept.
  std::string big, first30;
  for (int i = 0; i < 10000; ++i) {
    big += "C:\\d" + std::to_string(i) + "\r\n";
    if (i < 30) first30 += "C:\\d" + std::to_string(i) + "\r\n";
  }
  ASSERT_TRUE(PutFile(FavouritesFile(), big));
  w = Start();
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(SendMessageA(w.list, LB_GETCOUNT, 0, 0), 10000);
  ASSERT_TRUE(CloseAndWait(w));
  EXPECT_EQ(FileBytes(FavouritesFile()), first30);
}

TEST_F(ProgramTest, FavouritesAndSpecialFoldersFillTheDestination) {
  const std::string longOne = "C:\\Documents and Settings\\user\\Desktop";
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Tools\r\n" + longOne + "\r\n"));
  MainWindow w = Start();
  ASSERT_TRUE(w.Found());
  // The shortened favourite puts its full path into the field.
  ClickFavourite(w, 1);
  EXPECT_TRUE(WaitUntil([&] { return Text(w.edit) == longOne; })) << Text(w.edit);
  ClickFavourite(w, 0);
  EXPECT_TRUE(WaitUntil([&] { return Text(w.edit) == "C:\\Tools"; })) << Text(w.edit);

  const std::string desktop = ShellFolder(CSIDL_DESKTOP);
  const std::string documents = ShellFolder(CSIDL_PERSONAL);
  ASSERT_FALSE(desktop.empty());
  ASSERT_FALSE(documents.empty());
  ClickDesktop(w);
  EXPECT_TRUE(WaitUntil([&] { return Text(w.edit) == desktop; })) << Text(w.edit);
  ClickDocuments(w);
  EXPECT_TRUE(WaitUntil([&] { return Text(w.edit) == documents; })) << Text(w.edit);
  // Neither touches the favourites.
  EXPECT_EQ(ListItems(w.list), (Texts{"C:\\Tools", "C:\\...\\Desktop"}));
  ASSERT_TRUE(CloseAndWait(w));
  EXPECT_EQ(FileBytes(FavouritesFile()), "C:\\Tools\r\n" + longOne + "\r\n");
  EXPECT_EQ(Setting("ToPath"), documents);
}

TEST_F(ProgramTest, DroppedFilesReplaceTheListButNotTheCaption) {
  std::string args;
  for (int i = 1; i <= 5; ++i) args += " " + Source("start" + std::to_string(i) + ".txt");
  MainWindow w = Start(args);
  ASSERT_TRUE(w.Found());
  ASSERT_EQ(Lines(w.memo).size(), 5u);
  const std::string caption = Text(w.form);
  const std::vector<std::string> dropped = {Source("d1.txt", "1"), Source("ドロップ 2.txt", "2"),
                                            Source("d3.txt", "3")};
  ASSERT_TRUE(DropFiles(Program(), w.form, dropped));
  EXPECT_TRUE(WaitUntil([&] { return Lines(w.memo).size() == 3; }));
  EXPECT_EQ(Lines(w.memo), (Texts{"d1.txt", "ドロップ 2.txt", "d3.txt"}));
  EXPECT_EQ(Text(w.form), caption);

  // OK now sends the dropped files only.
  SetText(w.edit, WithoutSlash(Target()));
  ClickOk(w);
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(FileBytes(Target() + "d1.txt"), "1");
  EXPECT_EQ(FileBytes(Target() + "ドロップ 2.txt"), "2");
  EXPECT_EQ(FileBytes(Target() + "d3.txt"), "3");
  EXPECT_TRUE(Exists(Sources() + "start1.txt"));
  EXPECT_FALSE(Exists(Target() + "start1.txt"));
}

TEST_F(ProgramTest, MovesAndAsksBeforeReplacingOnlyAYesReplaces) {
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Tools\r\n"));
  const std::string folder = WithoutSlash(Target());
  std::string args;
  for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt"}) args += " " + Source(n, std::string("new ") + n);
  for (const char* n : {"b.txt", "c.txt", "d.txt"}) ASSERT_TRUE(PutFile(Target() + n, std::string("old ") + n));
  MainWindow w = Start(args);
  ASSERT_TRUE(w.Found());
  SetText(w.edit, folder);
  ClickOk(w);

  // b.txt: the question, centred over the main window, answered YES.
  const std::string head = folder.substr(0, 3) + "...\\";
  HWND q = WaitQuestionShowing(head + "b.txt");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(Text(q), "ORLO SENDTO");
  EXPECT_FALSE(Enabled(w.form));  // the main window waits meanwhile
  const RECT main = WindowBounds(w.form), dialog = WindowBounds(q);
  EXPECT_EQ(dialog.left, main.left + (main.right - main.left) / 2 - (dialog.right - dialog.left) / 2);
  EXPECT_EQ(dialog.top, main.top + (main.bottom - main.top) / 2 - (dialog.bottom - dialog.top) / 2);
  EXPECT_EQ(ClientSize(q).cx, 235);
  EXPECT_EQ(ClientSize(q).cy, 128);
  const Shot shot = Shot::Of(q);
  EXPECT_TRUE(ShowsText(shot, RECT{8, 40, 225, 52}, "同名のファイルが存在します", DT_CENTER | DT_EXPANDTABS,
                        kWindowFont, 0));
  EXPECT_TRUE(ShowsText(shot, RECT{8, 56, 225, 68}, "上書きしますか？", DT_CENTER | DT_EXPANDTABS,
                        kWindowFont, 0));
  HWND yes = Child(q, "TCuteButton", 0);
  ASSERT_NE(yes, nullptr);
  Click(yes, 10, 10);

  // c.txt: answered with the key N; d.txt: closed with the close box.
  q = WaitQuestionShowing(head + "c.txt");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(FileBytes(Target() + "b.txt"), "new b.txt");
  Key(FocusOf(q), 'N');
  q = WaitQuestionShowing(head + "d.txt");
  ASSERT_NE(q, nullptr);
  Close(q);

  // A success: the program closes by itself.
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(Program().ExitCode(), 0u);
  EXPECT_EQ(FileBytes(Target() + "a.txt"), "new a.txt");
  EXPECT_EQ(FileBytes(Target() + "b.txt"), "new b.txt");
  EXPECT_EQ(FileBytes(Target() + "c.txt"), "old c.txt");
  EXPECT_EQ(FileBytes(Target() + "d.txt"), "old d.txt");
  EXPECT_FALSE(Exists(Sources() + "a.txt"));
  EXPECT_FALSE(Exists(Sources() + "b.txt"));
  EXPECT_EQ(FileBytes(Sources() + "c.txt"), "new c.txt");
  EXPECT_EQ(FileBytes(Sources() + "d.txt"), "new d.txt");
  EXPECT_EQ(FileBytes(FavouritesFile()), folder + "\r\nC:\\Tools\r\n");
  EXPECT_EQ(Setting("ToPath"), folder);
}

TEST_F(ProgramTest, CopiesKeepTheSourcesAndTheFavouritesMatchIgnoringCase) {
  const std::string folder = WithoutSlash(Target());
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Tools\r\n" + Lower(folder) + "\r\nE:\\x\r\n"));
  const std::string a = Source("a;b.txt", "semicolon");  // one file, ";" and all
  Source("a", "bystander");
  MainWindow w = Start(a);
  ASSERT_TRUE(w.Found());
  SetText(w.edit, folder);
  Click(w.copy, 5, 5);
  EXPECT_TRUE(WaitUntil([&] { return Checked(w.copy); }));
  ClickOk(w);
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(FileBytes(Target() + "a;b.txt"), "semicolon");
  EXPECT_EQ(FileBytes(Sources() + "a;b.txt"), "semicolon");
  EXPECT_FALSE(Exists(Target() + "a"));
  EXPECT_EQ(FileBytes(Sources() + "a"), "bystander");
  // The old entry in other letter case is gone, the new one first.
  EXPECT_EQ(FileBytes(FavouritesFile()), folder + "\r\nC:\\Tools\r\nE:\\x\r\n");
  EXPECT_EQ(Setting("Action"), "1");
}

TEST_F(ProgramTest, FailuresAreReportedOneByOneAndTheWindowStaysWithoutSuccess) {
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Tools\r\n"));
  const std::string a = Source("a.txt"), b = Source("b.txt");
  MainWindow w = Start(a + " " + b);
  ASSERT_TRUE(w.Found());
  // A drive that does not exist.
  SetText(w.edit, "Q:\\nowhere");
  ClickOk(w);
  EXPECT_TRUE(AnswerFailure("Q:\\nowhere\\a.txtのMoveに失敗しました"));
  EXPECT_TRUE(AnswerFailure("Q:\\nowhere\\b.txtのMoveに失敗しました"));
  // No success: the window stays as it was, the files where they were.
  EXPECT_FALSE(Program().WaitExit(500));
  EXPECT_TRUE(Enabled(w.form));
  EXPECT_TRUE(Exists(a));
  EXPECT_TRUE(Exists(b));
  EXPECT_EQ(ListItems(w.list), (Texts{"C:\\Tools"}));

  // A destination too long for the shell's request is refused for its file,
  // with the same message.
  const std::string longFolder = WithoutSlash(Target()) + "\\" + std::string(240, 'x');
  SetText(w.edit, longFolder);
  Click(w.copy, 5, 5);
  ClickOk(w);
  EXPECT_TRUE(AnswerFailure(longFolder + "\\a.txtのCopyに失敗しました"));
  EXPECT_TRUE(AnswerFailure(longFolder + "\\b.txtのCopyに失敗しました"));
  EXPECT_FALSE(Program().WaitExit(500));
  EXPECT_TRUE(Exists(a));

  // Corrected, the same window sends them.
  SetText(w.edit, WithoutSlash(Target()));
  ClickOk(w);
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_TRUE(Exists(Target() + "a.txt"));
  EXPECT_TRUE(Exists(Target() + "b.txt"));
  EXPECT_TRUE(Exists(a));  // copied
}

TEST_F(ProgramTest, UnreadableFavouritesAreReportedAndNeverOverwritten) {
  const std::string content = "C:\\Keep\r\nD:\\Me\r\n";
  ASSERT_TRUE(PutFile(FavouritesFile(), content));
  {
    FileHolder other(FavouritesFile());
    ASSERT_TRUE(other.Held());
    Launch();
    EXPECT_EQ(AnswerExceptionBox(), "ﾌｧｲﾙ " + FavouritesShown() + " は開けません.");
    MainWindow w = Attach();
    ASSERT_TRUE(w.Found());
    EXPECT_TRUE(ListItems(w.list).empty());
    other.Release();
    ASSERT_TRUE(CloseAndWait(w));
  }
  // The close did not put the empty list in the file's place.
  EXPECT_EQ(FileBytes(FavouritesFile()), content);
  EXPECT_NE(Setting("Action"), "<none>");

  // A folder of that name: reported at start, left alone at the close.
  ASSERT_TRUE(DeleteFileA(FavouritesFile().c_str()));
  ASSERT_TRUE(CreateDirectoryA(FavouritesFile().c_str(), nullptr));
  Launch();
  EXPECT_EQ(AnswerExceptionBox(), "ﾌｧｲﾙ " + FavouritesShown() + " は開けません.");
  MainWindow w = Attach();
  ASSERT_TRUE(w.Found());
  ASSERT_TRUE(CloseAndWait(w));
  EXPECT_TRUE(GetFileAttributesA(FavouritesFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(ProgramTest, AFailedCloseIsReportedAndTheWindowStays) {
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Old\r\n"));
  MainWindow w = Start();
  ASSERT_TRUE(w.Found());
  SetText(w.edit, "C:\\New");

  // The favourites file held by another program at the close.
  {
    FileHolder other(FavouritesFile());
    ASSERT_TRUE(other.Held());
    ClickClose(w);
    EXPECT_EQ(AnswerExceptionBox(), "ﾌｧｲﾙ " + FavouritesShown() + " を作成できません.");
    EXPECT_FALSE(Program().WaitExit(300));
    EXPECT_TRUE(Visible(w.form));
  }
  // The settings were written before the favourites failed.
  EXPECT_EQ(Setting("ToPath"), "C:\\New");
  EXPECT_EQ(FileBytes(FavouritesFile()), "C:\\Old\r\n");

  // The settings file held: nothing of the close happens.
  SetText(w.edit, "C:\\Newer");
  {
    FileHolder other(SettingsFile());
    ASSERT_TRUE(other.Held());
    ClickClose(w);
    EXPECT_EQ(AnswerExceptionBox(), SettingsShown() + " に書き込めません.");
    EXPECT_FALSE(Program().WaitExit(300));
  }
  EXPECT_EQ(Setting("ToPath"), "C:\\New");

  // Once both are free the close goes through.
  ASSERT_TRUE(CloseAndWait(w));
  EXPECT_EQ(Setting("ToPath"), "C:\\Newer");
  EXPECT_EQ(FileBytes(FavouritesFile()), "C:\\Old\r\n");
}

TEST_F(ProgramTest, AwkwardSourcesAndDestinations) {
  // A source path of 259 characters is taken whole and sent to a folder with
  // a short path; sent where the destination would pass 258 bytes, it is
  // refused for that file and kept.
  const std::string name = std::string(259 - Sources().size() - 4, 'n') + ".txt";
  const std::string longSource = Source(name, "long");
  ASSERT_EQ(longSource.size(), 259u);
  const std::string shortFolder = "C:\\oe" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(shortFolder.c_str(), nullptr));
  MainWindow w = Start(longSource);
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(Lines(w.memo), (Texts{name}));
  SetText(w.edit, WithoutSlash(Target()));
  Click(w.copy, 5, 5);
  ClickOk(w);
  EXPECT_TRUE(AnswerFailure(WithoutSlash(Target()) + "\\" + name + "のCopyに失敗しました"))
      << "a destination over 258 bytes was not refused";
  EXPECT_FALSE(Program().WaitExit(500));
  EXPECT_EQ(FileBytes(longSource), "long");
  SetText(w.edit, shortFolder);
  ClickOk(w);
  const bool ended = Program().WaitExit(15000);
  EXPECT_TRUE(ended);
  EXPECT_EQ(FileBytes(shortFolder + "\\" + name), "long");
  DeleteFileA((shortFolder + "\\" + name).c_str());
  RemoveDirectoryA(shortFolder.c_str());
  if (!ended) return;

  // A relative destination is taken from the program's own folder, whatever
  // folder the program was started in.
  ASSERT_TRUE(CreateDirectoryA((ProgramFolder() + "rel").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((Sources() + "rel").c_str(), nullptr));
  const std::string plain = Source("plain.txt", "plain");
  Launch(plain, Sources());
  w = Attach();
  ASSERT_TRUE(w.Found());
  EXPECT_TRUE(Checked(w.copy));  // as the last run left it
  SetText(w.edit, "rel");
  ClickOk(w);
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(FileBytes(ProgramFolder() + "rel\\plain.txt"), "plain");
  EXPECT_FALSE(Exists(Sources() + "rel\\plain.txt"));
  EXPECT_TRUE(Exists(plain));
}


TEST_F(ProgramTest, SettingsAndFavouritesThatCannotBeWrittenKeepTheWindowOpen) {
  // A folder where the settings file belongs: read as missing, never written.
  ASSERT_TRUE(CreateDirectoryA(SettingsFile().c_str(), nullptr));
  MainWindow w = Start();
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(Text(w.edit), "");
  EXPECT_TRUE(Checked(w.move));
  ClickClose(w);
  EXPECT_EQ(AnswerExceptionBox(), SettingsShown() + " に書き込めません.");
  EXPECT_FALSE(Program().WaitExit(300));
  EXPECT_FALSE(Exists(FavouritesFile()));  // the close stopped before the favourites
  Program().Kill();
  ASSERT_TRUE(RemoveDirectoryA(SettingsFile().c_str()));

  // A read-only favourites file is not replaced, and says so.
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Kept\r\n"));
  ASSERT_TRUE(SetFileAttributesA(FavouritesFile().c_str(), FILE_ATTRIBUTE_READONLY));
  w = Start();
  ASSERT_TRUE(w.Found());
  SetText(w.edit, "C:\\Other");
  ClickClose(w);
  EXPECT_EQ(AnswerExceptionBox(), "ﾌｧｲﾙ " + FavouritesShown() + " を作成できません.");
  EXPECT_FALSE(Program().WaitExit(300));
  EXPECT_EQ(FileBytes(FavouritesFile()), "C:\\Kept\r\n");
  ASSERT_TRUE(SetFileAttributesA(FavouritesFile().c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(CloseAndWait(w));
  EXPECT_EQ(FileBytes(FavouritesFile()), "C:\\Kept\r\n");
  EXPECT_EQ(Setting("ToPath"), "C:\\Other");
}

TEST_F(ProgramTest, EmptyAndMissingDestinations) {
  // A folder that does not exist: the shell decides. What it decides is
  // first asked of it directly, with a file and a folder of our own.
  const std::string probe = Source("probe.txt", "p");
  const std::string probeTo = Root() + "missing_probe\\probe.txt";
  std::string from = probe + std::string(1, '\0'), to = probeTo + std::string(1, '\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_MOVE;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  const bool shellMakesFolders = SHFileOperationA(&op) == 0 && Exists(probeTo);
  std::printf("the shell %s a missing destination folder\n", shellMakesFolders ? "makes" : "refuses");

  const std::string a = Source("a.txt", "a");
  MainWindow w = Start(a);
  ASSERT_TRUE(w.Found());
  const std::string missing = Root() + "missing";
  SetText(w.edit, missing);
  ClickOk(w);
  if (shellMakesFolders) {
    ASSERT_TRUE(Program().WaitExit(15000));
    EXPECT_EQ(FileBytes(missing + "\\a.txt"), "a");
  } else {
    // Refused: reported with the destination as typed; the file stays.
    EXPECT_TRUE(AnswerFailure(missing + "\\a.txtのMoveに失敗しました"));
    EXPECT_EQ(FileBytes(a), "a");
    Program().Kill();
  }

  // An empty destination names the root of the current drive: the file goes
  // there, and the empty text becomes a favourite like any other.
  const std::string name = "orlo_e2e_" + std::to_string(GetCurrentProcessId()) + ".txt";
  const std::string b = Source(name, "b");
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Tools\r\n"));
  w = Start(b);
  ASSERT_TRUE(w.Found());
  SetText(w.edit, "");
  Click(w.copy, 5, 5);
  ClickOk(w);
  ASSERT_TRUE(Program().WaitExit(15000));
  const std::string atRoot = "C:\\" + name;
  EXPECT_EQ(FileBytes(atRoot), "b");
  DeleteFileA(atRoot.c_str());
  EXPECT_EQ(FileBytes(FavouritesFile()), "\r\nC:\\Tools\r\n");
}

TEST_F(ProgramTest, TheFolderPickerOpensOnTheDestinationAndFillsIt) {
  MainWindow w = Start();
  ASSERT_TRUE(w.Found());
  // A folder outside the user's profile: Wine's picker does not find its way
  // to folders under the profile, which it shows under special names.
  const std::string folder = "C:\\oe" + std::to_string(GetCurrentProcessId()) + "pick";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  struct Remove {
    std::string f;
    ~Remove() { RemoveDirectoryA(f.c_str()); }
  } remove{folder};
  SetText(w.edit, folder);
  Click(w.browse, 5, 5);
  // The shell's picker, owned by the main window, opens on the folder typed:
  // confirming it at once gives that folder back.
  HWND picker = WaitTopWindow(Program().Id(), "#32770");
  ASSERT_NE(picker, nullptr) << "the folder picker did not open";
  EXPECT_EQ(GetWindow(picker, GW_OWNER), w.form);
  SetText(w.edit, "C:\\changed meanwhile");  // the picker's answer replaces whatever is there
  ASSERT_NE(GetDlgItem(picker, IDOK), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Enabled(GetDlgItem(picker, IDOK)); }));
  Click(GetDlgItem(picker, IDOK), 5, 5);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
  EXPECT_TRUE(WaitUntil([&] { return Text(w.edit) == folder; })) << Text(w.edit);

  // Cancelled, with a folder that does not exist typed: the field keeps it.
  SetText(w.edit, Root() + "nowhere");
  Click(w.browse, 5, 5);
  picker = WaitTopWindow(Program().Id(), "#32770");
  ASSERT_NE(picker, nullptr);
  Click(GetDlgItem(picker, IDCANCEL), 5, 5);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
  EXPECT_EQ(Text(w.edit), Root() + "nowhere");
  ASSERT_TRUE(CloseAndWait(w));
}

TEST_F(ProgramTest, NamesWithAnAmpersandAreShownAsTheyAre) {
  // "R&D.txt" meets a same-named file, "Q&A.txt" is missing: the question and
  // the failure message show the "&" as it is, not as an accelerator mark.
  const std::string folder = WithoutSlash(Target());
  const std::string rd = Source("R&D.txt", "new");
  ASSERT_TRUE(PutFile(Target() + "R&D.txt", "old"));
  MainWindow w = Start(rd + " " + Sources() + "Q&A.txt");
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(Lines(w.memo), (Texts{"R&D.txt", "Q&A.txt"}));
  SetText(w.edit, folder);
  Click(w.copy, 5, 5);
  ClickOk(w);
  HWND q = WaitQuestionShowing(folder.substr(0, 3) + "...\\R&D.txt");
  ASSERT_NE(q, nullptr);
  // The buttons keep their accelerators: Y answers YES.
  Key(FocusOf(q), 'Y');
  EXPECT_TRUE(AnswerFailure(folder + "\\Q&A.txtのCopyに失敗しました"));
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(FileBytes(Target() + "R&D.txt"), "new");
}

TEST_F(ProgramTest, ACloseDuringTheQuestionEndsItUnansweredAndClosesAfterTheRun) {
  const std::string folder = WithoutSlash(Target());
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Tools\r\n"));
  const std::string a = Source("a.txt", "new a"), b = Source("b.txt", "new b");
  ASSERT_TRUE(PutFile(Target() + "a.txt", "old a"));
  MainWindow w = Start(a + " " + b);
  ASSERT_TRUE(w.Found());
  SetText(w.edit, folder);
  ClickOk(w);
  ASSERT_NE(WaitQuestionShowing(folder.substr(0, 3) + "...\\a.txt"), nullptr);
  // What a task bar's "close window" or the end of the session sends.
  Close(w.form);
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(Program().ExitCode(), 0u);
  // Nothing replaced without a YES; each file in exactly one place.
  EXPECT_EQ(FileBytes(Target() + "a.txt"), "old a");
  EXPECT_EQ(FileBytes(a), "new a");
  EXPECT_NE(Exists(b), Exists(Target() + "b.txt"));
  EXPECT_EQ(Setting("ToPath"), folder);
  const std::string favourites = FileBytes(FavouritesFile());
  EXPECT_TRUE(favourites == "C:\\Tools\r\n" || favourites == folder + "\r\nC:\\Tools\r\n") << favourites;
}

TEST_F(ProgramTest, TwoWindowsAtOnceKeepEachOthersFavourites) {
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Old1\r\nC:\\Old2\r\n"));
  const std::string x = Target() + "X", y = Target() + "Y";
  ASSERT_TRUE(CreateDirectoryA(x.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(y.c_str(), nullptr));
  MainWindow a = Start(Source("a.txt"));
  ASSERT_TRUE(a.Found());
  Process second(ProgramFolder() + "orlosend.exe", Source("b.txt"), ProgramFolder());
  MainWindow b = AttachTo(second);
  ASSERT_TRUE(b.Found());

  SetText(a.edit, x);
  ClickOk(a);
  ASSERT_TRUE(Program().WaitExit(15000));
  EXPECT_EQ(FileBytes(FavouritesFile()), x + "\r\nC:\\Old1\r\nC:\\Old2\r\n");
  SetText(b.edit, y);
  ClickOk(b);
  ASSERT_TRUE(second.WaitExit(15000));
  EXPECT_TRUE(Exists(x + "\\a.txt"));
  EXPECT_TRUE(Exists(y + "\\b.txt"));
  EXPECT_EQ(FileBytes(FavouritesFile()), y + "\r\n" + x + "\r\nC:\\Old1\r\nC:\\Old2\r\n");
}

namespace {

// Names the code page cannot hold, and the files a best-fit conversion would
// turn them into.
const std::vector<std::wstring> kTrueNames = {L"\uD55C.txt", L"caf\u00E9.txt", L"x\U0001F600.txt",
                                              L"\u00DCbersicht 2026.pdf"};
const Texts kShownNames = {"?.txt", "caf?.txt", "x?.txt", "?bersicht 2026.pdf"};
const std::vector<std::wstring> kBystanders = {L"cafe.txt", L"Ubersicht 2026.pdf"};

}  // namespace

TEST_F(ProgramTest, NamesOutsideTheCodePageMoveUnderTheirTrueNamesAndNothingElseMoves) {
  const std::wstring src = Wide(Sources()), dst = Wide(Target());
  std::wstring args;
  for (size_t i = 0; i < kTrueNames.size(); ++i) {
    ASSERT_TRUE(PutWide(src + kTrueNames[i], "true " + std::to_string(i)));
    args += L" \"" + src + kTrueNames[i] + L"\"";
  }
  for (const std::wstring& b : kBystanders) ASSERT_TRUE(PutWide(src + b, "bystander"));
  ASSERT_TRUE(PutWide(dst + kTrueNames[1], "old"));
  MainWindow w = StartWide(args);
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(Lines(w.memo), kShownNames);
  EXPECT_EQ(Text(w.form), Sources() + kShownNames.back());
  const std::string folder = WithoutSlash(Target());
  SetText(w.edit, folder);
  ClickOk(w);
  // The same-named file is asked about under its shown name, and replaced.
  HWND q = WaitQuestionShowing(folder.substr(0, 3) + "...\\caf?.txt");
  ASSERT_NE(q, nullptr);
  Key(FocusOf(q), 'Y');
  ASSERT_TRUE(Program().WaitExit(15000));
  for (size_t i = 0; i < kTrueNames.size(); ++i) {
    EXPECT_EQ(BytesWide(dst + kTrueNames[i]), "true " + std::to_string(i)) << i;
    EXPECT_EQ(BytesWide(src + kTrueNames[i]), "<missing>") << i;
  }
  for (const std::wstring& b : kBystanders) {
    EXPECT_EQ(BytesWide(src + b), "bystander");
    EXPECT_EQ(BytesWide(dst + b), "<missing>");
  }
  EXPECT_EQ(FileBytes(FavouritesFile()), folder + "\r\n");

  // A drop of such files (UTF-16 drop data), copied this time.
  for (size_t i = 0; i < kTrueNames.size(); ++i) ASSERT_TRUE(PutWide(src + kTrueNames[i], "again"));
  const std::wstring copies = dst + L"copies\\";
  ASSERT_TRUE(CreateDirectoryW(copies.c_str(), nullptr));
  w = Start();
  ASSERT_TRUE(w.Found());
  std::vector<std::wstring> dropped;
  for (const std::wstring& n : kTrueNames) dropped.push_back(src + n);
  ASSERT_TRUE(DropFilesWide(Program(), w.form, dropped));
  EXPECT_TRUE(WaitUntil([&] { return Lines(w.memo) == kShownNames; }));
  SetText(w.edit, Target() + "copies");
  Click(w.copy, 5, 5);
  ClickOk(w);
  ASSERT_TRUE(Program().WaitExit(15000));
  for (const std::wstring& n : kTrueNames) {
    EXPECT_EQ(BytesWide(copies + n), "again");
    EXPECT_EQ(BytesWide(src + n), "again");
  }
  for (const std::wstring& b : kBystanders) EXPECT_EQ(BytesWide(copies + b), "<missing>");
}
