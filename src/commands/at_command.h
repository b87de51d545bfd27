#pragma once

#include <string>
#include <string_view>

namespace velk0 {

// Runs the interactive command `name` (the text after the @).
void run_at_command(std::string_view name, std::string& argument_text, std::string& tablature_text);

}  // namespace velk0
