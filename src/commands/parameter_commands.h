// The parameter commands: defaults, the settings file, tempo, instrument,
// volume, voice, and the steppers of transposition, instrument, key, degree
// and repetitions.
#pragma once

#include "midi/run_state.h"

namespace velk0 {

// Every setting to its default (the time signature excepted), the program
// change for the default instrument sent, and the current material read
// back from its default texts.
void reset_settings(RunState& run);

void restore_defaults(RunState& run);    // @pd
void load_settings_file(RunState& run);  // @pm
void choose_tempo(RunState& run);        // @pt
void choose_instrument(RunState& run);   // @pi
void choose_volume(RunState& run);       // @pvl
void choose_voice(RunState& run);        // @pvo
void step_transposition(RunState& run);  // @ptr
void step_instrument(RunState& run);     // @pb
void step_key(RunState& run);            // @ht
void step_degree(RunState& run);         // @hd
void step_repetitions(RunState& run);    // @hrep

}  // namespace velk0
