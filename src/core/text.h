// Text helpers shared by every part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/common/case_folding.h"

namespace velk0 {

// Copies `len` characters of `src` from position `pos` (from 1) into `dst`,
// fewer when `src` ends first, none when `pos` or `len` is below 1.
void copy_substring(std::string& dst, std::string_view src, int pos, int len);

// Reads a decimal integer the way the C library does: leading blanks, an
// optional sign, then digits up to the first non-digit; 0 when there are none.
// Saturates instead of overflowing.
std::int32_t read_integer(std::string_view text);

// Reads the decimal digits at the start of `text`, and nothing else: no
// blank, no sign; 0 when it starts with no digit. Saturates.
std::int32_t read_digits(std::string_view text);

// The text as its C form would hold it: up to its first zero byte, at most
// `capacity` characters.
std::string_view c_text(std::string_view text, std::size_t capacity = std::string_view::npos);

// Lower-cases A to Z only.
using platform::lower_ascii;
using platform::lower_ascii_in_place;

// Formats like printf into a std::string.
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace velk0
