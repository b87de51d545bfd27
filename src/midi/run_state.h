// Everything one run of the program reads and changes, owned in one place:
// the entry's program makes it and hands it down, and each part takes from
// it what it reads or changes.
#pragma once

#include <array>
#include <cstdint>

#include "core/capacities.h"
#include "core/settings.h"
#include "platform/platform.h"

namespace velk0 {

// What the arguments set for the rest of the run: #w the first, #m (or the
// device choice file) the second.
struct LoopSettings {
  int show_level = 0;
  int device_index = 0;
};

// The one MIDI output device.
struct MidiOut {
  bool is_open = false;
  int device_notes = 0;  // simultaneous notes the device reports; 0: cannot play
  int held = 0;          // MessagesHeld alive: no message reaches the device
};

// Entry k (from 1) is the position of the last note of measure k of the
// current tablature, 0 past its last measure; entry 0 is 0.
using MeasureEnds = std::array<std::int32_t, kListSize>;

struct RunState {
  explicit RunState(platform::Platform& services) : platform(services) {}
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  platform::Dialogs& dialogs() const { return *platform.dialogs; }
  platform::Files& files() const { return *platform.files; }

  platform::Platform& platform;
  PlaySettings settings;
  LoopSettings loop;
  MidiOut out;
  MeasureEnds measure_ends{};
};

}  // namespace velk0
