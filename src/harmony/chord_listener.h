// Listening to a keyboard: the keys it holds, and the line that names them
// once they have settled. Time is given by the caller, in milliseconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "midi/held_keys.h"
#include "platform/midi_message.h"

namespace velk0 {

// How long the keys held must stay still before they are named. The notes of
// a chord struck at once reach the keyboard within a few tens of ms of each
// other, and a chord rolled on purpose leaves about as much between its
// notes: each change starts the wait again, so such a chord is named once, as
// a whole. Notes further apart (sixteenths at 120 a minute are 125 ms apart)
// are named one by one.
constexpr std::uint64_t kSettleMs = 80;

class ChordListener {
 public:
  // Takes a message from the keyboard, arrived at `now_ms`. Returns the line
  // of keys that had settled before it, when no call to line_due took it.
  std::optional<std::string> take(platform::MidiMessage message, std::uint64_t now_ms);

  // When the keys held, changed, will have been still for the settle time;
  // nothing when no change waits to be named.
  std::optional<std::uint64_t> settles_at() const { return settles_at_; }

  // The line for the keys held (held_chord_line), once they have settled by
  // `now_ms`; nothing before, nothing when all keys were released, and
  // nothing when they make the line last said while held: the same chord
  // held, or left and taken again faster than the settle time.
  std::optional<std::string> line_due(std::uint64_t now_ms);

  // The keys and pedals as the keyboard left them: what to silence at the end.
  const HeldKeys& keys() const { return keys_; }

 private:
  HeldKeys keys_;
  std::optional<std::uint64_t> settles_at_;
  std::string said_;  // the last line said, empty once all keys were released
};

}  // namespace velk0
