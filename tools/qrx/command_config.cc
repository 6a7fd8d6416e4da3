// qrx config: prints the configuration entries that a component gets from
// ProcessCFNFileEntries, from the store that QRXRUN selects.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "devavu.h"
#include "orvesvc.h"

namespace qrx {

namespace {

struct SectionList {
  const char* name;
  CFNEntry* CFNFileEntries::*list;
};

constexpr SectionList kSections[] = {
    {"[CMMUSER]", &CFNFileEntries::cmmuser},
    {"[PROVIDER]", &CFNFileEntries::provider},
    {"[CMMUSERGW]", &CFNFileEntries::cmmusergw},
    {"[SERVICES]", &CFNFileEntries::services},
};

const char* OrNote(const char* value, const char* note) {
  return value != nullptr && *value != '\0' ? value : note;
}

bool RegistrySelected() {
  const char* run = QXGetCfg("QRXRUN");
  return run != nullptr && std::strcmp(run, "TRUE") == 0;
}

void PrintStore(bool registry) {
  if (registry) {
    std::printf("store: registry file %s (QRXRUN=TRUE)\n",
                OrNote(QXGetCfg("QRX_REGISTRY"), "(none: QRX_REGISTRY is not set)"));
  } else {
    std::printf("store: configuration API, file %s/%s.cfn (QRXRUN is not TRUE)\n",
                OrNote(QXGetCfg("QRXCFNDIR"), "."),
                OrNote(QXGetCfg("QRXCONFIG"), "(none: QRXCONFIG is not set)"));
  }
}

void PrintEntries(const CFNFileEntries& entries) {
  for (const SectionList& section : kSections) {
    std::printf("%s\n", section.name);
    const CFNEntry* entry = entries.*section.list;
    if (entry == nullptr) std::printf("  (no entries)\n");
    for (; entry != nullptr; entry = entry->next) std::printf("  %s=%s\n", entry->name, entry->value);
  }
}

// What a component does when it is done with the entries.
void Release(CFNFileEntries& entries) {
  if (entries.trace_module_name != nullptr) MEMFREE(0, entries.trace_module_name);
  if (entries.trace_entry_name != nullptr) MEMFREE(0, entries.trace_entry_name);
  for (const SectionList& section : kSections) {
    for (CFNEntry* entry = entries.*section.list; entry != nullptr;) {
      CFNEntry* next = entry->next;
      MEMFREE(0, entry->name);
      MEMFREE(0, entry->value);
      MEMFREE(0, entry);
      entry = next;
    }
  }
}

int Config(int argc, char** /*argv*/) {
  if (argc != 0) {
    std::fprintf(stderr, "qrx config: takes no arguments (see qrx config --help)\n");
    return kExitUsage;
  }
  const bool registry = RegistrySelected();
  PrintStore(registry);
  CFNFileEntries entries{};
  const int32_t rc = ProcessCFNFileEntries(&entries);
  if (entries.trace_module_name != nullptr) {
    std::printf("trace library: %s, entry point %s\n", entries.trace_module_name,
                entries.trace_entry_name);
  }
  if (rc == 0) PrintEntries(entries);
  Release(entries);
  if (rc == DV_CFG_TOO_MANY_ENTRIES) {
    std::fprintf(stderr, "qrx config: ProcessCFNFileEntries gave %d: the configuration holds "
                         "more entries than the configuration API answers at once (24)\n", rc);
  } else if (rc != 0) {
    std::fprintf(stderr, "qrx config: ProcessCFNFileEntries gave %d: the configuration cannot be "
                         "read (%s)\n", rc,
                 registry ? "the registry file needs an active configuration with a [TRACE] key "
                            "holding one string value"
                          : "the trace holds the configuration API's answer");
  }
  return rc == 0 ? kExitOk : kExitFailure;
}

}  // namespace

const Command kConfigCommand = {
    "config",
    "print the configuration entries a component gets",
    "usage: qrx config\n"
    "\n"
    "Prints the configuration entries that a component gets from\n"
    "ProcessCFNFileEntries: the trace library and the sections [CMMUSER],\n"
    "[PROVIDER], [CMMUSERGW] and [SERVICES], each in the order of the list a\n"
    "component walks (the reverse of the store's order).\n"
    "\n"
    "The store is chosen by QRXRUN:\n"
    "  QRXRUN=TRUE  the registry file named by QRX_REGISTRY; the configuration\n"
    "               is the one the default value of the key\n"
    "               HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltara\\Quorix\\V100\\Configurations\n"
    "               names\n"
    "  otherwise    the configuration API: the file <QRXCFNDIR>/<QRXCONFIG>.cfn\n"
    "               (QRXCFNDIR unset: the current directory); the trace library\n"
    "               is then always VIRARUDI, and a failed request is logged\n"
    "               through it (QRXTRACEFILE, default standard error)\n"
    "\n"
    "Exit code: 0, or 1 when the configuration cannot be read.\n",
    Config};

}  // namespace qrx
