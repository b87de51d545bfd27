// The sustain and sostenuto pedals held down on each channel, as the
// messages that went by say: what must be lifted before a note-off can stop
// a note a pedal keeps.
#pragma once

#include <bitset>

#include "platform/midi_message.h"

namespace velk0::platform {

class Pedals {
 public:
  // Takes one message as a receiver reads it (seven-bit data): a pedal
  // pressed or lifted, or reset all controllers, which lifts both.
  void take(MidiMessage read);

  // Hands `send` the message that lifts each pedal still down, channel by
  // channel, sustain first (it takes no memory: it may run once memory has
  // run out).
  template <typename Send>
  void lift(Send&& send) const {
    for (unsigned channel = 0; channel < 16; ++channel) {
      if (sustain_[channel])
        send(MidiMessage::make(MidiKind::control_change, channel, kSustainPedal, 0));
      if (sostenuto_[channel])
        send(MidiMessage::make(MidiKind::control_change, channel, kSostenutoPedal, 0));
    }
  }

 private:
  std::bitset<16> sustain_, sostenuto_;
};

}  // namespace velk0::platform
