// How the text form is read: CP932 conversion, escapes, and layout freedom.
#include <string>

#include <gtest/gtest.h>

#include "cp932.h"
#include "test_util.h"

namespace {

Bytes captionBytes(const std::string& literal) {
    Bytes all = compile("F : T { C = " + literal + " }");
    return Bytes(all.begin() + 10, all.end() - 2);
}

Bytes encode(formc::Cp932Encoder& enc, char32_t cp) {
    std::string out;
    EXPECT_TRUE(enc.encode(cp, out)) << formc::codePointName(cp);
    return toBytes(out);
}

}  // namespace

TEST(Text, JapaneseTextAndNamesComeOutAsCp932) {
    EXPECT_EQ(captionBytes("\"上書きしますか？\""),
              (Bytes{6, 16, 0x8F, 0xE3, 0x8F, 0x91, 0x82, 0xAB, 0x82, 0xB5, 0x82, 0xDC, 0x82, 0xB7, 0x82, 0xA9, 0x81, 0x48}));
    EXPECT_EQ(captionBytes("\"ＭＳ Ｐゴシック\""),
              (Bytes{6, 15, 0x82, 0x6C, 0x82, 0x72, 0x20, 0x82, 0x6F, 0x83, 0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E}));
    EXPECT_EQ(captionBytes("\"ｸﾗｽ\""), (Bytes{6, 3, 0xB8, 0xD7, 0xBD}));
    // identifiers and component names are converted too
    EXPECT_EQ(compile("日本語 : T { C = 値 }"),
              cat({"TPF0", {1}, "T", {6, 0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA, 1}, "C", {7, 2, 0x92, 0x6C, 0, 0}}));
}

TEST(Text, CharactersGlibcAndWindowsDisagreeOnGetWindowsBytes) {
    formc::Cp932Encoder enc;
    EXPECT_EQ(encode(enc, U'\uFF5E'), (Bytes{0x81, 0x60}));  // ～
    EXPECT_EQ(encode(enc, U'\u301C'), (Bytes{0x81, 0x60}));  // 〜
    EXPECT_EQ(encode(enc, U'\u2212'), (Bytes{0x81, 0x7C}));  // −
    EXPECT_EQ(encode(enc, U'\uFF0D'), (Bytes{0x81, 0x7C}));  // －
    EXPECT_EQ(encode(enc, U'\u00A5'), (Bytes{0x5C}));        // ¥
    EXPECT_EQ(encode(enc, U'\u203E'), (Bytes{0x7E}));        // ‾
    EXPECT_EQ(encode(enc, U'\u2016'), (Bytes{0x81, 0x61}));  // ‖
    EXPECT_EQ(encode(enc, U'\u2014'), (Bytes{0x81, 0x5C}));  // —
    EXPECT_EQ(encode(enc, U'\uFFE2'), (Bytes{0x81, 0xCA}));  // ￢
    // and inside a string, mixed with ordinary text
    EXPECT_EQ(captionBytes("\"1～2−¥\""), (Bytes{6, 7, '1', 0x81, 0x60, '2', 0x81, 0x7C, 0x5C}));

    // characters without a CP932 form are refused, and the encoder keeps working afterwards
    std::string out;
    EXPECT_FALSE(enc.encode(U'\u00A6', out));      // ¦
    EXPECT_FALSE(enc.encode(U'\U0001F600', out));  // emoji
    EXPECT_EQ(out, "");
    EXPECT_EQ(encode(enc, U'あ'), (Bytes{0x82, 0xA0}));
}

TEST(Text, EscapesAndRawBytesInStrings) {
    // \xHH bytes go out unconverted: \x83\x5E is the CP932 form of ソ
    EXPECT_EQ(captionBytes(R"("q\"b\\s\n\r\t\x00\xFF\x83\x5E")"),
              (Bytes{6, 12, 'q', '"', 'b', '\\', 's', '\n', '\r', '\t', 0x00, 0xFF, 0x83, 0x5E}));
}

TEST(Text, LayoutIsFreeAroundTokens) {
    Bytes expected = cat({"TPF0", {1}, "T", {1}, "F", {1}, "A", {2, 1, 1}, "B", {1, 6, 1}, "x", {0, 1}, "C",
                          {11, 1}, "a", {0, 1}, "S", {6, 2}, "yz", {0, 0}});
    // byte order mark, CRLF line ends, comments and a whole window on one line
    EXPECT_EQ(compile("\xEF\xBB\xBF// header\r\nF:T{A=1 B=(\"x\",)//c\r\n C=[a,] S=\"y\"\r\n// between\r\n\"z\"}"),
              expected);
    EXPECT_EQ(compile("F\n:\nT\n{\n\tA\n=\n1\n\tB = (\n\t\t\"x\",\n\t)\n\tC = [\n\t\ta,\n\t]\n\tS = \"y\" \"z\"\n}\n"),
              expected);
}
