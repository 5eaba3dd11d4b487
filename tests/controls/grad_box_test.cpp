#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "application.h"
#include "class_builder.h"
#include "description_reader.h"
#include "extended_model.h"
#include "extended_precision.h"
#include "forms.h"
#include "grad_box.h"
#include "gui_helpers.h"
#include "pixel_helpers.h"
#include "reader_stream_builder.h"

using namespace orlo;
using orlo::testing_support::CountColor;
using orlo::testing_support::PumpUntil;
using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

namespace orlo {

// A gradient box that counts its paints and lets the tests build its table.
class TProbeGradBox : public TGradBox {
  ORLO_CLASS(TProbeGradBox)
public:
  using TGradBox::TGradBox;
  using TGradBox::BuildGradTable;
  int paints = 0;
  void Paint() override {
    ++paints;
    TGradBox::Paint();
  }
};
ORLO_DEFINE_CLASS(TProbeGradBox, TGradBox) {}

}  // namespace orlo

namespace {

namespace model = gradient_model;

// The table entries 1..254 for two colours, computed by the exact model.
std::vector<TColor> ModelTable(uint32_t fromRgb, uint32_t toRgb, int bits = 64) {
  int channel[3][255];
  for (int ch = 0; ch < 3; ++ch)
    model::Channel((fromRgb >> (8 * ch)) & 0xFF, (toRgb >> (8 * ch)) & 0xFF, bits, channel[ch]);
  std::vector<TColor> t(255);
  for (int i = 1; i <= 254; ++i)
    t[i] = RGBColor(static_cast<uint8_t>(channel[0][i]), static_cast<uint8_t>(channel[1][i]),
                    static_cast<uint8_t>(channel[2][i]));
  return t;
}

// Paints a box alone into a surface of its size over a background.
std::unique_ptr<TMemoryCanvas> PaintAlone(TGradBox& box, TColor background) {
  auto c = std::make_unique<TMemoryCanvas>(box.Width(), box.Height());
  c->Clear(background);
  box.PaintOn(c->Handle());
  return c;
}

int DifferentPixels(const TMemoryCanvas& a, const TMemoryCanvas& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.At(x, y) != b.At(x, y)) ++n;
  return n;
}

// One drawing of the caption: its offset from the caption rectangle and colour.
struct Pass {
  int dx, dy;
  TColor color;
};

// The caption as expected, drawn with the platform's text drawer alone.
void DrawPasses(TMemoryCanvas& c, TFont* font, const std::string& text, TRect rect,
                const std::vector<Pass>& passes, UINT extraFlags = 0) {
  HDC dc = c.Handle();
  LOGFONTA lf = font->LogFont();
  HFONT f = CreateFontIndirectA(&lf);
  HGDIOBJ old = SelectObject(dc, f);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  for (const Pass& p : passes) {
    SetTextColor(dc, ColorToRGB(p.color));
    RECT r{rect.Left + p.dx, rect.Top + p.dy, rect.Right + p.dx, rect.Bottom + p.dy};
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r,
              DT_WORDBREAK | DT_EXPANDTABS | extraFlags);
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, old);
  DeleteObject(f);
}

// Blue to white: entry e is (e, e, 255), the ends blue and white.
TColor BlueWhiteEntry(int e) {
  if (e <= 0) return clBlue;
  if (e >= 255) return clWhite;
  return RGBColor(static_cast<uint8_t>(e), static_cast<uint8_t>(e), 255);
}

void UseBigFont(TGradBox& box, TColor color) {
  box.Font()->SetName("Arial");
  box.Font()->SetCharset(ANSI_CHARSET);
  box.Font()->SetHeight(-24);
  box.Font()->SetStyle({fsBold});
  box.Font()->SetColor(color);
}

// A box without bands for looking at its caption alone.
std::unique_ptr<TGradBox> CaptionBox(int width, int height, TColor face, const std::string& text) {
  auto box = std::make_unique<TGradBox>(nullptr);
  box->SetBounds(0, 0, width, height);
  box->SetGradStyle(gsNone);
  UseBigFont(*box, face);
  box->SetCaption(text);
  return box;
}

// Live GDI objects of this process (Wine keeps no count: probe the table).
int GdiObjectCount() {
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) return static_cast<int>(n);
  int count = 0;
  for (ULONG_PTR i = 1; i < 0x10000; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++count;
  return count;
}

}  // namespace

// --- class, properties and reading -------------------------------------------------

TEST(GradBoxClass, StartsWithItsDefaultsAndPublishesItsPropertiesInOrder) {
  TGradBox box(nullptr);
  EXPECT_EQ(box.BoundsRect(), TRect(0, 0, 200, 100));
  EXPECT_FALSE(box.OnPaint);
  EXPECT_FALSE(box.ControlStyle() & csOpaque);  // the parent shows where it paints nothing

  // The box's own published properties in their order, each starting at its
  // value; a description leaves out a value equal to the declared default,
  // and the two Booleans have none (always written).
  struct Expected {
    const char* name;
    int64_t start;
    bool hasDefault;
  };
  const Expected expected[] = {
      {"CaptionLeft", 10, true},      {"CaptionTop", 10, true},  {"TopColor", clGreen, true},
      {"LastColor", clLime, true},    {"OutLineColor", clBlack, true},
      {"DrawOutLine", 0, false},      {"GradStyle", gsTopBottom, true},
      {"Font3D", 0, false},           {"FontDepth", 1, true},    {"Style3D", fsRaise3D, true},
      {"BackFont", clYellow, true},
  };
  const auto& props = TGradBox::StaticClass()->Props;
  ASSERT_EQ(props.size(), std::size(expected) + 1);
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(props[i].Name, expected[i].name) << i;
    EXPECT_EQ(props[i].GetOrd(&box), expected[i].start) << expected[i].name;
    EXPECT_EQ(props[i].Default.has_value(), expected[i].hasDefault) << expected[i].name;
    EXPECT_EQ(props[i].Default.value_or(expected[i].start), expected[i].start) << expected[i].name;
  }
  EXPECT_EQ(props.back().Name, "OnPaint");
  EXPECT_EQ(*TGradBox::StaticClass()->FindProp("GradStyle")->Names,
            (TEnumNames{"gsTopBottom", "gsBottomTop", "gsLeftRight", "gsRightLeft", "gsNone"}));
  EXPECT_EQ(*TGradBox::StaticClass()->FindProp("Style3D")->Names,
            (TEnumNames{"fsLowShadow", "fsRaiseShadow", "fsLow3D", "fsRaise3D"}));
}

