// Where the library's own files lie: the directory of devavu.dll, or, where
// that is not loaded, of the module that holds this code.
#ifndef DEVAVU_PLATFORM_WIN32_MODULE_DIRECTORY_H_
#define DEVAVU_PLATFORM_WIN32_MODULE_DIRECTORY_H_

#include <string>

namespace libdevavu::platform {

// Without a trailing separator; empty when it cannot be told.
std::string LibraryDirectory();

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_WIN32_MODULE_DIRECTORY_H_
