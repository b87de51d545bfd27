#include "platform/posix/posix_backends.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <optional>

#include "platform/common/case_folding.h"
#include "platform/common/std_files.h"
#include "platform/common/text_encoding.h"
#include "platform/console.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/desktop/desktop_notices.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/media/media.h"
#include "platform/posix/midi/midi_devices.h"
#include "platform/posix/midi/midi_inputs.h"
#include "platform/posix/processes/clipboard_tools.h"
#include "platform/posix/processes/companions.h"
#include "platform/posix/processes/processes.h"
#include "platform/posix/real_clock.h"
#include "platform/posix/terminal/terminal_dialogs.h"

namespace velk0::platform::posix {
namespace {

constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

std::string env_or(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : fallback;
}

constexpr std::string_view kWavExtension = ".wav";
constexpr std::string_view kMidiExtension = ".mid";

bool has_extension(const std::string& lowered, std::string_view extension) {
  return lowered.size() > extension.size() && lowered.ends_with(extension);
}

// Where Windows would play its default sound for a missing cue: heard only
// on a terminal, so nothing is written into a file the output goes to.
void ring_terminal_bell() {
  if (!isatty(STDOUT_FILENO)) return;
  std::cout << '\a' << std::flush;
}

// The place VELK0_DIALOGS names; nothing for a value it cannot have.
std::optional<DialogsPlace> dialogs_place(const std::string& lowered) {
  if (lowered.empty() || lowered == "auto") return DialogsPlace::automatic;
  if (lowered == "terminal") return DialogsPlace::terminal;
  if (lowered == "bureau") return DialogsPlace::desktop;
  return std::nullopt;
}

bool display_set() {
  return !env_or("WAYLAND_DISPLAY", "").empty() || !env_or("DISPLAY", "").empty();
}

std::string home_folder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* user = getpwuid(getuid()); user && user->pw_dir) return user->pw_dir;
  return ".";
}

}  // namespace

PosixConfig PosixConfig::from_environment() {
  PosixConfig config;
  config.synth.soundfont = env_or("VELK0_SOUNDFONT", kDefaultSoundFont);
  std::string audio = env_or("VELK0_AUDIO", "");
  std::string lowered = lower_ascii(audio);
  if (audio.empty()) {
    config.synth.output = AudioOutput::system;
  } else if (lowered == "none") {
    config.synth.output = AudioOutput::none;
  } else if (lowered == "jack") {
    config.synth.live = LiveDevice::jack;
  } else if (has_extension(lowered, kWavExtension)) {
    config.synth.output = AudioOutput::file;
    config.synth.wav_path = audio;
  } else if (has_extension(lowered, kMidiExtension)) {
    config.synth.output = AudioOutput::none;  // nothing sounds: the messages go to the file
    config.midi_file = audio;
  } else {
    // A mistyped value must not become a file of that name.
    config.error =
        "velk0 : VELK0_AUDIO doit valoir none, jack ou le chemin d'un fichier .wav ou .mid, pas "
        "\xAB " +
        from_system_name(audio) + " \xBB ; arr\xEAt du programme";
  }
  config.root = env_or("VELK0_ROOT", home_folder() + "/.local/share/velk0");
  const std::string dialogs = env_or("VELK0_DIALOGS", "");
  if (auto place = dialogs_place(lower_ascii(dialogs)))
    config.dialogs = *place;
  else if (config.error.empty())
    config.error = "velk0 : VELK0_DIALOGS doit valoir terminal, bureau ou auto, pas \xAB " +
                   from_system_name(dialogs) + " \xBB ; arr\xEAt du programme";
  return config;
}

std::unique_ptr<Dialogs> PosixBackends::make_dialogs() {
  auto terminal = std::make_unique<TerminalDialogs>(STDIN_FILENO, std::cout);
  const bool attached = isatty(STDIN_FILENO) || isatty(STDOUT_FILENO) || isatty(STDERR_FILENO);
  DialogsChoice choice =
      choose_dialogs(config_.dialogs, attached, display_set(), find_program("zenity"));
  if (!choice.note.empty()) print_error_line(choice.note);
  if (!choice.zenity) return terminal;
  return std::make_unique<DesktopDialogs>(*choice.zenity, std::move(terminal));
}

std::unique_ptr<Clock> PosixBackends::make_clock() {
  // A MIDI file is written at once, as if the run's waits had gone by.
  if (!config_.midi_file.empty()) return std::make_unique<VirtualClock>();
  auto clock = std::make_unique<RealClock>();
  real_clock_ = clock.get();
  return clock;
}

std::unique_ptr<MidiDevices> PosixBackends::make_midi(Clock& clock) {
  // The messages of a real run are timed by what the real clock meant.
  const RealClock* real = &clock == real_clock_ ? real_clock_ : nullptr;
  auto midi = std::make_unique<PosixMidi>(config_.synth, clock, real, config_.midi_file);
  midi_ = midi.get();
  return midi;
}

CueRender PosixBackends::mix_into_synth() {
  const bool jack =
      config_.synth.output == AudioOutput::system && config_.synth.live == LiveDevice::jack;
  if (config_.synth.output != AudioOutput::file && !jack) return {};
  return [this](std::vector<float> samples) {
    if (Synthesizer* synth = midi_ ? midi_->synthesizer() : nullptr)
      synth->mix_cue(std::move(samples));
  };
}

std::unique_ptr<SoundCues> PosixBackends::make_sounds() {
  return std::make_unique<SdlSoundCues>([this](std::string_view path) { return native_path(path); },
                                        config_.synth.output == AudioOutput::none,
                                        ring_terminal_bell, mix_into_synth());
}

std::unique_ptr<Media> PosixBackends::make_media(Clock& clock) {
  return std::make_unique<PosixMedia>(
      *midi_, clock, config_.synth.output,
      [this](std::string_view path) { return native_path(path); }, mix_into_synth());
}

std::unique_ptr<Clipboard> PosixBackends::make_clipboard() {
  return std::make_unique<ToolClipboard>();
}

std::unique_ptr<Programs> PosixBackends::make_programs() {
  return std::make_unique<PosixPrograms>(config_.root);
}

std::string PosixBackends::native_path(std::string_view system_path) {
  return posix_native_path(system_path, config_.root);
}

std::unique_ptr<MidiInputs> PosixBackends::make_midi_inputs(Clock& clock) {
  return std::make_unique<PosixMidiInputs>(clock);
}

std::unique_ptr<Notices> PosixBackends::make_notices() {
  const bool attached = isatty(STDIN_FILENO) || isatty(STDOUT_FILENO) || isatty(STDERR_FILENO);
  const bool desktop = config_.dialogs == DialogsPlace::desktop ||
                       (config_.dialogs == DialogsPlace::automatic && !attached);
  if (!desktop || !display_set()) return nullptr;
  return std::make_unique<DesktopNotices>("velk0");
}

void PosixBackends::check_stop() { throw_if_interrupted(); }

bool PosixBackends::complete_output() { return !midi_ || midi_->complete_output(); }

}  // namespace velk0::platform::posix
