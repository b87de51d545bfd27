// Conversions between the program's own bytes (Windows-1252, with the code
// page 850 bytes 0x82 and 0x8A of the chord names) and what the user sees.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velk0::platform {

// A name the system gives (a command-line argument, a path from the
// environment) in the program's own bytes, which can be turned back into the
// name's own bytes: as from_utf8, but a character without a Windows-1252 byte,
// or a byte that is no part of well-formed UTF-8, is kept as escapes, one for
// each of its bytes. An escape is the byte 0x81 (which Windows-1252 leaves
// undefined) and two bytes 0xA0 + each half of the byte: bytes that mean
// nothing in a tablature.
std::string from_system_name(std::string_view bytes);

// Windows-1252 with 0x82 and 0x8A read as é and è.
std::string to_display_ansi(std::string_view program_text);
// The same, as UTF-8, escapes of a system name turned back into its bytes.
std::string to_utf8(std::string_view program_text);
// The same, as UTF-8 for a terminal, where no byte of the text may drive the
// terminal: line feeds and tabs are kept, a carriage return ends the line as
// a line feed does, and the other control characters (C0, DEL, and the bytes
// Windows-1252 leaves undefined) are shown as escapes such as \x1b.
std::string to_terminal(std::string_view program_text);
// UTF-8 to Windows-1252; characters it has no byte for become '?'. Bytes
// that are not well-formed UTF-8 are kept as they are.
std::string from_utf8(std::string_view utf8);
// A JSON string literal (quotes included) of the UTF-8 form of the text; a
// byte of a system name that is no UTF-8 is written as the text \xNN.
std::string json_string(std::string_view program_text);

// One well-formed UTF-8 sequence at the start of a text: its code point and
// its length in bytes (1 to 4). The length is 0 when the bytes there are not
// one: a stray or missing continuation byte, an overlong form, a surrogate,
// a code point beyond U+10FFFF, or a sequence cut short by the end.
struct Utf8Char {
  char32_t code_point = 0;
  std::size_t length = 0;
};
Utf8Char utf8_char(std::string_view bytes);
// The Windows-1252 byte of a code point; '?' when it has none.
char windows1252_byte(char32_t code_point);

}  // namespace velk0::platform
