// GetNLSMessage: message texts by number from the message catalogues.
#include <cstring>

#include "orvesvc.h"
#include "platform/message_catalogue.h"

namespace {

constexpr uint32_t kProductMessages = 0xCFFF0000u;

uint32_t ReadMessage(char* text, uint16_t size, uint16_t msg_no, const char* library,
                     uint16_t* length) {
  using libdevavu::platform::CatalogueStatus;
  const auto found = libdevavu::platform::LookUpMessage(library, kProductMessages | msg_no);
  if (found.status == CatalogueStatus::kNoCatalogue) return ORV_CATALOGUE_NOT_FOUND;
  if (found.status == CatalogueStatus::kNoMessage) return ORV_MESSAGE_NOT_FOUND;
  const size_t available = std::strlen(found.text);
  const size_t n = available < size ? available : size;
  std::memcpy(text, found.text, n);
  if (n < size) text[n] = '\0';
  *length = static_cast<uint16_t>(n);
  return 0;
}

}  // namespace

extern "C" {

ORVESVC_API uint32_t GetNLSMessage(char* text, uint16_t size, uint16_t msg_no,
                                   const char* library, uint16_t* length) {
  if (text == nullptr || library == nullptr || length == nullptr) return ORV_BAD_ARGUMENT;
  *length = 0;
  try {
    return ReadMessage(text, size, msg_no, library, length);
  } catch (...) {
    return ORV_CATALOGUE_NOT_FOUND;  // no memory to open the catalogue
  }
}

}  // extern "C"
