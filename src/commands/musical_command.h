#pragma once

#include <string>
#include <string_view>

#include "midi/run_state.h"

namespace velk0 {

// Treats the tablature's notes as a chord and applies the command `symbol`
// (i, n, r, t) with its parameter; the result goes to `tablature_text`.
void musical_command(RunState& run, std::string_view symbol, std::string_view number,
                     std::string& argument_text, std::string& tablature_text);

}  // namespace velk0
