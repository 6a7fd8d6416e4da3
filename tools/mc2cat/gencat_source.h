// Writes the messages of one language of an .mc file as a source for gencat:
// set = identifier >> 16, message = identifier & 0xFFFF.
#ifndef DEVAVU_TOOLS_MC2CAT_GENCAT_SOURCE_H_
#define DEVAVU_TOOLS_MC2CAT_GENCAT_SOURCE_H_

#include <cstddef>
#include <string>

#include "mc_file.h"

namespace mc2cat {

// The gencat source of file's language number language, or false with the
// fault in *error: a set or message number 0, which a catalogue cannot hold.
bool WriteGencatSource(const McFile& file, size_t language, const std::string& origin,
                       std::string* out, McError* error);

}  // namespace mc2cat

#endif  // DEVAVU_TOOLS_MC2CAT_GENCAT_SOURCE_H_
