#include "pixmap.h"

#include <sstream>

#include "diagnostics.h"

namespace formc {

namespace {

void put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Strips a "//" comment and trailing blanks.
std::string content(const std::string& line) {
    std::string s = line.substr(0, line.find("//"));
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
    return s;
}

bool isKey(char c) { return c > ' ' && c < 0x7F; }

// The palette: 256 quads, blue, green, red, zero.
void putPalette(std::string& out, const PixelMap& map) {
    for (size_t i = 0; i < 256; ++i) {
        uint32_t c = i < map.palette.size() ? map.palette[i] : 0;
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
        out += static_cast<char>((c >> 16) & 0xFF);
        out += '\0';
    }
}

void putInfoHeader(std::string& out, const PixelMap& map, int storedHeight, uint32_t imageBytes) {
    put32(out, 40);
    put32(out, static_cast<uint32_t>(map.width));
    put32(out, static_cast<uint32_t>(storedHeight));
    put16(out, 1);   // planes
    put16(out, 8);   // bits per pixel
    put32(out, 0);   // BI_RGB
    put32(out, imageBytes);
    put32(out, 3780);  // 96 pixels per inch, in pixels per metre
    put32(out, 3780);
    put32(out, 0);   // colours used: all 256 entries of the palette
    put32(out, 0);
}

uint32_t rowBytes(int width, int bitsPerPixel) {
    return ((static_cast<uint32_t>(width) * static_cast<uint32_t>(bitsPerPixel) + 31) / 32) * 4;
}

void putPixelRows(std::string& out, const PixelMap& map) {
    const uint32_t stride = rowBytes(map.width, 8);
    for (int y = map.height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < map.width; ++x)
            row[static_cast<size_t>(x)] = static_cast<char>(map.pixels[static_cast<size_t>(y * map.width + x)]);
        out += row;
    }
}

}  // namespace

PixelMap parsePixelMap(const std::string& text) {
    PixelMap map;
    int keyIndex[128];
    for (int& k : keyIndex) k = -1;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    bool inPixels = false;
    int row = 0;
    auto fail = [&](int col, const std::string& message) -> void {
        throw CompileError(SourceLoc{lineNo, col}, message);
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string line = content(raw);
        if (inPixels) {
            if (line.empty()) continue;
            if (row >= map.height) fail(1, "more than " + std::to_string(map.height) + " rows of pixels");
            if (static_cast<int>(line.size()) != map.width)
                fail(1, "a row of " + std::to_string(line.size()) + " pixels; the picture is " +
                            std::to_string(map.width) + " wide");
            for (int x = 0; x < map.width; ++x) {
                char c = line[static_cast<size_t>(x)];
                int idx = isKey(c) ? keyIndex[static_cast<unsigned char>(c)] : -1;
                if (idx < 0) fail(x + 1, std::string("'") + c + "' is not a declared colour key");
                map.pixels.push_back(static_cast<uint8_t>(idx));
            }
            ++row;
            continue;
        }
        std::istringstream words(line);
        std::string word;
        if (!(words >> word)) continue;
        if (word == "size") {
            if (!(words >> map.width >> map.height) || map.width <= 0 || map.height <= 0 ||
                map.width > 1024 || map.height > 1024)
                fail(1, "size needs a width and a height from 1 to 1024");
        } else if (word == "colour") {
            std::string key, hex;
            if (!(words >> key >> hex) || key.size() != 1 || !isKey(key[0]))
                fail(1, "colour needs a one-character key and an RRGGBB value");
            if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                fail(1, "'" + hex + "' is not an RRGGBB colour");
            if (keyIndex[static_cast<unsigned char>(key[0])] >= 0) fail(1, "colour key '" + key + "' declared twice");
            if (map.palette.size() >= 256) fail(1, "more than 256 colours");
            keyIndex[static_cast<unsigned char>(key[0])] = static_cast<int>(map.palette.size());
            map.palette.push_back(static_cast<uint32_t>(std::stoul(hex, nullptr, 16)));
        } else if (word == "transparent") {
            std::string key;
            if (!(words >> key) || key.size() != 1 || keyIndex[static_cast<unsigned char>(key[0])] < 0)
                fail(1, "transparent needs a declared colour key");
            map.transparent = keyIndex[static_cast<unsigned char>(key[0])];
        } else if (word == "pixels") {
            if (map.width == 0) fail(1, "pixels before size");
            if (map.palette.empty()) fail(1, "pixels before any colour");
            inPixels = true;
        } else {
            fail(1, "unknown word '" + word + "'");
        }
    }
    if (!inPixels) throw CompileError(SourceLoc{lineNo, 1}, "no pixels");
    if (row != map.height)
        throw CompileError(SourceLoc{lineNo, 1}, std::to_string(row) + " rows of pixels; the picture is " +
                                                     std::to_string(map.height) + " high");
    return map;
}

std::string bitmapFile(const PixelMap& map) {
    const uint32_t image = rowBytes(map.width, 8) * static_cast<uint32_t>(map.height);
    const uint32_t offset = 14 + 40 + 256 * 4;
    std::string out = "BM";
    put32(out, offset + image);
    put32(out, 0);
    put32(out, offset);
    putInfoHeader(out, map, map.height, image);
    putPalette(out, map);
    putPixelRows(out, map);
    return out;
}

std::string iconFile(const PixelMap& source) {
    // Masked pixels must be black in the colour image, or the screen behind
    // them would be inverted rather than shown.
    PixelMap map = source;
    if (map.transparent >= 0) map.palette[static_cast<size_t>(map.transparent)] = 0;
    const uint32_t xorBytes = rowBytes(map.width, 8) * static_cast<uint32_t>(map.height);
    const uint32_t andStride = rowBytes(map.width, 1);
    const uint32_t andBytes = andStride * static_cast<uint32_t>(map.height);
    const uint32_t imageSize = 40 + 256 * 4 + xorBytes + andBytes;
    std::string out;
    put16(out, 0);  // reserved
    put16(out, 1);  // an icon
    put16(out, 1);  // one image
    out += static_cast<char>(map.width >= 256 ? 0 : map.width);
    out += static_cast<char>(map.height >= 256 ? 0 : map.height);
    out += '\0';    // 256 colours
    out += '\0';
    put16(out, 1);  // planes
    put16(out, 8);  // bits per pixel
    put32(out, imageSize);
    put32(out, 6 + 16);
    // The image's height counts the colour rows and the mask rows.
    putInfoHeader(out, map, map.height * 2, xorBytes + andBytes);
    putPalette(out, map);
    putPixelRows(out, map);
    for (int y = map.height - 1; y >= 0; --y) {
        std::string row(andStride, '\0');
        for (int x = 0; x < map.width; ++x)
            if (map.transparent >= 0 && map.pixels[static_cast<size_t>(y * map.width + x)] == map.transparent)
                row[static_cast<size_t>(x / 8)] = static_cast<char>(row[static_cast<size_t>(x / 8)] | (0x80 >> (x % 8)));
        out += row;
    }
    return out;
}

}  // namespace formc
