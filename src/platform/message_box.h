// The message box of the product: a message put in front of the user. On
// Linux there is no box: the message goes to standard error and to syslog,
// and nothing waits for the user.
#ifndef DEVAVU_PLATFORM_MESSAGE_BOX_H_
#define DEVAVU_PLATFORM_MESSAGE_BOX_H_

#include <string_view>

namespace libdevavu::platform {

// Writes "caption: text" as one line to standard error and sends text to
// syslog under the ident caption with the priority user.err.
void ShowMessageBox(std::string_view caption, std::string_view text);

// Sends one user.err message to the syslog datagram socket at socket_path,
// without waiting for a reader: false when it could not be sent.
bool SendToSyslog(const char* socket_path, std::string_view ident, std::string_view text);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_MESSAGE_BOX_H_
