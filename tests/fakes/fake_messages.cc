#include "fakes/fake_messages.h"

#include "fakes/fakes.h"
#include "messages/catalogue.h"
#include "messages/message_platform.h"
#include "orvesvc.h"
#include "txtcat.h"

namespace fakes {

namespace {

// Every test binary that links the fakes reads messages from them and shows
// boxes into them, never to the terminal or to syslog.
[[maybe_unused]] const bool installed = [] {
  libdevavu::messages::MessagePlatform() = {
      [](const char*) { return true; },
      [](std::string_view caption, std::string_view text) {
        libdevavu::platform::LockHolder hold(Lock());
        Messages().boxes.emplace_back(caption, text);
      }};
  return true;
}();

}  // namespace

MessageSources& Messages() {
  static MessageSources sources;
  return sources;
}

void ResetMessages() {
  {
    libdevavu::platform::LockHolder hold(Lock());
    Messages() = MessageSources{};
  }
  libdevavu::messages::MsgsAvailable() = 1;
}

void AddProductMessage(const std::string& library, uint16_t n, const std::string& text) {
  libdevavu::platform::LockHolder hold(Lock());
  Messages().texts[{library, 0xCFFF0000u + n}] = text;
}

}  // namespace fakes

extern "C" {

uint32_t GetNLSMessage(char* text, uint16_t size, uint16_t msg_no, const char* library,
                       uint16_t* length) {
  libdevavu::platform::LockHolder hold(fakes::Lock());
  const auto found = fakes::Messages().texts.find({library, 0xCFFF0000u + msg_no});
  if (found == fakes::Messages().texts.end()) return ORV_MESSAGE_NOT_FOUND;
  *length = static_cast<uint16_t>(found->second.copy(text, size));
  return 0;
}

int32_t GetMsgText(const char* library, uint32_t id, uint32_t size, char* text) {
  libdevavu::platform::LockHolder hold(fakes::Lock());
  if (fakes::Messages().msg_text_result) return *fakes::Messages().msg_text_result;
  const auto found = fakes::Messages().texts.find({library, id});
  if (found == fakes::Messages().texts.end()) return TXT_NO_MESSAGE;
  text[found->second.copy(text, size - 1)] = '\0';
  return TXT_FOUND;
}

}  // extern "C"
