#include "platform/message_inserts.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace libdevavu::platform {

namespace {
// FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY.
constexpr DWORD kFromStringWithArray = 0x2400;
// The formatter may name inserts up to %99; it reads them from the array.
constexpr size_t kMostInserts = 99;
}  // namespace

void FormatInserts(std::string_view text, const uintptr_t* inserts, size_t insert_count,
                   char* out, size_t size) {
  if (size == 0) return;
  // The formatter reads a terminated text; a message text is a few hundred
  // characters at most.
  char source[1024];
  const size_t kept = std::min(text.size(), sizeof source - 1);
  std::memcpy(source, text.data(), kept);
  source[kept] = '\0';
  // The inserts beyond the count stay cleared, so the formatter never reads
  // past what the caller gave.
  DWORD_PTR arguments[kMostInserts] = {};
  std::copy_n(inserts, std::min(insert_count, kMostInserts), arguments);
  FormatMessageA(kFromStringWithArray, source, 0, 0, out, static_cast<DWORD>(size),
                 reinterpret_cast<va_list*>(arguments));
}

}  // namespace libdevavu::platform
