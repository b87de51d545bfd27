#include "core/messages.h"

namespace velk0 {

using platform::BoxStyle;

int show_info(platform::Dialogs& dialogs, std::string_view text, std::string_view caption) {
  if (text.empty() && caption.empty()) return 0;
  return dialogs.show(BoxStyle::info, text, caption);
}

int ask_choice(platform::Dialogs& dialogs, std::string_view text, std::string_view caption) {
  if (text.empty() && caption.empty()) return 0;
  return dialogs.show(BoxStyle::choice, text, caption);
}

void show_plain(platform::Dialogs& dialogs, std::string_view text, std::string_view caption) {
  dialogs.show(BoxStyle::ok, text, caption);
}

}  // namespace velk0
