// One section list from the configuration API's entries answer.
#ifndef DEVAVU_CONFIG_SECTION_LIST_H_
#define DEVAVU_CONFIG_SECTION_LIST_H_

#include <cstdint>

#include "devavu.h"

namespace libdevavu::config {

// The entries of the answer whose section name is section without its
// brackets (byte for byte), the last one first. Only the entries the block
// holds are read, whatever count the answer gives; a field without its
// terminator ends at the field's end. Every node and string is a MEMGET
// block of its own, each string exactly its length plus one. 0, or -10 when
// a block cannot be obtained: the list then holds the nodes made so far.
int32_t BuildSectionList(const uint8_t* answer, const char* section, CFNEntry** head);

}  // namespace libdevavu::config

#endif  // DEVAVU_CONFIG_SECTION_LIST_H_
