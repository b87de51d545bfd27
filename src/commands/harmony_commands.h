// The harmony commands: a scale, a chord type, a chord position, a cadence
// and a rhythm chosen by ear, and the current material played.
#pragma once

#include "midi/run_state.h"

namespace velk0 {

void choose_scale(RunState& run);           // @hg (also run by @ht)
void choose_chord_type(RunState& run);      // @ha (also run by @ht)
void choose_cadence(RunState& run);         // @hc
void choose_chord_position(RunState& run);  // @hre
void choose_rhythm(RunState& run);          // @hry
void play_current_material(RunState& run);  // @hj
void play_degree_chord(RunState& run);      // @hja

}  // namespace velk0
