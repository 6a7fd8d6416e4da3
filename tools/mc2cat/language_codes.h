// The locale name of a Windows language identifier: the name of the folder
// its catalogue goes in and the language a POSIX user asks for with LANG.
// Each identifier has its own name (0x804 zh_CN, 0x404 zh_TW); a neutral
// one (sublanguage 0, as 0x09) has the bare language (en).
#ifndef DEVAVU_TOOLS_MC2CAT_LANGUAGE_CODES_H_
#define DEVAVU_TOOLS_MC2CAT_LANGUAGE_CODES_H_

#include <cstdint>
#include <string>

namespace mc2cat {

// "" for an identifier without a known locale: such a language is asked for
// by its number.
std::string LocaleOfLanguage(uint16_t language_id);

}  // namespace mc2cat

#endif  // DEVAVU_TOOLS_MC2CAT_LANGUAGE_CODES_H_
