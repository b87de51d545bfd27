#include "app/file_arguments.h"

#include <optional>

#include "commands/dialogue.h"
#include "core/capacities.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/text_files.h"
#include "midi/midi_out.h"
#include "platform/platform.h"

namespace velk0 {
namespace {

using platform::kAnswerNo;
using platform::kAnswerYes;
using platform::MediaType;

// "RECOMMENCER au d\xE9but" and "arr\xEAt" are Windows-1252 bytes; "d\x82but"
// of the second box is a code page 850 byte.
constexpr const char* kMidiChoice =
    "OUI pour PAUSE, NON pour RECOMMENCER au d\xE9"
    "but, ANNULER pour STOP";
constexpr const char* kMidiCaption =
    "Pause, retour au d\xE9"
    "but ou arr\xEAt du canal sonore";
constexpr const char* kPausedChoice =
    "oui=continuer non=d\x82"
    "but esc=pause";
constexpr const char* kWaveChoice = "oui=pause non=continuer esc=terminer";
constexpr const char* kTablatureUnreadable = "impossible d'ouvvrir la tablature en lecture";

// The folder of the recorded words, under the drive root, that $name.wav plays.
constexpr std::string_view kCueFolder = "\\kt3\\wav\\";
// The work text that holds an argument less its first character.
constexpr std::size_t kWorkTextCapacity = 511;

bool contains(std::string_view text, std::string_view lower, std::string_view upper) {
  return text.find(lower) != std::string_view::npos || text.find(upper) != std::string_view::npos;
}

bool is_command(std::string_view text) {
  return !text.empty() && (text[0] == '@' || text[0] == '$' || text[0] == '#');
}

// A wave name after its prefix plays as a cue: $ from the folder of words,
// @ and # as it stands. The program waits for its end.
void play_wave_cue(RunState& run, std::string& argument_text) {
  const std::string_view name = std::string_view(argument_text).substr(1, kWorkTextCapacity);
  std::string path = argument_text[0] == '$' ? std::string(kCueFolder) : std::string();
  path += name;
  set_bounded(argument_text, path, kArgumentCapacity);
  play_cue(run, argument_text);
}

// The whole text of a tablature file, read once; nothing (after the
// reader's box and this one) when it cannot be opened.
std::optional<std::string> read_tablature_file(platform::Platform& platform,
                                               const std::string& path) {
  std::optional<std::string> text = read_whole_text(platform, path, true);
  if (!text) show_info(*platform.dialogs, kTablatureUnreadable, path);
  return text;
}

// The dialogue while a MIDI file sounds; true to play it again from the
// start, false once it is to stop.
bool restart_midi_file(platform::Platform& platform) {
  platform::Media& media = *platform.media;
  for (;;) {
    const int answer = ask_choice(*platform.dialogs, kMidiChoice, kMidiCaption);
    if (answer == kAnswerYes) {
      media.pause();
      const int then = ask_choice(*platform.dialogs, kPausedChoice, "");
      if (then == kAnswerYes) {
        media.resume();
        continue;
      }
      if (then != kAnswerNo) return false;
    } else if (answer != kAnswerNo) {
      return false;
    }
    media.seek_start();
    return true;
  }
}

// Fails the step with its box: the device is closed, the code returned.
unsigned midi_failure(platform::Platform& platform, unsigned error, const char* text, bool close) {
  if (close) platform.media->close();
  show_plain(*platform.dialogs, text, "");
  return error;
}

}  // namespace

unsigned play_midi_file(platform::Platform& platform, std::string_view path) {
  platform::Media& media = *platform.media;
  if (unsigned error = media.open(MediaType::sequencer, path))
    return midi_failure(platform, error, "erreur mcimidi", false);
  int port = 0;
  if (unsigned error = media.port(port))
    return midi_failure(platform, error, "port midi introuvable", true);
  do {
    if (unsigned error = media.play())
      return midi_failure(platform, error, "lecture du fichier midi impossible", true);
  } while (restart_midi_file(platform));
  media.close();
  return 0;
}

int play_wave_file(platform::Platform& platform, std::string& path) {
  platform::Media& media = *platform.media;
  if (!contains(path, ".wav", ".WAV")) set_bounded(path, path + ".wav", kArgumentCapacity);
  if (media.open(MediaType::waveaudio, path) != 0) return 1;
  if (media.play() != 0) {
    media.close();
    return 1;
  }
  for (;;) {
    const int answer = ask_choice(*platform.dialogs, kWaveChoice, "");
    if (answer == kAnswerYes)
      media.pause();
    else if (answer == kAnswerNo)
      media.resume();
    else
      break;
  }
  media.close();
  return 0;
}

bool handle_file_argument(RunState& run, std::string& argument_text, std::string* file_text) {
  if (contains(argument_text, ".mid", ".MID")) {
    close_midi_device(run);
    play_midi_file(run.platform, argument_text);
    argument_text.clear();
  } else if (contains(argument_text, ".wav", ".WAV")) {
    if (is_command(argument_text))
      play_wave_cue(run, argument_text);
    else
      play_wave_file(run.platform, argument_text);
    argument_text.clear();
  } else if (contains(argument_text, ".tab", ".TAB")) {
    std::optional<std::string> text = read_tablature_file(run.platform, argument_text);
    // A command keeps its own text: only a tablature argument is a file.
    if (!text || is_command(argument_text)) return false;
    set_bounded(argument_text, *text, kArgumentCapacity);
    if (file_text) *file_text = std::move(*text);
    return true;
  }
  return false;
}

}  // namespace velk0
