#include <gtest/gtest.h>

#include <string>

#include "pixel_helpers.h"
#include "application.h"
#include "description_reader.h"
#include "forms.h"
#include "reader_stream_builder.h"
#include "std_controls.h"

using namespace orlo;
using orlo::testing_support::CountColor;
using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

namespace {

TColor Sys(int index) { return static_cast<TColor>(GetSysColor(index)); }

// Text extents as the platform's plain text measuring gives them.
TSize Extent(TFont* font, const std::string& text) {
  TScreenCanvas c;
  c.SetFont(font);
  return c.TextExtent(text);
}


class LabelTest : public ::testing::Test {
protected:
  void SetUp() override { form = new TForm(nullptr); }
  void TearDown() override { form->Free(); }

  TLabel* NewLabel(int left, int top) {
    auto* l = new TLabel(form);
    l->SetParent(form);
    l->SetBounds(left, top, l->Width(), l->Height());
    return l;
  }
  // Paints the form's windowless children into the canvas, as its paint
  // handler does on the screen.
  void PaintForm(TMemoryCanvas& c) { form->Perform(WM_PAINT, reinterpret_cast<WPARAM>(c.Handle())); }

  TForm* form = nullptr;
};

}  // namespace

TEST_F(LabelTest, NewLabelDefaults) {
  TLabel l(nullptr);
  EXPECT_EQ(l.Width(), 65);
  EXPECT_EQ(l.Height(), 17);
  EXPECT_TRUE(l.AutoSize());
  EXPECT_TRUE(l.ShowAccelChar());
  EXPECT_FALSE(l.Transparent());
  EXPECT_TRUE(l.ControlStyle() & csOpaque);
  l.SetTransparent(true);
  EXPECT_FALSE(l.ControlStyle() & csOpaque);
  EXPECT_EQ(l.Alignment(), taLeftJustify);
  EXPECT_FALSE(l.WordWrap());
}

TEST_F(LabelTest, AutoSizeFollowsTextFontAndSwitches) {
  TLabel* l = NewLabel(20, 30);
  l->SetCaption("Hello world");
  TSize e = Extent(l->Font(), "Hello world");
  EXPECT_EQ(l->Width(), e.cx);
  EXPECT_EQ(l->Height(), e.cy);
  EXPECT_EQ(l->Left(), 20);
  EXPECT_EQ(l->Top(), 30);

  // A bigger font measures again.
  l->Font()->SetHeight(-24);
  TSize big = Extent(l->Font(), "Hello world");
  EXPECT_GT(big.cx, e.cx);
  EXPECT_EQ(l->Width(), big.cx);
  EXPECT_EQ(l->Height(), big.cy);

  // Without AutoSize the bounds stay; switching it back on fits at once.
  l->SetAutoSize(false);
  l->SetBounds(20, 30, 200, 50);
  l->SetCaption("Hi");
  EXPECT_EQ(l->Width(), 200);
  EXPECT_EQ(l->Height(), 50);
  l->SetAutoSize(true);
  EXPECT_EQ(l->Width(), Extent(l->Font(), "Hi").cx);
  EXPECT_EQ(l->Height(), big.cy);
}

TEST_F(LabelTest, AlignmentDecidesWhichEdgeStays) {
  TLabel* right = NewLabel(100, 0);
  right->SetAlignment(taRightJustify);
  right->SetCaption("abc");
  const int rightEdge = right->Left() + right->Width();
  right->SetCaption("abcdefghijkl");
  EXPECT_EQ(right->Width(), Extent(right->Font(), "abcdefghijkl").cx);
  EXPECT_EQ(right->Left() + right->Width(), rightEdge);
  right->SetCaption("a");
  EXPECT_EQ(right->Left() + right->Width(), rightEdge);

  TLabel* centred = NewLabel(100, 40);
  centred->SetAlignment(taCenter);
  centred->SetCaption("abc");
  centred->SetCaption("abcdefghijkl");
  EXPECT_EQ(centred->Left(), 100);
  EXPECT_EQ(centred->Width(), Extent(centred->Font(), "abcdefghijkl").cx);
}

