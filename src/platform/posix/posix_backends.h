// The backends of a POSIX system, set up from the environment:
//   VELK0_SOUNDFONT  the General MIDI SoundFont of the embedded synthesizer
//                    (default: the distribution's, /usr/share/sounds/sf2/default-GM.sf2);
//   VELK0_AUDIO      unset: the system's audio output; PATH.wav: a WAV file
//                    rendered in step with the clock; none: no sound at all
//                    (with a file or none, the sound cues stay silent too);
//   VELK0_ROOT       the folder that stands for the drive root of system paths
//                    such as \korvane\notaflux.ini (default: ~/.local/share/velk0).
#pragma once

#include <string>

#include "platform/posix/synthesizer.h"
#include "platform/session.h"

namespace velk0::platform::posix {

struct PosixConfig {
  SynthConfig synth;
  std::string root;
  static PosixConfig from_environment();
};

class PosixBackends : public OsBackends {
 public:
  explicit PosixBackends(PosixConfig config) : config_(std::move(config)) {}
  // Boxes on standard output, answers from standard input.
  std::unique_ptr<Dialogs> make_dialogs() override;
  std::unique_ptr<Clock> make_clock() override;
  std::unique_ptr<MidiDevices> make_midi(Clock& clock) override;
  std::unique_ptr<SoundCues> make_sounds() override;
  // The desktop's clipboard through its command-line tools.
  std::unique_ptr<Clipboard> make_clipboard() override;
  // Companion programs, detached.
  std::unique_ptr<Programs> make_programs() override;
  std::string native_path(std::string_view system_path) override;

 private:
  PosixConfig config_;
};

}  // namespace velk0::platform::posix
