// Plain lines on the console, for the companion programs, which talk to their
// user there rather than in boxes: each line is written once, in order, in
// the console's own encoding.
#pragma once

#include <string_view>

namespace velk0::platform {

// Writes the text (the program's own bytes) and a line end to standard
// output, or to standard error.
void print_line(std::string_view text);
void print_error_line(std::string_view text);

}  // namespace velk0::platform