TEST_F(LabelTest, EmptyAndAmpersandCaptionsMeasureOneBlank) {
  TLabel* l = NewLabel(0, 0);
  l->SetCaption("text");
  l->SetCaption("");
  TSize blank = Extent(l->Font(), " ");
  EXPECT_EQ(l->Width(), blank.cx);
  EXPECT_EQ(l->Height(), Extent(l->Font(), "0").cy);

  // A lone "&" is a prefix with nothing to underline: one blank too.
  l->SetCaption("&");
  EXPECT_EQ(l->Width(), blank.cx);
  // Shown as a character it takes its own width.
  l->SetShowAccelChar(false);
  l->SetCaption("A&&B");
  EXPECT_EQ(l->Width(), Extent(l->Font(), "A&&B").cx);
  l->SetShowAccelChar(true);
  l->SetCaption("A&&B ");
  l->SetCaption("A&&B");
  EXPECT_EQ(l->Width(), Extent(l->Font(), "A&B").cx);
}

TEST_F(LabelTest, WordWrapBreaksAtTheCurrentWidth) {
  TLabel* l = NewLabel(0, 0);
  const std::string text = "alpha beta gamma delta epsilon";
  const int line = Extent(l->Font(), "0").cy;
  l->SetAutoSize(false);
  l->SetBounds(0, 0, Extent(l->Font(), "alpha beta").cx + 2, 10);
  l->SetCaption(text);
  l->SetWordWrap(true);
  l->SetAutoSize(true);
  EXPECT_GE(l->Height(), 3 * line);
  EXPECT_LE(l->Width(), Extent(l->Font(), "alpha beta").cx + 2);
  // Back to one line.
  l->SetWordWrap(false);
  EXPECT_EQ(l->Height(), line);
  EXPECT_EQ(l->Width(), Extent(l->Font(), text).cx);
}

TEST_F(LabelTest, ReadingKeepsStoredBoundsUntilALaterChange) {
  TDescriptionBuilder b;
  b.Signature().Record("TForm", "Form1").End();
  b.Record("TLabel", "Label1")
      .Prop("Left").Int(8).Prop("Top").Int(48).Prop("Width").Int(47).Prop("Height").Int(12)
      .Prop("Caption").Str("Target : a much longer text than fits")
      .Prop("Font.Height").Int(-20)
      .End().End();
  b.Record("TLabel", "Label2")
      .Prop("Left").Int(8).Prop("Top").Int(24).Prop("Width").Int(217).Prop("Height").Int(12)
      .Prop("Alignment").Ident("taCenter").Prop("AutoSize").False()
      .Prop("Caption").Str("Label1")
      .End().End();
  b.End();
  auto stream = MakeStream(b.Bytes());
  form->ReadDescription(*stream);

  auto* l1 = Cast<TLabel>(form->FindComponent("Label1"));
  auto* l2 = Cast<TLabel>(form->FindComponent("Label2"));
  ASSERT_TRUE(l1 && l2);
  EXPECT_EQ(l1->BoundsRect(), TRect(8, 48, 8 + 47, 48 + 12));
  EXPECT_EQ(l2->BoundsRect(), TRect(8, 24, 8 + 217, 24 + 12));

  // After reading, a new text fits an auto-sized label and leaves the other.
  l1->SetCaption("To :");
  EXPECT_EQ(l1->Width(), Extent(l1->Font(), "To :").cx);
  EXPECT_EQ(l1->Height(), Extent(l1->Font(), "To :").cy);
  l2->SetCaption("a line of text that is set at run time");
  EXPECT_EQ(l2->BoundsRect(), TRect(8, 24, 8 + 217, 24 + 12));

  // The same marks set by hand: nothing moves until they are gone.
  auto* l3 = new TLabel(form);
  l3->SetState(csLoading | csReading);
  l3->SetParent(form);
  l3->SetBounds(1, 2, 30, 40);
  l3->SetCaption("something long enough");
  l3->ClearState(csReading);
  l3->Loaded();
  EXPECT_EQ(l3->BoundsRect(), TRect(1, 2, 31, 42));
  l3->SetCaption("x");
  EXPECT_EQ(l3->Width(), Extent(l3->Font(), "x").cx);
}

