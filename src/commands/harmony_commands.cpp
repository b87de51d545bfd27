#include "commands/harmony_commands.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commands/clipboard_commands.h"
#include "commands/dialogue.h"
#include "core/capacities.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/text_files.h"
#include "harmony/scales.h"
#include "platform/platform.h"
#include "tablature/notation.h"
#include "tablature/player.h"

namespace velk0 {
namespace {

using platform::kAnswerNo;
using platform::kAnswerYes;

// The chord choosers' button text has two blanks after "saisie".
constexpr std::string_view kChordButtons = "oui=saisie  non=suivant annuler=quitter";
// Past the last chord nothing is chosen and nothing more is done.
constexpr ChainRules kChordRules{.buttons = kChordButtons,
                                 .last_buttons = {},
                                 .cyclic = false,
                                 .last_no = ChainEnd::kQuit,
                                 .last_cancel = ChainEnd::kQuit};
// No on the last cadence plays the current chord and shows the current
// material again; Cancel there quits, as anywhere.
constexpr ChainRules kCadenceRules{.buttons = kChordButtons,
                                   .last_buttons = {},
                                   .cyclic = false,
                                   .last_no = ChainEnd::kNoneChosen,
                                   .last_cancel = ChainEnd::kQuit};
// The scales and the rhythms go round until one is chosen or Cancel.
constexpr ChainRules kRoundRules{.buttons = kOfferButtons,
                                 .last_buttons = {},
                                 .cyclic = true,
                                 .last_no = ChainEnd::kQuit,
                                 .last_cancel = ChainEnd::kQuit};

struct Scale {
  std::string_view caption;
  std::optional<ScaleMode> mode;  // nothing: the chromatic scale
};
constexpr std::array<Scale, 8> kScaleChoices = {{
    {"gamme majeure", ScaleMode::major},
    {"gamme mineure m\xE9lodique", ScaleMode::melodic_minor},
    {"gamme mineure harmonique", ScaleMode::harmonic_minor},
    {"gamme mineure naturelle", ScaleMode::natural_minor},
    {"gamme par ton", ScaleMode::whole_tone},
    {"gamme blues mineure", ScaleMode::minor_blues},
    {"gamme blues majeure", ScaleMode::major_blues},
    {"gamme chromatique", std::nullopt},
}};
// Two octaves up from c, in every key.
constexpr std::string_view kChromaticScale =
    "o3 c c+d d+e f f+g g+a a+b >cc+d d+e f f+g g+a a+b >c";
// The octave the scale texts are read from.
constexpr std::int8_t kMaterialOctave = 3;

// The notes of a chord as positions in the scale counted from its degree (1
// is the degree itself); element 0 holds the count.
using Positions = std::array<std::int8_t, 8>;
struct ChordShape {
  std::string_view caption;
  Positions positions;
};
constexpr std::array<ChordShape, 5> kChordTypes = {{
    {"triade", {3, 1, 3, 5}},
    {"accord de septi\xE8me", {4, 1, 3, 5, 7}},
    {"accord de neuvi\xE8me", {5, 1, 3, 5, 7, 9}},
    {"accord de onzi\xE8me", {6, 1, 3, 5, 7, 9, 11}},
    {"accord de treizi\xE8me", {7, 1, 3, 5, 7, 9, 11, 13}},
}};
constexpr std::array<ChordShape, 5> kChordPositions = {{
    {"fondamental", {3, 1, 3, 5}},
    {"quarte et sixte", {3, 5, 8, 10}},
    {"tierce et sixte", {3, 3, 5, 8}},
    {"septi\xE8me a la basse", {4, 7, 8, 10, 12}},
    {"neuvi\xE8me a la basse", {5, 9, 10, 12, 14, 15}},
}};

// Every chord of a cadence is a seventh chord; the degrees are digits.
constexpr Positions kCadenceChord = {4, 1, 3, 5, 7};
struct Cadence {
  std::string_view caption;
  std::string_view degrees;
};
constexpr std::array<Cadence, 3> kCadences = {{
    {"cadence parfaite", "51"},
    {"cadence 2 5 1", "251"},
    {"cadence 6 2 5 1", "6251"},
}};

struct Rhythm {
  std::string_view caption;
  std::string_view text;
};
constexpr std::array<Rhythm, 5> kRhythms = {{
    {"motif noire", "4cccc"},
    {"motif blanche noire noire", "2c4cc"},
    {"rythme=motif noire point\xE9"
     "e croche",
     "4c.8c4c.8c"},
    {"motif noire croche", "4c8c4c8c"},
    {"motif croche noire croche triolet de noire", "8c4c8c6ccc"},
}};
// A chosen rhythm is kept repeated this many times for the material.
constexpr int kRhythmMaterialCopies = 101;

constexpr std::string_view kPlayQuestion = "jouer";

void write_information(platform::Files& files, std::string_view text) {
  // A file that cannot be written is not reported.
  write_text_file(files, text, kCurrentInformationPath);
}

// Plays material read without the transposition: raised by the voice's
// octaves and the transposition, with the shared durations.
void play_material(RunState& run, const Notes& notes) {
  play_pattern(run, base_offset(run.settings), notes, run.settings.durees);
}

// Builds the chord of `positions` on `degree` of the current scale into
// accord; returns its spelling.
std::string build_chord(PlaySettings& s, int degree, const Positions& positions) {
  build_from_degrees(0, degree, s.gamme, positions, s.accord);
  std::string spelling;
  notes_to_tablature(s, s.accord, spelling);
  return spelling;
}

std::string voice_key_degree(const PlaySettings& s, const char* format) {
  return format_text(format, s.voix + 1, s.ton, s.degre, s.trans);
}

template <std::size_t N>
void choose_chord(RunState& run, const std::array<ChordShape, N>& shapes) {
  const ChainResult result = offer_chain(run.dialogs(), shapes, kChordRules);
  if (result.end != ChainEnd::kChosen) return;
  const ChordShape& shape = shapes[result.chosen];
  const std::string spelling = build_chord(run.settings, run.settings.degre, shape.positions);
  show_info(
      run.dialogs(),
      voice_key_degree(run.settings, "voix %d ton %d degr\xE9 %d transposition de %d demi tons ") +
          std::string(shape.caption),
      spelling);
  play_material(run, run.settings.accord);
  edition_cue(run);
}

// Asks how to play, and plays as asked (repet + 1 times) until Cancel.
template <typename PlayYes, typename PlayNo>
void play_as_asked(RunState& run, std::string_view question, PlayYes play_yes, PlayNo play_no) {
  for (;;) {
    const int answer = ask_choice(run.dialogs(), question, kPlayQuestion);
    if (answer != kAnswerYes && answer != kAnswerNo) return;
    for (int i = 0; i <= run.settings.repet; ++i) answer == kAnswerYes ? play_yes() : play_no();
  }
}

// The material text cut out of motif, for @hj; true for the chromatic
// scale, whose cut already transposes.
bool cut_material(std::string_view motif, int trans, int degree, std::string& cut) {
  auto has = [&](std::string_view word) { return motif.find(word) != std::string_view::npos; };
  if (has("chroma")) {
    cut_note_places(motif, trans + 1, 13, cut);
    return true;
  }
  if (has("ton"))
    cut_note_places(motif, degree, 7, cut);
  else if (has("blues"))
    cut_note_places(motif, degree, 12, cut);
  else if (has("gamme"))
    cut_note_places(motif, degree, 8, cut);
  else
    cut = motif;
  return false;
}

Notes reversed(const Notes& notes) {
  Notes out = notes;
  const int count = static_cast<std::uint8_t>(notes[0]);
  for (int i = 1; i <= count; ++i)
    out[static_cast<std::size_t>(i)] = notes[static_cast<std::size_t>(count + 1 - i)];
  return out;
}

// Every other scale note from the degree up, seven, as the scale texts
// write them.
std::string chord_names(std::string_view motif, int degree) {
  std::string names, place;
  for (int k = 0; k < 7; ++k) {
    cut_note_places(motif, degree + 2 * k, 1, place);
    names += place;
  }
  return names;
}

// Element 0 the count less one, then the steps from each note to the next.
Notes steps_of(const Notes& chord) {
  Notes steps{};
  const int count = static_cast<std::uint8_t>(chord[0]);
  steps[0] = static_cast<std::int8_t>(count > 1 ? count - 1 : 0);
  for (int i = 1; i < count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    steps[k] = static_cast<std::int8_t>(chord[k + 1] - chord[k]);
  }
  return steps;
}

}  // namespace

int build_from_degrees(std::int8_t base, int index, std::span<const std::int8_t> scale,
                       std::span<const std::int8_t> degrees, std::span<std::int8_t> out) {
  if (out.empty()) return 0;
  const int count = std::min(byte_count(degrees), static_cast<int>(out.size()) - 1);
  out[0] = static_cast<std::int8_t>(count);
  for (int i = 1; i <= count; ++i) {
    const long long at = static_cast<long long>(index) + degrees[static_cast<std::size_t>(i)] - 1;
    const std::int8_t step = at >= 0 && static_cast<std::size_t>(at) < scale.size()
                                 ? scale[static_cast<std::size_t>(at)]
                                 : 0;
    out[static_cast<std::size_t>(i)] = static_cast<std::int8_t>(base + step);
  }
  return count;
}

void choose_scale(RunState& run) {
  const ChainResult result = offer_chain(run.dialogs(), kScaleChoices, kRoundRules);
  if (result.end != ChainEnd::kChosen) return;
  const Scale& scale = kScaleChoices[result.chosen];
  std::string text;
  if (scale.mode)
    scale_text(run.settings, *scale.mode, text);
  else
    text = kChromaticScale;
  PlaySettings& s = run.settings;
  s.motif = text + " " + std::string(scale.caption);
  text += '\n';
  write_information(run.files(), text);
  s.octa = kMaterialOctave;
  Durations durations{};
  parse_material(run, text, s.gamme, durations);
  play_material(run, s.gamme);
  edition_cue(run);
}

void choose_chord_type(RunState& run) { choose_chord(run, kChordTypes); }

void choose_chord_position(RunState& run) {
  run.settings.arma.clear();
  choose_chord(run, kChordPositions);
}

void choose_cadence(RunState& run) {
  const ChainResult result = offer_chain(run.dialogs(), kCadences, kCadenceRules);
  if (result.end == ChainEnd::kQuit) return;
  PlaySettings& s = run.settings;
  if (result.end == ChainEnd::kChosen) {
    s.motif.clear();
    for (const char degree : kCadences[result.chosen].degrees) {
      const std::string spelling = build_chord(run.settings, degree - '0', kCadenceChord);
      append_bounded(s.motif, std::string("ih") + degree + ":" + spelling, kTextCapacity);
      play_material(run, s.accord);
    }
  } else {
    play_material(run, s.accord);  // passed over: the current chord again
  }
  write_information(run.files(), s.motif);
  show_info(run.dialogs(), "", s.motif);
  edition_cue(run);
}

void choose_rhythm(RunState& run) {
  const ChainResult result = offer_chain(run.dialogs(), kRhythms, kRoundRules);
  if (result.end != ChainEnd::kChosen) return;
  PlaySettings& s = run.settings;
  const std::string_view rhythm = kRhythms[result.chosen].text;
  Notes notes{};
  parse_material(run, rhythm, notes, s.durees);
  play_material(run, notes);  // heard on c
  std::string repeated;
  for (int copy = 0; copy < kRhythmMaterialCopies; ++copy)
    append_bounded(repeated, rhythm, kTextCapacity);
  parse_material(run, repeated, notes, s.durees);
  edition_cue(run);
}

void play_current_material(RunState& run) {
  PlaySettings& s = run.settings;
  if (s.motif.empty()) {
    show_info(run.dialogs(), "choisissez une gamme en utilisant l'item Gamme du menu Harm",
              "gamme vide");
    edition_cue(run);
    return;
  }
  s.octa = kMaterialOctave;
  s.arma.clear();
  std::string cut;
  const bool chromatic = cut_material(s.motif, s.trans, s.degre, cut);
  cut.resize(std::min(cut.size(), kTextCapacity - 1));  // room for the line end
  cut += '\n';
  Notes notes{};
  Durations durations{};
  parse_material(run, cut, notes, durations);
  const Notes backwards = reversed(notes);

  std::string caption;
  if (chromatic) {
    caption = format_text(
        "voix %d gamme chromatique transpos\xE9"
        "e de %d demi tons",
        s.voix + 1, s.trans);
  } else {
    caption =
        voice_key_degree(run.settings, "voix %d ton %d degr\xE9 %d transposition de %d demi tons ");
    const std::size_t name = s.motif.find("gamme");
    if (name != std::string::npos) caption += s.motif.substr(name);
  }
  caption.resize(std::min(caption.size(), kTextCapacity));
  show_info(run.dialogs(), cut, caption);

  // The chromatic cut starts trans semitones up: only the voice is added.
  const std::int8_t offset = chromatic ? voice_offset(run.settings) : base_offset(run.settings);
  play_as_asked(
      run, "oui=ascendante non=descendante annuler=quitter",
      [&] { play_pattern(run, offset, notes, s.durees); },
      [&] { play_pattern(run, offset, backwards, s.durees); });
  write_information(run.files(), cut);
  edition_cue(run);
}

void play_degree_chord(RunState& run) {
  PlaySettings& s = run.settings;
  s.arma.clear();
  const std::string names = chord_names(s.motif, s.degre);
  write_information(run.files(), names);
  show_info(
      run.dialogs(),
      voice_key_degree(run.settings, "voix %d ton %d degr\xE9 %d transposition de %d demi tons"),
      names);
  const Notes steps = steps_of(s.accord);
  play_as_asked(
      run, "oui=arp\xE9ger non=plaquer annuler=quitter", [&] { play_material(run, s.accord); },
      [&] {
        // The block chord starts from the chord's own first note: the
        // voice's octaves are not added, the transposition is, once.
        play_chord(run, static_cast<std::int8_t>(s.accord[1] + s.trans), steps, s.durees);
      });
  edition_cue(run);
}

}  // namespace velk0