TEST(GradBoxClass, ReadsTheMainWindowsTitleBandFromADescription) {
  TForm form(nullptr);
  TDescriptionBuilder b;
  b.Signature().Record("TForm", "Form1").End();
  b.Record("TGradBox", "GradBox1")
      .Prop("Left").Int(0).Prop("Top").Int(0).Prop("Width").Int(377).Prop("Height").Int(57)
      .Prop("CaptionTop").Int(4)
      .Prop("TopColor").Ident("clBlue")
      .Prop("LastColor").Ident("clWhite")
      .Prop("DrawOutLine").False()
      .Prop("Font3D").True()
      .Prop("FontDepth").Int(2)
      .Prop("Style3D").Ident("fsLow3D")
      .Prop("BackFont").Ident("clBlack")
      .Prop("Caption").Str("ORLO COPY&&MOVE")
      .End().End();
  b.Record("TGradBox", "GradBox2")
      .Prop("OutLineColor").Int(static_cast<int32_t>(clBtnShadow))
      .Prop("GradStyle").Ident("gsNone")
      .Prop("DrawOutLine").True()
      .Prop("Font3D").False()
      .End().End();
  b.End();
  auto stream = MakeStream(b.Bytes());
  form.ReadDescription(*stream);

  auto* box = Cast<TGradBox>(form.FindComponent("GradBox1"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->BoundsRect(), TRect(0, 0, 377, 57));
  EXPECT_EQ(box->Parent(), &form);
  EXPECT_EQ(box->CaptionLeft(), 10);
  EXPECT_EQ(box->CaptionTop(), 4);
  EXPECT_EQ(box->TopColor(), clBlue);
  EXPECT_EQ(box->LastColor(), clWhite);
  EXPECT_EQ(box->GradStyle(), gsTopBottom);
  EXPECT_TRUE(box->Font3D());
  EXPECT_EQ(box->FontDepth(), 2);
  EXPECT_EQ(box->Style3D(), fsLow3D);
  EXPECT_EQ(box->BackFont(), clBlack);
  EXPECT_EQ(box->Caption(), "ORLO COPY&&MOVE");

  auto* second = Cast<TGradBox>(form.FindComponent("GradBox2"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->OutLineColor(), clBtnShadow);
  EXPECT_EQ(second->GradStyle(), gsNone);
  EXPECT_TRUE(second->DrawOutLine());
  EXPECT_EQ(second->BoundsRect(), TRect(0, 0, 200, 100));

  // A style the box does not know is refused by name.
  TForm other(nullptr);
  TDescriptionBuilder bad;
  bad.Signature().Record("TForm", "Form1").End();
  bad.Record("TGradBox", "GradBox1").Prop("Style3D").Ident("fsDeep3D").End().End();
  bad.End();
  auto badStream = MakeStream(bad.Bytes());
  try {
    other.ReadDescription(*badStream);
    ADD_FAILURE() << "an unknown Style3D was accepted";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), std::string(res::SInvalidPropertyValue));
  }

  // What the box publishes of its base is read; what it does not, though
  // its base has it, is an unknown property.
  auto read = [](const char* name, auto value) {
    TForm f(nullptr);
    TDescriptionBuilder d;
    d.Signature().Record("TForm", "Form1").End();
    value(d.Record("TGradBox", "GradBox1").Prop(name)).End().End();
    d.End();
    auto s = MakeStream(d.Bytes());
    try {
      f.ReadDescription(*s);
    } catch (const EReadError& e) {
      return e.Message();
    }
    return std::string("read");
  };
  auto ident = [](const char* v) { return [v](TDescriptionBuilder& d) -> TDescriptionBuilder& { return d.Ident(v); }; };
  auto number = [](int v) { return [v](TDescriptionBuilder& d) -> TDescriptionBuilder& { return d.Int(v); }; };
  auto yes = [](TDescriptionBuilder& d) -> TDescriptionBuilder& { return d.True(); };
  EXPECT_EQ(read("Align", ident("alClient")), "read");
  EXPECT_EQ(read("Cursor", number(-3)), "read");
  EXPECT_EQ(read("ParentShowHint", yes), "read");
  EXPECT_EQ(read("Color", ident("clRed")), res::SUnknownProperty);
  EXPECT_EQ(read("HelpContext", number(7)), res::SUnknownProperty);
  EXPECT_EQ(read("ParentColor", yes), res::SUnknownProperty);
}

// --- repaint requests through the message loop -------------------------------------

