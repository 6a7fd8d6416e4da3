// Writes the messages of one language of an .mc file as a source for gencat,
// each at the set and message number its identifier maps to.
#ifndef DEVAVU_TOOLS_MC2CAT_GENCAT_SOURCE_H_
#define DEVAVU_TOOLS_MC2CAT_GENCAT_SOURCE_H_

#include <cstddef>
#include <string>

#include "mc_file.h"

namespace mc2cat {

// The gencat source of file's language number language: the messages that
// have a text in it.
void WriteGencatSource(const McFile& file, size_t language, const std::string& origin,
                       std::string* out);

}  // namespace mc2cat

#endif  // DEVAVU_TOOLS_MC2CAT_GENCAT_SOURCE_H_
