#include "messages/message_platform.h"

#include "platform/message_box.h"
#include "txtcat.h"

namespace libdevavu::messages {

namespace {

// Asked of the message-text library, which reads every catalogue of the
// process: any answer but "no library" means the catalogue opens.
bool LibraryPresent(const char* lib_name) {
  char probe[1];
  return lib_name != nullptr && GetMsgText(lib_name, 0, sizeof probe, probe) != TXT_NO_LIBRARY;
}

}  // namespace

MessagePlatformRoutines& MessagePlatform() {
  static MessagePlatformRoutines routines{&LibraryPresent, &platform::ShowMessageBox};
  return routines;
}

}  // namespace libdevavu::messages