TEST_F(LabelTest, OpaqueFillsWithColourTransparentKeepsTheBackground) {
  TLabel* opaque = NewLabel(10, 5);
  opaque->SetAutoSize(false);
  opaque->SetBounds(10, 5, 30, 12);
  opaque->SetColor(clRed);
  opaque->SetCaption("");
  TLabel* clear = NewLabel(50, 5);
  clear->SetAutoSize(false);
  clear->SetBounds(50, 5, 30, 12);
  clear->SetColor(clBlue);
  clear->SetTransparent(true);
  clear->SetCaption("");

  TMemoryCanvas c(100, 30);
  c.Clear(clLime);
  PaintForm(c);
  EXPECT_EQ(CountColor(c, TRect(10, 5, 40, 17), clRed), 30 * 12);
  EXPECT_EQ(CountColor(c, TRect(0, 0, 100, 30), clRed), 30 * 12);  // nothing outside
  EXPECT_EQ(CountColor(c, TRect(50, 5, 80, 17), clLime), 30 * 12);
  EXPECT_EQ(CountColor(c, TRect(0, 0, 100, 30), clBlue), 0);

  // Text on an opaque label lies over its colour.
  opaque->SetCaption("WW");
  c.Clear(clLime);
  PaintForm(c);
  int red = CountColor(c, TRect(10, 5, 40, 17), clRed);
  EXPECT_GT(red, 0);
  EXPECT_LT(red, 30 * 12);
  EXPECT_EQ(CountColor(c, TRect(10, 5, 40, 17), clLime), 0);
}

TEST_F(LabelTest, DisabledTextIsGrayWithoutEmbossing) {
  TLabel* l = NewLabel(0, 0);
  l->SetTransparent(true);
  l->SetCaption("WWW");
  l->Font()->SetColor(clBlue);
  l->SetEnabled(false);
  TMemoryCanvas c(80, 30);
  c.Clear(clLime);
  PaintForm(c);
  const TRect all(0, 0, 80, 30);
  int gray = CountColor(c, all, Sys(COLOR_GRAYTEXT));
  EXPECT_GT(gray, 0);
  EXPECT_EQ(CountColor(c, all, clBlue), 0);
  // Every painted pixel is the gray text: no highlight copy beside it.
  EXPECT_EQ(CountColor(c, all, clLime) + gray, 80 * 30);

  l->SetEnabled(true);
  c.Clear(clLime);
  PaintForm(c);
  EXPECT_GT(CountColor(c, all, clBlue), 0);
  EXPECT_EQ(CountColor(c, all, Sys(COLOR_GRAYTEXT)), 0);
}

TEST_F(LabelTest, AmpersandsFollowShowAccelChar) {
  // The label's drawing against plain text output of what should appear.
  auto expectDrawnAs = [&](TLabel* l, const std::string& shown) {
    TMemoryCanvas painted(120, 30), expected(120, 30);
    painted.Clear(clWhite);
    expected.Clear(clWhite);
    l->PaintOn(painted.Handle());
    expected.SetFont(l->Font());
    expected.Brush()->SetStyle(bsClear);
    expected.TextOut(0, 0, shown);
    int differing = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 120; ++x)
        if (painted.At(x, y) != expected.At(x, y)) ++differing;
    EXPECT_EQ(differing, 0) << "expected \"" << shown << "\"";
  };
  TLabel* l = NewLabel(0, 0);
  l->SetAutoSize(false);
  l->SetBounds(0, 0, 120, 30);
  l->SetTransparent(true);
  l->SetCaption("A&&B");
  expectDrawnAs(l, "A&B");
  l->SetShowAccelChar(false);
  expectDrawnAs(l, "A&&B");
  l->SetCaption("C&D");
  expectDrawnAs(l, "C&D");
}

