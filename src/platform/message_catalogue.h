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

// Looks the message up in the message library; catalogue_numbers.h says
// where an identifier lives in a catalogue. Each library is opened once, at
// its first use, in the language the environment gave at the first use of
// any library; lookups may come from any thread. The state is per module
// that links this code, so one library of the process (txtcat) does all
// lookups.
CatalogueText LookUpMessage(std::string_view library, uint32_t id);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_MESSAGE_CATALOGUE_H_
