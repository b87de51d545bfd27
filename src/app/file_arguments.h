// Files named on the command line: MIDI files played on the sequencer, wave
// files played on the wave device or as sound cues, tablature files read.
#pragma once

#include <string>
#include <string_view>

#include "midi/run_state.h"

namespace velk0 {

// Looks in the argument, case-sensitively and in this order, for ".mid" or
// ".MID", ".wav" or ".WAV", ".tab" or ".TAB". A MIDI or wave file is played
// and the argument emptied (a wave name after @, $ or # is a sound cue). A
// tablature file, when the argument is no command, takes the argument's
// place: the argument becomes its text, cut to an argument's size, and
// `file_text` (when given) receives all of it. Returns whether that
// happened; a file that cannot be read is reported and changes nothing.
bool handle_file_argument(RunState& run, std::string& argument_text,
                          std::string* file_text = nullptr);

// Plays a MIDI file with the pause, restart and stop dialogue; 0, or the
// error code of the step that failed (after its box).
unsigned play_midi_file(platform::Platform& platform, std::string_view path);

// Plays a wave file (".wav" added when the name has no such extension) with
// the pause and continue dialogue; 0 after it, 1 when the file cannot be
// opened or played (nothing is shown).
int play_wave_file(platform::Platform& platform, std::string& path);

}  // namespace velk0