TEST_F(LabelTest, TextIsPaintedWhereTheAlignmentAndWordWrapPutIt) {
  // The columns and rows that hold text pixels of the label's font colour.
  struct Ink {
    int left = -1, right = -1, bottom = -1;
  };
  auto paint = [&](TLabel* l) {
    TMemoryCanvas c(l->Width(), l->Height());
    c.Clear(clWhite);
    l->PaintOn(c.Handle());
    Ink ink;
    for (int y = 0; y < l->Height(); ++y)
      for (int x = 0; x < l->Width(); ++x)
        if (c.At(x, y) == clBlue) {
          if (ink.left < 0 || x < ink.left) ink.left = x;
          if (x > ink.right) ink.right = x;
          ink.bottom = y;
        }
    return ink;
  };
  TLabel* l = NewLabel(0, 0);
  l->SetAutoSize(false);
  l->SetTransparent(true);
  l->Font()->SetColor(clBlue);
  l->SetBounds(0, 0, 160, 40);
  l->SetCaption("WWW");
  const int text = Extent(l->Font(), "WWW").cx;
  const int line = Extent(l->Font(), "0").cy;
  ASSERT_LT(text, 100);

  Ink left = paint(l);
  EXPECT_LE(left.left, 2);
  EXPECT_LE(left.right, text);

  l->SetAlignment(taRightJustify);
  Ink right = paint(l);
  EXPECT_GE(right.right, 160 - 3);
  EXPECT_GE(right.left, 160 - text - 1);

  l->SetAlignment(taCenter);
  Ink centre = paint(l);
  EXPECT_NEAR((centre.left + centre.right) / 2.0, 80.0, 2.5);
  EXPECT_GT(centre.left, left.left + 20);

  // Word-wrapped text goes down to further lines; without the wrap it stays
  // on the first.
  l->SetAlignment(taLeftJustify);
  l->SetBounds(0, 0, Extent(l->Font(), "WWW WWW").cx + 4, 4 * line);
  l->SetCaption("WWW WWW WWW WWW");
  Ink single = paint(l);
  EXPECT_LT(single.bottom, line);
  l->SetWordWrap(true);
  Ink wrapped = paint(l);
  EXPECT_GE(wrapped.bottom, line);
  EXPECT_LT(wrapped.bottom, 2 * line) << "two lines of two words each";
  EXPECT_LE(wrapped.right, l->Width() - 1);
}

TEST_F(LabelTest, AcceleratorFocusesTheFocusControl) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(80, 10, 100, 21);
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(80, 40, 100, 21);
  TLabel* l = NewLabel(10, 10);
  l->SetCaption("&Name");
  l->SetFocusControl(edit);
  form->Show();
  Application->ProcessMessages();
  other->SetFocus();
  ASSERT_EQ(GetFocus(), other->Handle());

  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'x'), 0);
  EXPECT_EQ(GetFocus(), other->Handle());
  l->SetEnabled(false);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'n'), 0);
  l->SetEnabled(true);
  l->SetShowAccelChar(false);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'n'), 0);
  l->SetShowAccelChar(true);
  EXPECT_EQ(GetFocus(), other->Handle());
  EXPECT_NE(form->Perform(CM_DIALOGCHAR, 'n'), 0);  // either case
  EXPECT_EQ(GetFocus(), edit->Handle());

  // A hidden focus control cannot take the focus: the character stays unanswered.
  other->SetFocus();
  edit->Hide();
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'N'), 0);

  // The label lets go of a control that is destroyed.
  edit->Free();
  EXPECT_EQ(l->FocusControl(), nullptr);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'n'), 0);
}
