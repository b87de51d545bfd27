// The boxes through which the program talks to its user.
#pragma once

#include <string_view>

namespace velk0 {

// Process-wide loop settings: #w sets the first, #m the second.
struct LoopSettings {
  int show_level = 0;
  int device_index = 0;
};
LoopSettings& loop_settings();

// OK box with the information icon; nothing when both texts are empty.
int show_info(std::string_view text, std::string_view caption);
// Yes/No/Cancel box; 0 without a box when both texts are empty.
int ask_choice(std::string_view text, std::string_view caption);
// Intermediate results: shown only at show level 1.
int show_result(std::string_view text, std::string_view caption);
// OK box with no icon.
int show_plain(std::string_view text, std::string_view caption);

}  // namespace velk0
