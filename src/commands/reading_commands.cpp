#include "commands/reading_commands.h"

namespace velk0 {

// Not built yet: until they are, these commands keep their places in the
// command table and do nothing (no box, no sound).
void play_tablature_file() {}
void play_clipboard() {}
void play_measure_by_measure() {}
void previous_measure() {}
void next_measure() {}
void read_key_signature() {}
void read_advice() {}
void read_fingerings() {}
void read_harmony() {}
void read_measures() {}
void read_notes() {}
void read_lyrics() {}

}  // namespace velk0
