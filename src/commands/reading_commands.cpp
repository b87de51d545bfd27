#include "commands/reading_commands.h"

#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include "commands/clipboard_commands.h"
#include "commands/dialogue.h"
#include "commands/dictionary.h"
#include "core/capacities.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/text_files.h"
#include "platform/platform.h"
#include "tablature/player.h"
#include "tablature/reading_mode.h"
#include "tablature/whole_text.h"

namespace velk0 {
namespace {

using platform::kAnswerNo;
using platform::kAnswerYes;

constexpr std::string_view kReadingCaption = "oui non annuler=pas d'indication";
// The one blank that asks for the measure-by-measure dialogue.
constexpr char kMeasureByMeasure = ' ';

// Asks whether to add the reading of one kind of indication: Yes adds its
// letter (once), No changes nothing, Cancel leaves no reading at all. True
// on Yes.
bool ask_reading(RunState& run, std::string_view question, char letter) {
  std::string& indi = run.settings.indi;
  const int answer = ask_choice(run.dialogs(), question, kReadingCaption);
  if (answer == kAnswerYes) {
    if (indi.find(letter) == std::string::npos)
      append_bounded(indi, {&letter, 1}, kSettingCapacity);
    return true;
  }
  if (answer != kAnswerNo) indi.clear();
  return false;
}

void add_reading(RunState& run, std::string_view question, char letter) {
  if (ask_reading(run, question, letter)) edition_cue(run);
}

// The current tablature's bracketed words translated through the
// dictionary: the translations become the current tablature and material,
// are written as the current information and shown.
void translate_current_tablature(RunState& run) {
  PlaySettings& s = run.settings;
  if (s.tabcourante.find_first_of("[{") == std::string::npos) return;
  std::string text = s.tabcourante, keys;
  dict_translate(run.platform, text, keys, s.tabcourante, kDictionaryPath);
  s.tabcourante = lower_ascii(s.tabcourante);
  s.motif = s.tabcourante;
  write_text_file(run.files(), s.tabcourante, kCurrentInformationPath);
  show_info(run.dialogs(), s.tabcourante,
            "Traduction avec le dictionnaire \\korvane\\notaflux.dic");
}

// Plays `text` whole from its beginning as the current tablature, with no
// reading indication; the current tablature is put back afterwards when
// `only_play` is set.
void play_as_current(RunState& run, const std::string& text, bool only_play) {
  PlaySettings& s = run.settings;
  const std::string current = s.tabcourante, indi = s.indi;
  s.tabcourante = text;
  write_text_file(run.files(), text, kScratchTablaturePath);
  s.indi.clear();
  s.mesuredeb = 1;
  play_by_reading_mode(run);
  s.indi = indi;
  if (!only_play) return;
  s.tabcourante = current;
  write_text_file(run.files(), s.tabcourante, kScratchTablaturePath);
}

}  // namespace

void play_tablature_file(RunState& run) {
  const std::string named = run.settings.fictab;
  // The file fictab names, read whole as a tablature file argument is; a
  // name that opens no file is played as a tablature itself.
  if (std::optional<std::string> text = read_whole_text(run.platform, named, false))
    play_whole_text(run, std::move(*text));
  else
    play_text(run, named);
  edition_cue(run);
}

void play_clipboard(RunState& run) {
  std::string text;
  read_clipboard(run, text);
  if (text.empty()) {
    show_info(run.dialogs(), "impossible de lire le presse papier", "");
    edition_cue(run);
    return;
  }
  const int answer = ask_choice(
      run.dialogs(), text, "oui=jouer presse papier non=jouer et sauvegarder escape = quitter");
  if (answer == kAnswerYes || answer == kAnswerNo) play_as_current(run, text, answer == kAnswerYes);
  edition_cue(run);
}

void play_measure_by_measure(RunState& run) {
  PlaySettings& s = run.settings;
  const std::string indi = s.indi;
  s.indi.assign(1, kMeasureByMeasure);
  play_by_reading_mode(run);
  s.indi = indi;
  edition_cue(run);
}

void previous_measure(RunState& run) {
  PlaySettings& s = run.settings;
  if (s.mesuredeb > 1) --s.mesuredeb;
  play_by_reading_mode(run);
  edition_cue(run);
}

void next_measure(RunState& run) {
  PlaySettings& s = run.settings;
  if (s.mesuredeb < INT_MAX) ++s.mesuredeb;
  play_by_reading_mode(run);
  edition_cue(run);
}

void read_key_signature(RunState& run) {
  add_reading(run, "ajouter la lecture de l'armature", 'a');
}
void read_advice(RunState& run) { add_reading(run, "ajouter la lecture des conseils", 'c'); }
void read_fingerings(RunState& run) { add_reading(run, "ajouter la lecture des doigt\xE9s", 'd'); }
void read_measures(RunState& run) { add_reading(run, "ajouter la lecture des mesures", 'm'); }
void read_notes(RunState& run) { add_reading(run, "ajouter la lecture des notes", 'n'); }
void read_lyrics(RunState& run) { add_reading(run, "ajouter la lecture des paroles", 'p'); }

void read_harmony(RunState& run) {
  if (!ask_reading(run, "ajouter la lecture de l'harmonie", 'h')) return;
  translate_current_tablature(run);
  edition_cue(run);
}

}  // namespace velk0
