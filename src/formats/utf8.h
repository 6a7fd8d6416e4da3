// UTF-8, the library's narrow form of text: writing a code point, and reading
// one back.
#ifndef DEVAVU_FORMATS_UTF8_H_
#define DEVAVU_FORMATS_UTF8_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace libdevavu::formats {

void AppendUtf8(uint32_t code, std::string& out);

// The code point at the start of text, which moves past it. A byte that does
// not begin a well-formed sequence stands for itself, as 0x110000 + byte:
// above every code point, so it equals only the same byte.
uint32_t TakeCodePoint(std::string_view& text);

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_UTF8_H_
