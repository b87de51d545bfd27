// The one MIDI output device, its channel messages and the timed wait that
// makes all musical time.
#pragma once

#include <cstdint>
#include <string_view>

namespace velk0 {

struct MidiOut {
  bool is_open = false;
  int device_notes = 0;  // simultaneous notes the device reports; 0: cannot play
};
MidiOut& midi_out();

constexpr const char* kNoMidiMessage = "votre environnement ne supporte pas ce midi mapper";

// Chooses and opens the device and puts the device fields of the settings
// back to their defaults (reset_device_fields); returns the device count, or
// -1 when it cannot play (the settings are then left alone).
int open_midi_device();
// Opens the device (which, as every opening does, puts the device fields of
// the settings back) and tells the user when it cannot play; true when it
// can.
bool open_midi_device_or_tell();
// The same, for the argument loop and the tablature command: always 0.
int check_midi_device();
// Closes the device if it is open.
void close_midi_device();

std::uint32_t pack_short_message(int status, int data1, int data2);
std::uint32_t note_on(int note);
std::uint32_t note_off(int note);
std::uint32_t program_change(int program);
// Returns the note unchanged and records its octave in settings().octa:
// the player calls it on every note it starts or stops.
std::int8_t track_octave(int note);
std::uint32_t wait_duration(std::uint32_t value);

// While it lives no message reaches the device: a tablature read only to
// measure it sends nothing, not even its instrument's program change.
class MessagesHeld {
 public:
  MessagesHeld();
  ~MessagesHeld();
  MessagesHeld(const MessagesHeld&) = delete;
  MessagesHeld& operator=(const MessagesHeld&) = delete;
};

}  // namespace velk0
