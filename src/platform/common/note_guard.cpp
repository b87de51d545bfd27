#include "platform/common/note_guard.h"

namespace velk0::platform {
namespace {

constexpr unsigned kSustain = 64, kSostenuto = 66, kResetControllers = 121;
// A pedal controller reads as down from this value on.
constexpr unsigned kPedalDown = 64;

}  // namespace

bool NoteGuard::open(unsigned index) {
  if (open_) close();
  open_ = inner_.open(index);
  return open_;
}

void NoteGuard::send(MidiMessage message) {
  const MidiMessage read = message.seven_bit();
  if (read.is_note_on()) on_[read.channel()].set(read.data1);
  if (read.is_note_off()) on_[read.channel()].reset(read.data1);
  if (read.kind() == MidiKind::control_change) {
    const unsigned channel = read.channel();
    if (read.data1 == kSustain) sustain_[channel] = read.data2 >= kPedalDown;
    if (read.data1 == kSostenuto) sostenuto_[channel] = read.data2 >= kPedalDown;
    if (read.data1 == kResetControllers) sustain_[channel] = sostenuto_[channel] = false;
  }
  inner_.send(message);
}

void NoteGuard::release_all() {
  for (unsigned channel = 0; channel < 16; ++channel) {
    if (sustain_[channel]) send(MidiMessage::make(MidiKind::control_change, channel, kSustain, 0));
    if (sostenuto_[channel])
      send(MidiMessage::make(MidiKind::control_change, channel, kSostenuto, 0));
  }
  for (unsigned channel = 0; channel < 16; ++channel) {
    for (unsigned note = 0; note < 128; ++note) {
      if (on_[channel].test(note)) send(MidiMessage::make(MidiKind::note_off, channel, note));
    }
  }
}

void NoteGuard::close() {
  if (open_) release_all();
  open_ = false;
  inner_.close();
}

}  // namespace velk0::platform
