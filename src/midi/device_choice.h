// The device choice file: the number of the MIDI output device to use, as
// the user (or the companion kalvesta) wrote it.
#pragma once

namespace velk0 {

constexpr const char* kDeviceChoicePath = "\\korvane\\midiinit.dev";

// Sets the device index from the file's leading number (0 when it starts
// with none); a missing or empty file is told how to make one, and leaves
// device 0.
void read_device_choice();

}  // namespace velk0
