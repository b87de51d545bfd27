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

platform::MidiMessage on_channel(const PlaySettings& settings, platform::MidiKind kind, int data1,
                                 int data2) {
  return platform::MidiMessage::make(kind, static_cast<unsigned>(settings.canal),
                                     static_cast<unsigned>(data1), static_cast<unsigned>(data2));
}

platform::MidiMessage send(RunState& run, platform::MidiMessage message) {
  if (run.out.held == 0) run.platform.midi->send(message);
  return message;
}

}  // namespace

bool open_midi_device(RunState& run) {
  MidiOut& out = run.out;
  platform::MidiDevices& devices = *run.platform.midi;
  close_midi_device(run);  // never leave a handle open behind a new one
  // The devices are not counted: a system may have to look for its ports to
  // count them, and device 0 needs none. An index that names no device
  // reports no notes and does not open; with a device that will not open, it
  // counts as a device that cannot play, so that the user is told.
  const int index = run.loop.device_index;
  const bool named = index >= 0;
  out.device_notes = named ? devices.notes(static_cast<unsigned>(index)) : 0;
  out.is_open = named && devices.open(static_cast<unsigned>(index));
  if (!out.is_open) out.device_notes = 0;
  if (out.device_notes == 0) return false;
  reset_device_fields(run.settings);
  return true;
}

bool open_midi_device_or_tell(RunState& run) {
  if (open_midi_device(run)) return true;
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

platform::MidiMessage note_on(RunState& run, int note) {
  int velocity = run.settings.vol;
  velocity = velocity < 0 ? 0 : velocity > 127 ? 127 : velocity;
  return send(run,
              on_channel(run.settings, platform::MidiKind::note_on, note_byte(note), velocity));
}

platform::MidiMessage note_off(RunState& run, int note) {
  return send(run, on_channel(run.settings, platform::MidiKind::note_off, note_byte(note), 0));
}

platform::MidiMessage program_change(RunState& run, int program) {
  return send(run, on_channel(run.settings, platform::MidiKind::program_change, program & 0x7F, 0));
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
