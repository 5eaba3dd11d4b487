// One run of the real orlosend.exe in a scratch folder of its own: a copy of
// the program with its settings and favourites files beside it, folders for
// the files to send and for the destination, and the main window's controls
// found from outside.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"

namespace orlo::e2e {

// The main window's windowed controls, in the order they are created.
struct MainWindow {
  HWND form = nullptr;
  HWND group = nullptr;   // RadioGroup1
  HWND move = nullptr;    // its "Move" button
  HWND copy = nullptr;    // its "Copy" button
  HWND list = nullptr;    // ListBox1, the favourites
  HWND edit = nullptr;    // Edit1, the destination
  HWND browse = nullptr;  // Button2, "..."
  HWND memo = nullptr;    // Memo1, the file names
  HWND ok = nullptr;      // CuteButton1
  HWND close = nullptr;   // CuteButton2
  bool Found() const { return form && group && move && copy && list && edit && browse && memo && ok && close; }
};

// What the program's text boxes show: their face, font and colour.
extern const TextFont kWindowFont;   // ＭＳ Ｐゴシック −12, the windows' font

class ProgramTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the program with a command line (after its own name) and waits
  // for its main window.
  MainWindow Start(const std::string& args = "");
  // Starts it without waiting (a box may come before the main window), and
  // later finds the main window. The program starts in its own folder unless
  // another is given.
  void Launch(const std::string& args = "", const std::string& startIn = "");
  MainWindow Attach();
  // Starts it with a UTF-16 command line (after its own name), as the shell
  // does, and waits for its main window.
  MainWindow StartWide(const std::wstring& args);
  // The main window of another running copy of the program.
  static MainWindow AttachTo(const Process& process);
  Process& Program() { return process_; }

  // Paths of this run; folders end with a backslash.
  const std::string& Root() const { return root_; }
  const std::string& ProgramFolder() const { return prog_; }
  const std::string& Sources() const { return src_; }
  const std::string& Target() const { return dst_; }
  std::string SettingsFile() const { return prog_ + "orlosend.ini"; }
  std::string FavouritesFile() const { return prog_ + "dirlist.txt"; }
  // The files as the program names them in its messages: the program folder
  // and the name joined by a second backslash.
  std::string SettingsShown() const { return prog_ + "\\orlosend.ini"; }
  std::string FavouritesShown() const { return prog_ + "\\dirlist.txt"; }

  // A source file in the sources folder with the given content; its path.
  std::string Source(const std::string& name, const std::string& content = "data");
  // A settings value as the platform's profile reader sees it; "<none>" when
  // the key is missing.
  std::string Setting(const std::string& key) const;

  // Clicks OK and CLOSE, and the main window's windowless buttons.
  void ClickOk(const MainWindow& w) { Click(w.ok, 10, 10); }
  void ClickClose(const MainWindow& w) { Click(w.close, 10, 10); }
  void ClickDesktop(const MainWindow& w) { Click(w.form, 254, 78); }
  void ClickDocuments(const MainWindow& w) { Click(w.form, 282, 78); }
  // Clicks the favourite at a row of the list box.
  void ClickFavourite(const MainWindow& w, int row);

  // The overwrite question, once it is up and its first line shows the
  // shortened destination; nullptr when it does not come.
  HWND WaitQuestionShowing(const std::string& shown, DWORD ms = 10000);
  // The failure message window: waits for it, checks that it shows exactly
  // text, and closes it with its OK button. False (with a test failure) when
  // it does not come or shows something else.
  bool AnswerFailure(const std::string& text);
  // The exception message box: waits for it and returns its text, then
  // closes it with OK. "<no box>" when none comes.
  std::string AnswerExceptionBox();

  // Ends the run the way a person would, with CLOSE, and waits for the end.
  bool CloseAndWait(const MainWindow& w);

private:
  std::string root_, prog_, src_, dst_;
  Process process_;
};

// Holds a file open without sharing, as another program can: every open,
// replace and profile write of it fails meanwhile.
class FileHolder {
public:
  explicit FileHolder(const std::string& path);
  explicit FileHolder(const std::wstring& path);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release();

private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Removes a folder with everything in it.
void RemoveTree(const std::string& folder);

// A folder's path without its trailing backslash, as a destination is typed.
std::string WithoutSlash(std::string folder);

// Code-page text in UTF-16, and whole files by their UTF-16 names.
std::wstring Wide(const std::string& ansi);
bool PutWide(const std::wstring& path, const std::string& bytes);
// The bytes, or "<missing>" when the file cannot be opened.
std::string BytesWide(const std::wstring& path);

}  // namespace orlo::e2e
