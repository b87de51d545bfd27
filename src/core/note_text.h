// The notes as the tablature text writes them: the sharp names of the twelve
// pitch classes, and the marks that raise or lower the note before them.
#pragma once

#include <array>
#include <string_view>

namespace velk0 {

// c = 0; the black keys as sharps.
inline constexpr std::array<std::string_view, 12> kSharpNoteNames = {
    "c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};

// Sharp, flat, double sharp and double flat (0xE1).
constexpr bool is_accidental(char c) { return c == '+' || c == '-' || c == '*' || c == '\xE1'; }

}  // namespace velk0
