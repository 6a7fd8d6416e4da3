#include "fakes/fake_messages.h"

#include <cstring>

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

const std::string* Find(const char* library, uint32_t id) {
  const auto it = Messages().texts.find({library, id});
  return it == Messages().texts.end() ? nullptr : &it->second;
}

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
  if (fakes::Messages().fail_nls != 0) return fakes::Messages().fail_nls;
  const std::string* found = fakes::Find(library, 0xCFFF0000u + msg_no);
  if (found == nullptr) return ORV_MESSAGE_NOT_FOUND;
  const size_t n = found->size() < size ? found->size() : size;
  std::memcpy(text, found->data(), n);
  *length = static_cast<uint16_t>(n);
  return 0;
}

int32_t GetMsgText(const char* library, uint32_t id, uint32_t size, char* text) {
  libdevavu::platform::LockHolder hold(fakes::Lock());
  if (fakes::Messages().msg_text_result) return *fakes::Messages().msg_text_result;
  const std::string* found = fakes::Find(library, id);
  if (found == nullptr) return TXT_NO_MESSAGE;
  const size_t n = found->size() < size - 1 ? found->size() : size - 1;
  std::memcpy(text, found->data(), n);
  text[n] = '\0';
  return TXT_FOUND;
}

}  // extern "C"
