// The real program on screens of 120, 144 and 192 pixels per inch: each
// window grows with its controls and stays usable. The density is Wine's
// HKEY_CURRENT_USER\Control Panel\Desktop "LogPixels", read by a program when
// it starts; it is the whole prefix's, so ctest runs this alone and a
// clean-up entry puts 96 back even after a crash.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"
#include "program_fixture.h"

using namespace orlo::e2e;

namespace {

bool SetLogPixels(DWORD dpi) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const bool ok = RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                                 sizeof dpi) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

DWORD LogPixels() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", RRF_RT_REG_DWORD,
                   nullptr, &value, &size) != ERROR_SUCCESS)
    return 0;
  return value;
}

// Sets the density for the programs started meanwhile; 96 again afterwards,
// also when an assertion ends the test early.
class ScreenDensity {
public:
  explicit ScreenDensity(DWORD dpi) { set_ = SetLogPixels(dpi); }
  ~ScreenDensity() { SetLogPixels(96); }
  ScreenDensity(const ScreenDensity&) = delete;
  ScreenDensity& operator=(const ScreenDensity&) = delete;
  bool Set() const { return set_; }

private:
  bool set_ = false;
};

// The height of "0" in the window font as a program at dpi makes it: the
// descriptions' −12 at 96 pixels per inch, converted to that density.
int TextHeightAt(int dpi) {
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontA(-MulDiv(12, dpi, 96), 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0,
                           0, 0, "ＭＳ Ｐゴシック");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE s{};
  GetTextExtentPoint32A(dc, "0", 1, &s);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return s.cy;
}

// Every child window of w (and theirs) lies inside its parent's client area.
void ExpectChildrenInside(HWND w, const std::string& where) {
  const RECT client = ClientOnScreen(w);
  for (HWND c : Children(w, "")) {
    const RECT r = WindowBounds(c);
    EXPECT_TRUE(Inside(r, client)) << where << ": " << ClassOf(c) << " \"" << Text(c) << "\" at ("
                                   << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom
                                   << ") outside the client area (" << client.left << ", "
                                   << client.top << ", " << client.right << ", " << client.bottom
                                   << ")";
    ExpectChildrenInside(c, where);
  }
}

// The window's child windows, relative to its client area's origin.
std::vector<RECT> ChildPlaces(HWND w) {
  const POINT o = ClientOrigin(w);
  std::vector<RECT> places;
  for (HWND c : Children(w, "")) {
    const RECT r = WindowBounds(c);
    places.push_back(RECT{r.left - o.x, r.top - o.y, r.right - o.x, r.bottom - o.y});
  }
  return places;
}

// A person can reach the button: the window under its centre is the button.
bool Reachable(HWND button) {
  const RECT r = WindowBounds(button);
  return WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}) == button;
}

void ClickCentre(HWND button) {
  const SIZE s = ClientSize(button);
  Click(button, s.cx / 2, s.cy / 2);
}

class ScreenDensityTest : public ProgramTest, public ::testing::WithParamInterface<int> {};

}  // namespace

