// Where an X/Open message catalogue is looked for: the language from the
// environment and the NLSPATH templates. Kept apart from the lookup so it
// can be tested without opening anything.
#ifndef DEVAVU_PLATFORM_POSIX_CATALOGUE_SEARCH_H_
#define DEVAVU_PLATFORM_POSIX_CATALOGUE_SEARCH_H_

#include <string>
#include <string_view>
#include <vector>

namespace libdevavu::platform {

// The language of messages, from the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty: "de_DE.UTF-8" stays as it is; none, "C" and
// "POSIX" (with or without a codeset) give "en".
std::string MessageLocale(const char* lc_all, const char* lc_messages, const char* lang);

// Where the catalogue name is looked for, in this order: the NLSPATH
// templates (%N name, %L locale, %l language, %t territory, %c codeset, %%)
// with the locale, then <installed_root>/<language>_<territory>/<name>.cat
// and <installed_root>/<language>/<name>.cat; and when the language is not
// English, the same for "en".
std::vector<std::string> CatalogueCandidates(std::string_view name, std::string_view locale,
                                             const char* nlspath,
                                             std::string_view installed_root);

// True when bytes, a whole catalogue file, is one the C library can read
// safely: the magic number in either byte order, tables of at least one
// entry that fit in the file, every text offset inside the text area, and a
// zero at its end. The C library maps a file and trusts these, so a corrupt
// one would kill the process.
bool CatalogueFileIsSound(std::string_view bytes);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_POSIX_CATALOGUE_SEARCH_H_
