// A MIDI file as FluidSynth's player is given it. The player gives up on a
// whole file for a single event it cannot read (a track cut inside an event,
// a quantity of five bytes, a meta event of the wrong length, an escaped
// message) and miscounts 128 tracks or more. So its tracks are merged into
// one, in order of time (the events of one tick in the order of their
// tracks, as the player sends them), and it is given only the events it
// reads: every track plays, each up to where it can be read.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace velk0::platform::posix {

struct PlayableMidiFile {
  std::vector<char> bytes;   // format 0, one track, the original's ticks per quarter note
  bool whole = true;         // false when part of the original could not be read
  std::size_t messages = 0;  // the channel messages it holds
};

// Nothing when `original` is no complete MIDI file: a header the player
// can play (format 0 to 2, at least one track, ticks per quarter note)
// followed by every track it announces, whole.
std::optional<PlayableMidiFile> playable_midi_file(const std::vector<char>& original);

}  // namespace velk0::platform::posix
