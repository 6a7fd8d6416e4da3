#include "formats/case_fold.h"

namespace libdevavu::formats {

namespace {

// In Latin Extended-A, upper and lower case alternate; the ranges below say
// whether the upper-case letter of a pair has the even or the odd number.
bool InEvenUpperPairs(uint32_t code) {
  return (code >= 0x0100 && code <= 0x012F) || (code >= 0x0132 && code <= 0x0137) ||
         (code >= 0x014A && code <= 0x0177);
}

bool InOddUpperPairs(uint32_t code) {
  return (code >= 0x0139 && code <= 0x0148) || (code >= 0x0179 && code <= 0x017E);
}

}  // namespace

uint32_t UpperCaseOf(uint32_t code) {
  if (code >= 'a' && code <= 'z') return code - 0x20;
  if (code >= 0x00E0 && code <= 0x00FE && code != 0x00F7) return code - 0x20;
  if (code == 0x00FF) return 0x0178;
  if (InEvenUpperPairs(code)) return code & ~1u;
  if (InOddUpperPairs(code)) return code % 2 == 0 ? code - 1 : code;
  if (code == 0x03C2) return 0x03A3;  // final sigma
  if (code >= 0x03B1 && code <= 0x03CB) return code - 0x20;
  if (code == 0x03AC) return 0x0386;
  if (code >= 0x03AD && code <= 0x03AF) return code - 0x25;
  if (code == 0x03CC) return 0x038C;
  if (code == 0x03CD || code == 0x03CE) return code - 0x3F;
  if (code >= 0x0430 && code <= 0x044F) return code - 0x20;
  if (code >= 0x0450 && code <= 0x045F) return code - 0x50;
  return code;
}

}  // namespace libdevavu::formats
