// Standard output and standard error take UTF-8. On standard error no byte of
// a line may drive the terminal (see to_terminal); standard output keeps a
// name's own bytes.
#include "platform/console.h"

#include <iostream>

#include "platform/common/text_encoding.h"

namespace velk0::platform {

void print_line(std::string_view text) { std::cout << to_utf8(text) << std::endl; }

void print_error_line(std::string_view text) { std::cerr << error_line_bytes(text) << std::flush; }

std::string error_line_bytes(std::string_view text) { return to_terminal(text) + '\n'; }

}  // namespace velk0::platform
