#include "platform/private_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace libdevavu::platform {

std::string MakePrivateFolder(const std::string& prefix, std::string* error) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = (tmp != nullptr && *tmp == '/' ? std::string(tmp) : "/tmp") + "/" +
                        prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkdtemp makes the folder with mode 0700, under a name nobody could know.
  if (::mkdtemp(name.data()) == nullptr) {
    *error = pattern + ": " + std::strerror(errno);
    return {};
  }
  return name.data();
}

}  // namespace libdevavu::platform
