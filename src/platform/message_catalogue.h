// The texts of the product's message libraries ("qrxmsg.dll", "qrxtrc.dll"),
// looked up by their 32-bit message identifier in the language of the
// environment.
#ifndef DEVAVU_PLATFORM_MESSAGE_CATALOGUE_H_
#define DEVAVU_PLATFORM_MESSAGE_CATALOGUE_H_

#include <cstdint>
#include <string_view>

namespace libdevavu::platform {

enum class CatalogueStatus { kFound, kNoMessage, kNoCatalogue };

struct CatalogueText {
  CatalogueStatus status;
  const char* text;  // kFound: the raw text, valid for the life of the process
};

// Looks the message up in the message library. Each library is opened once,
// at its first use, in the language of the environment at that time; lookups
// may come from any thread.
CatalogueText LookUpMessage(std::string_view library, uint32_t id);

// True when the message library can be opened.
bool CatalogueAvailable(std::string_view library);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_MESSAGE_CATALOGUE_H_
