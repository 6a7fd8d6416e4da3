// Reads message sources in the Message Compiler format: the header
// statements (SeverityNames, FacilityNames, LanguageNames, ...) and the
// messages, each with a text in every language the file uses.
#ifndef DEVAVU_TOOLS_MC2CAT_MC_FILE_H_
#define DEVAVU_TOOLS_MC2CAT_MC_FILE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mc2cat {

struct McLanguage {
  std::string name;  // as the file names it, "German"
  uint16_t id;       // 0x407
  std::string code;  // its locale, "de_DE"; "" where none is known
};

struct McMessage {
  uint32_t id;  // severity << 30 | facility << 16 | code
  std::string symbolic_name;
  int line;                        // of its MessageId statement
  // One per McFile::languages, in that order; none where the message has no
  // text in that language.
  std::vector<std::optional<std::string>> texts;
};

struct McError {
  int line;  // 1-based; 0 when the fault concerns the whole file
  std::string what;
};

struct McFile {
  std::vector<McLanguage> languages;  // those that some message has a text in
  std::vector<McMessage> messages;    // in file order
  std::vector<McError> warnings;      // what other message compilers read otherwise
};

// Parses the text of an .mc file. A message text keeps its lines with a line
// feed after each, the last one included: the message formatter's %0 and %n
// decide what the reader sees. A message that states no Severity or
// Facility has 0 there, as windmc gives; where an earlier message stated
// one, Microsoft's compiler carries it over instead, so that gives a warning.
// A repeated identifier and an empty text (a '.' right after Language=) are
// refused: which text a reader would see is not defined.
// Returns false with the first fault in *error.
bool ParseMcFile(std::string_view content, McFile* file, McError* error);

}  // namespace mc2cat

#endif  // DEVAVU_TOOLS_MC2CAT_MC_FILE_H_
