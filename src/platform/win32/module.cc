// Module loading the Windows way: a product name is the file <name>.dll,
// looked for in the directories of QRX_MODULE_PATH (separated by ';'), then
// beside devavu.dll, then in the system's directories.
#include <windows.h>

#include <cstdlib>

#include "formats/module_names.h"
#include "platform/platform.h"
#include "platform/win32/module_directory.h"
#include "platform/win32/system_error.h"

namespace libdevavu::platform {

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Loads path when the file is there. A file that is there but does not load
// leaves the loader's reason in *first_error, the first one only: that is
// what the user has to mend.
HMODULE TryLoad(const std::string& path, std::string* first_error) {
  if (!Exists(path)) return nullptr;
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, 0);
  if (module == nullptr && first_error->empty()) {
    *first_error = path + ": " + SystemErrorText(GetLastError());
  }
  return module;
}

}  // namespace

ModuleResult LoadModule(std::string_view product_name) {
  const std::string file = formats::ModuleBaseName(product_name) + ".dll";
  std::string first_error;
  if (const char* search = std::getenv("QRX_MODULE_PATH")) {
    std::string_view dirs(search);
    while (!dirs.empty()) {
      const size_t end = dirs.find(';');
      const std::string_view dir = dirs.substr(0, end);
      if (!dir.empty()) {
        if (HMODULE m = TryLoad(std::string(dir) + "\\" + file, &first_error)) return {m, {}};
      }
      if (end == std::string_view::npos) break;
      dirs.remove_prefix(end + 1);
    }
  }
  const std::string own_dir = LibraryDirectory();
  if (!own_dir.empty()) {
    if (HMODULE m = TryLoad(own_dir + "\\" + file, &first_error)) return {m, {}};
  }
  // The system's directories, not the current one: a DLL planted there is
  // not taken for a module of the product.
  if (HMODULE m = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) {
    return {m, {}};
  }
  if (!first_error.empty()) return {nullptr, first_error};
  return {nullptr, file + ": " + SystemErrorText(GetLastError())};
}

void* FindEntryPoint(void* module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  HMODULE m = static_cast<HMODULE>(module);
  if (FARPROC p = GetProcAddress(m, name)) return reinterpret_cast<void*>(p);
  const std::string plain = formats::UndecoratedEntryName(name);
  if (plain == name) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(m, plain.c_str()));
}

}  // namespace libdevavu::platform
