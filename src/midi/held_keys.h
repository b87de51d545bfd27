// What a MIDI keyboard holds down, as the messages it sends say: its keys on
// each channel and its pedals.
#pragma once

#include <array>
#include <bitset>
#include <vector>

#include "platform/common/pedals.h"
#include "platform/midi_message.h"

namespace velk0 {

// A set of MIDI keys, 0 to 127.
using KeySet = std::bitset<128>;

// The General MIDI drum channel (channel 10, 0-based 9): its keys pick drums,
// not pitches.
constexpr unsigned kDrumChannel = 9;

class HeldKeys {
 public:
  // Takes one message as a receiver reads it (seven-bit data). A note-on of
  // velocity 0 is a note-off; all notes off and all sound off (controllers
  // 123, 120) release the channel's keys; reset all controllers (121) lifts
  // its pedals. Returns true when the pitched keys held changed.
  bool take(platform::MidiMessage message);

  // The keys held on every channel but the drum channel, whatever the pedals
  // keep sounding: a key held on two channels is one key.
  KeySet pitched() const;

  // What silences all that the messages taken let sound, for the device they
  // went to: on each channel whose sustain or sostenuto pedal is down, that
  // pedal lifted (a note-off does not stop a note the pedal keeps); then a
  // note-off for every key still down.
  std::vector<platform::MidiMessage> silencing() const;

 private:
  std::array<KeySet, 16> down_{};
  platform::Pedals pedals_;
};

}  // namespace velk0
