// The library's side of the common-services library: the companion's own
// header, and the helpers that the library builds on it.
#ifndef DEVAVU_FRAME_COMMON_SERVICES_H_
#define DEVAVU_FRAME_COMMON_SERVICES_H_

#include <cstddef>
#include <cstdint>

#include "orvesvc.h"

namespace libdevavu::frame {

// The product's trace library, by the names the product gives it, and the
// component name under which the library traces itself.
inline constexpr char kTraceModuleName[] = "VIRARUDI";
inline constexpr char kTraceEntryName[] = "_LOGFACILITIESEP@8";
inline constexpr char kOwnComponentName[] = "ORVESVC";

// An entry point of a module, through the common services' module loader.
struct ModuleEntry {
  enum Failure { kNone, kModule, kEntry };
  Failure failure = kNone;
  uint32_t code = 0;         // the common services' result for the step that failed
  void* module = nullptr;    // the module's handle once loaded
  void* address = nullptr;   // the entry point, when failure is kNone
};
// A MEMGET block of size bytes, all zero, or null.
void* ZeroedMemgetBlock(uint32_t size);

ModuleEntry LoadModuleEntry(const char* module_name, const char* entry_name);

// A terminated copy of text[0..length) in a MEMGET block of length + 1
// bytes, or null when no block could be obtained.
char* CopyToMemgetBlock(const char* text, size_t length);

}  // namespace libdevavu::frame

#endif  // DEVAVU_FRAME_COMMON_SERVICES_H_
