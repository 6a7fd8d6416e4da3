// Upper case of a code point, as Windows compares registry names: one code
// point to one, without regard to language.
#ifndef DEVAVU_FORMATS_CASE_FOLD_H_
#define DEVAVU_FORMATS_CASE_FOLD_H_

#include <cstdint>

namespace libdevavu::formats {

// The simple upper-case mapping of the letters of Basic Latin, Latin-1,
// Latin Extended-A, basic Greek and basic Cyrillic (U+0400 to U+045F); every
// other code point maps to itself. Mappings that would leave these blocks
// or that depend on the language are left out: the dotless and dotted i
// (U+0131, U+0130), the long s (U+017F), the micro sign (U+00B5), and
// letters without a single upper case (U+00DF, U+0138, U+0149).
uint32_t UpperCaseOf(uint32_t code);

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_CASE_FOLD_H_
