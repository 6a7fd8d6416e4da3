// UTF-16LE text, as registry editors export it, in the library's narrow
// form (UTF-8).
#ifndef DEVAVU_FORMATS_UTF16_H_
#define DEVAVU_FORMATS_UTF16_H_

#include <string>
#include <string_view>

namespace libdevavu::formats {

// Converts little-endian UTF-16 code units to UTF-8. An unpaired surrogate
// becomes '?', as a narrow conversion on Windows substitutes what it cannot
// represent; an odd last byte is not a code unit and is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_UTF16_H_
