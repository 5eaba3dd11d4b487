// UTF-8 → CP932 (Windows Japanese code page) conversion for the description compiler.
//
// Conversion goes through glibc's iconv "CP932" table, one code point at a time, so
// that a character without a CP932 form can be reported at its own position.
//
// glibc's table and Windows disagree on a handful of characters that JIS and Unicode
// map ambiguously (the wave dash, the minus sign, the double vertical line, the dashes,
// the yen/overline that share bytes with ASCII, and the cent/pound/not signs). The
// program reads its texts back with the Windows tables, so those characters are pinned
// here to the bytes Windows' own conversion (WideCharToMultiByte on code page 932)
// writes for them, whatever variant of glibc is installed:
//   U+FF5E ～ and U+301C 〜  → 81 60      U+2212 − and U+FF0D －   → 81 7C
//   U+2225 ∥ and U+2016 ‖  → 81 61      U+2015 ― and U+2014 —   → 81 5C
//   U+FFE0 ￠ and U+00A2 ¢  → 81 91      U+FFE1 ￡ and U+00A3 £   → 81 92
//   U+FFE2 ￢ and U+00AC ¬  → 81 CA      U+00A5 ¥ → 5C             U+203E ‾ → 7E
// Each of them then reads back on Windows as the character it stands for (¥ and ‾ read
// back as the backslash and tilde they share a byte with, which Japanese fonts draw as
// ¥ and ‾).
#pragma once

#include <string>

namespace formc {

class Cp932Encoder {
public:
    Cp932Encoder();  // throws std::runtime_error when iconv has no CP932 converter
    ~Cp932Encoder();
    Cp932Encoder(const Cp932Encoder&) = delete;
    Cp932Encoder& operator=(const Cp932Encoder&) = delete;

    // Appends the CP932 bytes of one code point; returns false (appending nothing)
    // when CP932 has no encoding for it.
    bool encode(char32_t cp, std::string& out);

private:
    void* cd_;  // iconv_t
};

// Appends the UTF-8 form of a code point.
void appendUtf8(char32_t cp, std::string& out);

// "U+00A6" style name of a code point, for messages.
std::string codePointName(char32_t cp);

}  // namespace formc
