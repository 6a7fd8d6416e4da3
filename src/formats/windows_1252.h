// Windows-1252, the ANSI code page of Western European Windows, in which
// REGEDIT4 files are written.
#ifndef DEVAVU_FORMATS_WINDOWS_1252_H_
#define DEVAVU_FORMATS_WINDOWS_1252_H_

#include <string>
#include <string_view>

namespace libdevavu::formats {

// Converts each byte to UTF-8. The five bytes that the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same number, as Windows converts them.
std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_WINDOWS_1252_H_
