// The reading commands: the current tablature played whole, measure by
// measure or from the clipboard, the measure range moved, and the reading
// options that choose what is announced while it plays.
#pragma once

#include "midi/run_state.h"

namespace velk0 {

void play_tablature_file(RunState& run);      // @ojt
void play_clipboard(RunState& run);           // @ojp
void play_measure_by_measure(RunState& run);  // @ojm
void previous_measure(RunState& run);         // @op
void next_measure(RunState& run);             // @os
void read_key_signature(RunState& run);       // @oia
void read_advice(RunState& run);              // @oic
void read_fingerings(RunState& run);          // @oid
void read_harmony(RunState& run);             // @oih
void read_measures(RunState& run);            // @oim
void read_notes(RunState& run);               // @oin
void read_lyrics(RunState& run);              // @oip

}  // namespace velk0
