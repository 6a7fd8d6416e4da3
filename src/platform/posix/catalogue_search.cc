#include "platform/posix/catalogue_search.h"

#include <cstdint>

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
  if (installed_root.empty()) return;
  // A catalogue for the territory (zh_TW) before the one for the language.
  const LocaleParts parts = Split(locale);
  const auto in = [&](std::string_view folder) {
    return std::string(installed_root) + "/" + std::string(folder) + "/" + std::string(name) +
           ".cat";
  };
  if (!parts.territory.empty()) {
    out->push_back(in(std::string(parts.language) + "_" + std::string(parts.territory)));
  }
  out->push_back(in(parts.language));
}

constexpr uint32_t kCatalogueMagic = 0x960408DE;

uint32_t Word(std::string_view bytes, size_t index, bool little_endian) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) {
    const auto byte = static_cast<uint8_t>(bytes[index * 4 + (little_endian ? 3 - i : i)]);
    v = v << 8 | byte;
  }
  return v;
}

}  // namespace

bool CatalogueFileIsSound(std::string_view bytes) {
  constexpr size_t kHeaderWords = 3;  // magic, plane size, plane depth
  if (bytes.size() < kHeaderWords * 4) return false;
  // The file holds its tables twice: first in the byte order of its magic
  // number, then in the other one.
  bool little_endian = true;
  if (Word(bytes, 0, true) != kCatalogueMagic) {
    little_endian = false;
    if (Word(bytes, 0, false) != kCatalogueMagic) return false;
  }
  const uint64_t plane_size = Word(bytes, 1, little_endian);
  const uint64_t plane_depth = Word(bytes, 2, little_endian);
  if (plane_size > bytes.size() || plane_depth > bytes.size()) return false;
  const uint64_t table_words = 3 * plane_size * plane_depth;
  const uint64_t texts_at = (kHeaderWords + 2 * table_words) * 4;
  if (plane_size == 0 || plane_depth == 0 || texts_at >= bytes.size()) return false;
  const uint64_t texts_size = bytes.size() - texts_at;
  for (uint64_t entry = 0; entry < table_words; entry += 3) {
    if (Word(bytes, kHeaderWords + entry + 2, little_endian) >= texts_size ||
        Word(bytes, kHeaderWords + table_words + entry + 2, !little_endian) >= texts_size) {
      return false;
    }
  }
  return bytes.back() == '\0';
}

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
