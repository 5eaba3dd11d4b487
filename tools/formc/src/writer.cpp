#include "writer.h"

#include <cmath>
#include <limits>

namespace formc {

static_assert(std::numeric_limits<long double>::digits >= 64,
              "encodeExtended needs a long double with at least a 64-bit significand");

std::array<uint8_t, 10> encodeExtended(long double value) {
    std::array<uint8_t, 10> out{};
    unsigned sign = std::signbit(value) ? 1 : 0;
    long double mag = std::fabs(value);
    uint64_t significand = 0;
    int biased = 0;
    if (std::isinf(mag)) {
        significand = 1ull << 63;
        biased = 0x7FFF;
    } else if (std::isnan(mag)) {
        significand = 3ull << 62;
        biased = 0x7FFF;
    } else if (mag != 0) {
        int exp = 0;
        long double frac = std::frexp(mag, &exp);  // mag = frac * 2^exp, 0.5 <= frac < 1
        // Scale the fraction to 64 bits, rounding to nearest-even when long double is wider.
        long double scaled = std::nearbyint(std::ldexp(frac, 64));
        if (scaled >= std::ldexp(1.0L, 64)) {  // rounding carried into a new bit
            scaled = std::ldexp(scaled, -1);
            ++exp;
        }
        significand = static_cast<uint64_t>(scaled);
        biased = exp - 1 + 16383;
        if (biased <= 0) {  // denormal: no integer bit, exponent field 0
            int shift = 1 - biased;
            significand = shift >= 64 ? 0 : significand >> shift;
            biased = 0;
        } else if (biased >= 0x7FFF) {
            significand = 1ull << 63;
            biased = 0x7FFF;
        }
    }
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(significand >> (8 * i));
    unsigned top = (sign << 15) | static_cast<unsigned>(biased);
    out[8] = static_cast<uint8_t>(top & 0xFF);
    out[9] = static_cast<uint8_t>(top >> 8);
    return out;
}

namespace {

class Writer {
public:
    std::string take() { return std::move(out_); }

    void signature() { out_ += "TPF0"; }

    void component(const Component& c) {
        if (c.inherited || c.hasPosition) {
            uint8_t flags = (c.inherited ? ffInherited : 0) | (c.hasPosition ? ffChildPos : 0);
            byte(0xF0 | flags);
            if (c.hasPosition) value(c.position);
        }
        shortString(c.className, "class name");
        shortString(c.name, "component name");
        for (const Property& p : c.properties) property(p);
        byte(vaNull);
        for (const Component& child : c.children) component(child);
        byte(vaNull);
    }

private:
    void byte(uint8_t b) { out_ += static_cast<char>(b); }

    void littleEndian(uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) byte(static_cast<uint8_t>(v >> (8 * i)));
    }

    void shortString(const Name& n, const char* what) {
        if (n.bytes.size() > 255)
            throw CompileError(n.loc, std::string(what) + " is " + std::to_string(n.bytes.size()) +
                                          " bytes long; at most 255 fit");
        byte(static_cast<uint8_t>(n.bytes.size()));
        out_ += n.bytes;
    }

    void sized(const std::string& data, SourceLoc loc) {
        if (data.size() > 0xFFFFFFFFull) throw CompileError(loc, "data too large for a 32-bit length");
        littleEndian(data.size(), 4);
        out_ += data;
    }

    void property(const Property& p) {
        shortString(p.name, "property name");
        value(p.value);
    }

    void integer(const Value& v) {
        int width = v.width;
        if (width == 0) width = v.integer >= -128 && v.integer <= 127 ? 1 : v.integer >= -32768 && v.integer <= 32767 ? 2 : 4;
        byte(width == 1 ? vaInt8 : width == 2 ? vaInt16 : vaInt32);
        littleEndian(static_cast<uint64_t>(v.integer), width);
    }

    void value(const Value& v) {
        switch (v.kind) {
            case ValueKind::Integer:
                integer(v);
                break;
            case ValueKind::Float: {
                byte(vaExtended);
                for (uint8_t b : encodeExtended(v.real)) byte(b);
                break;
            }
            case ValueKind::String:
                if (v.bytes.size() <= 255) {
                    byte(vaString);
                    shortString(Name{v.bytes, v.loc}, "string");
                } else {
                    byte(vaLString);
                    sized(v.bytes, v.loc);
                }
                break;
            case ValueKind::Identifier:
                byte(vaIdent);
                shortString(Name{v.bytes, v.loc}, "identifier");
                break;
            case ValueKind::False: byte(vaFalse); break;
            case ValueKind::True: byte(vaTrue); break;
            case ValueKind::Nil: byte(vaNil); break;
            case ValueKind::Binary:
                byte(vaBinary);
                sized(v.bytes, v.loc);
                break;
            case ValueKind::Set:
                byte(vaSet);
                for (const Name& e : v.elements) shortString(e, "set element");
                byte(0);
                break;
            case ValueKind::List:
                byte(vaList);
                for (const Value& item : v.list) value(item);
                byte(vaNull);
                break;
            case ValueKind::Collection:
                byte(vaCollection);
                for (const CollectionItem& item : v.items) {
                    if (item.hasIndex) integer(item.index);
                    byte(vaList);
                    for (const Property& p : item.properties) property(p);
                    byte(vaNull);
                }
                byte(vaNull);
                break;
        }
    }

    std::string out_;
};

}  // namespace

std::string writeStream(const Component& root) {
    Writer w;
    w.signature();
    w.component(root);
    return w.take();
}

}  // namespace formc
