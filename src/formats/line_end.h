// The line end of a text: "\n", "\r\n" or a lone "\r", as files from either
// kind of system end their lines.
#ifndef DEVAVU_FORMATS_LINE_END_H_
#define DEVAVU_FORMATS_LINE_END_H_

#include <string_view>

namespace libdevavu::formats {

// The text without the line end it finishes with, if any.
inline std::string_view WithoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_LINE_END_H_
