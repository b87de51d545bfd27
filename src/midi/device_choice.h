// The device choice file: the number of the MIDI output device to use, as
// the user (or the companion kalvesta) wrote it.
#pragma once

#include <string>

#include "midi/run_state.h"

namespace velk0 {

constexpr const char* kDeviceChoicePath = "\\korvane\\midiinit.dev";

// The text of a device choice file that chooses output `index`.
std::string device_choice_text(unsigned index);

// Sets the device index from the file's leading number (0 when it starts
// with none); a missing or empty file is told how to make one, and leaves
// device 0.
void read_device_choice(RunState& run);

}  // namespace velk0
