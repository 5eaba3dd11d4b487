// Byte-exact output of the description compiler, checked against hand-written streams.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "test_util.h"
#include "writer.h"

namespace {

// The bytes of the value of property V in "F : T { V = <literal> }".
Bytes valueBytes(const std::string& literal) {
    Bytes all = compile("F : T { V = " + literal + " }");
    const size_t head = 4 + 2 + 2 + 2;  // TPF0, class T, name F, property name V
    if (all.size() < head + 2) return {};
    return Bytes(all.begin() + head, all.end() - 2);  // without the two end bytes
}

// A type-5 value: the type byte, then the ten bytes of the extended float.
Bytes ext(std::initializer_list<uint8_t> tenBytes) {
    Bytes b{5};
    for (uint8_t x : tenBytes) b.push_back(x);  // insert() trips GCC 12's -Wstringop-overread
    return b;
}

}  // namespace

TEST(Stream, EmptyWindowIsSignatureClassNameAndTwoEndBytes) {
    EXPECT_EQ(compile("Form1 : TForm1 { }"),
              cat({"TPF0", {6}, "TForm1", {5}, "Form1", {0, 0}}));
}

TEST(Stream, IntegersTakeTheSmallestTypeUnlessAWidthIsForced) {
    EXPECT_EQ(valueBytes("127"), (Bytes{2, 0x7F}));
    EXPECT_EQ(valueBytes("-128"), (Bytes{2, 0x80}));
    EXPECT_EQ(valueBytes("-12"), (Bytes{2, 0xF4}));
    EXPECT_EQ(valueBytes("+7"), (Bytes{2, 7}));
    EXPECT_EQ(valueBytes("128"), (Bytes{3, 0x80, 0}));
    EXPECT_EQ(valueBytes("-129"), (Bytes{3, 0x7F, 0xFF}));
    EXPECT_EQ(valueBytes("32767"), (Bytes{3, 0xFF, 0x7F}));
    EXPECT_EQ(valueBytes("-32768"), (Bytes{3, 0x00, 0x80}));
    EXPECT_EQ(valueBytes("32768"), (Bytes{4, 0x00, 0x80, 0, 0}));
    EXPECT_EQ(valueBytes("-32769"), (Bytes{4, 0xFF, 0x7F, 0xFF, 0xFF}));
    EXPECT_EQ(valueBytes("2147483647"), (Bytes{4, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(valueBytes("-2147483648"), (Bytes{4, 0, 0, 0, 0x80}));
    // hex: colours and system colours as 32-bit patterns
    EXPECT_EQ(valueBytes("0x00FFEEF0"), (Bytes{4, 0xF0, 0xEE, 0xFF, 0x00}));
    EXPECT_EQ(valueBytes("0x80000008"), (Bytes{4, 0x08, 0, 0, 0x80}));
    EXPECT_EQ(valueBytes("0xFFFFFFFF"), (Bytes{2, 0xFF}));
    EXPECT_EQ(valueBytes("-0x10"), (Bytes{2, 0xF0}));
    // forced widths
    EXPECT_EQ(valueBytes("5:int32"), (Bytes{4, 5, 0, 0, 0}));
    EXPECT_EQ(valueBytes("-1:int16"), (Bytes{3, 0xFF, 0xFF}));
    EXPECT_EQ(valueBytes("0xFF:int8"), (Bytes{2, 0xFF}));
    EXPECT_EQ(valueBytes("0x8000:int16"), (Bytes{3, 0x00, 0x80}));
}

TEST(Stream, FloatsAreTenByteExtendedRoundedFromTheDecimalText) {
    EXPECT_EQ(valueBytes("1.5"), ext({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}));
    EXPECT_EQ(valueBytes("96.0"), ext({0, 0, 0, 0, 0, 0, 0, 0xC0, 0x05, 0x40}));
    EXPECT_EQ(valueBytes("-2e0"), ext({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
    // 0.1 is not exact: the last significand byte must be rounded up to CD
    EXPECT_EQ(valueBytes("0.1"), ext({0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));

    using A = std::array<uint8_t, 10>;
    EXPECT_EQ(formc::encodeExtended(0.0L), (A{}));
    EXPECT_EQ(formc::encodeExtended(-0.0L), (A{0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
    // below the normal range: no integer bit, exponent field 0
    EXPECT_EQ(formc::encodeExtended(std::ldexp(1.0L, -16400)), (A{0, 0, 0, 0, 0, 0x20, 0, 0, 0, 0}));
}

TEST(Stream, EveryScalarValueTypeInOneWindow) {
    const char* src = R"(Form1 : TForm1 {
  Left = 203
  Caption = "ORLO SENDTO"
  Font.Style = [fsBold, fsItalic]
  BorderIcons = []
  Visible = false
  Enabled = TRUE
  PopupMenu = nil
  OnCreate = FormCreate
  FocusControl = Form2.Edit1
  Hint = ""
  Mask = hex(00 FF
             1a2B)   // groups may span lines
})";
    EXPECT_EQ(compile(src),
              cat({"TPF0", {6}, "TForm1", {5}, "Form1",
                   {4}, "Left", {3, 0xCB, 0x00},
                   {7}, "Caption", {6, 11}, "ORLO SENDTO",
                   {10}, "Font.Style", {11, 6}, "fsBold", {8}, "fsItalic", {0},
                   {11}, "BorderIcons", {11, 0},
                   {7}, "Visible", {8},
                   {7}, "Enabled", {9},
                   {9}, "PopupMenu", {13},
                   {8}, "OnCreate", {7, 10}, "FormCreate",
                   {12}, "FocusControl", {7, 11}, "Form2.Edit1",
                   {4}, "Hint", {6, 0},
                   {4}, "Mask", {10, 4, 0, 0, 0, 0x00, 0xFF, 0x1A, 0x2B},
                   {0, 0}}));
}

TEST(Stream, ListsNestAndCollectionsCarryOptionalItemIndexes) {
    EXPECT_EQ(valueBytes(R"(("Move", "Copy"))"), cat({{1, 6, 4}, "Move", {6, 4}, "Copy", {0}}));
    EXPECT_EQ(valueBytes("()"), (Bytes{1, 0}));
    EXPECT_EQ(valueBytes("(1, (True, []), -1.5, Ident,)"),
              cat({{1, 2, 1, 1, 9, 11, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0xBF, 7, 5}, "Ident", {0}}));
    EXPECT_EQ(valueBytes(R"(< item { Width = 50 } item 3 { Text = "b" Tag = 300 } item { } >)"),
              cat({{14, 1, 5}, "Width", {2, 50, 0},
                   {2, 3, 1, 4}, "Text", {6, 1}, "b", {3}, "Tag", {3, 0x2C, 0x01, 0},
                   {1, 0},
                   {0}}));
    EXPECT_EQ(valueBytes("<>"), (Bytes{14, 0}));
}

TEST(Stream, ChildrenNestInOrderWithTheirFlagPrefixes) {
    const char* src = R"(Form1 : TForm1 {
  Tag = 1
  Panel1 : TPanel {
    Left = 8
    Label1 : TLabel { }
  }
  inherited Edit1 : TEdit { }
  Edit2 : TEdit at 2 { }
  inherited Edit3 : TEdit at 300 { Top = -1 }
  : TTimer { }
})";
    EXPECT_EQ(compile(src),
              cat({"TPF0", {6}, "TForm1", {5}, "Form1", {3}, "Tag", {2, 1, 0},
                   {6}, "TPanel", {6}, "Panel1", {4}, "Left", {2, 8, 0},
                   /**/ {6}, "TLabel", {6}, "Label1", {0, 0},
                   {0},
                   {0xF1, 5}, "TEdit", {5}, "Edit1", {0, 0},
                   {0xF2, 2, 2, 5}, "TEdit", {5}, "Edit2", {0, 0},
                   {0xF3, 3, 0x2C, 0x01, 5}, "TEdit", {5}, "Edit3", {3}, "Top", {2, 0xFF, 0, 0},
                   {6}, "TTimer", {0, 0, 0},
                   {0}}));
}

TEST(Stream, StringsOver255BytesBecomeLongStrings) {
    std::string a255(255, 'a');
    EXPECT_EQ(valueBytes('"' + a255 + '"'), cat({{6, 255}, a255.c_str()}));
    // 256 bytes made of two literals on separate lines
    std::string a200(200, 'a'), a56(56, 'a');
    EXPECT_EQ(valueBytes('"' + a200 + "\"\n   \"" + a56 + '"'), cat({{12, 0x00, 0x01, 0, 0}, (a200 + a56).c_str()}));
    // the limit counts CP932 bytes, not characters: 127 × あ (2 bytes each) + "x" fits, 128 × あ does not
    std::string hira127, cp127;
    for (int i = 0; i < 127; ++i) hira127 += "あ", cp127 += "\x82\xA0";
    EXPECT_EQ(valueBytes('"' + hira127 + "x\""), cat({{6, 255}, (cp127 + "x").c_str()}));
    EXPECT_EQ(valueBytes('"' + hira127 + "あ\""), cat({{12, 0x00, 0x01, 0, 0}, (cp127 + "\x82\xA0").c_str()}));
}

TEST(Stream, FileAndBitmapReadBytesBesideTheDescription) {
    TempDir dir;
    dir.write("raw.bin", std::string("\x01\x00\x03", 3));
    std::string bmp = "BM" + std::string(28, '\x11');  // 30 bytes
    dir.write("g.bmp", bmp);
    Bytes out = compile(R"(F : T { A = file("raw.bin") B.Data = bitmap("g.bmp") })", dir.path());
    Bytes bmpBytes = toBytes(bmp);
    Bytes expected = cat({"TPF0", {1}, "T", {1}, "F", {1}, "A", {10, 3, 0, 0, 0, 1, 0, 3},
                          {6}, "B.Data", {10, 34, 0, 0, 0, 30, 0, 0, 0}});
    expected.insert(expected.end(), bmpBytes.begin(), bmpBytes.end());
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(out, expected);

    // a path only has to exist on disk: it may hold characters that CP932 lacks
    dir.write("a¦.bin", "z");
    EXPECT_EQ(compile(R"(F : T { A = file("a¦.bin") })", dir.path()),
              cat({"TPF0", {1}, "T", {1}, "F", {1}, "A", {10, 1, 0, 0, 0}, "z", {0, 0}}));
}
