// The message box of the product: a message put in front of the user,
// without waiting for the user to answer.
#ifndef DEVAVU_PLATFORM_MESSAGE_BOX_H_
#define DEVAVU_PLATFORM_MESSAGE_BOX_H_

#include <string_view>

namespace libdevavu::platform {

// Shows text under caption where the system puts such messages, and writes
// "caption: text" as one line to standard error.
void ShowMessageBox(std::string_view caption, std::string_view text);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_MESSAGE_BOX_H_
