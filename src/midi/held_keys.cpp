#include "midi/held_keys.h"

namespace velk0 {
namespace {

using platform::MidiKind;
using platform::MidiMessage;

constexpr unsigned kSustain = 64, kSostenuto = 66;
constexpr unsigned kAllSoundOff = 120, kResetControllers = 121, kAllNotesOff = 123;
// A pedal controller reads as down from this value on.
constexpr unsigned kPedalDown = 64;

}  // namespace

bool HeldKeys::take(MidiMessage message) {
  const MidiMessage read = message.seven_bit();
  if (read.length() == 0) return false;
  const unsigned channel = read.channel();
  const KeySet before = pitched();
  if (read.is_note_on()) down_[channel].set(read.data1);
  if (read.is_note_off()) down_[channel].reset(read.data1);
  if (read.kind() == MidiKind::control_change) {
    const bool down = read.data2 >= kPedalDown;
    if (read.data1 == kSustain) sustain_[channel] = down;
    if (read.data1 == kSostenuto) sostenuto_[channel] = down;
    if (read.data1 == kResetControllers) sustain_[channel] = sostenuto_[channel] = false;
    if (read.data1 == kAllSoundOff || read.data1 == kAllNotesOff) down_[channel].reset();
  }
  return pitched() != before;
}

KeySet HeldKeys::pitched() const {
  KeySet keys;
  for (unsigned channel = 0; channel < down_.size(); ++channel)
    if (channel != kDrumChannel) keys |= down_[channel];
  return keys;
}

std::vector<MidiMessage> HeldKeys::silencing() const {
  std::vector<MidiMessage> out;
  for (unsigned channel = 0; channel < down_.size(); ++channel) {
    if (sustain_[channel])
      out.push_back(MidiMessage::make(MidiKind::control_change, channel, kSustain, 0));
    if (sostenuto_[channel])
      out.push_back(MidiMessage::make(MidiKind::control_change, channel, kSostenuto, 0));
  }
  for (unsigned channel = 0; channel < down_.size(); ++channel) {
    for (unsigned key = 0; key < 128; ++key)
      if (down_[channel].test(key))
        out.push_back(MidiMessage::make(MidiKind::note_off, channel, key));
  }
  return out;
}

}  // namespace velk0
