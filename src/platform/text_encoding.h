// Conversions between the program's own bytes (Windows-1252, with the code
// page 850 bytes 0x82 and 0x8A of the chord names) and what the user sees.
#pragma once

#include <string>
#include <string_view>

namespace velk0::platform {

// Windows-1252 with 0x82 and 0x8A read as é and è.
std::string to_display_ansi(std::string_view program_text);
// The same, as UTF-8.
std::string to_utf8(std::string_view program_text);
// UTF-8 to Windows-1252; characters it has no byte for become '?'. Bytes
// that are not valid UTF-8 are kept as they are.
std::string from_utf8(std::string_view utf8);
// A JSON string literal (quotes included) of the UTF-8 form of the text.
std::string json_string(std::string_view program_text);

}  // namespace velk0::platform
