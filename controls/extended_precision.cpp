#include "extended_precision.h"

// Only compilers whose long double is the x87 extended type get this far
// (see the header); they all take GNU-style assembly.
#if !defined(__GNUC__) || !(defined(__i386__) || defined(__x86_64__))
#error "the x87 control word is read and written with GNU-style assembly"
#endif

namespace orlo {

// Kept out of line: the calls stand between the arithmetic and the caller's
// code, so the compiler cannot move the computation out of the guarded scope.

uint16_t X87ControlWord() {
  uint16_t word = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  return word;
}

void SetX87ControlWord(uint16_t word) { __asm__ __volatile__("fldcw %0" : : "m"(word)); }

TExtendedPrecision::TExtendedPrecision() {
  // The whole environment, so that the flags the arithmetic raises do not
  // reach a caller who has exceptions unmasked.
  __asm__ __volatile__("fnstenv %0" : "=m"(environment_));
  uint16_t caller = static_cast<uint16_t>(environment_[0] | (environment_[1] << 8));
  SetX87ControlWord(static_cast<uint16_t>((caller & ~(kX87PrecisionMask | kX87RoundingMask)) |
                                          kX87Precision64 | kX87ExceptionMasks));
}

TExtendedPrecision::~TExtendedPrecision() {
  __asm__ __volatile__("fldenv %0" : : "m"(environment_));
}

}  // namespace orlo
