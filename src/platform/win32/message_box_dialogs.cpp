#include "platform/win32/message_box_dialogs.h"

#include <windows.h>

#include <string>

#include "platform/common/text_encoding.h"

namespace velk0::platform::win32 {

int MessageBoxDialogs::show(BoxStyle style, std::string_view text, std::string_view caption) {
  // The ANSI box shows Windows-1252; chord names carry two code page 850
  // letters that would otherwise show wrong.
  std::string shown_text = to_display_ansi(text);
  std::string shown_caption = to_display_ansi(caption);
  return MessageBoxExA(nullptr, shown_text.c_str(), shown_caption.c_str(), static_cast<UINT>(style),
                       0);
}

}  // namespace velk0::platform::win32
