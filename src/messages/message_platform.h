// The two services of the operating system that the message catalogue and
// the message box use, behind routines that the unit tests replace.
#ifndef DEVAVU_MESSAGES_MESSAGE_PLATFORM_H_
#define DEVAVU_MESSAGES_MESSAGE_PLATFORM_H_

#include <string_view>

namespace libdevavu::messages {

struct MessagePlatformRoutines {
  // True when the message library (its catalogue) can be opened.
  bool (*library_present)(const char* lib_name);
  // Puts text in front of the user under caption, without waiting.
  void (*show_box)(std::string_view caption, std::string_view text);
};

MessagePlatformRoutines& MessagePlatform();

}  // namespace libdevavu::messages

#endif  // DEVAVU_MESSAGES_MESSAGE_PLATFORM_H_
