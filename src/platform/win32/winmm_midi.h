// The multimedia system's MIDI output devices. Only one device is open at a
// time; the console control handler may close it from its own thread, so the
// handle is only used under the guard's lock.
#pragma once

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/win32/console_guard.h"

namespace velk0::platform::win32 {

class WinmmMidi : public MidiDevices {
 public:
  // The device registers with `guard`, which must outlive it.
  explicit WinmmMidi(ConsoleGuard& guard);
  ~WinmmMidi() override;
  WinmmMidi(const WinmmMidi&) = delete;
  WinmmMidi& operator=(const WinmmMidi&) = delete;

  unsigned count() override;
  int notes(unsigned index) override;
  // The product name of the capability record.
  std::string name(unsigned index) override;
  bool open(unsigned index) override;
  void send(MidiMessage message) override;
  void close() override;

  // Silences every channel (midiOutReset) and closes the device. Safe from
  // any thread.
  void silence_and_close();

 private:
  ConsoleGuard& guard_;
  HMIDIOUT handle_ = nullptr;
};

}  // namespace velk0::platform::win32
