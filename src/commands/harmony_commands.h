// The harmony commands: a scale, a chord type, a chord position, a cadence
// and a rhythm chosen by ear, and the current material played.
#pragma once

namespace velk0 {

void choose_scale();           // @hg (also run by @ht)
void choose_chord_type();      // @ha (also run by @ht)
void choose_cadence();         // @hc
void choose_chord_position();  // @hre
void choose_rhythm();          // @hry
void play_current_material();  // @hj
void play_degree_chord();      // @hja

}  // namespace velk0
