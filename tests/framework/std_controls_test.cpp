#include <gtest/gtest.h>

#include <string>

#include "application.h"
#include "description_reader.h"
#include "forms.h"
#include "reader_stream_builder.h"
#include "std_controls.h"

using namespace orlo;
using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

namespace {

TColor Sys(int index) { return static_cast<TColor>(GetSysColor(index)); }

std::string WindowText(HWND h) {
  char buf[512] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

// Counts events of the controls under test.
struct Counter : TObject {
  int clicks = 0, doubleClicks = 0, changes = 0;
  void Click(TObject*) { ++clicks; }
  void DoubleClick(TObject*) { ++doubleClicks; }
  void Change(TObject*) { ++changes; }
};

class StdControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 400, 300);
  }
  void TearDown() override { form->Free(); }

  template <class T>
  T* Add(int left, int top, int width, int height) {
    T* c = new T(form);
    c->SetParent(form);
    c->SetBounds(left, top, width, height);
    return c;
  }
  void ShowForm() {
    form->Show();
    Application->ProcessMessages();
  }
  // A key as the message loop delivers it: through the application's key
  // routing, then to the window.
  void PressKey(TWinControl* c, WORD key) {
    PostMessageA(c->Handle(), WM_KEYDOWN, key, 1);
    PostMessageA(c->Handle(), WM_KEYUP, key, 0xC0000001);
    Application->ProcessMessages();
  }

  TForm* form = nullptr;
  Counter counter;
};

}  // namespace

TEST(Accelerators, FirstAmpersandMarksTheKey) {
  EXPECT_TRUE(IsAccel('Y', "&YES"));
  EXPECT_TRUE(IsAccel('y', "&YES"));
  EXPECT_TRUE(IsAccel('N', "&no"));
  EXPECT_FALSE(IsAccel('E', "&YES"));
  EXPECT_FALSE(IsAccel('Y', "YES"));
  EXPECT_FALSE(IsAccel('Y', "YES&"));
  EXPECT_FALSE(IsAccel('S', "Save && &Send"));  // the first "&" decides
  EXPECT_TRUE(IsAccel('&', "Save && &Send"));
}