TEST_P(ScreenDensityTest, EachWindowGrowsWithItsControlsAndOkAndCloseWork) {
  const int dpi = GetParam();
  const int t = TextHeightAt(dpi);
  ASSERT_GT(t, 12) << "the window font does not grow at " << dpi;
  auto scaled = [t](int v) { return MulDiv(v, t, 12); };

  // The main window at 96 pixels per inch, as the description lays it out.
  MainWindow w = Start();
  ASSERT_TRUE(w.Found());
  const SIZE client96 = ClientSize(w.form);
  const std::vector<RECT> places96 = ChildPlaces(w.form);
  ASSERT_TRUE(CloseAndWait(w));

  // CLOSE: the main window and each of its controls grown by the text
  // height, left, top, right and bottom edges alike (a cute button's
  // default height of 25 too); inside its client area what was inside at
  // 96, every group's buttons inside the group.
  ScreenDensity density(dpi);
  ASSERT_TRUE(density.Set());
  w = Start();
  ASSERT_TRUE(w.Found());
  EXPECT_EQ(ClientSize(w.form).cx, scaled(client96.cx));
  EXPECT_EQ(ClientSize(w.form).cy, scaled(client96.cy));
  const std::vector<RECT> places = ChildPlaces(w.form);
  ASSERT_EQ(places.size(), places96.size());
  const RECT inside96{0, 0, client96.cx, client96.cy};
  const RECT inside{0, 0, ClientSize(w.form).cx, ClientSize(w.form).cy};
  for (size_t i = 0; i < places.size(); ++i) {
    const RECT& a = places96[i];
    const RECT& b = places[i];
    EXPECT_TRUE(b.left == scaled(a.left) && b.top == scaled(a.top) && b.right == scaled(a.right) &&
                b.bottom == scaled(a.bottom))
        << "control " << i << " at (" << b.left << ", " << b.top << ", " << b.right << ", "
        << b.bottom << "), at 96 (" << a.left << ", " << a.top << ", " << a.right << ", "
        << a.bottom << ")";
    if (Inside(a, inside96)) {
      EXPECT_TRUE(Inside(b, inside)) << "control " << i;
    }
  }
  for (HWND c : Children(w.form, "")) ExpectChildrenInside(c, "main window");
  // The favourites' rows grow with their font: 12 at 96.
  EXPECT_EQ(SendMessageA(w.list, LB_GETITEMHEIGHT, 0, 0), scaled(12));
  ASSERT_TRUE(Reachable(w.close));
  ClickCentre(w.close);
  ASSERT_TRUE(Program().WaitExit(10000)) << "CLOSE did not end the program";
  EXPECT_EQ(Program().ExitCode(), 0u);

  // OK with a same-named file at the destination: the question, grown the
  // same way, answered YES; the file is moved and the program ends.
  const std::string source = Source("a.txt", "new");
  ASSERT_TRUE(PutFile(Target() + "a.txt", "old"));
  w = Start("\"" + source + "\"");
  ASSERT_TRUE(w.Found());
  std::string folder = Target();
  folder.pop_back();
  SetText(w.edit, folder);
  ASSERT_TRUE(Reachable(w.ok));
  ClickCentre(w.ok);
  HWND q = WaitTopWindow(Program().Id(), "TForm2");
  ASSERT_NE(q, nullptr) << "no question";
  EXPECT_EQ(ClientSize(q).cx, scaled(235));
  EXPECT_EQ(ClientSize(q).cy, scaled(128));
  ExpectChildrenInside(q, "question");
  TextFont font = kWindowFont;
  font.height = -MulDiv(12, dpi, 96);
  EXPECT_TRUE(WaitUntil([&] { return FindText(Shot::Of(q), "上書きしますか？", DT_LEFT, font, 0); }))
      << "the question's last line is not shown in the grown font";
  HWND yes = Child(q, "TCuteButton", 0);
  ASSERT_NE(yes, nullptr);
  EXPECT_EQ(ClientSize(yes).cy, scaled(87 + 25) - scaled(87));
  ASSERT_TRUE(Reachable(yes));
  ClickCentre(yes);
  ASSERT_TRUE(Program().WaitExit(15000)) << "the move did not end the program";
  EXPECT_EQ(Program().ExitCode(), 0u);
  EXPECT_EQ(FileBytes(Target() + "a.txt"), "new");
  EXPECT_FALSE(Exists(source));
}

INSTANTIATE_TEST_SUITE_P(Densities, ScreenDensityTest, ::testing::Values(120, 144, 192),
                         [](const ::testing::TestParamInfo<int>& i) {
                           return std::to_string(i.param) + "ppi";
                         });

// Run by ctest after the test above whatever became of it.
TEST(ScreenDensityReset, PutsNinetySixBack) {
  ASSERT_TRUE(SetLogPixels(96));
  EXPECT_EQ(LogPixels(), 96u);
}
