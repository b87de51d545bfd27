#include "midi/midi_out.h"

#include "core/messages.h"
#include "core/settings.h"

namespace velk0 {

namespace {

// A duration value v at tempo t lasts kWholeNoteMinuteMs / v / t ms: a whole
// note (1000) lasts 4 beats of 60000 ms / t.
constexpr std::uint32_t kWholeNoteMinuteMs = 240000000;
// The wait of a note without a value or a tempo, and the longest single wait.
constexpr std::uint32_t kUntimedWaitMs = 1000;
constexpr std::uint32_t kLongestWaitMs = 4000;

// A data byte of 128 or more would be read as a status byte: notes out of
// range are brought back by octaves, so they sound in the nearest octave.
int note_byte(int note) {
  int n = static_cast<std::int8_t>(note);
  while (n < 0) n += 12;
  return n;
}

int status_byte(const PlaySettings& settings, int kind) { return kind | (settings.canal & 0x0F); }

std::uint32_t send(RunState& run, std::uint32_t word) {
  if (run.out.held == 0) run.platform.midi->send(word);
  return word;
}

}  // namespace

int open_midi_device(RunState& run) {
  MidiOut& out = run.out;
  platform::MidiDevices& devices = *run.platform.midi;
  close_midi_device(run);  // never leave a handle open behind a new one
  unsigned count = devices.count();
  int index = run.loop.device_index;
  bool exists = index >= 0 && static_cast<unsigned>(index) < count;
  // A device index that names no device, or a device that will not open,
  // counts as a device that cannot play, so that the user is told.
  out.device_notes = exists ? devices.notes(static_cast<unsigned>(index)) : 0;
  out.is_open = exists && devices.open(static_cast<unsigned>(index));
  if (!out.is_open) out.device_notes = 0;
  if (out.device_notes == 0) return -1;
  reset_device_fields(run.settings);
  return static_cast<int>(count);
}

bool open_midi_device_or_tell(RunState& run) {
  open_midi_device(run);
  if (run.out.device_notes != 0) return true;
  show_info(run.dialogs(), "", kNoMidiMessage);
  return false;
}

int check_midi_device(RunState& run) {
  open_midi_device_or_tell(run);
  return 0;
}

void close_midi_device(RunState& run) {
  MidiOut& out = run.out;
  if (!out.is_open) return;
  run.platform.midi->close();
  out.is_open = false;
}

std::uint32_t pack_short_message(int status, int data1, int data2) {
  return static_cast<std::uint32_t>(status & 0xFF) | static_cast<std::uint32_t>(data1 & 0xFF) << 8 |
         static_cast<std::uint32_t>(data2 & 0xFF) << 16;
}

std::uint32_t note_on(RunState& run, int note) {
  int velocity = run.settings.vol;
  velocity = velocity < 0 ? 0 : velocity > 127 ? 127 : velocity;
  return send(run, pack_short_message(status_byte(run.settings, 0x90), note_byte(note), velocity));
}

std::uint32_t note_off(RunState& run, int note) {
  return send(run, pack_short_message(status_byte(run.settings, 0x80), note_byte(note), 0));
}

std::uint32_t program_change(RunState& run, int program) {
  return send(run, pack_short_message(status_byte(run.settings, 0xC0), program & 0x7F, 0));
}

std::int8_t track_octave(PlaySettings& settings, int note) {
  auto n = static_cast<std::int8_t>(note);
  settings.octa = static_cast<std::int8_t>(n / 12);
  return n;
}

std::uint32_t wait_duration(RunState& run, std::uint32_t value) {
  std::uint32_t tempo = static_cast<std::uint32_t>(run.settings.tempo);
  std::uint32_t ms =
      (value == 0 || tempo == 0) ? kUntimedWaitMs : (kWholeNoteMinuteMs / value) / tempo;
  if (ms > kLongestWaitMs) ms = kLongestWaitMs;
  run.platform.clock->wait_ms(ms);
  return ms;
}

}  // namespace velk0
