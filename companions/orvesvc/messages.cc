// GetNLSMessage: message texts by number from the message catalogues.
#include <cstring>
#include <string>

#include "orvesvc.h"
#include "txtcat.h"

namespace {

constexpr uint32_t kProductMessages = 0xCFFF0000u;

// Every catalogue of the process is read through the message-text library,
// so that one process sees one language, whichever library asks first.
uint32_t ReadMessage(char* text, uint16_t size, uint16_t msg_no, const char* library,
                     uint16_t* length) {
  std::string found(size + 1u, '\0');
  const int32_t rc = GetMsgText(library, kProductMessages | msg_no,
                                static_cast<uint32_t>(found.size()), found.data());
  if (rc == TXT_NO_MESSAGE) return ORV_MESSAGE_NOT_FOUND;
  if (rc != TXT_FOUND) return ORV_CATALOGUE_NOT_FOUND;
  const size_t n = std::strlen(found.c_str());
  std::memcpy(text, found.data(), n);
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
