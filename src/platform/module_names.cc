#include <cctype>

#include "platform/module_names.h"
#include "platform/platform.h"

namespace libdevavu::platform {

std::string ModuleFileName(std::string_view product_name) {
  std::string_view base = product_name;
  if (base.size() > 4) {
    std::string_view ext = base.substr(base.size() - 4);
    if (ext[0] == '.' && std::tolower(static_cast<unsigned char>(ext[1])) == 'd' &&
        std::tolower(static_cast<unsigned char>(ext[2])) == 'l' &&
        std::tolower(static_cast<unsigned char>(ext[3])) == 'l') {
      base.remove_suffix(4);
    }
  }
  std::string file = "lib";
  for (char c : base) file += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  file += ".so";
  return file;
}

std::string UndecoratedEntryName(std::string_view name) {
  const size_t at = name.rfind('@');
  if (at == std::string_view::npos || at + 1 == name.size()) return std::string(name);
  for (size_t i = at + 1; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::string(name);
  }
  std::string_view plain = name.substr(0, at);
  if (!plain.empty() && plain.front() == '_') plain.remove_prefix(1);
  return std::string(plain);
}

}  // namespace libdevavu::platform
