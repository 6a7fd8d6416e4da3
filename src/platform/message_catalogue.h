// The message catalogues that hold the texts of the product's message
// libraries: "qrxmsg.dll" is the catalogue qrxmsg; catalogue_numbers.h says
// where a message identifier lives in it.
#ifndef DEVAVU_PLATFORM_MESSAGE_CATALOGUE_H_
#define DEVAVU_PLATFORM_MESSAGE_CATALOGUE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace libdevavu::platform {

// "qrxmsg.dll" -> "qrxmsg": lower case, without the .dll.
std::string CatalogueName(std::string_view library);

// The language of messages, from the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty: "de_DE.UTF-8" stays as it is; none, "C" and
// "POSIX" (with or without a codeset) give "en".
std::string MessageLocale(const char* lc_all, const char* lc_messages, const char* lang);

// Where the catalogue name is looked for, in this order: the NLSPATH
// templates (%N name, %L locale, %l language, %t territory, %c codeset, %%)
// with the locale, then <installed_root>/<language>_<territory>/<name>.cat
// and <installed_root>/<language>/<name>.cat; and when the
// language is not English, the same two for "en".
std::vector<std::string> CatalogueCandidates(std::string_view name, std::string_view locale,
                                             const char* nlspath,
                                             std::string_view installed_root);

// True when bytes, a whole catalogue file, is one the C library can read
// safely: the magic number in either byte order, tables of at least one
// entry that fit in the file, every text offset inside the text area, and a
// zero at its end. The C library maps a file and trusts these, so a corrupt
// one would kill the process.
bool CatalogueFileIsSound(std::string_view bytes);

enum class CatalogueStatus { kFound, kNoMessage, kNoCatalogue };

struct CatalogueText {
  CatalogueStatus status;
  const char* text;  // kFound: the raw text, valid for the life of the process
};

// Looks the message up in the catalogue of the message library. Each
// catalogue is opened once, at its first use, in the language the
// environment gave at the first use of any catalogue; lookups may come from
// any thread. The state is per module that links this code, so one library
// of the process (txtcat) does all lookups.
CatalogueText LookUpMessage(std::string_view library, uint32_t id);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_MESSAGE_CATALOGUE_H_