namespace {

class GradBoxRepaint : public ::testing::Test {
protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(30, 30, 300, 200);
    box = new TProbeGradBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 120, 60);
    form->Show();
    PumpUntil([&] { return box->paints > 0; });
  }
  void TearDown() override { form->Free(); }

  // The paints a change causes once the loop has run.
  template <class F>
  int PaintsAfter(F change) {
    Application->ProcessMessages();
    int before = box->paints;
    change();
    Application->ProcessMessages();
    return box->paints - before;
  }

  TForm* form = nullptr;
  TProbeGradBox* box = nullptr;
};

}  // namespace

TEST_F(GradBoxRepaint, ANewValueRepaintsTheCurrentOneDoesNot) {
  ASSERT_GT(box->paints, 0);
  struct Setter {
    const char* name;
    std::function<void()> same, changed;
  };
  TProbeGradBox* b = box;
  const Setter setters[] = {
      {"CaptionLeft", [b] { b->SetCaptionLeft(10); }, [b] { b->SetCaptionLeft(12); }},
      {"CaptionTop", [b] { b->SetCaptionTop(10); }, [b] { b->SetCaptionTop(4); }},
      {"TopColor", [b] { b->SetTopColor(clGreen); }, [b] { b->SetTopColor(clBlue); }},
      {"LastColor", [b] { b->SetLastColor(clLime); }, [b] { b->SetLastColor(clWhite); }},
      {"DrawOutLine", [b] { b->SetDrawOutLine(false); }, [b] { b->SetDrawOutLine(true); }},
      {"OutLineColor", [b] { b->SetOutLineColor(clBlack); }, [b] { b->SetOutLineColor(clRed); }},
      {"GradStyle", [b] { b->SetGradStyle(gsTopBottom); }, [b] { b->SetGradStyle(gsRightLeft); }},
      {"Style3D", [b] { b->SetStyle3D(fsRaise3D); }, [b] { b->SetStyle3D(fsLowShadow); }},
      {"Font3D", [b] { b->SetFont3D(false); }, [b] { b->SetFont3D(true); }},
      {"FontDepth", [b] { b->SetFontDepth(1); }, [b] { b->SetFontDepth(3); }},
      {"BackFont", [b] { b->SetBackFont(clYellow); }, [b] { b->SetBackFont(clBlack); }},
      {"Caption", [b] { b->SetCaption(""); }, [b] { b->SetCaption("ORLO"); }},
  };
  // In this order each setter's condition holds when it runs: the outline
  // is on before its colour changes, the 3D caption before depth and colour.
  for (const Setter& s : setters) {
    EXPECT_EQ(PaintsAfter(s.same), 0) << s.name << " set to its current value";
    EXPECT_EQ(PaintsAfter(s.changed), 1) << s.name << " changed";
  }
  EXPECT_EQ(box->OutLineColor(), clRed);
  EXPECT_EQ(box->FontDepth(), 3);
  EXPECT_EQ(box->Caption(), "ORLO");
}

TEST_F(GradBoxRepaint, ValuesThatCannotShowYetAreStoredForTheNextPaint) {
  box->SetGradStyle(gsNone);
  box->SetCaption("");
  // Outline colour without the outline; depth and back colour without 3D.
  EXPECT_EQ(PaintsAfter([&] { box->SetOutLineColor(clRed); }), 0);
  EXPECT_EQ(PaintsAfter([&] { box->SetFontDepth(0); }), 0);
  EXPECT_EQ(PaintsAfter([&] { box->SetBackFont(clBlue); }), 0);
  EXPECT_EQ(box->OutLineColor(), clRed);
  EXPECT_EQ(box->FontDepth(), 0);
  EXPECT_EQ(box->BackFont(), clBlue);

  // Turning the outline on repaints, and the stored colour is the one drawn.
  EXPECT_EQ(PaintsAfter([&] { box->SetDrawOutLine(true); }), 1);
  auto c = PaintAlone(*box, clWhite);
  EXPECT_EQ(c->At(0, 0), clRed);
  EXPECT_EQ(c->At(box->Width() - 1, box->Height() - 1), clRed);
  EXPECT_EQ(c->At(1, 1), clWhite);
  EXPECT_EQ(PaintsAfter([&] { box->SetFont3D(true); }), 1);
  EXPECT_EQ(PaintsAfter([&] { box->SetFontDepth(2); }), 1);
  // Other notifications a graphic control repaints on still do.
  EXPECT_EQ(PaintsAfter([&] { box->SetEnabled(false); }), 1);
  EXPECT_EQ(PaintsAfter([&] { box->Font()->SetHeight(-20); }), 1);
}

// --- the gradient table ---------------------------------------------------------------

