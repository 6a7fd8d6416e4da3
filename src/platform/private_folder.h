// A folder of the calling user's own, new on every call, for files that
// another user or another run must neither read nor replace.
#ifndef DEVAVU_PLATFORM_PRIVATE_FOLDER_H_
#define DEVAVU_PLATFORM_PRIVATE_FOLDER_H_

#include <string>

namespace libdevavu::platform {

// Makes a folder named prefix followed by random characters in the
// temporary directory (TMPDIR, else /tmp), open to its owner only. Its path,
// or "" with the system's reason in *error.
std::string MakePrivateFolder(const std::string& prefix, std::string* error);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_PRIVATE_FOLDER_H_
