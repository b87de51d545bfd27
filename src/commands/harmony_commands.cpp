#include "commands/harmony_commands.h"

namespace velk0 {

// Not built yet: until they are, these commands keep their places in the
// command table and do nothing (no box, no sound).
void choose_scale() {}
void choose_chord_type() {}
void choose_cadence() {}
void choose_chord_position() {}
void choose_rhythm() {}
void play_current_material() {}
void play_degree_chord() {}

}  // namespace velk0
