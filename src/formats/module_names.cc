#include <cctype>

#include "formats/module_names.h"

namespace libdevavu::formats {

std::string ModuleBaseName(std::string_view product_name) {
  std::string base;
  for (char c : product_name) base += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0) base.resize(base.size() - 4);
  return base;
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

}  // namespace libdevavu::formats
