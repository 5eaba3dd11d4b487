// The transfer loop with a recording stand-in for the windows around it, and
// the shell request on real files.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "scratch_folder.h"
#include "strings.h"
#include "transfer.h"

using namespace orlo;
using orlo::testing_support::ScratchTest;

namespace {

// Records every call in order; existing paths, answers and shell results are
// set up by the test.
class RecordingSite : public TTransferSite {
public:
  std::vector<std::string> existing;
  std::vector<int> answers;       // one per question, in order
  std::vector<bool> results;      // one per file operation, in order
  std::vector<std::string> log;
  int stopAfter = -1;  // file operations after which the run is told to stop
  int operations = 0;

  bool Exists(const TFileName& path) override {
    for (const auto& e : existing)
      if (e == path.Shown()) return true;
    return false;
  }
  int AskOverwrite(const std::string& shown) override {
    log.push_back("ask " + shown);
    int a = answers.empty() ? kOverwriteYes : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return a;
  }
  bool FileOperation(const TFileName& source, const TFileName& dest, UINT op) override {
    ++operations;
    log.push_back(std::string(op == FO_MOVE ? "move " : "copy ") + source.Shown() + " -> " + dest.Shown());
    bool r = results.empty() ? true : results.front();
    if (!results.empty()) results.erase(results.begin());
    return r;
  }
  void Beep(UINT type) override { log.push_back("beep " + std::to_string(type)); }
  void ReportFailure(const std::string& text) override { log.push_back("report " + text); }
  TFileName SpecialFolder(int csidl) override {
    log.push_back("special " + std::to_string(csidl));
    return TFileName::FromAnsi(csidl == CSIDL_DESKTOP ? desktop : personal);
  }
  void FavouritePutFirst(const std::string& folder) override { log.push_back("first " + folder); }
  bool Stopped() override { return stopAfter >= 0 && operations >= stopAfter; }

  std::string desktop = "C:\\Desk";
  std::string personal = "C:\\Docs";
};

TFileName Path(const std::string& path) { return TFileName::FromAnsi(path); }

std::vector<TFileName> Sources(std::initializer_list<const char*> paths) {
  std::vector<TFileName> list;
  for (const char* p : paths) list.push_back(TFileName::FromAnsi(p));
  return list;
}

using Log = std::vector<std::string>;

}  // namespace

TEST(Transfer, MovesEachFileInOrderAndAsksOnlyAboutSameNamedOnes) {
  RecordingSite site;
  site.existing = {"D:\\Work\\b.txt"};
  auto sources = Sources({"C:\\x\\a.txt", "C:\\y\\b.txt"});
  EXPECT_TRUE(RunTransfer(sources, Path("D:\\Work"), 0, site));
  EXPECT_EQ(site.log, (Log{"move C:\\x\\a.txt -> D:\\Work\\a.txt", "ask D:\\...\\b.txt",
                           "move C:\\y\\b.txt -> D:\\Work\\b.txt"}));

  // Copy; the separator is added even after a root's backslash, and the
  // question shows the shortened path however short the path is.
  RecordingSite copy;
  copy.existing = {"D:\\\\a.txt"};
  auto one = Sources({"C:\\x\\a.txt"});
  EXPECT_TRUE(RunTransfer(one, Path("D:\\"), 1, copy));
  EXPECT_EQ(copy.log, (Log{"ask D:\\...\\a.txt", "copy C:\\x\\a.txt -> D:\\\\a.txt"}));

  // Nothing to send: nothing happens at all.
  RecordingSite none;
  std::vector<TFileName> empty;
  EXPECT_FALSE(RunTransfer(empty, Path("D:\\Work"), 0, none));
  EXPECT_TRUE(none.log.empty());
}

