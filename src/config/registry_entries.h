// The registry store: the trace entry and the four section lists of the
// active configuration. Every key is closed again before an operation
// returns; everything handed out comes from MEMGET and belongs to the caller.
#ifndef DEVAVU_CONFIG_REGISTRY_ENTRIES_H_
#define DEVAVU_CONFIG_REGISTRY_ENTRIES_H_

#include <cstdint>

#include "devavu.h"
#include "platform/registry.h"

namespace libdevavu::config {

// Fields 1 and 2 from "[TRACE]", then the four lists, stopping at the first
// section that fails. 0, or -10.
int32_t ReadCFNRegistryEntries(CFNFileEntries* entries);

// "[TRACE]" must hold exactly one value, a REG_SZ: its name is the module
// name, its data the entry-point name. 0, or -10 with both left untouched.
int32_t ReadCFNRegistryTraceEntry(char** module_name, char** entry_name);

// Every value of the section, the last one first. A section that does not
// exist gives 0 and an empty list. -10 on a failure, with the entries read
// so far in the list.
int32_t ReadCFNRegistrySection(platform::RegKey configuration, const char* section,
                               CFNEntry** head);

}  // namespace libdevavu::config

#endif  // DEVAVU_CONFIG_REGISTRY_ENTRIES_H_
