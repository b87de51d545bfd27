#include "platform/win32/win32_backends.h"

namespace velk0::platform::win32 {

std::unique_ptr<Dialogs> Win32Backends::make_dialogs() {
  return std::make_unique<MessageBoxDialogs>();
}

std::unique_ptr<Clock> Win32Backends::make_clock() { return std::make_unique<PerformanceClock>(); }

std::unique_ptr<MidiDevices> Win32Backends::make_midi(Clock&) {
  return std::make_unique<WinmmMidi>(guard_);
}

std::unique_ptr<SoundCues> Win32Backends::make_sounds() { return std::make_unique<WaveSounds>(); }

std::unique_ptr<Media> Win32Backends::make_media(Clock&) { return std::make_unique<MciMedia>(); }

std::unique_ptr<Clipboard> Win32Backends::make_clipboard() {
  return std::make_unique<Win32Clipboard>();
}

std::unique_ptr<Programs> Win32Backends::make_programs() {
  return std::make_unique<WinExecPrograms>();
}

std::unique_ptr<MidiInputs> Win32Backends::make_midi_inputs(Clock& clock) {
  return std::make_unique<WinmmMidiInputs>(clock);
}

std::string Win32Backends::native_path(std::string_view system_path) {
  return std::string(system_path);
}

}  // namespace velk0::platform::win32
