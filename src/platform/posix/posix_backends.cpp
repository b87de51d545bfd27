#include "platform/posix/posix_backends.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "platform/posix/clipboard_tools.h"
#include "platform/posix/companions.h"
#include "platform/posix/midi_devices.h"
#include "platform/posix/real_clock.h"
#include "platform/posix/sdl_audio.h"
#include "platform/posix/terminal_dialogs.h"
#include "platform/std_files.h"

namespace velk0::platform::posix {
namespace {

constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

std::string env_or(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : fallback;
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
  if (audio.empty()) {
    config.synth.output = AudioOutput::system;
  } else if (audio == "none") {
    config.synth.output = AudioOutput::none;
  } else {
    config.synth.output = AudioOutput::file;
    config.synth.wav_path = audio;
  }
  config.root = env_or("VELK0_ROOT", home_folder() + "/.local/share/velk0");
  return config;
}

std::unique_ptr<Dialogs> PosixBackends::make_dialogs() {
  return std::make_unique<TerminalDialogs>(STDIN_FILENO, std::cout);
}

std::unique_ptr<Clock> PosixBackends::make_clock() { return std::make_unique<RealClock>(); }

std::unique_ptr<MidiDevices> PosixBackends::make_midi(Clock& clock) {
  return std::make_unique<PosixMidi>(config_.synth, clock);
}

std::unique_ptr<SoundCues> PosixBackends::make_sounds() {
  bool silent = config_.synth.output != AudioOutput::system;
  return std::make_unique<SdlSoundCues>([this](std::string_view path) { return native_path(path); },
                                        silent);
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

}  // namespace velk0::platform::posix
