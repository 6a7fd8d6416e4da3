#include "formats/utf8.h"

namespace libdevavu::formats {

void AppendUtf8(uint32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

uint32_t TakeCodePoint(std::string_view& text) {
  const auto lead = static_cast<uint8_t>(text.front());
  const auto as_byte = [&text, lead] {
    text.remove_prefix(1);
    return 0x110000u + lead;
  };
  if (lead < 0x80) {
    text.remove_prefix(1);
    return lead;
  }
  size_t length = 0;
  uint32_t least = 0;  // the smallest code point that takes this many bytes
  if (lead >= 0xF5 || lead < 0xC0) return as_byte();
  if (lead >= 0xF0) {
    length = 4;
    least = 0x10000;
  } else if (lead >= 0xE0) {
    length = 3;
    least = 0x800;
  } else {
    length = 2;
    least = 0x80;
  }
  if (text.size() < length) return as_byte();
  uint32_t code = lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<uint8_t>(text[i]);
    if ((next & 0xC0) != 0x80) return as_byte();
    code = (code << 6) | (next & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return as_byte();
  text.remove_prefix(length);
  return code;
}

}  // namespace libdevavu::formats
