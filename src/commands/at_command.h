#pragma once

#include <string>
#include <string_view>

#include "midi/run_state.h"

namespace velk0 {

// Runs the interactive command `name` (the text after the @, at most four
// characters), compared whole and whatever its letter case; a name that
// matches no command is answered with the lists of commands.
void run_at_command(RunState& run, std::string_view name);

}  // namespace velk0
