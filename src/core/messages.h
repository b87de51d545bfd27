// The boxes through which the program talks to its user.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace velk0 {

// OK box with the information icon; nothing when both texts are empty.
int show_info(platform::Dialogs& dialogs, std::string_view text, std::string_view caption);
// Yes/No/Cancel box; 0 without a box when both texts are empty.
int ask_choice(platform::Dialogs& dialogs, std::string_view text, std::string_view caption);
// OK box with no icon.
void show_plain(platform::Dialogs& dialogs, std::string_view text, std::string_view caption);

}  // namespace velk0