TEST(GradBoxTable, WorkedExamplesEntryByEntry) {
  TProbeGradBox box(nullptr);
  box.SetTopColor(clBlue);
  box.SetLastColor(clWhite);
  box.BuildGradTable(gsTopBottom);
  const auto& t = box.GradTable();
  EXPECT_EQ(t[0], clBlue);
  EXPECT_EQ(t[255], clWhite);
  for (int i = 1; i <= 254; ++i) EXPECT_EQ(t[i], RGBColor(i, i, 255)) << i;

  // Upwards and leftwards start from the last colour.
  box.BuildGradTable(gsBottomTop);
  EXPECT_EQ(t[0], clWhite);
  EXPECT_EQ(t[255], clBlue);
  for (int i = 1; i <= 254; ++i) EXPECT_EQ(t[i], RGBColor(255 - i, 255 - i, 255)) << i;
  box.BuildGradTable(gsLeftRight);
  EXPECT_EQ(t[1], RGBColor(1, 1, 255));
  box.BuildGradTable(gsRightLeft);
  EXPECT_EQ(t[1], RGBColor(254, 254, 255));

  // Silver to white: a step of -63/255, accumulated with its rounding.
  box.SetTopColor(clSilver);
  box.BuildGradTable(gsTopBottom);
  EXPECT_EQ(t[0], clSilver);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(t[i], RGBColor(192, 192, 192)) << i;
  EXPECT_EQ(t[5], RGBColor(193, 193, 193));
  EXPECT_EQ(t[254], RGBColor(254, 254, 254));
  EXPECT_EQ(t[255], clWhite);
  const std::vector<TColor> silver = ModelTable(0xC0C0C0, 0xFFFFFF);
  for (int i = 1; i <= 254; ++i) EXPECT_EQ(t[i], silver[i]) << i;

  // gsNone leaves the table as the last build made it.
  box.SetTopColor(clRed);
  box.BuildGradTable(gsNone);
  EXPECT_EQ(t[0], clSilver);
  EXPECT_EQ(t[5], RGBColor(193, 193, 193));
}

TEST(GradBoxTable, EveryPairOfChannelValuesMatchesExactExtendedArithmetic) {
  // Three channel pairs per table: 65,536 pairs in 21,846 tables, each entry
  // against the software model of the 64-bit-significand accumulation.
  TProbeGradBox box(nullptr);
  int mismatches = 0, pairsWhere53BitsDiffer = 0;
  for (int pair = 0; pair < 65536; pair += 3) {
    int from[3], to[3];
    for (int ch = 0; ch < 3; ++ch) {
      int p = (pair + ch) % 65536;
      from[ch] = p >> 8;
      to[ch] = p & 0xFF;
    }
    box.SetTopColor(RGBColor(from[0], from[1], from[2]));
    box.SetLastColor(RGBColor(to[0], to[1], to[2]));
    box.BuildGradTable(gsTopBottom);
    for (int ch = 0; ch < 3; ++ch) {
      int expected[255], with53[255];
      model::Channel(from[ch], to[ch], 64, expected);
      model::Channel(from[ch], to[ch], 53, with53);
      bool differ53 = false;
      for (int i = 1; i <= 254; ++i) {
        int got = (box.GradTable()[i] >> (8 * ch)) & 0xFF;
        if (got != expected[i] && ++mismatches <= 10)
          ADD_FAILURE() << "from " << from[ch] << " to " << to[ch] << " entry " << i << ": "
                        << got << " instead of " << expected[i];
        differ53 |= with53[i] != expected[i];
      }
      pairsWhere53BitsDiffer += differ53;
    }
  }
  EXPECT_EQ(mismatches, 0);
  // The check has teeth: at double's precision many tables come out otherwise.
  EXPECT_GT(pairsWhere53BitsDiffer, 0);
  std::printf("channel pairs whose table differs at 53 bits: %d of 65536\n", pairsWhere53BitsDiffer);
}

TEST(GradBoxTable, SystemColoursStayAtTheEndsAndAreResolvedInBetween) {
  TProbeGradBox box(nullptr);
  box.SetTopColor(clBtnFace);
  box.SetLastColor(clWindow);
  box.BuildGradTable(gsTopBottom);
  EXPECT_EQ(box.GradTable()[0], clBtnFace);
  EXPECT_EQ(box.GradTable()[255], clWindow);
  std::vector<TColor> expected = ModelTable(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW));
  for (int i = 1; i <= 254; ++i) {
    EXPECT_EQ(box.GradTable()[i], expected[i]) << i;
    EXPECT_EQ(box.GradTable()[i] & 0xFF000000, 0) << i;
  }

  // A top byte outside the system colours is ignored: clNone splits as
  // white, 0x12FF0000 as blue; the ends still keep what was stored.
  box.SetTopColor(0x12FF0000);
  box.SetLastColor(clNone);
  box.BuildGradTable(gsTopBottom);
  EXPECT_EQ(box.GradTable()[0], 0x12FF0000);
  EXPECT_EQ(box.GradTable()[255], clNone);
  for (int i = 1; i <= 254; ++i) EXPECT_EQ(box.GradTable()[i], RGBColor(i, i, 255)) << i;
  // Just past the last system colour counts as a plain colour too.
  box.SetTopColor(static_cast<TColor>(0x80000019u));
  box.SetLastColor(static_cast<TColor>(0x80FFFFFFu));
  box.BuildGradTable(gsTopBottom);
  std::vector<TColor> plain = ModelTable(0x000019, 0xFFFFFF);
  for (int i = 1; i <= 254; ++i) EXPECT_EQ(box.GradTable()[i], plain[i]) << i;
}

