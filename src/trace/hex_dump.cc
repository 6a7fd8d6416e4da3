// QXFormatData: a data area as hex dump lines on standard output, formatted
// a batch of lines at a time so that stdio's lock is taken once a batch.
#include <cstdio>

#include "devavu.h"
#include "trace/text_format.h"

extern "C" DEVAVU_API void QXFormatData(const void* data, uint16_t length) {
  namespace trace = libdevavu::trace;
  constexpr size_t kBatchLines = 64;
  if (data != nullptr) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    char batch[kBatchLines * trace::kHexLineMax];
    size_t used = 0;
    // Length 0 still writes one line: the loop tests at its end.
    uint32_t position = 0;
    do {
      const uint32_t left = length - position;
      const size_t count = left < trace::kHexLineBytes ? left : trace::kHexLineBytes;
      used += trace::FormatHexLine(bytes + position, count, batch + used);
      position += static_cast<uint32_t>(count);
      if (used > sizeof batch - trace::kHexLineMax) {
        std::fwrite(batch, 1, used, stdout);
        used = 0;
      }
    } while (position < length);
    std::fwrite(batch, 1, used, stdout);
  }
  std::fflush(stdout);
}
