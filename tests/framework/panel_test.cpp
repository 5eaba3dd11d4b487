#include <gtest/gtest.h>

#include "application.h"
#include "class_builder.h"
#include "description_reader.h"
#include "forms.h"
#include "panels.h"
#include "reader_stream_builder.h"

using namespace orlo;
using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

namespace orlo {

// A panel that counts its paints and remembers the last clip box.
class TCountingPanel : public TPanel {
  ORLO_CLASS(TCountingPanel)
public:
  using TPanel::TPanel;
  int paints = 0;
  RECT lastClip{};
  void Paint() override {
    ++paints;
    GetClipBox(Canvas()->Handle(), &lastClip);
    TPanel::Paint();
  }
};
ORLO_DEFINE_CLASS(TCountingPanel, TPanel) {}

}  // namespace orlo

namespace {

TColor Sys(int index) { return static_cast<TColor>(GetSysColor(index)); }

class PanelTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(40, 40, 320, 200);
    panel = new TCountingPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 185, 41);
  }
  void TearDown() override { form->Free(); }

  // Shows everything and returns the number of paints a change causes.
  template <class F>
  int PaintsAfter(F change) {
    Application->ProcessMessages();
    int before = panel->paints;
    change();
    Application->ProcessMessages();
    return panel->paints - before;
  }
  TMemoryCanvas* Paint(int w, int h) {
    auto* c = new TMemoryCanvas(w, h);
    c->Clear(clLime);
    panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(c->Handle()));
    return c;
  }

  TForm* form = nullptr;
  TCountingPanel* panel = nullptr;
};

}  // namespace

TEST_F(PanelTest, NewPanelDefaults) {
  TPanel p(nullptr);
  EXPECT_EQ(p.Width(), 185);
  EXPECT_EQ(p.Height(), 41);
  EXPECT_EQ(p.OuterBevel(), bvRaised);
  EXPECT_EQ(p.InnerBevel(), bvNone);
  EXPECT_EQ(p.BevelWidth(), 1);
  EXPECT_EQ(p.BorderStyle(), bsNone);
  EXPECT_EQ(p.BorderWidth(), 0);
  EXPECT_EQ(p.Alignment(), taCenter);
  EXPECT_TRUE(p.FullRepaint());
  EXPECT_EQ(p.Color(), clBtnFace);
  EXPECT_FALSE(p.ParentColor());
  EXPECT_TRUE(p.ControlStyle() & csAcceptsControls);
  EXPECT_TRUE(p.ControlStyle() & csOpaque);
}