namespace {

// Pairs whose tables differ between 53 and 64 bits (found by the model).
struct PrecisionCase {
  TColor from, to;
};
std::vector<PrecisionCase> PairsThatNeed64Bits() {
  std::vector<PrecisionCase> cases;
  for (int a = 0; a < 256 && cases.size() < 3; a += 7)
    for (int b = 0; b < 256 && cases.size() < 3; b += 11) {
      std::vector<TColor> t64 = ModelTable(RGBColor(a, a, a), RGBColor(b, b, b), 64);
      std::vector<TColor> t53 = ModelTable(RGBColor(a, a, a), RGBColor(b, b, b), 53);
      if (t64 != t53) cases.push_back({RGBColor(a, a, a), RGBColor(b, b, b)});
    }
  return cases;
}

struct ThreadRun {
  uint16_t startWord = 0;  // the word the thread ran the build under
  uint16_t wordAfter = 0;
  bool startWasShort = false;  // 1 + 2^-60 did not hold its last bit before the build
  std::vector<std::vector<TColor>> tables;
  std::vector<PrecisionCase> cases;
};

DWORD WINAPI BuildOnThread(void* arg) {
  auto* run = static_cast<ThreadRun*>(arg);
  SetX87ControlWord(run->startWord);
  volatile long double one = 1.0L, tiny = 0x1p-60L;
  run->startWasShort = (one + tiny) - one != tiny;
  TProbeGradBox box(nullptr);
  for (const PrecisionCase& c : run->cases) {
    box.SetTopColor(c.from);
    box.SetLastColor(c.to);
    box.BuildGradTable(gsTopBottom);
    run->tables.emplace_back(box.GradTable().begin(), box.GradTable().end());
  }
  run->wordAfter = X87ControlWord();
  return 0;
}

}  // namespace

TEST(GradBoxTable, SixtyFourBitsWhateverPrecisionAndRoundingTheThreadHas) {
  const std::vector<PrecisionCase> cases = PairsThatNeed64Bits();
  ASSERT_FALSE(cases.empty());
  // A fresh thread (53 bits on 64-bit Windows), and words with 53 or 24 bits
  // and rounding towards +infinity; the caller's word comes back unchanged.
  for (uint16_t word : {uint16_t(0x027F), uint16_t(0x007F), uint16_t(0x0A7F)}) {
    ThreadRun run;
    run.startWord = word;
    run.cases = cases;
    HANDLE h = CreateThread(nullptr, 0, BuildOnThread, &run, 0, nullptr);
    ASSERT_NE(h, nullptr);
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
    EXPECT_TRUE(run.startWasShort) << std::hex << word;
    EXPECT_EQ(run.wordAfter, word) << std::hex << word;
    ASSERT_EQ(run.tables.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
      std::vector<TColor> expected = ModelTable(cases[i].from, cases[i].to, 64);
      for (int e = 1; e <= 254; ++e)
        EXPECT_EQ(run.tables[i][e], expected[e]) << std::hex << word << " case " << i << " entry "
                                                 << std::dec << e;
    }
  }
  std::printf("x87 control word of this test's main thread: %04x\n", X87ControlWord());
}

// --- bands ----------------------------------------------------------------------------

TEST(GradBoxBands, RowsOfTheWorkedExampleHeights) {
  struct Example {
    int height;
    std::vector<std::pair<int, int>> rowEntry;  // given rows and the entry each shows
  };
  std::vector<Example> examples = {
      {57, {{0, 5}, {1, 9}, {2, 14}, {56, 255}}},
      {128, {{0, 2}, {127, 255}}},
      {255, {{0, 1}, {100, 101}, {253, 254}, {254, 255}}},
      {510, {{0, 1}, {1, 1}, {509, 255}}},
  };
  for (const Example& ex : examples) {
    TGradBox box(nullptr);
    box.SetBounds(0, 0, 9, ex.height);
    box.SetTopColor(clBlue);
    box.SetLastColor(clWhite);
    auto c = PaintAlone(box, clBlack);
    for (auto [row, entry] : ex.rowEntry)
      EXPECT_EQ(c->At(4, row), BlueWhiteEntry(entry)) << ex.height << " high, row " << row;
    // Every row whole and in the colour of the last fill over it.
    model::Bands bands = model::BandsFor(ex.height);
    if (ex.height == 255) {  // a step of exactly one row: row r shows entry r + 1
      for (int row = 0; row < 255; ++row)
        EXPECT_EQ(c->At(4, row), BlueWhiteEntry(row + 1)) << "255 high, row " << row;
    }
    for (int row = 0; row < ex.height; ++row) {
      TColor want = BlueWhiteEntry(model::EntryAt(bands, row));
      EXPECT_EQ(CountColor(*c, TRect(0, row, 9, row + 1), want), 9)
          << ex.height << " high, row " << row;
    }
  }
}

TEST(GradBoxBands, EachStyleRunsItsOwnWay) {
  // 255 pixels: a step of exactly one pixel, so pixel p shows entry p + 1.
  auto paint = [](TGradStyle style) {
    TGradBox box(nullptr);
    box.SetBounds(0, 0, 255, 255);
    box.SetTopColor(clBlue);
    box.SetLastColor(clWhite);
    box.SetGradStyle(style);
    return PaintAlone(box, clBlack);
  };
  auto down = paint(gsTopBottom), up = paint(gsBottomTop);
  auto right = paint(gsLeftRight), left = paint(gsRightLeft);
  for (int p = 0; p < 255; p += 17) {
    for (int q : {0, 128, 254}) {
      EXPECT_EQ(down->At(q, p), BlueWhiteEntry(p + 1)) << p;
      EXPECT_EQ(right->At(p, q), BlueWhiteEntry(p + 1)) << p;
      // From white: entry e is (255 - e, 255 - e, 255), entry 255 blue.
      TColor fromWhite = p == 254 ? clBlue : RGBColor(254 - p, 254 - p, 255);
      EXPECT_EQ(up->At(q, p), fromWhite) << p;
      EXPECT_EQ(left->At(p, q), fromWhite) << p;
    }
  }
  // Upwards: nearly white at the top, exactly blue at the bottom.
  EXPECT_EQ(up->At(10, 0), RGBColor(254, 254, 255));
  EXPECT_EQ(CountColor(*up, TRect(0, 254, 255, 255), clBlue), 255);
  EXPECT_EQ(CountColor(*left, TRect(254, 0, 255, 255), clBlue), 255);
  // Nothing of the background is left anywhere.
  for (auto* c : {down.get(), up.get(), right.get(), left.get()})
    EXPECT_EQ(CountColor(*c, TRect(0, 0, 255, 255), clBlack), 0);
}

