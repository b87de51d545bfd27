// The parameter commands: defaults, the settings file, tempo, instrument,
// volume, voice, and the steppers of transposition, instrument, key, degree
// and repetitions.
#pragma once

namespace velk0 {

void restore_defaults();    // @pd
void load_settings_file();  // @pm
void choose_tempo();        // @pt
void choose_instrument();   // @pi
void choose_volume();       // @pvl
void choose_voice();        // @pvo
void step_transposition();  // @ptr
void step_instrument();     // @pb
void step_key();            // @ht
void step_degree();         // @hd
void step_repetitions();    // @hrep

}  // namespace velk0
