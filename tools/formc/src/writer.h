// Emits the binary window description stream ("TPF0" …) that the framework's reader loads.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ast.h"

namespace formc {

// Value type bytes of the stream.
enum ValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
};

// Component record prefix: 0xF0 | flags.
enum FilerFlag : uint8_t {
    ffInherited = 0x01,
    ffChildPos = 0x02,
};

// Serializes a parsed description. Throws CompileError for names or other short
// strings over 255 bytes and for data too large for a 32-bit length.
std::string writeStream(const Component& root);

// The 10 little-endian bytes of an x87 80-bit extended float:
// 64-bit significand with an explicit integer bit, then sign and 15-bit exponent.
std::array<uint8_t, 10> encodeExtended(long double value);

}  // namespace formc
