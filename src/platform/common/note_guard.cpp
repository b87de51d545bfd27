#include "platform/common/note_guard.h"

namespace velk0::platform {

bool NoteGuard::open(unsigned index) {
  if (open_) close();
  open_ = inner_.open(index);
  return open_;
}

void NoteGuard::send(MidiMessage message) {
  track(message);
  inner_.send(message);
}

void NoteGuard::send_played(MidiMessage message) {
  track(message);
  inner_.send_played(message);
}

void NoteGuard::track(MidiMessage message) {
  const MidiMessage read = message.seven_bit();
  if (read.is_note_on()) on_[read.channel()].set(read.data1);
  if (read.is_note_off()) on_[read.channel()].reset(read.data1);
  pedals_.take(read);
}

void NoteGuard::release_all() {
  pedals_.lift([this](MidiMessage lifting) { send(lifting); });
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
