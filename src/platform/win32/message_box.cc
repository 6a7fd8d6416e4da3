#include <windows.h>

#include <string>

#include "platform/message_box.h"
#include "platform/platform.h"

namespace libdevavu::platform {

// One OK button, the exclamation-mark icon, system-modal: the box stays above
// every other window until the user dismisses it.
constexpr UINT kBoxStyle = 0x1030;

void ShowMessageBox(std::string_view caption, std::string_view text) {
  const std::string caption_z(caption);
  const std::string text_z(text);
  WriteStandardError(caption_z + ": " + text_z + "\n");
  MessageBoxA(nullptr, text_z.c_str(), caption_z.c_str(), kBoxStyle);
}

}  // namespace libdevavu::platform
