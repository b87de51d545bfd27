#include "platform/console.h"

#include <iostream>

#include "platform/common/text_encoding.h"

namespace velk0::platform {

void print_line(std::string_view text) { std::cout << to_utf8(text) << std::endl; }

void print_error_line(std::string_view text) { std::cerr << to_utf8(text) << std::endl; }

}  // namespace velk0::platform
