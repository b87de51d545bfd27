// A Standard MIDI File made from timed short messages: format 0, one track,
// 1000 ticks per quarter note at 1,000,000 microseconds per quarter note, so
// that one tick is one millisecond. The track starts with its name and its
// tempo, gives every message its own status byte (no running status), and
// ends with End of Track at the piece's length. Bytes only: writing them is
// the caller's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/midi_message.h"

namespace velk0::platform::posix {

// Appends `value`, of at most 28 bits, as a MIDI file's variable-length
// quantity: seven bits a byte, the first bytes with their top bit set.
template <class Bytes>
void put_quantity(Bytes& out, std::uint32_t value) {
  char groups[4];
  int count = 0;
  do {
    groups[count++] = static_cast<char>(value & 0x7F);
    value >>= 7;
  } while (value != 0 && count < 4);
  while (count > 1) out.push_back(static_cast<char>(groups[--count] | 0x80));
  out.push_back(groups[0]);
}

struct TimedMessage {
  std::uint64_t ms = 0;  // from the start of the piece
  MidiMessage message;   // a channel message
};

// The file of `messages` (in order of time; a message dated before the one
// before it is taken at that one's time), `end_ms` long at least. Nothing
// when the track would not fit the 32-bit length of its chunk.
std::optional<std::string> smf_bytes(const std::vector<TimedMessage>& messages,
                                     std::uint64_t end_ms, std::string_view track_name);

}  // namespace velk0::platform::posix