namespace {

// Pixels of a painted box that differ from the background with the caption
// passes drawn on it by the platform's text drawer alone.
int DifferencesFromPasses(const TMemoryCanvas& got, TColor back, TFont* font,
                          const std::string& text, TRect rect, const std::vector<Pass>& passes,
                          UINT extraFlags = 0) {
  TMemoryCanvas want(got.Width(), got.Height());
  want.Clear(back);
  DrawPasses(want, font, text, rect, passes, extraFlags);
  return DifferentPixels(got, want);
}

// The four edges in one colour.
void ExpectOutline(const TMemoryCanvas& c, TColor color) {
  const int w = c.Width(), h = c.Height();
  EXPECT_EQ(CountColor(c, TRect(0, 0, w, 1), color), w);
  EXPECT_EQ(CountColor(c, TRect(0, h - 1, w, h), color), w);
  EXPECT_EQ(CountColor(c, TRect(0, 0, 1, h), color), h);
  EXPECT_EQ(CountColor(c, TRect(w - 1, 0, w, h), color), h);
}

}  // namespace

TEST(GradBoxBands, NoneLeavesTheBackgroundButDrawsOutlineAndCaption) {
  auto box = CaptionBox(80, 40, clYellow, "");
  const TColor back = RGBColor(12, 34, 56);
  auto bare = PaintAlone(*box, back);
  EXPECT_EQ(CountColor(*bare, TRect(0, 0, 80, 40), back), 80 * 40);

  box->SetDrawOutLine(true);
  box->SetOutLineColor(clRed);
  box->SetCaption("W");
  box->SetCaptionLeft(4);
  box->SetCaptionTop(2);
  auto drawn = PaintAlone(*box, back);
  ExpectOutline(*drawn, clRed);
  EXPECT_GT(CountColor(*drawn, TRect(1, 1, 79, 39), clYellow), 20);
  EXPECT_EQ(CountColor(*drawn, TRect(40, 1, 79, 39), back), 39 * 38);  // right of the "W"
}

TEST(GradBoxBands, OutlineLiesOnTheOutermostPixelsOverTheBands) {
  TGradBox box(nullptr);
  box.SetBounds(0, 0, 40, 30);
  box.SetTopColor(clBlue);
  box.SetLastColor(clWhite);
  box.SetDrawOutLine(true);  // black by default
  auto c = PaintAlone(box, clRed);
  ExpectOutline(*c, clBlack);
  EXPECT_EQ(CountColor(*c, TRect(0, 0, 40, 30), clBlack), 2 * (40 + 30) - 4);
  // Inside, the bands: 30 rows, band 1.
  model::Bands bands = model::BandsFor(30);
  for (int y = 1; y < 29; ++y)
    EXPECT_EQ(CountColor(*c, TRect(1, y, 39, y + 1), BlueWhiteEntry(model::EntryAt(bands, y))), 38)
        << y;
}

// --- caption --------------------------------------------------------------------------

TEST(GradBoxCaption, PassesOffsetsAndColoursOfEachEffect) {
  const TColor back = RGBColor(200, 220, 240);
  struct Case {
    TFontStyle3D style;
    int depth;
    std::vector<Pass> passes;  // the back colour black, the face the font's yellow
  };
  const std::vector<Case> cases = {
      {fsLowShadow, 3, {{3, 3, clBlack}, {0, 0, clYellow}}},
      {fsRaiseShadow, 3, {{-3, -3, clBlack}, {0, 0, clYellow}}},
      {fsLow3D, 3, {{1, 1, clBlack}, {2, 2, clBlack}, {3, 3, clBlack}, {0, 0, clYellow}}},
      {fsRaise3D, 3, {{-1, -1, clBlack}, {-2, -2, clBlack}, {-3, -3, clBlack}, {0, 0, clYellow}}},
      {fsLow3D, 2, {{1, 1, clBlack}, {2, 2, clBlack}, {0, 0, clYellow}}},
      // Depth 0: no extrusion at all; the shadow lies under the face.
      {fsLow3D, 0, {{0, 0, clYellow}}},
      {fsRaise3D, 0, {{0, 0, clYellow}}},
      {fsLowShadow, 0, {{0, 0, clBlack}, {0, 0, clYellow}}},
      {fsRaiseShadow, 0, {{0, 0, clBlack}, {0, 0, clYellow}}},
  };
  for (bool font3D : {true, false}) {
    for (const Case& cs : cases) {
      auto box = CaptionBox(90, 50, clYellow, "Ag");
      box->SetCaptionLeft(8);
      box->SetCaptionTop(6);
      box->SetFont3D(font3D);
      box->SetStyle3D(cs.style);
      box->SetFontDepth(static_cast<uint8_t>(cs.depth));
      box->SetBackFont(clBlack);
      auto got = PaintAlone(*box, back);
      // Without Font3D only the face, whatever the style and depth say.
      std::vector<Pass> passes = font3D ? cs.passes : std::vector<Pass>{{0, 0, clYellow}};
      EXPECT_EQ(DifferencesFromPasses(*got, back, box->Font(), "Ag", TRect(8, 6, 90, 50), passes), 0)
          << "Font3D " << font3D << " style " << cs.style << " depth " << cs.depth;
      if (passes.size() > 1 && cs.depth > 0) {
        EXPECT_GT(CountColor(*got, TRect(0, 0, 90, 50), clBlack), 10) << cs.style;
      }
      EXPECT_GT(CountColor(*got, TRect(0, 0, 90, 50), clYellow), 10) << cs.style;
    }
  }
}

