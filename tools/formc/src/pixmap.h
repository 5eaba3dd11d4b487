// Readable pixel maps: small pictures written as text, turned into 8-bit
// Windows bitmaps (.bmp) and icons (.ico) at build time.
//
//   // comment to the end of the line
//   size 24 24                 // width and height in pixels
//   colour . 00FF55            // a one-character key and its colour, RRGGBB
//   colour k 000000
//   transparent .              // icons only: pixels with this key are masked out
//   pixels                     // then exactly `height` rows of `width` keys, top row first
//   ........................
//
// Keys are printable ASCII characters other than a blank. At most 256 colours;
// the palette keeps the order of the colour lines, padded to 256 entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace formc {

struct PixelMap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> palette;   // 0x00RRGGBB, in the order declared
    std::vector<uint8_t> pixels;     // palette indexes, top row first
    int transparent = -1;            // palette index, or -1
};

// Parses a pixel map. Throws CompileError with the line and column of a fault.
PixelMap parsePixelMap(const std::string& text);

// An 8-bit bottom-up BMP file with a 256-entry palette.
std::string bitmapFile(const PixelMap& map);

// An icon file holding the one 8-bit image with a 256-entry palette; the
// transparent key's pixels are masked out.
std::string iconFile(const PixelMap& map);

}  // namespace formc
