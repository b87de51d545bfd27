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
bool ask_reading(std::string_view question, char letter) {
  std::string& indi = settings().indi;
  const int answer = ask_choice(question, kReadingCaption);
  if (answer == kAnswerYes) {
    if (indi.find(letter) == std::string::npos)
      append_bounded(indi, {&letter, 1}, kSettingCapacity);
    return true;
  }
  if (answer != kAnswerNo) indi.clear();
  return false;
}

void add_reading(std::string_view question, char letter) {
  if (ask_reading(question, letter)) edition_cue();
}

// The current tablature's bracketed words translated through the
// dictionary: the translations become the current tablature and material,
// are written as the current information and shown.
void translate_current_tablature() {
  PlaySettings& s = settings();
  if (s.tabcourante.find_first_of("[{") == std::string::npos) return;
  std::string text = s.tabcourante, keys;
  dict_translate(text, keys, s.tabcourante, kDictionaryPath);
  s.tabcourante = lower_ascii(s.tabcourante);
  s.motif = s.tabcourante;
  write_text_file(s.tabcourante, kCurrentInformationPath);
  show_info(s.tabcourante, "Traduction avec le dictionnaire \\korvane\\notaflux.dic");
}

// Plays `text` whole from its beginning as the current tablature, with no
// reading indication; the current tablature is put back afterwards when
// `only_play` is set.
void play_as_current(const std::string& text, bool only_play) {
  PlaySettings& s = settings();
  const std::string current = s.tabcourante, indi = s.indi;
  s.tabcourante = text;
  write_text_file(text, kScratchTablaturePath);
  s.indi.clear();
  s.mesuredeb = 1;
  play_by_reading_mode();
  s.indi = indi;
  if (!only_play) return;
  s.tabcourante = current;
  write_text_file(s.tabcourante, kScratchTablaturePath);
}

}  // namespace

void play_tablature_file() {
  const std::string named = settings().fictab;
  // The file fictab names, read whole as a tablature file argument is; a
  // name that opens no file is played as a tablature itself.
  if (std::optional<std::string> text = read_whole_text(named, false))
    play_whole_text(std::move(*text));
  else
    play_text(named);
  edition_cue();
}

void play_clipboard() {
  std::string text;
  read_clipboard(text);
  if (text.empty()) {
    show_info("impossible de lire le presse papier", "");
    edition_cue();
    return;
  }
  const int answer =
      ask_choice(text, "oui=jouer presse papier non=jouer et sauvegarder escape = quitter");
  if (answer == kAnswerYes || answer == kAnswerNo) play_as_current(text, answer == kAnswerYes);
  edition_cue();
}

void play_measure_by_measure() {
  PlaySettings& s = settings();
  const std::string indi = s.indi;
  s.indi.assign(1, kMeasureByMeasure);
  play_by_reading_mode();
  s.indi = indi;
  edition_cue();
}

void previous_measure() {
  PlaySettings& s = settings();
  if (s.mesuredeb > 1) --s.mesuredeb;
  play_by_reading_mode();
  edition_cue();
}

void next_measure() {
  PlaySettings& s = settings();
  if (s.mesuredeb < INT_MAX) ++s.mesuredeb;
  play_by_reading_mode();
  edition_cue();
}

void read_key_signature() { add_reading("ajouter la lecture de l'armature", 'a'); }
void read_advice() { add_reading("ajouter la lecture des conseils", 'c'); }
void read_fingerings() { add_reading("ajouter la lecture des doigt\xE9s", 'd'); }
void read_measures() { add_reading("ajouter la lecture des mesures", 'm'); }
void read_notes() { add_reading("ajouter la lecture des notes", 'n'); }
void read_lyrics() { add_reading("ajouter la lecture des paroles", 'p'); }

void read_harmony() {
  if (!ask_reading("ajouter la lecture de l'harmonie", 'h')) return;
  translate_current_tablature();
  edition_cue();
}

}  // namespace velk0
