#include "platform/posix/catalogue_search.h"

namespace libdevavu::platform {

namespace {

constexpr std::string_view kEnglish = "en";

struct LocaleParts {
  std::string_view language, territory, codeset;
};

// "de_DE.UTF-8@euro" -> de, DE, UTF-8.
LocaleParts Split(std::string_view locale) {
  LocaleParts parts;
  const size_t modifier = locale.find('@');
  locale = locale.substr(0, modifier);
  const size_t dot = locale.find('.');
  if (dot != std::string_view::npos) parts.codeset = locale.substr(dot + 1);
  locale = locale.substr(0, dot);
  const size_t underscore = locale.find('_');
  if (underscore != std::string_view::npos) parts.territory = locale.substr(underscore + 1);
  parts.language = locale.substr(0, underscore);
  return parts;
}

std::string Expand(std::string_view pattern, std::string_view name, std::string_view locale) {
  const LocaleParts parts = Split(locale);
  std::string path;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 == pattern.size()) {
      path += pattern[i];
      continue;
    }
    switch (pattern[++i]) {
      case 'N': path += name; break;
      case 'L': path += locale; break;
      case 'l': path += parts.language; break;
      case 't': path += parts.territory; break;
      case 'c': path += parts.codeset; break;
      case '%': path += '%'; break;
      default: path += '%'; path += pattern[i];
    }
  }
  return path;
}

void AddCandidates(std::string_view name, std::string_view locale, const char* nlspath,
                   std::string_view installed_root, std::vector<std::string>* out) {
  if (nlspath != nullptr) {
    std::string_view templates(nlspath);
    while (true) {
      const size_t colon = templates.find(':');
      const std::string_view pattern = templates.substr(0, colon);
      if (!pattern.empty()) out->push_back(Expand(pattern, name, locale));
      if (colon == std::string_view::npos) break;
      templates.remove_prefix(colon + 1);
    }
  }
  if (!installed_root.empty()) {
    out->push_back(std::string(installed_root) + "/" + std::string(Split(locale).language) +
                   "/" + std::string(name) + ".cat");
  }
}

}  // namespace

std::string MessageLocale(const char* lc_all, const char* lc_messages, const char* lang) {
  const char* chosen = nullptr;
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (value != nullptr && *value != '\0') {
      chosen = value;
      break;
    }
  }
  if (chosen == nullptr) return std::string(kEnglish);
  const std::string_view language = Split(chosen).language;
  if (language.empty() || language == "C" || language == "POSIX") return std::string(kEnglish);
  return chosen;
}

std::vector<std::string> CatalogueCandidates(std::string_view name, std::string_view locale,
                                             const char* nlspath,
                                             std::string_view installed_root) {
  std::vector<std::string> out;
  AddCandidates(name, locale, nlspath, installed_root, &out);
  if (Split(locale).language != kEnglish) {
    AddCandidates(name, kEnglish, nlspath, installed_root, &out);
  }
  return out;
}

}  // namespace libdevavu::platform
