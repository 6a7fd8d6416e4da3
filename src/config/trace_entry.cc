// ProcessCFNFileTraceEntry: the default trace entry.
#include <cstdio>
#include <cstring>

#include "devavu.h"
#include "frame/common_services.h"

namespace {

// A copy of name, at most 255 characters, in its own MEMGET block.
char* CopyName(const char* name) {
  char work[256];
  const int n = std::snprintf(work, sizeof work, "%-.255s", name);
  return libdevavu::frame::CopyToMemgetBlock(work, static_cast<size_t>(n));
}

}  // namespace

extern "C" DEVAVU_API int32_t ProcessCFNFileTraceEntry(TraceEntry* entry) {
  if (entry == nullptr) return DV_UNUSABLE;
  char* module = CopyName(libdevavu::frame::kTraceModuleName);
  if (module == nullptr) return DV_UNUSABLE;
  char* entry_point = CopyName(libdevavu::frame::kTraceEntryName);
  if (entry_point == nullptr) {
    MEMFREE(0, module);
    return DV_UNUSABLE;
  }
  entry->module_name = module;
  entry->entry_name = entry_point;
  return 0;
}
