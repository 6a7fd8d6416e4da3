// DisplayMsg: a message put in front of the user, either the text given or
// a numbered message of qrxmsg. It needs neither the catalogue nor its lock.
#include <cstdio>
#include <string_view>

#include "devavu.h"
#include "frame/common_services.h"
#include "messages/message_platform.h"

namespace {

constexpr char kCaption[] = "Quorix";
constexpr char kLibrary[] = "qrxmsg.dll";
constexpr uint16_t kTextSize = 512;

}  // namespace

extern "C" {

DEVAVU_API int32_t DisplayMsg(const char* text, uint32_t msg_no, uint32_t /*id_no*/,
                              char severity) {
  // One byte more than GetNLSMessage may fill, for the terminating zero.
  char buffer[kTextSize + 1] = {};
  const auto number = static_cast<uint16_t>(msg_no);
  std::string_view shown = text != nullptr ? text : "";
  if (number != 0) {
    uint16_t length = 0;
    const uint32_t rc = GetNLSMessage(buffer, kTextSize, number, kLibrary, &length);
    if (rc == 0) {
      shown = std::string_view(buffer, length < kTextSize ? length : kTextSize);
      // The line break that ends every text of the message sources.
      if (!shown.empty() && shown.back() == '\n') shown.remove_suffix(1);
    } else {
      std::snprintf(buffer, sizeof buffer, "GetNLSMessage(%d, %s) => %d", number, kLibrary,
                    static_cast<int>(rc));
      shown = buffer;
    }
  }

  // A numbered message goes out behind its identifier, under which the user
  // finds it described; a text the caller gives is shown as it is.
  char line[20 + sizeof buffer + 1];
  if (number != 0) {
    char identifier[20];
    std::snprintf(identifier, sizeof identifier, "%s%04d%c", "QRX", number, severity);
    std::snprintf(line, sizeof line, "%s %.*s", identifier, static_cast<int>(shown.size()),
                  shown.data());
    shown = line;
  }
  libdevavu::messages::MessagePlatform().show_box(kCaption, shown);
  return 0;
}

}  // extern "C"
