// A copy that takes a while: the window answers throughout, a close waits
// for the copy, and the file arrives whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver.h"
#include "program_fixture.h"

using namespace orlo::e2e;

namespace {

const int64_t kSize = 4LL << 30;  // past what 32 bits count

// A file of kSize bytes whose disk holds only its first and last bytes.
bool PutLarge(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = WriteFile(h, "HEAD", 4, &done, nullptr) && done == 4;
  LARGE_INTEGER tail;
  tail.QuadPart = kSize - 4;
  ok = ok && SetFilePointerEx(h, tail, nullptr, FILE_BEGIN) && WriteFile(h, "TAIL", 4, &done, nullptr) && done == 4;
  CloseHandle(h);
  return ok;
}

int64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string Tail(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  LARGE_INTEGER at;
  at.QuadPart = kSize - 4;
  char bytes[4] = {};
  DWORD done = 0;
  SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
  ReadFile(h, bytes, 4, &done, nullptr);
  CloseHandle(h);
  return std::string(bytes, done);
}

}  // namespace

TEST_F(ProgramTest, AFourGigabyteCopyKeepsTheWindowAnsweringAndACloseWaitsForIt) {
  const std::string big = Sources() + "big.bin", copy = Target() + "big.bin";
  ASSERT_TRUE(PutLarge(big));
  ASSERT_TRUE(PutFile(FavouritesFile(), "C:\\Fav\r\n"));
  MainWindow w = Start("\"" + big + "\"");
  ASSERT_TRUE(w.Found());
  const std::string folder = WithoutSlash(Target());
  SetText(w.edit, folder);
  Click(w.copy, 5, 5);
  ASSERT_TRUE(WaitUntil([&] { return Checked(w.copy); }));
  ClickOk(w);

  // The platform's own test of a hung window, again and again while the copy
  // grows; halfway a request to close comes, as from the close box.
  int probes = 0, unanswered = 0;
  bool closeSent = false, lineMarked = false;
  while (Program().Running()) {
    const int64_t grown = SizeOf(copy);
    if (grown <= 0 || grown >= kSize) {
      Sleep(20);
      continue;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(w.form, WM_NULL, 0, 0, SMTO_NORMAL, 250, &result) && IsWindow(w.form)) ++unanswered;
    ++probes;
    // The file list marks the file being sent.
    if (SendMessageTimeoutW(w.memo, EM_GETSEL, 0, 0, SMTO_NORMAL, 250, &result))
      lineMarked = lineMarked || (LOWORD(result) == 0 && HIWORD(result) == 7);
    if (!closeSent && grown > kSize / 2) {
      PostMessageW(w.form, WM_CLOSE, 0, 0);
      closeSent = true;
    }
    Sleep(100);
  }
  std::printf("%d probes while the copy grew\n", probes);
  EXPECT_GE(probes, 5) << "the copy was too quick to tell";
  EXPECT_EQ(unanswered, 0);
  EXPECT_TRUE(closeSent);
  EXPECT_TRUE(lineMarked) << "big.bin was not marked while it was sent";
  EXPECT_EQ(Program().ExitCode(), 0u);
  // Whole, and a success like any other.
  EXPECT_EQ(SizeOf(copy), kSize);
  EXPECT_EQ(Tail(copy), "TAIL");
  EXPECT_EQ(FileBytes(FavouritesFile()), folder + "\r\nC:\\Fav\r\n");
  DeleteFileA(copy.c_str());
}
