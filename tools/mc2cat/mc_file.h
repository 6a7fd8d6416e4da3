// Reads message sources in the Message Compiler format: the header
// statements (SeverityNames, FacilityNames, LanguageNames, ...) and the
// messages, each with a text in every language the file uses.
#ifndef DEVAVU_TOOLS_MC2CAT_MC_FILE_H_
#define DEVAVU_TOOLS_MC2CAT_MC_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mc2cat {

struct McLanguage {
  std::string name;  // as the file names it, "German"
  uint16_t id;       // 0x407
  std::string code;  // the catalogue's language directory, "de"
};

struct McMessage {
  uint32_t id;  // severity << 30 | facility << 16 | code
  std::string symbolic_name;
  int line;                        // of its MessageId statement
  std::vector<std::string> texts;  // one per McFile::languages, in that order
};

struct McFile {
  std::vector<McLanguage> languages;  // those that some message has a text in
  std::vector<McMessage> messages;    // in file order
};

struct McError {
  int line;  // 1-based; 0 when the fault concerns the whole file
  std::string what;
};

// Parses the text of an .mc file. A message text keeps its lines with a line
// feed after each, the last one included: the message formatter's %0 and %n
// decide what the reader sees. Severity and Facility are required on every
// message, so that the file means the same to every message compiler.
// Returns false with the first fault in *error.
bool ParseMcFile(std::string_view content, McFile* file, McError* error);

}  // namespace mc2cat

#endif  // DEVAVU_TOOLS_MC2CAT_MC_FILE_H_
