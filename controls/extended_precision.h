// The x87 unit's state for arithmetic that must be done in the 80-bit
// extended format (64-bit significand, round to nearest even) whatever the
// thread happens to run with: 64-bit Windows and new threads start the unit
// at 53 bits, where every long double product and difference would be
// rounded to double's precision, and a caller may have changed the rounding.
#pragma once
#include <cfloat>
#include <cstdint>

static_assert(LDBL_MANT_DIG == 64, "long double must be the x87 80-bit extended type");

namespace orlo {

// The x87 control word: precision control in bits 8-9, rounding in 10-11,
// exception masks in 0-5.
enum : uint16_t {
  kX87PrecisionMask = 0x0300,
  kX87Precision24 = 0x0000,
  kX87Precision53 = 0x0200,
  kX87Precision64 = 0x0300,
  kX87RoundingMask = 0x0C00,
  kX87ExceptionMasks = 0x003F,
};

uint16_t X87ControlWord();
void SetX87ControlWord(uint16_t word);

// For one scope: 64-bit precision, round to nearest even, every exception
// masked. The caller's control and status words come back however the
// scope ends.
class TExtendedPrecision {
public:
  TExtendedPrecision();
  ~TExtendedPrecision();
  TExtendedPrecision(const TExtendedPrecision&) = delete;
  TExtendedPrecision& operator=(const TExtendedPrecision&) = delete;

private:
  unsigned char environment_[28];  // the unit's environment as fnstenv stores it
};

}  // namespace orlo
