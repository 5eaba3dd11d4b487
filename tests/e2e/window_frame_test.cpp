// The real program under the taller captions and wider borders of today's
// platforms: the main window keeps the client area its controls were laid
// out in, and grows outside instead. The frame is Wine's
// HKEY_CURRENT_USER\Control Panel\Desktop\WindowMetrics (in negative twips,
// 15 to a pixel at 96 pixels per inch), read by a program when it starts; it
// is the whole prefix's, so ctest runs this alone, and the values found are
// kept aside until they are put back, by the test or, after a crash, by the
// clean-up entry.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "program_fixture.h"

using namespace orlo::e2e;

namespace {

const char kMetrics[] = "Control Panel\\Desktop\\WindowMetrics";
const char kKept[] = "Software\\orlosend tests\\WindowMetrics";
const char* const kNames[] = {"CaptionHeight", "PaddedBorderWidth"};

// A string value; false when there is none.
bool ReadValue(const char* key, const char* name, std::string* value) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
  char buffer[256] = {};
  DWORD size = sizeof buffer - 1, type = 0;
  const bool found = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                      &size) == ERROR_SUCCESS && type == REG_SZ;
  RegCloseKey(k);
  if (found) *value = buffer;
  return found;
}

bool WriteValue(const char* key, const char* name, const std::string& value) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const bool ok = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(k);
  return ok;
}

bool DeleteValue(const char* key, const char* name) {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return true;
  const LONG r = RegDeleteValueA(k, name);
  RegCloseKey(k);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

// Puts back every value kept aside ("" stands for one that was not there)
// and forgets it.
bool PutMetricsBack() {
  bool ok = true;
  for (const char* name : kNames) {
    std::string kept;
    if (!ReadValue(kKept, name, &kept)) continue;
    ok = (kept.empty() ? DeleteValue(kMetrics, name) : WriteValue(kMetrics, name, kept)) && ok;
    ok = ok && DeleteValue(kKept, name);
  }
  return ok;
}

// Sets metrics for the programs started meanwhile; the values found come
// back afterwards, also when an assertion ends the test early. A value kept
// aside by a run that crashed is the one to come back, not what that run set.
class Frame {
public:
  explicit Frame(const std::vector<std::pair<const char*, const char*>>& values) {
    set_ = true;
    for (const auto& v : values) {
      std::string found, kept;
      if (!ReadValue(kKept, v.first, &kept)) {
        ReadValue(kMetrics, v.first, &found);  // stays "" when there is none
        set_ = WriteValue(kKept, v.first, found) && set_;
      }
      set_ = WriteValue(kMetrics, v.first, v.second) && set_;
    }
  }
  ~Frame() { PutMetricsBack(); }
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
  bool Set() const { return set_; }

private:
  bool set_ = false;
};

struct Platform {
  const char* name;
  std::vector<std::pair<const char*, const char*>> metrics;
};
void PrintTo(const Platform& p, std::ostream* os) { *os << p.name; }

// A person can reach the button: the window under its centre is the button.
bool Reachable(HWND button) {
  const RECT r = WindowBounds(button);
  return WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}) == button;
}

class WindowFrameTest : public ProgramTest, public ::testing::WithParamInterface<Platform> {};

}  // namespace

TEST_P(WindowFrameTest, TheMainWindowGrowsOutsideAndItsControlsStayInside) {
  Frame frame(GetParam().metrics);
  ASSERT_TRUE(frame.Set());
  const std::string source = Source("a.txt", "new");
  ASSERT_TRUE(PutFile(Target() + "a.txt", "old"));
  MainWindow w = Start("\"" + source + "\"");
  ASSERT_TRUE(w.Found());

  // The platform's frame is larger than the classic one of 8 x 27 ...
  const RECT outer = WindowBounds(w.form);
  const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  const SIZE client = ClientSize(w.form);
  ASSERT_GT(size.cy - client.cy, 27) << "the taller caption did not take";
  // ... and goes around the client area the controls were laid out in,
  // centred on the screen at the size it has.
  EXPECT_EQ(client.cx, 378);
  EXPECT_EQ(client.cy, 279);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2);
  const RECT inside = ClientOnScreen(w.form);
  for (HWND button : {w.ok, w.close}) {
    const RECT r = WindowBounds(button);
    EXPECT_TRUE(Inside(r, inside)) << Text(button) << " at (" << r.left << ", " << r.top << ", "
                                   << r.right << ", " << r.bottom << "), the client area ("
                                   << inside.left << ", " << inside.top << ", " << inside.right
                                   << ", " << inside.bottom << ")";
    EXPECT_TRUE(Reachable(button)) << Text(button);
  }

  // OK with a same-named file at the destination: the question keeps its
  // client area and comes up centred over the main window as it now is.
  std::string folder = Target();
  folder.pop_back();
  SetText(w.edit, folder);
  const SIZE ok = ClientSize(w.ok);
  Click(w.ok, ok.cx / 2, ok.cy / 2);
  HWND q = WaitTopWindow(Program().Id(), "TForm2");
  ASSERT_NE(q, nullptr) << "no question";
  EXPECT_EQ(ClientSize(q).cx, 235);
  EXPECT_EQ(ClientSize(q).cy, 128);
  const RECT dialog = WindowBounds(q);
  EXPECT_EQ(dialog.left, outer.left + size.cx / 2 - (dialog.right - dialog.left) / 2);
  EXPECT_EQ(dialog.top, outer.top + size.cy / 2 - (dialog.bottom - dialog.top) / 2);
  HWND yes = Child(q, "TCuteButton", 0);
  ASSERT_NE(yes, nullptr);
  ASSERT_TRUE(Reachable(yes));
  Click(yes, 10, 10);
  ASSERT_TRUE(Program().WaitExit(15000)) << "the move did not end the program";
  EXPECT_EQ(Program().ExitCode(), 0u);
  EXPECT_EQ(FileBytes(Target() + "a.txt"), "new");
}

// A new Wine 10 prefix: a 26-pixel caption. Windows 10 and 11: a 23-pixel
// caption and 4 pixels of padding in the sizing border.
INSTANTIATE_TEST_SUITE_P(
    Platforms, WindowFrameTest,
    ::testing::Values(Platform{"Wine10", {{"CaptionHeight", "-375"}}},
                      Platform{"Windows10", {{"CaptionHeight", "-330"}, {"PaddedBorderWidth", "-60"}}}),
    [](const ::testing::TestParamInfo<Platform>& i) { return std::string(i.param.name); });

// Run by ctest after the test above whatever became of it.
TEST(WindowFrameReset, PutsTheMetricsBack) {
  ASSERT_TRUE(PutMetricsBack());
  for (const char* name : kNames) {
    std::string kept;
    EXPECT_FALSE(ReadValue(kKept, name, &kept)) << name << " is still kept aside";
  }
}