TEST(GradBoxCaption, DisabledLookIgnoresTheEffect) {
  const TColor back = RGBColor(40, 90, 160);
  for (bool font3D : {false, true}) {
    auto box = CaptionBox(90, 50, clRed, "Ok");
    box->SetFont3D(font3D);
    box->SetStyle3D(fsRaiseShadow);
    box->SetFontDepth(5);
    box->SetEnabled(false);
    auto got = PaintAlone(*box, back);
    EXPECT_EQ(DifferencesFromPasses(*got, back, box->Font(), "Ok", TRect(10, 10, 90, 50),
                                    {{1, 1, clWhite}, {0, 0, clGray}}),
              0)
        << font3D;
    EXPECT_EQ(CountColor(*got, TRect(0, 0, 90, 50), clRed), 0);
    EXPECT_GT(CountColor(*got, TRect(0, 0, 90, 50), clGray), 10);
    EXPECT_GT(CountColor(*got, TRect(0, 0, 90, 50), clWhite), 3);
  }
}

TEST(GradBoxCaption, MainWindowTitleOverTheBands) {
  // The title band of the main window: 377 x 57, blue to white, white
  // "ORLO COPY&MOVE" at (10, 4) with black copies one and two pixels down-right.
  auto box = CaptionBox(377, 57, clWhite, "ORLO COPY&&MOVE");
  box->SetGradStyle(gsTopBottom);
  box->SetTopColor(clBlue);
  box->SetLastColor(clWhite);
  box->SetCaptionTop(4);
  box->SetFont3D(true);
  box->SetFontDepth(2);
  box->SetStyle3D(fsLow3D);
  box->SetBackFont(clBlack);
  box->Font()->SetHeight(-19);
  auto got = PaintAlone(*box, clRed);

  TMemoryCanvas want(377, 57);
  model::Bands bands = model::BandsFor(57);
  for (int y = 0; y < 57; ++y) {
    want.Brush()->SetColor(BlueWhiteEntry(model::EntryAt(bands, y)));
    want.FillRect(TRect(0, y, 377, y + 1));
  }
  DrawPasses(want, box->Font(), "ORLO COPY&MOVE", TRect(10, 4, 377, 57),
             {{1, 1, clBlack}, {2, 2, clBlack}, {0, 0, clWhite}}, DT_NOPREFIX);
  EXPECT_EQ(DifferentPixels(*got, want), 0);
  EXPECT_GT(CountColor(*got, TRect(0, 0, 377, 57), clWhite), 50);
  EXPECT_GT(CountColor(*got, TRect(0, 0, 377, 57), clBlack), 50);
}

TEST(GradBoxCaption, EmptyCaptionDrawsNothingAndLongOnesWrap) {
  auto box = CaptionBox(100, 120, clBlack, "");
  box->SetFont3D(true);
  box->SetStyle3D(fsLowShadow);
  auto empty = PaintAlone(*box, clWhite);
  EXPECT_EQ(CountColor(*empty, TRect(0, 0, 100, 120), clWhite), 100 * 120);

  // Words go to the next line at the right edge; a line break starts one.
  box->SetFont3D(false);
  box->SetCaption("wide words\nnext");
  auto wrapped = PaintAlone(*box, clWhite);
  EXPECT_EQ(DifferencesFromPasses(*wrapped, clWhite, box->Font(), "wide words\nnext",
                                  TRect(10, 10, 100, 120), {{0, 0, clBlack}}),
            0);
  int lines = 0;
  bool inInk = false;
  for (int y = 0; y < 120; ++y) {
    bool ink = CountColor(*wrapped, TRect(0, y, 100, y + 1), clWhite) < 100;
    if (ink && !inInk) ++lines;
    inInk = ink;
  }
  EXPECT_EQ(lines, 3);
}

// --- the paint as a whole -------------------------------------------------------------

namespace {

struct PaintWatcher : TObject {
  TObject* sender = nullptr;
  int calls = 0;
  void Painted(TObject* s) {
    sender = s;
    ++calls;
    // Drawn over whatever the box painted before.
    static_cast<TGradBox*>(s)->Canvas()->SetPixel(0, 0, clFuchsia);
  }
};

}  // namespace

TEST(GradBoxPaint, OnPaintComesLastWithTheBoxAsSender) {
  TGradBox box(nullptr);
  box.SetBounds(0, 0, 30, 20);
  box.SetDrawOutLine(true);
  PaintWatcher watcher;
  box.OnPaint = TNotifyEvent(&watcher, &PaintWatcher::Painted);
  auto c = PaintAlone(box, clWhite);
  EXPECT_EQ(watcher.calls, 1);
  EXPECT_EQ(watcher.sender, &box);
  EXPECT_EQ(c->At(0, 0), clFuchsia);
  EXPECT_EQ(c->At(1, 0), clBlack);
  // With gsNone too.
  box.SetGradStyle(gsNone);
  PaintAlone(box, clWhite);
  EXPECT_EQ(watcher.calls, 2);
}