TEST(Transfer, OnlyYesReplacesAnObject) {
  RecordingSite site;
  site.existing = {"D:\\W\\a.txt", "D:\\W\\b.txt", "D:\\W\\c.txt"};
  site.answers = {kOverwriteNo, kOverwriteClosed, kOverwriteYes};
  auto sources = Sources({"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"});
  EXPECT_TRUE(RunTransfer(sources, Path("D:\\W"), 0, site));
  // NO and a question closed without an answer (close box, Alt+F4, the end
  // of the program) both skip their file; no message, no beep.
  EXPECT_EQ(site.log, (Log{"ask D:\\...\\a.txt", "ask D:\\...\\b.txt", "ask D:\\...\\c.txt",
                           "move C:\\c.txt -> D:\\W\\c.txt"}));

  // Declining every same-named file is a run without success.
  RecordingSite declined;
  declined.existing = {"D:\\W\\a.txt"};
  declined.answers = {kOverwriteNo};
  auto one = Sources({"C:\\a.txt"});
  EXPECT_FALSE(RunTransfer(one, Path("D:\\W"), 0, declined));
}

TEST(Transfer, WithoutAChoiceNothingMovesButTheQuestionStillComes) {
  RecordingSite site;
  site.existing = {"D:\\W\\b.txt"};
  auto sources = Sources({"C:\\a.txt", "C:\\b.txt"});
  EXPECT_FALSE(RunTransfer(sources, Path("D:\\W"), -1, site));
  EXPECT_EQ(site.log, (Log{"ask D:\\...\\b.txt"}));
}

TEST(Transfer, EachFailureBeepsAndIsReportedBeforeTheNextFile) {
  RecordingSite site;
  site.results = {false, false, true};
  auto sources = Sources({"C:\\t\\a.txt", "C:\\t\\b.txt", "C:\\t\\c.txt"});
  EXPECT_TRUE(RunTransfer(sources, Path("D:\\Work"), 0, site));
  const std::string beep = "beep " + std::to_string(MB_ICONEXCLAMATION);
  EXPECT_EQ(site.log, (Log{"move C:\\t\\a.txt -> D:\\Work\\a.txt", beep,
                           "report D:\\Work\\a.txtのMoveに失敗しました",
                           "move C:\\t\\b.txt -> D:\\Work\\b.txt", beep,
                           "report D:\\Work\\b.txtのMoveに失敗しました",
                           "move C:\\t\\c.txt -> D:\\Work\\c.txt"}));

  RecordingSite copy;
  copy.results = {false};
  auto one = Sources({"C:\\t\\a.txt"});
  EXPECT_FALSE(RunTransfer(one, Path("D:\\Work"), 1, copy));
  EXPECT_EQ(copy.log.back(), "report D:\\Work\\a.txtのCopyに失敗しました");
}

TEST(Transfer, NamesThePlatformWouldRewriteFailUnlookedAtAndAStoppedRunEnds) {
  // Each of these is another path to the platform: a part ending in "." or
  // " ", or a device name with any extension. They fail without a look at
  // the destination (where each "exists") and without a question.
  const char* const rewritten[] = {"C:\\t\\a.", "C:\\t\\b ", "C:\\t\\NUL.txt", "C:\\t\\com1",
                                   "C:\\dir.\\x.txt", "C:\\t\\conout$ .log", "C:\\t\\Lpt9.tar.gz"};
  // Names that only look like them.
  const char* const plain[] = {"C:\\t\\.\\com10.txt", "C:\\t\\..\\lpt0", "C:\\t\\nully.txt", "C:\\t\\a.b"};
  RecordingSite site;
  std::vector<TFileName> sources;
  for (const char* p : rewritten) {
    sources.push_back(Path(p));
    site.existing.push_back("D:\\W\\" + Path(p).Name().Shown());
  }
  for (const char* p : plain) sources.push_back(Path(p));
  EXPECT_TRUE(RunTransfer(sources, Path("D:\\W"), 1, site));
  const std::string beep = "beep " + std::to_string(MB_ICONEXCLAMATION);
  Log expected;
  for (const char* p : rewritten) {
    expected.push_back(beep);
    expected.push_back("report D:\\W\\" + Path(p).Name().Shown() + "のCopyに失敗しました");
  }
  for (const char* p : plain) expected.push_back("copy " + std::string(p) + " -> D:\\W\\" + Path(p).Name().Shown());
  EXPECT_EQ(site.log, expected);

  // A destination the platform would shorten fails every file.
  RecordingSite shortened;
  auto two = Sources({"C:\\a.txt", "C:\\b.txt"});
  EXPECT_FALSE(RunTransfer(two, Path("D:\\W "), 0, shortened));
  EXPECT_EQ(shortened.log, (Log{beep, "report D:\\W \\a.txtのMoveに失敗しました", beep,
                                "report D:\\W \\b.txtのMoveに失敗しました"}));

  // Told to stop (the session ended), the run starts nothing more.
  RecordingSite stopping;
  stopping.stopAfter = 1;
  auto three = Sources({"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"});
  EXPECT_TRUE(RunTransfer(three, Path("D:\\W"), 0, stopping));
  EXPECT_EQ(stopping.log, (Log{"move C:\\a.txt -> D:\\W\\a.txt"}));
}

