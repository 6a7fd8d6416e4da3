#include "platform/win32/module_directory.h"

#include <windows.h>

namespace libdevavu::platform {

namespace {

std::string DirectoryOfModule(HMODULE module) {
  char path[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string p(path, length);
  const size_t slash = p.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

}  // namespace

std::string LibraryDirectory() {
  if (HMODULE library = GetModuleHandleA("devavu.dll")) return DirectoryOfModule(library);
  HMODULE own = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&LibraryDirectory), &own)) {
    return std::string();
  }
  return DirectoryOfModule(own);
}

}  // namespace libdevavu::platform
