// Readable pixel maps into bitmaps and icons, byte for byte where it matters.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "driver.h"
#include "pixmap.h"
#include "test_util.h"

using namespace formc;

namespace {

uint32_t u32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
           static_cast<uint8_t>(s[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

const char* kThreeByTwo =
    "// a tiny picture\n"
    "size 3 2\n"
    "colour . 00FF55   // background\n"
    "colour k 000000\n"
    "colour r FF0000\n"
    "transparent .\n"
    "pixels\n"
    "kr.\n"
    "..k\n";

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

TEST(PixelMap, BecomesAnEightBitBottomUpBitmapWithItsPalette) {
    std::string bmp = bitmapFile(parsePixelMap(kThreeByTwo));
    ASSERT_GE(bmp.size(), 14u + 40 + 1024 + 8);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(u32(bmp, 2), bmp.size());
    const uint32_t offset = u32(bmp, 10);
    EXPECT_EQ(offset, 14u + 40 + 1024);
    EXPECT_EQ(u32(bmp, 18), 3u);  // width
    EXPECT_EQ(u32(bmp, 22), 2u);  // height, positive: bottom-up
    EXPECT_EQ(static_cast<uint8_t>(bmp[28]), 8);
    EXPECT_EQ(u32(bmp, 46), 0u);  // colours used: the whole 256-entry palette
    // Palette quads are blue, green, red, 0: 00FF55 is 55 FF 00.
    EXPECT_EQ(bmp.substr(54, 4), std::string("\x55\xFF\x00\x00", 4));
    EXPECT_EQ(bmp.substr(62, 4), std::string("\x00\x00\xFF\x00", 4));
    // Rows padded to 4 bytes, the bottom row first: "..k" then "kr.".
    EXPECT_EQ(bmp.substr(offset), std::string("\x00\x00\x01\x00\x01\x02\x00\x00", 8));
}

TEST(PixelMap, IconHasAMaskForTheTransparentKeyAndBlackUnderIt) {
    std::string ico = iconFile(parsePixelMap(kThreeByTwo));
    EXPECT_EQ(ico.substr(0, 6), std::string("\x00\x00\x01\x00\x01\x00", 6));
    EXPECT_EQ(static_cast<uint8_t>(ico[6]), 3);  // width
    EXPECT_EQ(static_cast<uint8_t>(ico[7]), 2);  // height
    EXPECT_EQ(u32(ico, 14), ico.size() - 22);    // bytes of the image
    EXPECT_EQ(u32(ico, 18), 22u);                // where it starts
    EXPECT_EQ(u32(ico, 22 + 8), 4u);             // height doubled for the mask
    // The transparent colour becomes black in the colour image...
    EXPECT_EQ(ico.substr(22 + 40, 4), std::string("\0\0\0\0", 4));
    // ...and its pixels are set in the mask (1 bit a pixel, rows of 4 bytes,
    // bottom row first): "..k" -> 110, "kr." -> 001.
    const size_t mask = 22 + 40 + 1024 + 8;
    EXPECT_EQ(ico.substr(mask), std::string("\xC0\0\0\0\x20\0\0\0", 8));
}

TEST(PixelMap, FaultsNameTheirLine) {
    auto lineOf = [](const std::string& text) {
        try {
            parsePixelMap(text);
        } catch (const CompileError& e) {
            return e.loc.line;
        }
        return 0;
    };
    EXPECT_EQ(lineOf("size 2 1\ncolour a 000000\npixels\nab\n"), 4);      // undeclared key
    EXPECT_EQ(lineOf("size 2 1\ncolour a 000000\npixels\naaa\n"), 4);     // too wide
    EXPECT_EQ(lineOf("size 2 2\ncolour a 000000\npixels\naa\n"), 4);      // too few rows
    EXPECT_EQ(lineOf("size 2 1\ncolour a 00000G\npixels\naa\n"), 2);      // not hexadecimal
    EXPECT_EQ(lineOf("size 2 1\ncolour a 000000\ncolour a 111111\n"), 3); // key twice
    EXPECT_EQ(lineOf("colour a 000000\npixels\n"), 2);                     // no size
    EXPECT_EQ(lineOf("size 1 1\ncolour a 000000\nshade a\n"), 3);         // unknown word
}

TEST(PixelMap, DescriptionsTakeThemAsBitmapData) {
    TempDir dir;
    dir.write("glyph.txt", kThreeByTwo);
    Bytes stream = compile("F : T { Glyph.Data = pixmap(\"glyph.txt\") }", dir.path());
    const std::string bmp = bitmapFile(parsePixelMap(kThreeByTwo));
    // Type 10 (binary), the 4-byte length, then the size-prefixed .bmp file.
    Bytes expected{10};
    const uint32_t n = static_cast<uint32_t>(bmp.size() + 4);
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(n >> (8 * i)));
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(bmp.size() >> (8 * i)));
    expected.insert(expected.end(), bmp.begin(), bmp.end());
    const size_t head = 4 + 2 + 2 + 11;  // TPF0, class T, name F, "Glyph.Data" with its length byte
    ASSERT_GT(stream.size(), head + 2);
    EXPECT_EQ(Bytes(stream.begin() + head, stream.end() - 2), expected);

    dir.write("bad.txt", "size 1 1\ncolour a 000000\npixels\nb\n");
    CompileError e = compileError("F : T {\n  Glyph.Data = pixmap(\"bad.txt\") }", dir.path());
    EXPECT_EQ(e.loc.line, 2);
    EXPECT_NE(std::string(e.what()).find("bad.txt:4:1"), std::string::npos) << e.what();
}

TEST(PixelMap, TheIconCommandWritesTheFileOrNothing) {
    TempDir dir;
    dir.write("icon.txt", kThreeByTwo);
    std::ostringstream err;
    const std::string out = dir.file("out.ico");
    const char* ok[] = {"formc", "--icon", "", ""};
    const std::string in = dir.file("icon.txt");
    ok[2] = in.c_str();
    ok[3] = out.c_str();
    EXPECT_EQ(runFormc(4, ok, err), 0) << err.str();
    EXPECT_EQ(sorted(dir.list()), (std::vector<std::string>{"icon.txt", "out.ico"}));

    dir.write("bad.txt", "size 1 1\n");
    const std::string bad = dir.file("bad.txt");
    const std::string badOut = dir.file("bad.ico");
    const char* fails[] = {"formc", "--icon", bad.c_str(), badOut.c_str()};
    EXPECT_EQ(runFormc(4, fails, err), 1);
    EXPECT_NE(err.str().find("bad.txt:"), std::string::npos);
    EXPECT_EQ(sorted(dir.list()), (std::vector<std::string>{"bad.txt", "icon.txt", "out.ico"}));
}
