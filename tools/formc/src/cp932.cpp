#include "cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace formc {

namespace {

struct PinnedChar {
    char32_t cp;
    const char* bytes;
};

// See the header: characters whose bytes follow Windows rather than glibc.
const PinnedChar kPinned[] = {
    {U'\uFF5E', "\x81\x60"}, {U'\u301C', "\x81\x60"},
    {U'\u2212', "\x81\x7C"}, {U'\uFF0D', "\x81\x7C"},
    {U'\u2225', "\x81\x61"}, {U'\u2016', "\x81\x61"},
    {U'\u2015', "\x81\x5C"}, {U'\u2014', "\x81\x5C"},
    {U'\uFFE0', "\x81\x91"}, {U'\u00A2', "\x81\x91"},
    {U'\uFFE1', "\x81\x92"}, {U'\u00A3', "\x81\x92"},
    {U'\uFFE2', "\x81\xCA"}, {U'\u00AC', "\x81\xCA"},
    {U'\u00A5', "\x5C"},     {U'\u203E', "\x7E"},
};

iconv_t handle(void* cd) { return static_cast<iconv_t>(cd); }

}  // namespace

Cp932Encoder::Cp932Encoder() {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv has no UTF-8 to CP932 converter on this system");
    cd_ = cd;
}

Cp932Encoder::~Cp932Encoder() { iconv_close(handle(cd_)); }

bool Cp932Encoder::encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return true;
    }
    for (const PinnedChar& p : kPinned) {
        if (p.cp == cp) {
            out += p.bytes;
            return true;
        }
    }
    std::string utf8;
    appendUtf8(cp, utf8);
    char* in = utf8.data();
    size_t inLeft = utf8.size();
    char buf[8];
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t rc = iconv(handle(cd_), &in, &inLeft, &dst, &dstLeft);
    if (rc == static_cast<size_t>(-1) || inLeft != 0) {
        iconv(handle(cd_), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        return false;
    }
    // glibc converts a few characters "irreversibly" (rc > 0) by substitution; those
    // are not real CP932 characters, so they are refused rather than guessed at.
    if (rc != 0) return false;
    out.append(buf, static_cast<size_t>(dst - buf));
    return true;
}

void appendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string codePointName(char32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

}  // namespace formc
