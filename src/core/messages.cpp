#include "core/messages.h"

#include "platform/platform.h"

namespace velk0 {

using platform::BoxStyle;

LoopSettings& loop_settings() {
  static LoopSettings loop;
  return loop;
}

namespace {

int show(BoxStyle style, std::string_view text, std::string_view caption) {
  return platform::current().dialogs->show(style, text, caption);
}

}  // namespace

int show_info(std::string_view text, std::string_view caption) {
  if (text.empty() && caption.empty()) return 0;
  return show(BoxStyle::info, text, caption);
}

int ask_choice(std::string_view text, std::string_view caption) {
  if (text.empty() && caption.empty()) return 0;
  return show(BoxStyle::choice, text, caption);
}

int show_result(std::string_view text, std::string_view caption) {
  int level = loop_settings().show_level;
  if (level != 1) return level;
  show(BoxStyle::info, text, caption);
  return 1;
}

int show_plain(std::string_view text, std::string_view caption) {
  return show(BoxStyle::ok, text, caption);
}

}  // namespace velk0
