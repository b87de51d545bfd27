// Keeps count of the notes that are sounding, and of the sustain and
// sostenuto pedals held down, so that none is left on when the device closes
// or the program ends.
#pragma once

#include <array>
#include <bitset>

#include "platform/common/pedals.h"
#include "platform/platform.h"

namespace velk0::platform {

class NoteGuard : public MidiDevices {
 public:
  explicit NoteGuard(MidiDevices& inner) : inner_(inner) {}
  unsigned count() override { return inner_.count(); }
  int notes(unsigned index) override { return inner_.notes(index); }
  std::string name(unsigned index) override { return inner_.name(index); }
  bool open(unsigned index) override;
  void send(MidiMessage message) override;
  void send_played(MidiMessage message) override;
  // Releases what still sounds, then closes.
  void close() override;
  bool is_open() const { return open_; }
  // The pedals still down lifted (a note-off does not stop a note a pedal
  // keeps), then a note-off for every note still on.
  void release_all();

 private:
  // Notes what `message` leaves sounding.
  void track(MidiMessage message);

  MidiDevices& inner_;
  bool open_ = false;
  std::array<std::bitset<128>, 16> on_{};
  Pedals pedals_;
};

}  // namespace velk0::platform