TEST(Transfer, FavouritesTakeTheFolderFirstMatchingLetterCaseFreely) {
  TStringList list;
  list.Add("C:\\Tools");
  list.Add("d:\\work");
  list.Add("E:\\Old");
  list.Add("D:\\WORK");
  PutFavouriteFirst(list, "D:\\Work");
  // Only the first match goes; the count is unchanged.
  EXPECT_EQ(list.Text(), "D:\\Work\r\nC:\\Tools\r\nE:\\Old\r\nD:\\WORK\r\n");

  // A trailing backslash makes another folder name.
  PutFavouriteFirst(list, "C:\\Tools\\");
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Strings(0), "C:\\Tools\\");
  EXPECT_EQ(list.Strings(2), "C:\\Tools");

  // The guard keeps out only a folder that names nothing and equals both
  // special folders.
  EXPECT_FALSE(FavouriteGuard(false, Path("X:\\D"), Path("X:\\D"), Path("X:\\D")));
  EXPECT_TRUE(FavouriteGuard(true, Path("X:\\D"), Path("X:\\D"), Path("X:\\D")));
  EXPECT_TRUE(FavouriteGuard(false, Path("X:\\D"), Path("X:\\D"), Path("X:\\P")));
  EXPECT_TRUE(FavouriteGuard(false, Path("X:\\D"), Path("X:\\d"), Path("X:\\D")));
}

class ShellRequest : public ScratchTest {};

TEST_F(ShellRequest, MovesAndCopiesRealFilesWholeNamesIncluded) {
  const std::string to = dir_ + "to";
  ASSERT_TRUE(CreateDirectoryA(to.c_str(), nullptr));
  // A ";" is part of the file's name, not a list separator: the file moves
  // as one, and no file named after a piece of it is touched.
  Put(dir_ + "a;b.txt", "semicolon");
  Put(dir_ + "a", "bystander");
  EXPECT_TRUE(ShellFileOp(dir_ + "a;b.txt", DestinationPath(to, "a;b.txt"), FO_MOVE, nullptr));
  EXPECT_EQ(Bytes(to + "\\a;b.txt"), "semicolon");
  EXPECT_EQ(Bytes(dir_ + "a;b.txt"), "<missing>");
  EXPECT_EQ(Bytes(dir_ + "a"), "bystander");
  EXPECT_EQ(Bytes(to + "\\a"), "<missing>");

  // A copy replaces a same-named file without a question from the shell.
  Put(dir_ + "日本語 名前.txt", "new");
  Put(to + "\\日本語 名前.txt", "old");
  EXPECT_TRUE(ShellFileOp(dir_ + "日本語 名前.txt", to + "\\日本語 名前.txt", FO_COPY, nullptr));
  EXPECT_EQ(Bytes(to + "\\日本語 名前.txt"), "new");
  EXPECT_EQ(Bytes(dir_ + "日本語 名前.txt"), "new");
}

