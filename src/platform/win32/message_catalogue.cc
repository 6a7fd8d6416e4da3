// Message texts from the resource-only message libraries beside devavu.dll,
// read with FormatMessageA from the library's message table in the system's
// language order. Each library is loaded once, without running any of its
// code, and each text read is kept for the life of the process.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_catalogue.h"
#include "platform/platform.h"
#include "platform/win32/module_directory.h"

namespace libdevavu::platform {

namespace {

// The flag of the presence check: map the file without resolving its
// imports or calling its entry point.
constexpr DWORD kDontResolveReferences = 1;

struct MessageLibrary {
  HMODULE module = nullptr;  // null when the library cannot be loaded
  std::map<uint32_t, std::unique_ptr<std::string>> texts;
};

HMODULE Load(const std::string& library) {
  const std::string own_dir = LibraryDirectory();
  if (!own_dir.empty()) {
    const std::string beside = own_dir + "\\" + library;
    if (HMODULE m = LoadLibraryExA(beside.c_str(), nullptr, kDontResolveReferences)) return m;
  }
  return LoadLibraryExA(library.c_str(), nullptr, kDontResolveReferences);
}

// The libraries opened so far; they only grow, so their entries stay valid
// after the lock is left.
class Libraries {
 public:
  MessageLibrary& Get(std::string_view name) {
    LockHolder hold(lock_);
    for (auto& [library_name, library] : opened_) {
      if (library_name == name) return *library;
    }
    auto library = std::make_unique<MessageLibrary>();
    library->module = Load(std::string(name));
    opened_.emplace_back(std::string(name), std::move(library));
    return *opened_.back().second;
  }

  CatalogueText Text(MessageLibrary& library, uint32_t id) {
    LockHolder hold(lock_);
    auto known = library.texts.find(id);
    if (known != library.texts.end()) return {CatalogueStatus::kFound, known->second->c_str()};
    char text[4096];
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                       library.module, id, 0, text, sizeof text, nullptr);
    if (length == 0) return {CatalogueStatus::kNoMessage, nullptr};
    auto& kept = library.texts[id] = std::make_unique<std::string>(text, length);
    return {CatalogueStatus::kFound, kept->c_str()};
  }

 private:
  RecursiveLock lock_;
  std::vector<std::pair<std::string, std::unique_ptr<MessageLibrary>>> opened_;
};

Libraries& TheLibraries() {
  static Libraries* const libraries = new Libraries;
  return *libraries;
}

}  // namespace

CatalogueText LookUpMessage(std::string_view library, uint32_t id) {
  MessageLibrary& found = TheLibraries().Get(library);
  if (found.module == nullptr) return {CatalogueStatus::kNoCatalogue, nullptr};
  return TheLibraries().Text(found, id);
}

bool CatalogueAvailable(std::string_view library) {
  return TheLibraries().Get(library).module != nullptr;
}

}  // namespace libdevavu::platform
