#include "messages/message_platform.h"

#include "platform/message_box.h"
#include "platform/message_catalogue.h"

namespace libdevavu::messages {

namespace {

bool LibraryPresent(const char* lib_name) {
  return lib_name != nullptr && platform::CatalogueAvailable(lib_name);
}

}  // namespace

MessagePlatformRoutines& MessagePlatform() {
  static MessagePlatformRoutines routines{&LibraryPresent, &platform::ShowMessageBox};
  return routines;
}

}  // namespace libdevavu::messages
