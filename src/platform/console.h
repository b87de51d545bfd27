// The program's own lines on the console, each written once, whole and in
// order, from the program's own bytes into the encoding the console takes.
//
// Every line the program writes of its own on standard error goes through
// print_error_line: what the user is told beside the boxes (a file that
// could not be written, a program that could not start, why no sound can
// be heard, a setting that cannot be used) and the companion programs'
// lines, which talk to their user there rather than in boxes. A line that
// must be written later without converting anything (from a signal handler
// or a watchdog, or once memory has run out) takes its bytes from
// error_line_bytes beforehand.
#pragma once

#include <string>
#include <string_view>

namespace velk0::platform {

// Writes the text (the program's own bytes) and a line end to standard
// output, or to standard error.
void print_line(std::string_view text);
void print_error_line(std::string_view text);

// The line print_error_line hands to standard error's stream for the text,
// its line end included, when that is a file or a pipe (where lines end with
// CR LF, the stream writes them so).
std::string error_line_bytes(std::string_view text);

}  // namespace velk0::platform
