// Robustness of the description reader: many damaged copies of one valid
// description, each read into a fresh window. Every copy must either read or
// fail with an EReadError, leaving no object behind once the window is gone.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "reader_stream_builder.h"
#include "reader_test_components.h"

using reader_support::MakeStream;
using reader_support::TDescriptionBuilder;

namespace {

// xorshift64: small, fast and the same sequence on every run.
class TRandom {
public:
  explicit TRandom(uint64_t seed) : s_(seed) {}
  uint64_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return s_;
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }

private:
  uint64_t s_;
};

// A description that uses every value type, every record flag and every way
// of referring to a component.
TDescriptionBuilder ValidDescription() {
  TDescriptionBuilder b;
  b.Signature().Record("TTestInheritedForm", "Form1")
      .Prop("Tag").Int16(-300)
      .Prop("TextHeight").Int8(12)
      .End();
  b.Prefix(ffInherited).Record("TTestWidget", "Base1").Prop("Caption").Str("base").End().End();
  b.Record("TTestWidget", "Button1")
      .Prop("Left").Int8(8)
      .Prop("Top").Int16(1000)
      .Prop("Width").Int32(100000)
      .Prop("Color").Ident("clRed")
      .Prop("Accel").Str("A")
      .Prop("Align").Ident("alTop")
      .Prop("Visible").False()
      .Prop("Ratio").Float(0.5L)
      .Prop("Caption").LStr("caption text")
      .Prop("Styles").Set({"ssBold", "ssItalic"})
      .Prop("Font.Height").Int8(-12)
      .Prop("Font.Name").Str("MS UI Gothic")
      .Prop("Extra").Nil()
      .Prop("ItemIndex").Int8(1)
      .Prop("Items").Collection()
      .Int8(1).List().Prop("Caption").Str("one").Prop("Value").Int16(-2).End()
      .List().Prop("Caption").LStr("two").End()
      .End()
      .Prop("Buddy").Ident("Button2")
      .Prop("OnClick").Ident("ButtonClick")
      .Prop("OnKey").Ident("KeyPress")
      .Prop("Lines").List().Str("a").LStr("b").End()
      .Prop("Data").Binary(std::string("BM\x06\0\0\0", 6))
      .End();
  b.Prefix(ffChildPos).Int8(0).Record("TTestWidget", "Inner1")
      .Prop("Buddy").Ident("Form1.Button1")
      .Prop("OnClick").Nil()
      .Prop("Visible").True()
      .End().End();
  b.End();  // Button1's children
  b.Record("TTestWidget", "Button2").Prop("Buddy").Ident("Form2.Edit1").End().End();
  b.Record("TTestOther", "Other1").End().End();
  b.End();
  return b;
}

std::string Mutate(const TDescriptionBuilder& base, TRandom& rnd) {
  static const uint8_t kInteresting[] = {0,    1,    2,    3,    4,    5,    6,    7,    8,
                                         9,    10,   11,   12,   13,   14,   15,   0x7F, 0x80,
                                         0xF0, 0xF1, 0xF2, 0xF3, 0xFE, 0xFF};
  std::string s = base.Bytes();
  const int rounds = 1 + static_cast<int>(rnd.Below(3));
  for (int round = 0; round < rounds && !s.empty(); ++round) {
    const uint32_t size = static_cast<uint32_t>(s.size());
    switch (rnd.Below(6)) {
      case 0:  // flip a few bits
        for (uint32_t n = 1 + rnd.Below(4); n > 0; --n) s[rnd.Below(size)] ^= 1 << rnd.Below(8);
        break;
      case 1:  // replace bytes with type bytes, flags and edge values
        for (uint32_t n = 1 + rnd.Below(3); n > 0; --n)
          s[rnd.Below(size)] = static_cast<char>(
              rnd.Below(4) ? kInteresting[rnd.Below(sizeof kInteresting)] : rnd.Below(256));
        break;
      case 2:  // cut anywhere
        s.resize(rnd.Below(size));
        break;
      case 3: {  // wrong or huge 4-byte lengths
        const auto& fields = base.LengthFields();
        const size_t at = fields[rnd.Below(static_cast<uint32_t>(fields.size()))];
        if (at + 4 > s.size()) break;
        const uint32_t rest = static_cast<uint32_t>(s.size() - at - 4);
        const uint32_t choices[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, rest, rest + 1,
                                    rest - 1,    0,           static_cast<uint32_t>(rnd.Next())};
        const uint32_t v = choices[rnd.Below(8)];
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
        break;
      }
      case 4:  // drop a span
        s.erase(rnd.Below(size), 1 + rnd.Below(8));
        break;
      case 5:  // insert random bytes
        s.insert(rnd.Below(size + 1), std::string(1 + rnd.Below(4), static_cast<char>(rnd.Below(256))));
        break;
    }
  }
  return s;
}

std::string Hex(const std::string& s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02X", c);
    out += buf;
  }
  return out;
}

}  // namespace

TEST(DescriptionRobustness, DamagedDescriptionsReadOrFailCleanly) {
  // The other window that "Form2.Edit1" finds.
  TTestForm form2(nullptr);
  form2.SetName("Form2");
  (new TTestWidget(&form2))->SetName("Edit1");
  TFindGlobalComponent previous = SetFindGlobalComponent(
      [&form2](const std::string& name) -> TComponent* {
        return SameTextAscii(name, "Form2") ? &form2 : nullptr;
      });
  const int baseline = g_live;
  const TDescriptionBuilder base = ValidDescription();

  // The undamaged description reads completely.
  {
    TTestInheritedForm root(nullptr);
    auto s = MakeStream(base.Bytes());
    TReader(*s).ReadRootComponent(&root);
    ASSERT_EQ(root.ComponentCount(), 5);
    auto* button = As<TTestWidget>(root.FindComponent("Button1"));
    EXPECT_EQ(button->Items.Items(1)->Value, -2);
    EXPECT_EQ(button->Children.at(0)->Buddy, button);
    EXPECT_EQ(As<TTestWidget>(root.FindComponent("Button2"))->Buddy, form2.Components(0));
  }

  TRandom rnd(0x5EED0F0EDC0FFEEULL);
  const int kVariants = 120000;
  int clean = 0, errors = 0, failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kVariants && failures < 5; ++i) {
    const std::string bytes = Mutate(base, rnd);
    auto* root = new TTestInheritedForm(nullptr);
    std::string problem;
    try {
      auto s = MakeStream(bytes);
      TReader(*s).ReadRootComponent(root);
      ++clean;
    } catch (const EReadError&) {
      ++errors;
      // Nothing the description made is left: only the constructor's Base1.
      if (root->ComponentCount() != 1 || root->FindComponent("Base1") != root->Base)
        problem = "components left after a failure";
    } catch (const std::exception& e) {
      problem = std::string("unexpected exception: ") + e.what();
    }
    if (problem.empty() && (root->ComponentState() & (csLoading | csReading)))
      problem = "the root is still marked as loading";
    delete root;
    if (problem.empty() && g_live != baseline) problem = "objects left alive";
    if (!problem.empty()) {
      ADD_FAILURE() << "variant " << i << ": " << problem << "\n" << Hex(bytes);
      g_live = baseline;
      ++failures;
    }
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start).count();
  std::printf("robustness: %d variants (%d read, %d refused) in %lld ms\n", clean + errors, clean,
              errors, static_cast<long long>(ms));
  EXPECT_EQ(clean + errors, kVariants);
  // Both outcomes occur, or the damage never reaches past the signature.
  EXPECT_GT(clean, 0);
  EXPECT_GT(errors, 0);
  SetFindGlobalComponent(previous);
}
