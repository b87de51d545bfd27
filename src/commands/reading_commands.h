// The reading commands: the current tablature played whole, measure by
// measure or from the clipboard, the measure range moved, and the reading
// options that choose what is announced while it plays.
#pragma once

namespace velk0 {

void play_tablature_file();      // @ojt
void play_clipboard();           // @ojp
void play_measure_by_measure();  // @ojm
void previous_measure();         // @op
void next_measure();             // @os
void read_key_signature();       // @oia
void read_advice();              // @oic
void read_fingerings();          // @oid
void read_harmony();             // @oih
void read_measures();            // @oim
void read_notes();               // @oin
void read_lyrics();              // @oip

}  // namespace velk0