TEST_F(StdControlsTest, EditTextBeforeAndAfterItsWindow) {
  auto* edit = Add<TEdit>(10, 10, 200, 21);
  edit->OnChange = TNotifyEvent(&counter, &Counter::Change);
  edit->SetText("C:\\Tools");
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_EQ(edit->Text(), "C:\\Tools");

  edit->SetMaxLength(12);
  edit->SetReadOnly(true);
  HWND h = edit->Handle();
  EXPECT_EQ(WindowText(h), "C:\\Tools");
  EXPECT_EQ(SendMessageA(h, EM_GETLIMITTEXT, 0, 0), 12);
  EXPECT_TRUE(GetWindowLongPtrA(h, GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(counter.changes, 0);

  edit->SetText("D:\\Work");
  EXPECT_EQ(WindowText(h), "D:\\Work");
  EXPECT_EQ(edit->Text(), "D:\\Work");
  EXPECT_EQ(counter.changes, 1);  // the platform's EN_CHANGE

  // Typing: refused while read-only, limited by MaxLength.
  SendMessageA(h, WM_CHAR, 'x', 1);
  EXPECT_EQ(edit->Text(), "D:\\Work");
  edit->SetReadOnly(false);
  EXPECT_FALSE(GetWindowLongPtrA(h, GWL_STYLE) & ES_READONLY);
  SendMessageA(h, EM_SETSEL, 7, 7);
  for (char ch : std::string("\\abcdefg")) SendMessageA(h, WM_CHAR, static_cast<BYTE>(ch), 1);
  EXPECT_EQ(edit->Text(), "D:\\Work\\abcd");
  EXPECT_GE(counter.changes, 1 + 5);  // the platform may also report refused characters

  // A new window keeps the text and the limit.
  edit->RecreateWnd();
  EXPECT_NE(edit->Handle(), nullptr);
  EXPECT_EQ(WindowText(edit->Handle()), "D:\\Work\\abcd");
  EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 12);
}

TEST_F(StdControlsTest, MemoLinesRoundTripWithCrLf) {
  auto* memo = Add<TMemo>(10, 10, 200, 100);
  TStrings* lines = memo->Lines();
  lines->Add("a.txt");
  lines->Add("b.txt");
  EXPECT_EQ(memo->Text(), "a.txt\r\nb.txt\r\n");
  EXPECT_EQ(lines->Count(), 2);

  HWND h = memo->Handle();
  EXPECT_EQ(WindowText(h), "a.txt\r\nb.txt\r\n");
  EXPECT_EQ(lines->Count(), 2);
  EXPECT_EQ(lines->Strings(1), "b.txt");

  lines->Insert(1, "middle");
  lines->Add("last");
  EXPECT_EQ(WindowText(h), "a.txt\r\nmiddle\r\nb.txt\r\nlast\r\n");
  lines->Delete(0);
  lines->SetStrings(1, "B.TXT");
  EXPECT_EQ(lines->Text(), "middle\r\nB.TXT\r\nlast\r\n");
  EXPECT_THROW(lines->Strings(3), EStringListError);
  EXPECT_THROW(lines->Delete(-1), EStringListError);

  // Text typed or set in any line-end form reads back as lines.
  memo->SetText("one\ntwo\rthree");
  EXPECT_EQ(lines->Count(), 3);
  EXPECT_EQ(lines->Strings(2), "three");
  lines->Add("four");  // the open last line is closed first
  EXPECT_EQ(lines->Strings(2), "three");
  EXPECT_EQ(lines->Strings(3), "four");

  TStringList other;
  other.Add("x");
  other.Add("");
  other.Add("z");
  lines->Assign(&other);
  EXPECT_EQ(WindowText(h), "x\r\n\r\nz\r\n");
  lines->Clear();
  EXPECT_EQ(lines->Count(), 0);
  EXPECT_EQ(WindowText(h), "");
}

TEST_F(StdControlsTest, MemoStyleFollowsScrollBarsAndWordWrap) {
  auto* memo = Add<TMemo>(10, 10, 200, 100);
  memo->Lines()->Add("kept across windows");
  LONG_PTR style = GetWindowLongPtrA(memo->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_FALSE(style & ES_AUTOHSCROLL);  // word wrap is on for a new memo
  EXPECT_FALSE(style & (WS_VSCROLL | WS_HSCROLL));

  memo->SetWordWrap(false);
  memo->SetScrollBars(ssVertical);
  style = GetWindowLongPtrA(memo->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & ES_AUTOHSCROLL);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_FALSE(style & WS_HSCROLL);
  memo->SetScrollBars(ssBoth);
  style = GetWindowLongPtrA(memo->Handle(), GWL_STYLE);
  EXPECT_TRUE((style & (WS_VSCROLL | WS_HSCROLL)) == (WS_VSCROLL | WS_HSCROLL));
  EXPECT_EQ(memo->Lines()->Text(), "kept across windows\r\n");
}

TEST_F(StdControlsTest, ListBoxKeepsItemsAndIndexWithoutAWindow) {
  auto* box = Add<TListBox>(10, 10, 120, 100);
  box->Items()->Add("C:\\Tools");
  box->Items()->Add("D:\\Work");
  box->Items()->Add("E:\\");
  box->SetItemIndex(1);
  box->SetItemHeight(12);
  EXPECT_EQ(box->ItemIndex(), 1);
  EXPECT_EQ(box->Items()->Strings(2), "E:\\");

  HWND h = box->Handle();
  EXPECT_EQ(SendMessageA(h, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(h, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageA(h, LB_GETITEMHEIGHT, 0, 0), 12);
  EXPECT_EQ(box->ItemHeight(), 12);
  EXPECT_EQ(box->Items()->Strings(0), "C:\\Tools");
  EXPECT_THROW(box->Items()->Strings(3), EStringListError);

  // Replacing an entry keeps the selection; a new window keeps everything.
  box->Items()->SetStrings(1, "D:\\Other");
  EXPECT_EQ(box->ItemIndex(), 1);
  box->Items()->Insert(0, "A:\\");
  box->Items()->Delete(3);
  box->RecreateWnd();
  ASSERT_TRUE(box->HandleAllocated());
  EXPECT_EQ(box->Items()->Text(), "A:\\\r\nC:\\Tools\r\nD:\\Other\r\n");
  EXPECT_EQ(box->ItemIndex(), 2);

  // A sorted list sorts what it is given, with or without its window.
  box->SetSorted(true);
  box->Items()->Add("B:\\");
  EXPECT_EQ(box->Items()->Strings(1), "B:\\");
  auto* kept = Add<TListBox>(10, 120, 120, 100);
  kept->SetSorted(true);
  kept->Items()->Add("b");
  kept->Items()->Add("A");
  kept->Items()->Add("c");
  EXPECT_EQ(kept->Items()->Text(), "A\r\nb\r\nc\r\n");
  kept->HandleNeeded();
  EXPECT_EQ(kept->Items()->Text(), "A\r\nb\r\nc\r\n");
  kept->Items()->Clear();
  EXPECT_EQ(SendMessageA(kept->Handle(), LB_GETCOUNT, 0, 0), 0);
}

TEST_F(StdControlsTest, ListBoxClickFollowsTheUsersSelectionOnly) {
  auto* box = Add<TListBox>(10, 10, 120, 100);
  for (const char* s : {"one", "two", "three"}) box->Items()->Add(s);
  box->OnClick = TNotifyEvent(&counter, &Counter::Click);
  box->OnDblClick = TNotifyEvent(&counter, &Counter::DoubleClick);
  ShowForm();
  box->SetItemIndex(0);
  EXPECT_EQ(counter.clicks, 0);  // setting it in code is not a click
  box->SetFocus();
  ASSERT_EQ(GetFocus(), box->Handle());

  // Keys, through the message loop's routing and sent straight.
  PressKey(box, VK_DOWN);
  EXPECT_EQ(box->ItemIndex(), 1);
  EXPECT_EQ(counter.clicks, 1);
  SendMessageA(box->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_EQ(counter.clicks, 2);

  // A double click on the first item: one click for its first half, then
  // only the double click.
  RECT r{};
  SendMessageA(box->Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
  SendMessageA(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(box->Handle(), WM_LBUTTONUP, 0, at);
  SendMessageA(box->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(box->Handle(), WM_LBUTTONUP, 0, at);
  Application->ProcessMessages();
  EXPECT_EQ(box->ItemIndex(), 0);
  EXPECT_EQ(counter.clicks, 3);
  EXPECT_EQ(counter.doubleClicks, 1);
}

TEST_F(StdControlsTest, ButtonsAnswerEnterAndEscapeThroughTheForm) {
  auto* edit = Add<TEdit>(10, 10, 100, 21);
  auto* ok = Add<TButton>(10, 40, 75, 25);
  auto* cancel = Add<TButton>(90, 40, 75, 25);
  auto* other = Add<TButton>(170, 40, 75, 25);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  ok->OnClick = TNotifyEvent(&counter, &Counter::Click);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  Counter otherClicks;
  other->OnClick = TNotifyEvent(&otherClicks, &Counter::Click);
  ShowForm();
  EXPECT_EQ(GetWindowLongPtrA(ok->Handle(), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongPtrA(other->Handle(), GWL_STYLE) & 0x0F, BS_PUSHBUTTON);

  edit->SetFocus();
  ASSERT_EQ(GetFocus(), edit->Handle());
  PressKey(edit, VK_RETURN);
  EXPECT_EQ(counter.clicks, 1);
  EXPECT_EQ(form->ModalResult(), mrOk);
  PressKey(edit, VK_ESCAPE);
  EXPECT_EQ(form->ModalResult(), mrCancel);
  EXPECT_EQ(counter.clicks, 1);

  // A focused push button takes Enter itself; the default one stands back.
  form->SetModalResult(mrNone);
  other->SetFocus();
  PressKey(other, VK_RETURN);
  EXPECT_EQ(otherClicks.clicks, 1);
  EXPECT_EQ(counter.clicks, 1);
  EXPECT_EQ(form->ModalResult(), mrNone);  // a zero ModalResult leaves the form's

  // Without a default button nothing answers Enter.
  ok->SetDefault(false);
  EXPECT_EQ(GetWindowLongPtrA(ok->Handle(), GWL_STYLE) & 0x0F, BS_PUSHBUTTON);
  edit->SetFocus();
  PressKey(edit, VK_RETURN);
  EXPECT_EQ(counter.clicks, 1);

  // The platform's own click notification.
  SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(counter.clicks, 2);
  EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(StdControlsTest, RadioButtonsCheckOneAtATime) {
  auto* a = Add<TRadioButton>(10, 10, 100, 17);
  auto* b = Add<TRadioButton>(10, 30, 100, 17);
  a->SetCaption("a");
  b->SetCaption("b");
  b->OnClick = TNotifyEvent(&counter, &Counter::Click);
  a->SetChecked(true);
  EXPECT_TRUE(a->TabStop());
  EXPECT_FALSE(b->TabStop());
  ShowForm();
  EXPECT_EQ(SendMessageA(a->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

  SendMessageA(b->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_EQ(SendMessageA(b->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(a->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(counter.clicks, 1);
  // Clicking the checked one again changes nothing.
  SendMessageA(b->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(counter.clicks, 1);
}

TEST_F(StdControlsTest, GroupBoxFramePixels) {
  auto* box = Add<TGroupBox>(0, 0, 120, 60);
  box->SetColor(clYellow);
  box->SetCaption("Group");
  TScreenCanvas screen;
  screen.SetFont(box->Font());
  const int h = screen.TextHeight("0");
  const int captionRight = 8 + screen.TextWidth("Group");
  const int top = h / 2 - 1;  // the shadow's top row; the light one lies under it

  TMemoryCanvas c(120, 60);
  c.Clear(clLime);
  box->Perform(WM_PAINT, reinterpret_cast<WPARAM>(c.Handle()));
  const TColor shadow = Sys(COLOR_BTNSHADOW), light = Sys(COLOR_BTNHIGHLIGHT);
  const int midY = (top + 60) / 2;
  EXPECT_EQ(c.At(0, midY), shadow);
  EXPECT_EQ(c.At(1, midY), light);
  EXPECT_EQ(c.At(118, midY), shadow);
  EXPECT_EQ(c.At(119, midY), light);
  EXPECT_EQ(c.At(60, 58), shadow);
  EXPECT_EQ(c.At(60, 59), light);
  EXPECT_EQ(c.At(100, top), shadow);
  EXPECT_EQ(c.At(100, top + 1), light);
  EXPECT_EQ(c.At(3, top), shadow);
  EXPECT_EQ(c.At(60, midY), clLime);  // the inside is not painted
  EXPECT_EQ(c.At(60, top - 1), clLime);

  // The caption at (8, 0) covers the frame with the group's colour.
  int yellow = 0, frame = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 8; x < captionRight; ++x) {
      if (c.At(x, y) == clYellow) ++yellow;
      if (c.At(x, y) == shadow || c.At(x, y) == light) ++frame;
    }
  EXPECT_GT(yellow, 0);
  EXPECT_EQ(frame, 0);
  EXPECT_EQ(c.At(captionRight + 1, top), shadow);

  // Disabled: the caption in the gray-text colour.
  box->Font()->SetColor(clBlue);
  c.Clear(clLime);
  box->Perform(WM_PAINT, reinterpret_cast<WPARAM>(c.Handle()));
  int blue = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 8; x < captionRight; ++x) blue += c.At(x, y) == clBlue;
  EXPECT_GT(blue, 0);
  box->SetEnabled(false);
  c.Clear(clLime);
  box->Perform(WM_PAINT, reinterpret_cast<WPARAM>(c.Handle()));
  int gray = 0;
  blue = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 8; x < captionRight; ++x) {
      gray += c.At(x, y) == Sys(COLOR_GRAYTEXT);
      blue += c.At(x, y) == clBlue;
    }
  EXPECT_GT(gray, 0);
  EXPECT_EQ(blue, 0);

  // Without the 3D look: one frame in the window-frame colour.
  box->SetCtl3D(false);
  c.Clear(clLime);
  box->Perform(WM_PAINT, reinterpret_cast<WPARAM>(c.Handle()));
  EXPECT_EQ(c.At(0, midY), Sys(COLOR_WINDOWFRAME));
  EXPECT_EQ(c.At(119, midY), Sys(COLOR_WINDOWFRAME));
  EXPECT_EQ(c.At(1, midY), clLime);
}

TEST_F(StdControlsTest, DescriptionsSetTheStandardControls) {
  TDescriptionBuilder b;
  b.Signature().Record("TForm", "Form1").End();
  b.Record("TListBox", "ListBox1")
      .Prop("Left").Int(240).Prop("Top").Int(93).Prop("Width").Int(129).Prop("Height").Int(124)
      .Prop("Color").Int(0x00FFEEF0).Prop("ImeName").Str("IME")
      .Prop("ItemHeight").Int(12).Prop("TabOrder").Int(1)
      .Prop("Items.Strings").List().Str("C:\\Tools").Str("D:\\Work").End()
      .End().End();
  b.Record("TEdit", "Edit1")
      .Prop("Color").Int(0x00FFEEF0).Prop("ImeName").Str("IME").Prop("Text").Str("C:\\Tools")
      .Prop("TabOrder").Int(0)
      .End().End();
  b.Record("TMemo", "Memo1")
      .Prop("ReadOnly").True().Prop("ScrollBars").Ident("ssVertical").Prop("WordWrap").False()
      .Prop("Lines.Strings").List().Str("a.txt").Str("b.txt").End()
      .End().End();
  b.Record("TButton", "Button2")
      .Prop("Caption").Str("...").Prop("Default").True().Prop("ModalResult").Int(1)
      .End().End();
  b.End();
  auto stream = MakeStream(b.Bytes());
  form->ReadDescription(*stream);

  auto* box = Cast<TListBox>(form->FindComponent("ListBox1"));
  auto* edit = Cast<TEdit>(form->FindComponent("Edit1"));
  auto* memo = Cast<TMemo>(form->FindComponent("Memo1"));
  auto* button = Cast<TButton>(form->FindComponent("Button2"));
  ASSERT_TRUE(box && edit && memo && button);
  EXPECT_EQ(box->Color(), 0x00FFEEF0);
  EXPECT_EQ(box->ImeName(), "IME");
  EXPECT_EQ(box->ItemHeight(), 12);
  EXPECT_EQ(box->Items()->Text(), "C:\\Tools\r\nD:\\Work\r\n");
  EXPECT_EQ(box->TabOrder(), 1);
  EXPECT_EQ(edit->Text(), "C:\\Tools");
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_TRUE(memo->ReadOnly());
  EXPECT_EQ(memo->ScrollBars(), ssVertical);
  EXPECT_FALSE(memo->WordWrap());
  EXPECT_TRUE(button->Default());
  EXPECT_EQ(button->ModalResult(), 1);

  // The list box paints on its own colour.
  ShowForm();
  HDC dc = GetDC(box->Handle());
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessageA(form->Handle(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(box->Handle())));
  EXPECT_EQ(GetBkColor(dc), 0x00FFEEF0u);
  ReleaseDC(box->Handle(), dc);
  LOGBRUSH lb{};
  ASSERT_TRUE(GetObjectA(brush, sizeof lb, &lb));
  EXPECT_EQ(lb.lbColor, 0x00FFEEF0u);
}

// A click handler may destroy the form its button is on (the platform's
// button clicks inside its own handling of the release): the rest of the
// release must not touch the freed button.
TEST(ButtonClick, AHandlerMayFreeTheButtonsForm) {
  struct Freer : TObject {
    TForm* form = nullptr;
    int clicks = 0;
    void Click(TObject*) {
      ++clicks;
      form->Free();
      form = nullptr;
    }
  } freer;
  freer.form = new TForm(nullptr);
  freer.form->SetBounds(50, 50, 200, 120);
  TButton* button = new TButton(freer.form);
  button->SetParent(freer.form);
  button->SetBounds(10, 10, 80, 25);
  button->OnClick = TNotifyEvent(&freer, &Freer::Click);
  freer.form->Show();
  HWND h = button->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(freer.clicks, 1);
  EXPECT_EQ(freer.form, nullptr);
  EXPECT_FALSE(IsWindow(h));
}
