// Catalogue lookup over catopen/catgets. Each catalogue is opened once and
// kept open: catgets reads the mapped catalogue without a lock.
#include <dlfcn.h>
#include <nl_types.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "formats/module_names.h"
#include "formats/catalogue_numbers.h"
#include "platform/message_catalogue.h"
#include "platform/posix/catalogue_search.h"

namespace libdevavu::platform {

namespace {

// The installed catalogues lie at ../share/devavu/locale from the directory
// of libdevavu.so; where that is not loaded (a program that links the
// library's core or only a companion), from the module holding this code,
// which is installed beside it.
std::string InstalledRoot() {
  Dl_info info{};
  void* anchor = dlsym(RTLD_DEFAULT, "devavu_init");
  if (anchor == nullptr || dladdr(anchor, &info) == 0 || info.dli_fname == nullptr) {
    if (dladdr(reinterpret_cast<void*>(&InstalledRoot), &info) == 0 ||
        info.dli_fname == nullptr) {
      return std::string();
    }
  }
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  path = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  return path + "/../share/devavu/locale";
}

struct OpenCatalogue {
  std::string name;
  nl_catd handle;  // (nl_catd)-1 when no candidate could be opened
};

const nl_catd kNotOpened = reinterpret_cast<nl_catd>(-1);

// Larger than any catalogue of messages; a bigger file is not one.
constexpr uintmax_t kMaxCatalogueBytes = 64u << 20;

// A file that is missing, too large or corrupt is passed over, as the C
// library would die on a corrupt one.
bool SoundCatalogueFile(const std::string& path) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxCatalogueBytes) return false;
  std::ifstream in(path, std::ios::binary);
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) return false;
  return CatalogueFileIsSound(bytes);
}

// Called with the catalogues' lock held.
nl_catd Open(const std::string& name) {
  // One language for every catalogue: the one of the first that is opened.
  static const std::string* const locale = new std::string(MessageLocale(
      std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
  for (const std::string& path :
       CatalogueCandidates(name, *locale, std::getenv("NLSPATH"), InstalledRoot())) {
    // A name with a slash is opened as that file, whatever the locale says.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    if (!SoundCatalogueFile(file)) continue;
    const nl_catd handle = catopen(file.c_str(), 0);
    if (handle != kNotOpened) return handle;
  }
  return kNotOpened;
}

// The handle of the library's catalogue, opened at the first request. The
// list only grows and its handles are never closed, so a handle stays
// usable after the lock is left.
nl_catd LookUpCatalogue(std::string_view library) {
  static std::mutex lock;
  static std::vector<OpenCatalogue>* const opened = new std::vector<OpenCatalogue>;
  const std::string name = formats::ModuleBaseName(library);
  std::lock_guard<std::mutex> hold(lock);
  for (const OpenCatalogue& c : *opened) {
    if (c.name == name) return c.handle;
  }
  opened->push_back({name, Open(name)});
  return opened->back().handle;
}

// A thread's last answer, as the library was spelled: a caller asks for the
// same library again and again, and a handle, once given, stays right.
// Plain bytes, so that the thread-local needs no constructor or destructor.
struct LastCatalogue {
  char library[64];
  size_t length;
  nl_catd handle;
};

nl_catd Catalogue(std::string_view library) {
  thread_local LastCatalogue last{};
  if (last.length != 0 && std::string_view(last.library, last.length) == library) {
    return last.handle;
  }
  const nl_catd handle = LookUpCatalogue(library);
  if (!library.empty() && library.size() <= sizeof last.library) {
    std::memcpy(last.library, library.data(), library.size());
    last.length = library.size();
    last.handle = handle;
  }
  return handle;
}

}  // namespace

CatalogueText LookUpMessage(std::string_view library, uint32_t id) {
  const nl_catd handle = Catalogue(library);
  if (handle == kNotOpened) return {CatalogueStatus::kNoCatalogue, nullptr};
  static const char kMissing[] = "";
  const formats::CatalogueNumbers at = formats::CatalogueNumbersOf(id);
  const char* text = catgets(handle, at.set, at.message, kMissing);
  if (text == kMissing) return {CatalogueStatus::kNoMessage, nullptr};
  return {CatalogueStatus::kFound, text};
}

}  // namespace libdevavu::platform
