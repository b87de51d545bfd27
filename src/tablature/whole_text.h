// A tablature of any length played whole, such as the text of a tablature
// file: no cut to a typed tablature's size or to its first notes.
#pragma once

#include <string>

#include "midi/run_state.h"

namespace velk0 {

// Plays the text on a freshly opened device as one reading, a list of notes
// at a time as the reader hands them on, so that it sounds as one text
// would. The device is closed after.
void play_whole_text(RunState& run, std::string text);

}  // namespace velk0
