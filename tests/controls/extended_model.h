// An exact software model of the gradient's arithmetic: binary floating
// point with a p-bit significand, round to nearest even, for the values the
// gradient meets (integers 0..255 and their steps of n/255). Every such value
// is a whole multiple of 2^-71, so each is held as a sign and a 128-bit count
// of 2^-71 units; nothing here touches the floating-point unit.
#pragma once
#include <cstdint>

namespace gradient_model {

struct U128 {
  uint64_t hi = 0, lo = 0;

  static U128 Of(uint64_t v) { return U128{0, v}; }
  bool operator==(const U128& o) const { return hi == o.hi && lo == o.lo; }
  bool operator<(const U128& o) const { return hi != o.hi ? hi < o.hi : lo < o.lo; }
  U128 operator+(const U128& o) const {
    U128 r{hi + o.hi, lo + o.lo};
    if (r.lo < lo) ++r.hi;
    return r;
  }
  U128 operator-(const U128& o) const {  // *this >= o
    U128 r{hi - o.hi, lo - o.lo};
    if (lo < o.lo) --r.hi;
    return r;
  }
  U128 operator<<(int n) const {
    if (n == 0) return *this;
    if (n >= 64) return U128{lo << (n - 64), 0};
    return U128{(hi << n) | (lo >> (64 - n)), lo << n};
  }
  U128 operator>>(int n) const {
    if (n == 0) return *this;
    if (n >= 64) return U128{0, hi >> (n - 64)};
    return U128{hi >> n, (lo >> n) | (hi << (64 - n))};
  }
  int BitLength() const {
    uint64_t top = hi ? hi : lo;
    int n = hi ? 64 : 0;
    for (int half = 32; half > 0; half /= 2)
      if (top >> half) {
        top >>= half;
        n += half;
      }
    return top ? n + 1 : n;
  }
  bool Odd() const { return lo & 1; }
};

constexpr int kScale = 71;  // values are counts of 2^-71

struct Value {
  bool negative = false;
  U128 units;

  static Value Integer(int v) {
    Value r;
    r.negative = v < 0;
    r.units = U128::Of(static_cast<uint64_t>(v < 0 ? -v : v)) << kScale;
    return r;
  }
  // Truncated toward zero.
  int Trunc() const {
    int whole = static_cast<int>((units >> kScale).lo);
    return negative ? -whole : whole;
  }
};

// Rounds to a significand of `bits` bits, to nearest, ties to even.
inline Value Round(Value v, int bits) {
  int length = v.units.BitLength();
  if (length <= bits) return v;
  int drop = length - bits;
  U128 kept = v.units >> drop;
  U128 rest = v.units - (kept << drop);
  U128 half = U128::Of(1) << (drop - 1);
  if (half < rest || (rest == half && kept.Odd())) kept = kept + U128::Of(1);
  v.units = kept << drop;
  return v;
}

inline Value Subtract(const Value& a, const Value& b) {
  Value r;
  if (a.negative != b.negative) {  // a - (-|b|) or -|a| - |b|
    r.negative = a.negative;
    r.units = a.units + b.units;
  } else if (b.units < a.units) {
    r.negative = a.negative;
    r.units = a.units - b.units;
  } else {
    r.negative = !a.negative;
    r.units = b.units - a.units;
  }
  return r;
}

inline Value Negate(Value v) {
  v.negative = !v.negative;
  return v;
}
inline Value Add(const Value& a, const Value& b) { return Subtract(a, Negate(b)); }

// v x n for a small non-negative n, exactly.
inline Value Multiply(const Value& v, uint32_t n) {
  Value r;
  r.negative = v.negative;
  for (int bit = 31; bit >= 0; --bit) {
    r.units = r.units << 1;
    if (n & (1u << bit)) r.units = r.units + v.units;
  }
  return r;
}

// 1/255 in the 80-bit format: 0x8080808080808081 units of 2^-71.
constexpr uint64_t kOneBy255Significand = 0x8080808080808081ull;

inline Value OneBy255() {
  Value k;
  k.units = U128::Of(kOneBy255Significand);
  return k;
}

// The colour channel of table entries 1..254 going from `from` to `to`,
// with every product and difference rounded to `bits` bits.
inline void Channel(int from, int to, int bits, int out[255]) {
  int difference = from - to;
  Value step = Round(Multiply(OneBy255(), static_cast<uint32_t>(difference < 0 ? -difference
                                                                             : difference)),
                     bits);
  step.negative = difference < 0;
  Value running = Value::Integer(from);
  for (int i = 1; i <= 254; ++i) {
    running = Round(Subtract(running, step), bits);
    out[i] = running.Trunc() & 0xFF;
  }
}

// Where the box's fills start along a side `length` pixels long (fill k
// starts at starts[k]) and how long each is, in 80-bit arithmetic.
struct Bands {
  int band = 0;
  int starts[256] = {};
};
inline Bands BandsFor(int length) {
  Bands b;
  Value step = Round(Multiply(OneBy255(), static_cast<uint32_t>(length)), 64);
  b.band = Round(Add(step, Value::Integer(1)), 64).Trunc();
  b.starts[0] = 0;
  for (int k = 1; k < 256; ++k) b.starts[k] = Round(Multiply(step, static_cast<uint32_t>(k - 1)), 64).Trunc();
  return b;
}
// The table entry that shows at pixel `pos` along that side: the last fill
// that covers it, or -1 where none does.
inline int EntryAt(const Bands& b, int pos) {
  int entry = -1;
  for (int k = 0; k < 256; ++k)
    if (b.starts[k] <= pos && pos < b.starts[k] + b.band) entry = k;
  return entry;
}

}  // namespace gradient_model
