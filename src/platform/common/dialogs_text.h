// Message boxes as plain lines of text, for terminals and screen readers:
// each box is appended in order, caption first, never repainted.
#pragma once

#include <ostream>
#include <string>

#include "platform/platform.h"

namespace velk0::platform {

// Prints the caption and the text of a box (UTF-8), one line each; no byte
// of them can drive the terminal (see to_terminal).
void print_box(std::ostream& out, BoxStyle style, std::string_view text, std::string_view caption);
// The prompt line of a Yes/No/Cancel box.
void print_choice_prompt(std::ostream& out);
// The answer, as a word on its own line.
void print_answer(std::ostream& out, int answer);
// The answer a typed letter stands for: o/y Yes, n No, a/c/x or Escape
// Cancel; 0 for a character that answers nothing (blanks, commas).
int answer_for_letter(char c);

}  // namespace velk0::platform
