// A tablature of any length played whole, such as the text of a tablature
// file: no cut to a typed tablature's size or to its first notes.
#pragma once

#include <string_view>

namespace velk0 {

// Plays the text on a freshly opened device, piece after piece: each piece
// ends at a measure separator (or a blank) before the reader's 2047
// characters and is read on from where the last one's reading left the
// octave, so the text sounds as one. The device is closed after. Returns 0.
int play_whole_text(std::string_view text);

}  // namespace velk0
