// One line on standard error, for what the user is to be told beside the
// boxes: a file that could not be written, a program that could not start.
#pragma once

#include <string_view>

namespace velk0::platform {

// Writes the line (the program's own bytes) and a line end on standard
// error, in the encoding it takes here.
void report_error_line(std::string_view line);

}  // namespace velk0::platform
