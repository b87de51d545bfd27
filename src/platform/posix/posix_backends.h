// The backends of a POSIX system, set up from the environment:
//   VELK0_SOUNDFONT  the General MIDI SoundFont of the embedded synthesizer
//                    (default: the distribution's, /usr/share/sounds/sf2/default-GM.sf2);
//   VELK0_AUDIO      unset: the system's audio output; jack (any case): a JACK
//                    server, with the sound cues mixed in; PATH.wav (any case): a
//                    WAV file rendered in step with the clock; none (any case):
//                    no sound at all (the sound cues stay silent too; into a
//                    file or a JACK server they are mixed in); PATH.mid (any case): a Standard MIDI
//                    File of what is sent to device 0, on the virtual clock, with no sound and no
//                    cues; any other value is refused;
//   VELK0_ROOT       the folder that stands for the drive root of system paths
//                    such as \korvane\notaflux.ini (default: ~/.local/share/velk0);
//   VELK0_DIALOGS    terminal, bureau (the desktop) or auto (default), in any
//                    case: where the boxes are shown; any other value is refused.
#pragma once

#include <string>

#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/audio/synthesizer.h"
#include "platform/posix/desktop/desktop_dialogs.h"
#include "platform/session.h"

namespace velk0::platform::posix {
class PosixMidi;
}

namespace velk0::platform::posix {

struct PosixConfig {
  SynthConfig synth;
  std::string midi_file;  // the MIDI file device 0 writes, if any
  std::string root;
  DialogsPlace dialogs = DialogsPlace::automatic;
  // The French line for standard error (the program's bytes) when the
  // environment cannot be used (the program then stops before it does
  // anything); empty when it can.
  std::string error;
  static PosixConfig from_environment();
};

class PosixBackends : public OsBackends {
 public:
  explicit PosixBackends(PosixConfig config) : config_(std::move(config)) {}
  // Boxes on the desktop, or on standard output with answers from standard
  // input (see DialogsPlace).
  std::unique_ptr<Dialogs> make_dialogs() override;
  std::unique_ptr<Clock> make_clock() override;
  std::unique_ptr<MidiDevices> make_midi(Clock& clock) override;
  // A missing cue rings the terminal's bell.
  std::unique_ptr<SoundCues> make_sounds() override;
  // MIDI files play on the synthesizer of the MIDI devices made before.
  std::unique_ptr<Media> make_media(Clock& clock) override;
  // The desktop's clipboard through its command-line tools.
  std::unique_ptr<Clipboard> make_clipboard() override;
  // Companion programs, detached.
  std::unique_ptr<Programs> make_programs() override;
  std::string native_path(std::string_view system_path) override;
  // The sequencer's input ports (ALSA's or JACK's).
  std::unique_ptr<MidiInputs> make_midi_inputs(Clock& clock) override;
  // Desktop notifications where the boxes would be desktop dialogs (see
  // DialogsPlace), whatever zenity: no terminal, or VELK0_DIALOGS=bureau,
  // with a display.
  std::unique_ptr<Notices> make_notices() override;
  // Throws Interrupted once a signal has asked the program to stop.
  void check_stop() override;
  [[nodiscard]] bool complete_output() override;

 private:
  // Into a WAV file, the sounds besides the music (cues, wave files) are
  // mixed with it by the synthesizer, and so are the cues into a JACK
  // server; elsewhere, nothing (they have an output of their own, or none).
  CueRender mix_into_synth();

  PosixConfig config_;
  PosixMidi* midi_ = nullptr;
  const RealClock* real_clock_ = nullptr;  // the clock made here, if any
};

}  // namespace velk0::platform::posix
