#include "program_fixture.h"

#include "e2e_support.h"

namespace orlo::e2e {

const TextFont kWindowFont{};

namespace {

std::string NewRoot() {
  static int counter = 0;
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "orlo_e2e_" + std::to_string(GetCurrentProcessId()) + "_" +
         std::to_string(++counter) + "\\";
}

}  // namespace

namespace {

// By UTF-16 names, so that files the code page cannot name go too.
void RemoveTreeWide(const std::wstring& folder) {
  const std::wstring base = folder.empty() || folder.back() == L'\\' ? folder : folder + L'\\';
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((base + L"*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = base + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTreeWide(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(base.c_str());
}

}  // namespace

// Through "\\?\" paths, which the platform takes as they are: files named
// "a." or "con" that a test made go too.
void RemoveTree(const std::string& folder) { RemoveTreeWide(L"\\\\?\\" + Wide(folder)); }

std::string WithoutSlash(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::wstring Wide(const std::string& ansi) {
  std::wstring w(ansi.size() + 1, L'\0');
  w.resize(static_cast<size_t>(
      MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), &w[0], static_cast<int>(w.size()))));
  return w;
}

bool PutWide(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

std::string BytesWide(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[256];
  DWORD n = 0;
  std::string bytes;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  CloseHandle(h);
  return bytes;
}

void ProgramTest::SetUp() {
  ASSERT_FALSE(ProgramUnderTest().empty()) << "no --program= given";
  root_ = NewRoot();
  prog_ = root_ + "prog\\";
  src_ = root_ + "src\\";
  dst_ = root_ + "dst\\";
  // Wine gives out process ids again: what a killed run of the same id left
  // behind goes first.
  RemoveTree(root_);
  for (const std::string& f : {root_, prog_, src_, dst_})
    ASSERT_TRUE(CreateDirectoryA(f.c_str(), nullptr)) << f;
  ASSERT_TRUE(CopyFileA(ProgramUnderTest().c_str(), (prog_ + "orlosend.exe").c_str(), FALSE))
      << ProgramUnderTest();
}

void ProgramTest::TearDown() {
  process_.Kill();
  process_ = Process();
  if (!root_.empty()) RemoveTree(root_);
}

MainWindow ProgramTest::Start(const std::string& args) {
  Launch(args);
  return Attach();
}

void ProgramTest::Launch(const std::string& args, const std::string& startIn) {
  process_ = Process(prog_ + "orlosend.exe", args, startIn.empty() ? prog_ : startIn);
  EXPECT_TRUE(process_.Started());
}

MainWindow ProgramTest::Attach() { return AttachTo(process_); }

MainWindow ProgramTest::StartWide(const std::wstring& args) {
  const std::wstring folder(prog_.begin(), prog_.end());  // the scratch folders' paths are ASCII
  process_ = Process(folder + L"orlosend.exe", args, folder);
  EXPECT_TRUE(process_.Started());
  return Attach();
}

MainWindow ProgramTest::AttachTo(const Process& process) {
  MainWindow w;
  if (!process.Started()) return w;
  w.form = WaitTopWindow(process.Id(), "TForm1");
  EXPECT_NE(w.form, nullptr) << "the main window did not come up";
  if (!w.form) return w;
  w.group = Child(w.form, "TRadioGroup");
  if (w.group) {
    auto buttons = Children(w.group, "");
    if (buttons.size() == 2) {
      w.move = buttons[0];
      w.copy = buttons[1];
    }
  }
  w.list = Child(w.form, "TListBox");
  w.edit = Child(w.form, "TEdit");
  w.browse = Child(w.form, "TButton");
  w.memo = Child(w.form, "TMemo");
  w.ok = Child(w.form, "TCuteButton", 0);
  w.close = Child(w.form, "TCuteButton", 1);
  EXPECT_TRUE(w.Found()) << "a control of the main window is missing";
  return w;
}

std::string ProgramTest::Source(const std::string& name, const std::string& content) {
  const std::string path = src_ + name;
  EXPECT_TRUE(PutFile(path, content)) << path;
  return path;
}

std::string ProgramTest::Setting(const std::string& key) const {
  char value[1024] = {};
  GetPrivateProfileStringA("Setting", key.c_str(), "<none>", value, sizeof value,
                           SettingsFile().c_str());
  return value;
}

void ProgramTest::ClickFavourite(const MainWindow& w, int row) {
  const int itemHeight = static_cast<int>(SendMessageA(w.list, LB_GETITEMHEIGHT, 0, 0));
  Click(w.list, 10, row * itemHeight + itemHeight / 2);
}

HWND ProgramTest::WaitQuestionShowing(const std::string& shown, DWORD ms) {
  HWND q = nullptr;
  const bool up = WaitUntil([&] {
    auto list = TopWindows(process_.Id(), "TForm2");
    q = list.empty() ? nullptr : list.front();
    return q && ShowsText(Shot::Of(q), RECT{8, 24, 225, 36}, shown,
                          DT_CENTER | DT_EXPANDTABS | DT_NOPREFIX, kWindowFont, 0x000000);
  }, ms);
  EXPECT_TRUE(up) << "no question showing " << shown;
  return up ? q : nullptr;
}

bool ProgramTest::AnswerFailure(const std::string& text) {
  HWND box = WaitTopWindow(process_.Id(), "TMessageForm");
  EXPECT_NE(box, nullptr) << "no failure message for " << text;
  if (!box) return false;
  EXPECT_EQ(Text(box), "ORLO MOVE");
  const UINT flags = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  const RECT bounds = WindowBounds(box);
  if (bounds.right - bounds.left > screen) {
    // Wider than the screen, the text cannot be read from it: its exact
    // extent, the window's client width less two margins, stands for it.
    const int x = MeasureText("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", DT_SINGLELINE,
                              kWindowFont, screen).cx / 52;
    const int margin = MulDiv(8, x, 4);
    const int width = MeasureText(text, flags, kWindowFont, screen / 2).cx;
    const bool matches = ClientSize(box).cx - 2 * margin == width;
    EXPECT_EQ(ClientSize(box).cx - 2 * margin, width) << "the failure message is not \"" << text << "\"";
    HWND ok = Child(box, "TButton");
    if (ok) Click(ok, 5, 5);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
    return matches;
  }
  Shot shot;
  const bool shown = WaitUntil([&] {
    shot = Shot::Of(box);
    // The message window wraps its text at half the screen's width.
    return FindText(shot, text, flags, kWindowFont, 0x000000, nullptr, screen / 2);
  });
  EXPECT_TRUE(shown) << "the failure message does not show \"" << text << "\"";
  if (!shown) shot.Save(root_ + "..\\orlo_failure_message.bmp");
  HWND ok = Child(box, "TButton");
  EXPECT_NE(ok, nullptr);
  if (ok) Click(ok, 5, 5);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
  return shown;
}

std::string ProgramTest::AnswerExceptionBox() {
  HWND box = WaitTopWindow(process_.Id(), "#32770");
  if (!box) return "<no box>";
  EXPECT_EQ(Text(box), "ORLO MOVE");
  // The message is the box's static text that is not its icon.
  std::string message;
  for (HWND c : Children(box, "Static")) {
    std::string t = Text(c);
    if (!t.empty()) message = t;
  }
  HWND ok = GetDlgItem(box, IDOK);
  if (ok) Click(ok, 5, 5);
  else Close(box);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
  return message;
}

bool ProgramTest::CloseAndWait(const MainWindow& w) {
  ClickClose(w);
  return process_.WaitExit(10000);
}

FileHolder::FileHolder(const std::string& path) : FileHolder(Wide(path)) {}

FileHolder::FileHolder(const std::wstring& path) {
  handle_ = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                        nullptr);
}

FileHolder::~FileHolder() { Release(); }

void FileHolder::Release() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace orlo::e2e