TEST_F(ShellRequest, RefusesTooLongDestinationsAndPatternsBeforeTheShell) {
  // Two real destinations in a real folder, one of 258 bytes and one of 259:
  // the shell could carry out both, so only a refusal keeps the second file.
  std::string folder = dir_ + "deep";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  while (folder.size() < kMaxDestinationBytes - 20) {
    folder += "\\" + std::string(std::min<size_t>(100, kMaxDestinationBytes - 20 - folder.size()), 'd');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  }
  const size_t room = kMaxDestinationBytes - folder.size() - 1;
  const std::string fitting = std::string(room - 4, 'f') + ".txt";
  const std::string tooLong = std::string(room - 3, 'g') + ".txt";
  Put(dir_ + fitting, "fits");
  Put(dir_ + tooLong, "kept");
  const std::string fits = DestinationPath(folder, fitting);
  const std::string over = DestinationPath(folder, tooLong);
  ASSERT_EQ(fits.size(), kMaxDestinationBytes);
  ASSERT_EQ(over.size(), kMaxDestinationBytes + 1);
  EXPECT_TRUE(ShellFileOp(dir_ + fitting, fits, FO_MOVE, nullptr));
  EXPECT_EQ(Bytes(fits), "fits");
  EXPECT_FALSE(ShellFileOp(dir_ + tooLong, over, FO_MOVE, nullptr));
  EXPECT_EQ(Bytes(dir_ + tooLong), "kept");
  EXPECT_EQ(Bytes(over), "<missing>");
  DeleteFileA(fits.c_str());
  for (std::string f = folder; f.size() > dir_.size(); f = f.substr(0, f.rfind('\\')))
    RemoveDirectoryA(f.c_str());

  // "?" and "*" would be patterns to the shell: such a request touches
  // nothing, whether the pattern is in the source or in the destination.
  const std::string to = dir_ + "to";
  ASSERT_TRUE(CreateDirectoryA(to.c_str(), nullptr));
  Put(dir_ + "b1.txt", "bystander");
  Put(dir_ + "c.txt", "named");
  EXPECT_FALSE(ShellFileOp(dir_ + "b?.txt", to + "\\b?.txt", FO_MOVE, nullptr));
  EXPECT_FALSE(ShellFileOp(dir_ + "b*", to + "\\x.txt", FO_COPY, nullptr));
  EXPECT_FALSE(ShellFileOp(dir_ + "c.txt", to + "\\*.txt", FO_MOVE, nullptr));
  EXPECT_EQ(Bytes(dir_ + "b1.txt"), "bystander");
  EXPECT_EQ(Bytes(dir_ + "c.txt"), "named");
  EXPECT_EQ(Bytes(to + "\\b1.txt"), "<missing>");
  EXPECT_EQ(Bytes(to + "\\x.txt"), "<missing>");
  for (const char* n : {"\\b1.txt", "\\c.txt", "\\x.txt"}) DeleteFileA((to + n).c_str());
}

