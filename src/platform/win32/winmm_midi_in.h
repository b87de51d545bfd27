// The multimedia system's MIDI inputs. The system hands each message to a
// callback on a thread of its own, which stamps it on the clock, queues it
// under a lock held only to copy it, and sets an event that wakes the
// waiting thread. The wait watches the console's keys too (q or Escape ends
// the listening) when the standard input is a console. While an input is
// open, the devices are looked at twice a second: a keyboard unplugged is
// told to the sink, and so is its return under the same name, which is then
// listened to again.
#pragma once

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velk0::platform::win32 {

class WinmmMidiInputs : public MidiInputs {
 public:
  explicit WinmmMidiInputs(Clock& clock);
  ~WinmmMidiInputs() override;
  WinmmMidiInputs(const WinmmMidiInputs&) = delete;
  WinmmMidiInputs& operator=(const WinmmMidiInputs&) = delete;

  unsigned count() override { return midiInGetNumDevs(); }
  // The product name of the capability record.
  std::string name(unsigned index) override;
  bool open(unsigned index, MidiSink& sink) override;
  Awoken wait(std::optional<std::uint64_t> until_ms) override;
  void close() override;

 private:
  struct Arrival {
    MidiMessage message;
    std::uint64_t ms = 0;
  };
  static void CALLBACK on_input(HMIDIIN, UINT kind, DWORD_PTR self, DWORD_PTR data, DWORD_PTR);
  bool open_device(unsigned index);
  void close_device();
  // Hands the sink what came; false when nothing did.
  bool hand_on();
  // Looks whether the open device went away or came back, when it is time
  // to; true when the sink was told.
  bool watch_device();
  // Reads the console's pending events: true when q or Escape was pressed.
  bool quit_typed();

  Clock& clock_;
  CRITICAL_SECTION lock_;
  std::vector<Arrival> queue_;  // under the lock
  HANDLE arrived_ = nullptr;    // set when something was queued
  HANDLE console_ = nullptr;    // the console's input, when it is one
  HMIDIIN handle_ = nullptr;
  MidiSink* sink_ = nullptr;
  std::string name_;  // the open device's
  bool lost_ = false;
  std::uint64_t next_look_ = 0;  // on the system's tick count, ms
};

}  // namespace velk0::platform::win32
