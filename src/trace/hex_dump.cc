// QXFormatData: a data area as hex dump lines on standard output, one fwrite
// a line.
#include <cstdio>

#include "devavu.h"
#include "trace/text_format.h"

extern "C" DEVAVU_API void QXFormatData(const void* data, uint16_t length) {
  namespace trace = libdevavu::trace;
  if (data != nullptr) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    char line[trace::kHexLineMax];
    // Length 0 still writes one line: the loop tests at its end.
    uint32_t position = 0;
    do {
      const uint32_t left = length - position;
      const size_t count = left < trace::kHexLineBytes ? left : trace::kHexLineBytes;
      std::fwrite(line, 1, trace::FormatHexLine(bytes + position, count, line), stdout);
      position += static_cast<uint32_t>(count);
    } while (position < length);
  }
  std::fflush(stdout);
}