TEST_F(ShellRequest, AReportedSuccessCountsOnlyWhenTheFileIsThere) {
  const TFileName to = Path(dir_ + "to");
  ASSERT_TRUE(CreateDirectoryA(to.Shown().c_str(), nullptr));
  Put(dir_ + "a.txt", "a");
  Put(dir_ + "plain", "a file where a folder should be");
  // A source gone since the window opened, and a destination folder that is
  // a file: nothing moved, whatever the shell says.
  const TFileName gone = Path(dir_ + "gone.txt");
  orlo::ShellRequest(gone, DestinationPath(to, gone), FO_MOVE, nullptr);
  EXPECT_FALSE(TransferDone(gone, DestinationPath(to, gone), FO_MOVE));
  const TFileName a = Path(dir_ + "a.txt"), intoFile = DestinationPath(Path(dir_ + "plain"), a);
  orlo::ShellRequest(a, intoFile, FO_MOVE, nullptr);
  EXPECT_FALSE(TransferDone(a, intoFile, FO_MOVE));
  EXPECT_EQ(Bytes(dir_ + "a.txt"), "a");
  // A file moved onto itself is where it should be; so is a copy, and a
  // move that went through.
  EXPECT_TRUE(orlo::ShellRequest(a, a, FO_MOVE, nullptr));
  EXPECT_TRUE(TransferDone(a, a, FO_MOVE));
  EXPECT_TRUE(TransferDone(a, Path(dir_ + "A.TXT"), FO_MOVE));
  EXPECT_TRUE(orlo::ShellRequest(a, DestinationPath(to, a), FO_COPY, nullptr));
  EXPECT_TRUE(TransferDone(a, DestinationPath(to, a), FO_COPY));
  EXPECT_FALSE(TransferDone(a, DestinationPath(to, a), FO_MOVE));  // the source is still there
  Put(dir_ + "b.txt", "b");
  const TFileName b = Path(dir_ + "b.txt");
  EXPECT_TRUE(orlo::ShellRequest(b, DestinationPath(to, b), FO_MOVE, nullptr));
  EXPECT_TRUE(TransferDone(b, DestinationPath(to, b), FO_MOVE));
  for (const char* n : {"\\to\\a.txt", "\\to\\b.txt"}) DeleteFileA((dir_ + n).c_str());
}

TEST(Transfer, AfterASuccessTheFolderIsPutFirstAndTheRunEndsWithABeep) {
  // A relative destination is taken from the program's folder; the guard
  // looks up Desktop first, then My Documents, and the folder as typed goes
  // into the favourites.
  RecordingSite site;
  site.existing = {"P:\\prog\\out\\a.txt"};
  TStringList favourites;
  favourites.Add("C:\\Old");
  favourites.Add("OUT");
  auto sources = Sources({"C:\\a.txt", "C:\\b.txt"});
  EXPECT_TRUE(SendFiles(sources, Path("out"), Path("P:\\prog\\"), 0, favourites, site));
  const std::string asterisk = "beep " + std::to_string(MB_ICONASTERISK);
  EXPECT_EQ(site.log, (Log{"ask P:\\...\\a.txt", "move C:\\a.txt -> P:\\prog\\out\\a.txt",
                           "move C:\\b.txt -> P:\\prog\\out\\b.txt", "special 0", "special 5",
                           "first out", asterisk}));
  EXPECT_EQ(favourites.Text(), "out\r\nC:\\Old\r\n");

  // Left out of the favourites: a folder that is both special folders and
  // names nothing; the run still ends with the beep and the close.
  RecordingSite special;
  special.desktop = special.personal = "Z:\\Same";
  auto one = Sources({"C:\\a.txt"});
  EXPECT_TRUE(SendFiles(one, Path("Z:\\Same"), Path("P:\\prog\\"), 1, favourites, special));
  EXPECT_EQ(special.log, (Log{"copy C:\\a.txt -> Z:\\Same\\a.txt", "special 0", "special 5", asterisk}));
  EXPECT_EQ(favourites.Count(), 2);

  // No success: no lookup, no favourite, no beep, and the window stays.
  RecordingSite failing;
  failing.results = {false};
  EXPECT_FALSE(SendFiles(one, Path("D:\\W"), Path("P:\\prog\\"), 0, favourites, failing));
  EXPECT_EQ(failing.log.size(), 3u);  // the operation, its beep and its report
  EXPECT_EQ(favourites.Text(), "out\r\nC:\\Old\r\n");

  // Only a relative text is taken from the program's folder.
  EXPECT_EQ(DestinationFolder(Path("a\\b"), Path("P:\\prog\\")).Shown(), "P:\\prog\\a\\b");
  EXPECT_EQ(DestinationFolder(Path("a"), Path("P:\\prog")).Shown(), "P:\\prog\\a");
  for (const char* kept : {"", "\\x", "D:x", "D:\\x", "\\\\server\\share"})
    EXPECT_EQ(DestinationFolder(Path(kept), Path("P:\\prog\\")).Shown(), kept);
}