TEST(GradBoxPaint, PaintedByItsParentClippedAtItsPlace) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 150);
  auto* box = new TGradBox(&form);
  box->SetParent(&form);
  box->SetBounds(20, 30, 60, 40);
  box->SetTopColor(clBlue);
  box->SetLastColor(clWhite);
  box->SetCaption("a caption far too long to fit in the box");
  box->SetCaptionLeft(30);
  TMemoryCanvas c(200, 150);
  c.Clear(clRed);
  form.Perform(WM_PAINT, reinterpret_cast<WPARAM>(c.Handle()));
  // Nothing outside the box; inside, the bands in the box's own coordinates.
  EXPECT_EQ(CountColor(c, TRect(0, 0, 200, 150), clRed), 200 * 150 - 60 * 40);
  model::Bands bands = model::BandsFor(40);
  EXPECT_EQ(c.At(20, 30), BlueWhiteEntry(model::EntryAt(bands, 0)));
  EXPECT_EQ(c.At(79, 69), BlueWhiteEntry(model::EntryAt(bands, 39)));
}

TEST(GradBoxPaint, AThousandPaintsLeaveNoGdiObjectsBehind) {
  TGradBox box(nullptr);
  box.SetBounds(0, 0, 377, 57);
  box.SetCaption("ORLO");
  box.SetFont3D(true);
  TMemoryCanvas c(377, 57);
  c.Handle();
  PaintAlone(box, clWhite);  // the box's font and pen are made once
  int before = GdiObjectCount();
  for (int i = 0; i < 1000; ++i) box.PaintOn(c.Handle());
  EXPECT_LE(GdiObjectCount() - before, 2);
}

// --- on screen ------------------------------------------------------------------------

TEST(GradBoxOnScreen, EveryStyleSideBySide) {
  TForm form(nullptr);
  form.SetBounds(20, 20, 700, 330);
  form.SetCaption("TGradBox");
  form.SetColor(clWhite);
  struct Look {
    TGradStyle style;
    TColor top, last;
    bool font3D;
    TFontStyle3D effect;
    int depth;
    bool enabled;
    const char* caption;
  };
  const Look looks[] = {
      {gsTopBottom, clBlue, clWhite, true, fsLow3D, 2, true, "TopBottom Low3D"},
      {gsBottomTop, clGreen, clLime, true, fsRaise3D, 3, true, "BottomTop Raise3D"},
      {gsLeftRight, clSilver, clWhite, true, fsLowShadow, 2, true, "LeftRight LowShadow"},
      {gsRightLeft, clRed, clYellow, true, fsRaiseShadow, 2, true, "RightLeft RaiseShadow"},
      {gsNone, clBlue, clWhite, false, fsLow3D, 1, true, "None, outline"},
      {gsTopBottom, clBtnFace, clWhite, true, fsLow3D, 2, false, "Disabled"},
  };
  std::vector<TGradBox*> boxes;
  for (size_t i = 0; i < std::size(looks); ++i) {
    const Look& l = looks[i];
    auto* b = new TGradBox(&form);
    b->SetParent(&form);
    b->SetBounds(10 + static_cast<int>(i % 3) * 225, 10 + static_cast<int>(i / 3) * 145, 215, 135);
    b->SetGradStyle(l.style);
    b->SetTopColor(l.top);
    b->SetLastColor(l.last);
    b->SetFont3D(l.font3D);
    b->SetStyle3D(l.effect);
    b->SetFontDepth(static_cast<uint8_t>(l.depth));
    b->SetBackFont(l.style == gsLeftRight ? clGray : clBlack);
    b->SetDrawOutLine(l.style == gsNone || l.style == gsLeftRight);
    b->SetEnabled(l.enabled);
    UseBigFont(*b, l.style == gsRightLeft ? clMaroon : l.style == gsNone ? clNavy : clWhite);
    b->Font()->SetHeight(-17);
    b->SetCaption(l.caption);
    boxes.push_back(b);
  }
  form.Show();
  Application->ProcessMessages();
  PumpUntil([] { return false; }, 300);

  // What the screen shows at a pixel below the captions of each box.
  HDC dc = GetDC(form.Handle());
  for (size_t i = 0; i < boxes.size(); ++i) {
    TGradBox* b = boxes[i];
    int x = 100, y = 120;  // inside the box, clear of caption and outline
    TColor shown = static_cast<TColor>(GetPixel(dc, b->Left() + x, b->Top() + y));
    TColor want;
    if (b->GradStyle() == gsNone) {
      want = clWhite;
    } else {
      bool stacked = b->GradStyle() == gsTopBottom || b->GradStyle() == gsBottomTop;
      model::Bands bands = model::BandsFor(stacked ? b->Height() : b->Width());
      int entry = model::EntryAt(bands, stacked ? y : x);
      bool reversed = b->GradStyle() == gsBottomTop || b->GradStyle() == gsRightLeft;
      uint32_t from = ColorToRGB(reversed ? b->LastColor() : b->TopColor());
      uint32_t to = ColorToRGB(reversed ? b->TopColor() : b->LastColor());
      want = entry == 0 ? from : entry == 255 ? to : ModelTable(from, to)[entry];
    }
    EXPECT_EQ(shown, want) << looks[i].caption;
  }
  ReleaseDC(form.Handle(), dc);

  // ORLO_GRADBOX_SHOW_MS keeps the window up for a look or a screenshot.
  char hold[16] = {};
  if (GetEnvironmentVariableA("ORLO_GRADBOX_SHOW_MS", hold, sizeof hold))
    PumpUntil([] { return false; }, static_cast<DWORD>(std::atoi(hold)));
}
