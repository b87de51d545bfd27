// The backends on Windows, one file each: message boxes, winmm MIDI output
// and input, a clock on the performance counter (with the timer resolution
// raised to 1 ms), sound cues, the media control interface, the clipboard and
// WinExec;
// and the console guard through which the control handler silences the
// device when the user presses Ctrl-C or closes the console.
#pragma once

#include <memory>
#include <string>

#include "platform/session.h"
#include "platform/win32/console_guard.h"
#include "platform/win32/mci_media.h"
#include "platform/win32/message_box_dialogs.h"
#include "platform/win32/performance_clock.h"
#include "platform/win32/wave_sounds.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/winexec_programs.h"
#include "platform/win32/winmm_midi.h"
#include "platform/win32/winmm_midi_in.h"

namespace velk0::platform::win32 {

// Makes the backends; owns the console guard that the MIDI devices it makes
// register with, so it outlives them.
class Win32Backends : public OsBackends {
 public:
  std::unique_ptr<Dialogs> make_dialogs() override;
  std::unique_ptr<Clock> make_clock() override;
  std::unique_ptr<MidiDevices> make_midi(Clock& clock) override;
  std::unique_ptr<SoundCues> make_sounds() override;
  std::unique_ptr<Media> make_media(Clock& clock) override;
  std::unique_ptr<Clipboard> make_clipboard() override;
  std::unique_ptr<Programs> make_programs() override;
  std::unique_ptr<MidiInputs> make_midi_inputs(Clock& clock) override;
  // Paths keep the system's own spelling: Windows itself takes a path that
  // begins with a backslash from the root of the current drive.
  std::string native_path(std::string_view system_path) override;

  ConsoleGuard& console_guard() { return guard_; }

 private:
  ConsoleGuard guard_;
};

}  // namespace velk0::platform::win32
