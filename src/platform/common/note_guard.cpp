#include "platform/common/note_guard.h"

namespace velk0::platform {

bool NoteGuard::open(unsigned index) {
  if (open_) close();
  open_ = inner_.open(index);
  return open_;
}

void NoteGuard::send(std::uint32_t word) {
  unsigned status = word & 0xFF, note = (word >> 8) & 0x7F, velocity = (word >> 16) & 0x7F;
  unsigned channel = status & 0x0F;
  if ((status & 0xF0) == 0x90 && velocity > 0) on_[channel].set(note);
  if ((status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && velocity == 0))
    on_[channel].reset(note);
  inner_.send(word);
}

void NoteGuard::release_all() {
  for (unsigned channel = 0; channel < 16; ++channel) {
    for (unsigned note = 0; note < 128; ++note) {
      if (on_[channel].test(note)) send(0x80u | channel | (note << 8));
    }
  }
}

void NoteGuard::close() {
  if (open_) release_all();
  open_ = false;
  inner_.close();
}

}  // namespace velk0::platform
