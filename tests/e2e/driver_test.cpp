// The end-to-end driver against the framework's sample window: every way the
// program tests read and work a window from outside, checked on a window
// whose contents are known.
#include <gtest/gtest.h>

#include "driver.h"
#include "e2e_support.h"

using namespace orlo::e2e;

namespace {

const unsigned kBlack = 0x000000;

class DriverTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_FALSE(ProgramUnderTest().empty()) << "no --program= given"; }

  // Starts the sample and waits for its window.
  HWND StartSample(Process& p, const std::string& args = "") {
    p = Process(ProgramUnderTest(), args, "");
    EXPECT_TRUE(p.Started()) << ProgramUnderTest();
    if (!p.Started()) return nullptr;
    return WaitTopWindow(p.Id(), "TSampleForm");
  }
};

TEST_F(DriverTest, ReadsAndWritesTextsListsAndChecks) {
  Process p;
  HWND form = StartSample(p);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(Text(form), "orlosend framework sample");

  HWND edit = Child(form, "TEdit");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(Text(edit), "C:\\Tools");
  // Japanese text crosses the process boundary in both directions.
  SetText(edit, "移動先フォルダ\\表");
  EXPECT_EQ(Text(edit), "移動先フォルダ\\表");

  HWND memo = Child(form, "TMemo");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(Lines(memo), (std::vector<std::string>{"a.txt", "b.txt", "上書きしますか？"}));

  HWND list = Child(form, "TListBox");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListItems(list), (std::vector<std::string>{"C:\\Tools", "D:\\Work", "C:\\...\\Desktop"}));
  EXPECT_EQ(ListIndex(list), -1);

  HWND group = Child(form, "TRadioGroup");
  ASSERT_NE(group, nullptr);
  auto buttons = Children(group, "");
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(Text(buttons[0]), "Move");
  EXPECT_FALSE(Checked(buttons[0]));
  EXPECT_TRUE(Checked(buttons[1]));
  EXPECT_TRUE(Enabled(group));
  EXPECT_TRUE(Visible(group));

  // Controls are listed in creation order.
  auto all = Children(form, "");
  ASSERT_GE(all.size(), 5u);
  EXPECT_EQ(ClassOf(all[0]), "TEdit");
  EXPECT_EQ(ClassOf(all.back()), "TButton");
}

TEST_F(DriverTest, ClicksKeysAndCloseReachTheProgram) {
  Process p;
  HWND form = StartSample(p);
  ASSERT_NE(form, nullptr);
  HWND list = Child(form, "TListBox");
  HWND edit = Child(form, "TEdit");
  ASSERT_NE(list, nullptr);
  ASSERT_NE(edit, nullptr);

  // A click on the second item selects it, and the handler copies it.
  const int itemHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  Click(list, 10, itemHeight + itemHeight / 2);
  EXPECT_TRUE(WaitUntil([&] { return Text(edit) == "D:\\Work"; }));
  EXPECT_EQ(ListIndex(list), 1);

  // The arrow key moves the selection of the focused list box.
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(form) == list; }));
  Key(list, VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return Text(edit) == "C:\\...\\Desktop"; }));

  // The close request ends the program.
  Close(form);
  EXPECT_TRUE(p.WaitExit(10000));
  EXPECT_EQ(p.ExitCode(), 0u);
}

TEST_F(DriverTest, FindsTextOnTheScreenExactly) {
  Process p;
  HWND form = StartSample(p);
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !Shot::Of(form).Empty(); }));
  TextFont font;  // the window font: ＭＳ Ｐゴシック −12
  Shot shot = Shot::Of(form);
  // The label at (8, 8), drawn in the window-text colour.
  RECT labelRect{8, 8, 208, 25};
  std::string why;
  bool shown = WaitUntil([&] {
    shot = Shot::Of(form);
    return ShowsText(shot, labelRect, "ラベル: 移動先フォルダ", DT_LEFT | DT_EXPANDTABS, font, kBlack,
                     &why);
  });
  EXPECT_TRUE(shown) << why;
  POINT at{};
  EXPECT_TRUE(FindText(shot, "ラベル: 移動先フォルダ", DT_LEFT, font, kBlack, &at));
  EXPECT_EQ(at.x, 8);
  EXPECT_EQ(at.y, 8);
  // A text that differs in one character is not seen there, nor anywhere.
  EXPECT_FALSE(ShowsText(shot, labelRect, "ラベル: 移動元フォルダ", DT_LEFT, font, kBlack));
  EXPECT_FALSE(FindText(shot, "ラベル: 移動元フォルダ", DT_LEFT, font, kBlack));
  // The same text in bold is not the same ink.
  TextFont bold = font;
  bold.weight = FW_BOLD;
  EXPECT_FALSE(FindText(shot, "ラベル: 移動先フォルダ", DT_LEFT, bold, kBlack));
}

TEST_F(DriverTest, AnswersThePlainMessageWindow) {
  Process p;
  StartSample(p, "--message \"ｺﾋﾟｰに失敗しました\"");
  ASSERT_TRUE(p.Started());
  HWND box = WaitTopWindow(p.Id(), "TMessageForm");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Text(box), "orlosend sample");
  Shot shot;
  EXPECT_TRUE(WaitUntil([&] {
    shot = Shot::Of(box);
    return FindText(shot, "ｺﾋﾟｰに失敗しました", DT_LEFT | DT_WORDBREAK, TextFont{}, kBlack);
  }));
  HWND ok = Child(box, "TButton");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(Text(ok), "OK");
  Click(ok, 5, 5);
  EXPECT_TRUE(WaitNoTopWindow(p.Id(), "TMessageForm"));
  HWND form = WaitTopWindow(p.Id(), "TSampleForm");
  ASSERT_NE(form, nullptr);
  Close(form);
  EXPECT_TRUE(p.WaitExit(10000));
}

}  // namespace
