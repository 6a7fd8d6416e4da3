#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

#include "formats/module_names.h"
#include "platform/platform.h"

namespace libdevavu::platform {

namespace {

// "VIRARUDI" -> libvirarudi.so.
std::string ModuleFileName(std::string_view product_name) {
  return "lib" + formats::ModuleBaseName(product_name) + ".so";
}

std::string DirectoryOf(const char* path) {
  std::string_view p(path);
  const size_t slash = p.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(p.substr(0, slash));
}

// The directory of the loaded libdevavu.so; where it is not loaded (a test
// that links the library's core), the directory of the module holding this
// code.
std::string LibraryDirectory() {
  Dl_info info{};
  void* anchor = dlsym(RTLD_DEFAULT, "devavu_init");
  if (anchor == nullptr || dladdr(anchor, &info) == 0 || info.dli_fname == nullptr) {
    if (dladdr(reinterpret_cast<void*>(&LibraryDirectory), &info) == 0 ||
        info.dli_fname == nullptr) {
      return std::string();
    }
  }
  return DirectoryOf(info.dli_fname);
}

// Opens path when the file is there. A file that is there but does not load
// (a missing symbol, a wrong architecture) leaves the loader's reason in
// *first_error, the first one only: that is what the user has to mend.
void* TryOpen(const std::string& path, std::string* first_error) {
  if (access(path.c_str(), F_OK) != 0) return nullptr;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr && first_error->empty()) {
    const char* why = dlerror();
    *first_error = why != nullptr ? why : path + ": cannot be loaded";
  }
  return handle;
}

}  // namespace

ModuleResult LoadModule(std::string_view product_name) {
  const std::string file = ModuleFileName(product_name);
  std::string first_error;
  if (const char* search = std::getenv("QRX_MODULE_PATH")) {
    std::string_view dirs(search);
    while (!dirs.empty()) {
      const size_t colon = dirs.find(':');
      std::string_view dir = dirs.substr(0, colon);
      if (!dir.empty()) {
        if (void* h = TryOpen(std::string(dir) + "/" + file, &first_error)) return {h, {}};
      }
      if (colon == std::string_view::npos) break;
      dirs.remove_prefix(colon + 1);
    }
  }
  const std::string own_dir = LibraryDirectory();
  if (!own_dir.empty()) {
    if (void* h = TryOpen(own_dir + "/" + file, &first_error)) return {h, {}};
  }
  if (void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) return {h, {}};
  if (!first_error.empty()) return {nullptr, first_error};
  const char* why = dlerror();
  return {nullptr, why != nullptr ? why : file + ": not found"};
}

void* FindEntryPoint(void* module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  if (void* p = dlsym(module, name)) return p;
  const std::string plain = formats::UndecoratedEntryName(name);
  return plain == name ? nullptr : dlsym(module, plain.c_str());
}

}  // namespace libdevavu::platform
