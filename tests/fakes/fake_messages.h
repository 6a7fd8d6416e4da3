// Fakes of the two message sources of the core, GetNLSMessage and
// GetMsgText, over a table of raw texts; and of the operating system's side
// of the catalogue (every message library exists; the message box is
// recorded). Guarded by fakes::Lock().
#ifndef DEVAVU_TESTS_FAKES_FAKE_MESSAGES_H_
#define DEVAVU_TESTS_FAKES_FAKE_MESSAGES_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fakes {

struct MessageSources {
  // Raw texts by message library and 32-bit identifier.
  std::map<std::pair<std::string, uint32_t>, std::string> texts;

  // What GetMsgText returns instead of reading, where set.
  std::optional<int32_t> msg_text_result;

  // What DisplayMsg showed: caption and text.
  std::vector<std::pair<std::string, std::string>> boxes;
};

MessageSources& Messages();

// Fresh sources and a catalogue that has not yet found a library missing.
void ResetMessages();

// Adds a text under the product's message n (identifier 0xCFFF0000 + n).
void AddProductMessage(const std::string& library, uint16_t n, const std::string& text);

}  // namespace fakes

#endif  // DEVAVU_TESTS_FAKES_FAKE_MESSAGES_H_
