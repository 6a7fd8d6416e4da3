#include "gencat_source.h"

#include <algorithm>
#include <cstdio>
#include <vector>

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

bool WriteGencatSource(const McFile& file, size_t language, const std::string& origin,
                       std::string* out, McError* error) {
  std::vector<const McMessage*> order;
  for (const McMessage& m : file.messages) {
    if ((m.id >> 16) == 0 || (m.id & 0xFFFF) == 0) {
      *error = {m.line, "identifier of message " + std::to_string(m.id & 0xFFFF) +
                            " gives set or message number 0, which a catalogue cannot hold"};
      return false;
    }
    order.push_back(&m);
  }
  std::sort(order.begin(), order.end(),
            [](const McMessage* a, const McMessage* b) { return a->id < b->id; });
  out->clear();
  *out += "$ Generated from " + origin + " (" + file.languages[language].name +
          "); edit the .mc file instead.\n";
  uint32_t set = 0;
  for (const McMessage* m : order) {
    if ((m->id >> 16) != set) {
      set = m->id >> 16;
      *out += "$set " + std::to_string(set) + "\n";
    }
    *out += std::to_string(m->id & 0xFFFF) + " ";
    AppendEscaped(m->texts[language], out);
    *out += "\n";
  }
  return true;
}

}  // namespace mc2cat
