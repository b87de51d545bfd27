// The one MIDI output device, its channel messages and the timed wait that
// makes all musical time.
#pragma once

#include <cstdint>
#include <string_view>

#include "midi/run_state.h"
#include "platform/midi_message.h"

namespace velk0 {

constexpr const char* kNoMidiMessage = "votre environnement ne supporte pas ce midi mapper";

// Chooses and opens the device and puts the device fields of the settings
// back to their defaults (reset_device_fields); false when it cannot play
// (the settings are then left alone).
bool open_midi_device(RunState& run);
// Opens the device (which, as every opening does, puts the device fields of
// the settings back) and tells the user when it cannot play; true when it
// can.
bool open_midi_device_or_tell(RunState& run);
// The same, for the argument loop and the tablature command: always 0.
int check_midi_device(RunState& run);
// Closes the device if it is open.
void close_midi_device(RunState& run);

// Channel messages on the settings' channel, sent unless held; each returns
// the message.
platform::MidiMessage note_on(RunState& run, int note);
platform::MidiMessage note_off(RunState& run, int note);
platform::MidiMessage program_change(RunState& run, int program);
// Returns the note unchanged and records its octave in the settings' octa:
// the player calls it on every note it starts or stops.
std::int8_t track_octave(PlaySettings& settings, int note);
// Waits for a duration value at the settings' tempo; returns the wait in ms.
std::uint32_t wait_duration(RunState& run, std::uint32_t value);

// While it lives no message reaches the device: a tablature read only to
// measure it sends nothing, not even its instrument's program change.
class MessagesHeld {
 public:
  explicit MessagesHeld(MidiOut& out) : out_(out) { ++out_.held; }
  ~MessagesHeld() { --out_.held; }
  MessagesHeld(const MessagesHeld&) = delete;
  MessagesHeld& operator=(const MessagesHeld&) = delete;

 private:
  MidiOut& out_;
};

}  // namespace velk0
