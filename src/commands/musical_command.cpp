// The musical commands: a tablature's notes taken as one chord.
#include "commands/musical_command.h"

#include <algorithm>

#include "commands/dialogue.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/text.h"
#include "harmony/chord.h"
#include "harmony/spelling.h"
#include "tablature/notation.h"

namespace velk0 {
namespace {

// The chord operations take at most this many notes; longer tablatures are
// worked on through their first notes.
constexpr int kMaxChordNotes = 18;

void cut_to_tablature(std::string& text) {
  if (text.size() > kTablatureCapacity) text.resize(kTablatureCapacity);
}

// Keeps the first kMaxChordNotes notes of the chord.
void cut_chord(Chord& chord) {
  if (chord[0] <= kMaxChordNotes) return;
  chord[0] = kMaxChordNotes;
  std::fill(chord.begin() + kMaxChordNotes + 1, chord.end(), std::int8_t{0});
}

}  // namespace

void musical_command(RunState& run, std::string_view symbol, std::string_view number,
                     std::string& argument_text, std::string& tablature_text) {
  // The tablature as the key signature makes it sound, reduced to a chord
  // text of one word per note.
  cut_to_tablature(argument_text);
  std::string signed_text;
  apply_key_signature(run.settings, argument_text, signed_text);
  cut_to_tablature(signed_text);
  std::string chord_text;
  format_chord_text(signed_text, chord_text);
  cut_to_tablature(chord_text);

  Chord chord{};
  parse_chord_text(chord_text, chord);
  cut_chord(chord);

  // The copy ends at the first zero element, as the chord's own list does.
  Chord work{};
  for (std::size_t i = 0; i < work.size() && chord[i] != 0; ++i) work[i] = chord[i];
  normalise_chord(work, chord);

  // The interval pattern and the name are shown, at the show level; the
  // chord itself is played.
  if (symbol == "i") {
    StepRow steps{};
    chord_pattern(chord, steps, tablature_text);
    show_result(run, chord_text, tablature_text);
    tablature_text = chord_text;
  } else if (symbol == "n") {
    DegreeRow degrees{};
    identify_chord(chord, degrees, tablature_text);
    show_result(run, chord_text, tablature_text);
    tablature_text = chord_text;
  } else if (symbol == "r") {
    Chord inverted{};
    put_degree_in_bass(chord, read_integer(number), inverted);
    spell_chord_sharp(inverted, tablature_text);
  } else if (symbol == "t") {
    Chord transposed{};
    transpose_chord(chord, read_integer(number), transposed);
    spell_chord_sharp(transposed, tablature_text);
  } else {
    std::string caption = "#";
    caption += symbol;
    show_info(run.dialogs(), "la commande n'existe pas", caption);
    spell_chord_sharp(chord, tablature_text);
  }
  cut_to_tablature(tablature_text);
}

}  // namespace velk0