TEST_F(PanelTest, SettersRepaintEvenWithTheSameValue) {
  form->Show();
  EXPECT_EQ(PaintsAfter([&] { panel->SetOuterBevel(bvRaised); }), 1);
  EXPECT_EQ(PaintsAfter([&] { panel->SetOuterBevel(bvRaised); }), 1);
  EXPECT_EQ(PaintsAfter([&] { panel->SetInnerBevel(bvNone); }), 1);
  EXPECT_EQ(PaintsAfter([&] { panel->SetBevelWidth(1); }), 1);
  EXPECT_EQ(PaintsAfter([&] { panel->SetAlignment(taCenter); }), 1);
  EXPECT_EQ(PaintsAfter([&] { panel->SetCaption("text"); }), 1);
  EXPECT_EQ(PaintsAfter([] {}), 0);

  // The border style acts only on a change, by making a new window.
  EXPECT_EQ(PaintsAfter([&] { panel->SetBorderStyle(bsNone); }), 0);
  EXPECT_FALSE(GetWindowLongPtrA(panel->Handle(), GWL_STYLE) & WS_BORDER);
  panel->SetBorderStyle(bsSingle);
  EXPECT_TRUE(GetWindowLongPtrA(panel->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(panel->Caption(), "text");
}

TEST_F(PanelTest, GrowingRepaintsTheWholePanelUnlessTurnedOff) {
  form->Show();
  Application->ProcessMessages();
  panel->SetFullRepaint(false);
  PaintsAfter([&] { panel->SetBounds(10, 10, 200, 41); });
  EXPECT_GE(panel->lastClip.left, 185);  // only the new strip

  panel->SetFullRepaint(true);
  EXPECT_GE(PaintsAfter([&] { panel->SetBounds(10, 10, 220, 41); }), 1);
  EXPECT_EQ(panel->lastClip.left, 0);
  EXPECT_EQ(panel->lastClip.right, 220);
}

TEST_F(PanelTest, BevelRingsInPixels) {
  const TColor light = Sys(COLOR_BTNHIGHLIGHT), shadow = Sys(COLOR_BTNSHADOW),
               face = Sys(COLOR_BTNFACE);
  std::unique_ptr<TMemoryCanvas> c(Paint(185, 41));
  EXPECT_EQ(c->At(0, 0), light);
  EXPECT_EQ(c->At(183, 0), light);
  EXPECT_EQ(c->At(0, 39), light);
  EXPECT_EQ(c->At(184, 0), shadow);
  EXPECT_EQ(c->At(184, 40), shadow);
  EXPECT_EQ(c->At(0, 40), shadow);
  EXPECT_EQ(c->At(1, 1), face);
  EXPECT_EQ(c->At(92, 20), face);  // no caption

  panel->SetOuterBevel(bvLowered);
  c.reset(Paint(185, 41));
  EXPECT_EQ(c->At(0, 0), shadow);
  EXPECT_EQ(c->At(184, 40), light);

  // Outer lowered and inner raised, two pixels each, a border of one between.
  panel->SetInnerBevel(bvRaised);
  panel->SetBevelWidth(2);
  panel->SetBorderWidth(1);
  panel->SetColor(clYellow);
  c.reset(Paint(185, 41));
  const int y = 20;
  EXPECT_EQ(c->At(0, y), shadow);
  EXPECT_EQ(c->At(1, y), shadow);
  EXPECT_EQ(c->At(2, y), clYellow);
  EXPECT_EQ(c->At(3, y), light);
  EXPECT_EQ(c->At(4, y), light);
  EXPECT_EQ(c->At(5, y), clYellow);
  EXPECT_EQ(c->At(184, y), light);
  EXPECT_EQ(c->At(183, y), light);
  EXPECT_EQ(c->At(182, y), clYellow);
  EXPECT_EQ(c->At(181, y), shadow);
  EXPECT_EQ(c->At(180, y), shadow);
  EXPECT_EQ(c->At(90, 3), light);
  EXPECT_EQ(c->At(90, 37), shadow);

  // No bevels at all: only the fill.
  panel->SetOuterBevel(bvNone);
  panel->SetInnerBevel(bvNone);
  c.reset(Paint(185, 41));
  EXPECT_EQ(c->At(0, 0), clYellow);
  EXPECT_EQ(c->At(184, 40), clYellow);
}

TEST_F(PanelTest, CaptionFollowsAlignmentOnOneCentredLine) {
  panel->SetCaption("WWW");
  panel->Font()->SetColor(clBlue);
  auto inkColumns = [&](int& first, int& last, int& top, int& bottom) {
    std::unique_ptr<TMemoryCanvas> c(Paint(185, 41));
    first = top = 1000;
    last = bottom = -1;
    for (int y = 0; y < 41; ++y)
      for (int x = 0; x < 185; ++x)
        if (c->At(x, y) == clBlue) {
          first = std::min(first, x);
          last = std::max(last, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
  };
  int first, last, top, bottom;
  inkColumns(first, last, top, bottom);
  ASSERT_GE(last, 0);
  EXPECT_LE(std::abs((first + last) - 184), 4);  // centred
  EXPECT_LE(std::abs((top + bottom) - 40), 6);

  panel->SetAlignment(taLeftJustify);
  inkColumns(first, last, top, bottom);
  EXPECT_LE(first, 4);
  panel->SetAlignment(taRightJustify);
  inkColumns(first, last, top, bottom);
  EXPECT_GE(last, 179);
}

TEST_F(PanelTest, ChildrenAlignInsideBevelsAndBorder) {
  auto* child = new TPanel(form);
  child->SetParent(panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), TRect(1, 1, 184, 40));
  panel->SetBevelWidth(2);
  panel->SetInnerBevel(bvLowered);
  panel->SetBorderWidth(1);
  EXPECT_EQ(child->BoundsRect(), TRect(5, 5, 180, 36));
  panel->SetOuterBevel(bvNone);
  EXPECT_EQ(child->BoundsRect(), TRect(3, 3, 182, 38));
}

TEST_F(PanelTest, DescriptionNamesOfThePanel) {
  TDescriptionBuilder b;
  b.Signature().Record("TForm", "Form1").End();
  b.Record("TPanel", "Panel1")
      .Prop("BevelOuter").Ident("bvLowered").Prop("BevelInner").Ident("bvRaised")
      .Prop("BevelWidth").Int(3).Prop("BorderWidth").Int(2).Prop("BorderStyle").Ident("bsSingle")
      .Prop("Alignment").Ident("taLeftJustify").Prop("Caption").Str("panel")
      .End().End();
  b.End();
  TForm* read = new TForm(nullptr);
  auto stream = MakeStream(b.Bytes());
  read->ReadDescription(*stream);
  auto* p = Cast<TPanel>(read->FindComponent("Panel1"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->OuterBevel(), bvLowered);
  EXPECT_EQ(p->InnerBevel(), bvRaised);
  EXPECT_EQ(p->BevelWidth(), 3);
  EXPECT_EQ(p->BorderWidth(), 2);
  EXPECT_EQ(p->BorderStyle(), bsSingle);
  EXPECT_EQ(p->Alignment(), taLeftJustify);
  EXPECT_EQ(p->Caption(), "panel");
  read->Free();
}
