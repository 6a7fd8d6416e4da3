// qrx config: prints the configuration entries that a component gets from
// ProcessCFNFileEntries, from the store that QRXRUN selects.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "cfn_file.h"
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

// QXGetCfg's value, or "" when the variable is unset or empty.
std::string Setting(const char* name) {
  const char* value = QXGetCfg(name);
  return value != nullptr ? value : "";
}

bool RegistrySelected() { return Setting("QRXRUN") == "TRUE"; }

// The file the configuration API reads: <QRXCFNDIR>/<QRXCONFIG>.cfn, "" when
// QRXCONFIG is not set.
std::string ConfigurationFile() {
  const std::string name = Setting("QRXCONFIG");
  if (name.empty()) return {};
  const std::string dir = Setting("QRXCFNDIR");
  return (dir.empty() ? "." : dir) + "/" + name + ".cfn";
}

void PrintStore(bool registry) {
  if (registry) {
    const std::string file = Setting("QRX_REGISTRY");
    if (file.empty()) {
      std::printf("store: registry file, none named (QRXRUN=TRUE, QRX_REGISTRY is not set)\n");
    } else {
      std::printf("store: registry file %s (QRXRUN=TRUE)\n", file.c_str());
    }
    return;
  }
  const std::string file = ConfigurationFile();
  if (file.empty()) {
    std::printf("store: configuration API, no configuration chosen (QRXRUN is not TRUE, "
                "QRXCONFIG is not set)\n");
  } else {
    std::printf("store: configuration API, file %s (QRXRUN is not TRUE)\n", file.c_str());
  }
}

// Says in a sentence why the configuration API could not read the
// configuration, and where.
void ExplainApiFailure(int32_t rc) {
  const std::string path = ConfigurationFile();
  if (path.empty()) {
    std::fprintf(stderr, "qrx config: no configuration is chosen: set QRXCONFIG to its name "
                         "(the file QRXCFNDIR/NAME.cfn; QRXCFNDIR unset: the current "
                         "directory), or QRXRUN=TRUE and QRX_REGISTRY to a registry file\n");
    return;
  }
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) {
    std::fprintf(stderr, "qrx config: %s: no such file (QRXCFNDIR and QRXCONFIG name it)\n",
                 path.c_str());
    return;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    std::fprintf(stderr, "qrx config: %s: the file cannot be read\n", path.c_str());
    return;
  }
  const krtcapi::CfnFile file = krtcapi::ParseCfnFile(text);
  if (file.error_line != 0) {
    std::fprintf(stderr, "qrx config: %s line %zu: %s\n", path.c_str(), file.error_line,
                 file.error.c_str());
  } else if (rc == DV_CFG_TOO_MANY_ENTRIES) {
    std::fprintf(stderr, "qrx config: %s holds more entries than the configuration API answers "
                         "at once (24)\n", path.c_str());
  } else {
    std::fprintf(stderr, "qrx config: %s: the configuration API refused it (%d; the trace "
                         "holds its answer)\n", path.c_str(), rc);
  }
}

void ExplainRegistryFailure() {
  const std::string file = Setting("QRX_REGISTRY");
  if (file.empty()) {
    std::fprintf(stderr, "qrx config: QRXRUN=TRUE reads the registry file that QRX_REGISTRY "
                         "names, and QRX_REGISTRY is not set (or unset QRXRUN to use the "
                         "configuration API)\n");
    return;
  }
  std::fprintf(stderr, "qrx config: no configuration could be read from the registry file %s: "
                       "it must be a readable .reg file naming an active configuration whose "
                       "[TRACE] key holds one string value\n",
               file.c_str());
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
  if (rc != 0) {
    if (registry) {
      ExplainRegistryFailure();
    } else {
      ExplainApiFailure(rc);
    }
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
    "Exit code: 0, or 1 when the configuration cannot be read; it then says\n"
    "what is wrong and where (a file and line, or what to set).\n",
    Config};

}  // namespace qrx
