#include "gencat_source.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "formats/catalogue_numbers.h"

namespace mc2cat {

namespace {

// gencat reads a message up to the line end and keeps blanks and quotes as
// they are; a backslash and control characters need escapes.
void AppendEscaped(std::string_view text, std::string* out) {
  for (const char c : text) {
    switch (c) {
      case '\\': *out += "\\\\"; break;
      case '\n': *out += "\\n"; break;
      case '\t': *out += "\\t"; break;
      case '\r': *out += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char octal[5];
          std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
          *out += octal;
        } else {
          *out += c;
        }
    }
  }
}

}  // namespace

void WriteGencatSource(const McFile& file, size_t language, const std::string& origin,
                       std::string* out) {
  std::vector<const McMessage*> order;
  for (const McMessage& m : file.messages) {
    if (m.texts[language]) order.push_back(&m);
  }
  std::sort(order.begin(), order.end(),
            [](const McMessage* a, const McMessage* b) { return a->id < b->id; });
  out->clear();
  *out += "$ Generated from " + origin + " (" + file.languages[language].name +
          "); edit the .mc file instead.\n";
  int set = 0;
  for (const McMessage* m : order) {
    const libdevavu::formats::CatalogueNumbers at = libdevavu::formats::CatalogueNumbersOf(m->id);
    if (at.set != set) {
      set = at.set;
      *out += "$set " + std::to_string(set) + "\n";
    }
    *out += std::to_string(at.message) + " ";
    AppendEscaped(*m->texts[language], out);
    *out += "\n";
  }
}

}  // namespace mc2cat
