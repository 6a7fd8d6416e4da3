// GetMsgText: message texts by identifier from the message catalogues.
#include <cstring>

#include "platform/message_catalogue.h"
#include "txtcat.h"

extern "C" {

TXTCAT_API int32_t GetMsgText(const char* library, uint32_t id, uint32_t size, char* text) {
  using libdevavu::platform::CatalogueStatus;
  if (library == nullptr || text == nullptr || size == 0) return TXT_BAD_ARGUMENT;
  try {
    const auto found = libdevavu::platform::LookUpMessage(library, id);
    if (found.status == CatalogueStatus::kNoCatalogue) return TXT_NO_LIBRARY;
    if (found.status == CatalogueStatus::kNoMessage) return TXT_NO_MESSAGE;
    const size_t n = strnlen(found.text, size - 1);
    std::memcpy(text, found.text, n);
    text[n] = '\0';
    return TXT_FOUND;
  } catch (...) {
    return TXT_NO_LIBRARY;  // no memory to open the catalogue
  }
}

}  // extern "C"
