#include "midi/held_keys.h"

namespace velk0 {
namespace {

using platform::MidiKind;
using platform::MidiMessage;

}  // namespace

bool HeldKeys::take(MidiMessage message) {
  const MidiMessage read = message.seven_bit();
  if (read.length() == 0) return false;
  const unsigned channel = read.channel();
  const KeySet before = pitched();
  if (read.is_note_on()) down_[channel].set(read.data1);
  if (read.is_note_off()) down_[channel].reset(read.data1);
  pedals_.take(read);
  if (read.kind() == MidiKind::control_change &&
      (read.data1 == platform::kAllSoundOff || read.data1 == platform::kAllNotesOff))
    down_[channel].reset();
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
  pedals_.lift([&out](MidiMessage lifting) { out.push_back(lifting); });
  for (unsigned channel = 0; channel < down_.size(); ++channel) {
    for (unsigned key = 0; key < 128; ++key)
      if (down_[channel].test(key))
        out.push_back(MidiMessage::make(MidiKind::note_off, channel, key));
  }
  return out;
}

}  // namespace velk0
