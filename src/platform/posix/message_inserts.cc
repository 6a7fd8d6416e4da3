#include "platform/message_inserts.h"

#include "formats/message_format.h"

namespace libdevavu::platform {

// The system has no message formatter: the portable one.
void FormatInserts(std::string_view text, const uintptr_t* inserts, size_t insert_count,
                   char* out, size_t size) {
  formats::FormatMessageInserts(text, inserts, insert_count, out, size);
}

}  // namespace libdevavu::platform
