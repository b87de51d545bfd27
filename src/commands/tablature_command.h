#pragma once

#include <string_view>

#include "midi/run_state.h"

namespace velk0 {

// Replays the shape of a tablature from note number `number`: letter a as a
// run, p as a chord.
void tablature_command(RunState& run, std::string_view letter, std::string_view number,
                       std::string_view tablature);

}  // namespace velk0
