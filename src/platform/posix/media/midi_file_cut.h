// A MIDI file cut at a tick, so that a player made afresh plays on from there
// as if it had played the file up to that tick.
#pragma once

#include <cstdint>
#include <vector>

namespace velk0::platform::posix {

// The file `whole` (whose chunks are complete) from `tick` on: in each track
// every event up to `tick` other than a note (programs, controllers, tempo,
// system exclusive...) comes at the start, in its order; the notes up to
// `tick` are left out, having sounded already; the events after it keep their
// distance from `tick`. A track that cannot be read to its end stops where it
// can no longer be read.
std::vector<char> midi_file_from_tick(const std::vector<char>& whole, std::uint32_t tick);

}  // namespace velk0::platform::posix
