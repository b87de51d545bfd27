#include "commands/parameter_commands.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/dialogue.h"
#include "commands/harmony_commands.h"
#include "core/messages.h"
#include "core/settings.h"
#include "midi/midi_out.h"
#include "tablature/notation.h"
#include "tablature/player.h"
#include "tablature/settings_file.h"

namespace velk0 {
namespace {

struct Choice {
  std::string_view caption;
  std::int32_t value;
};

constexpr std::array<Choice, 4> kTempos = {
    {{"largo", 32}, {"andante", 60}, {"all\xE9gro", 120}, {"presto", 240}}};
// General MIDI programs: acoustic grand piano, nylon guitar, drawbar organ,
// pizzicato strings.
constexpr std::array<Choice, 4> kInstruments = {
    {{"piano", 0}, {"guitare", 24}, {"orgue", 16}, {"pizzicatto", 45}}};
constexpr std::array<Choice, 3> kVolumes = {
    {{"pianissimo", 95}, {"fort\xE9", 111}, {"fortissimo", 126}}};
// A voice sets its register and plays on a channel of its own, of the same
// number.
constexpr std::array<Choice, 4> kVoices = {
    {{"voix 1 basse", 0}, {"voix 2 t\xE9nor", 1}, {"voix 3 alto", 2}, {"voix 4 soprano", 3}}};
// The voice chain's last box has a text of its own, and there No quits too.
constexpr ChainRules kVoiceRules{.last_buttons = "oui=saisie non=annuler=quitter",
                                 .last_no = ChainEnd::kQuit,
                                 .last_cancel = ChainEnd::kQuit};

constexpr StepperRules kTranspositionStepper{"transposition courante ", 0, 11, 0, 11};
constexpr StepperRules kInstrumentStepper{"instrument courant ", 0, 127, 127, 0};
constexpr StepperRules kKeyStepper{"ton courant ", 0, 11, 0, 11};
constexpr StepperRules kDegreeStepper{"degr\xE9 courant ", 1, 7, 1, 7};
constexpr StepperRules kRepetitionStepper{"r\xE9p\xE9tition courante ", 0, 11, 0, 0};

// The note heard after each step of the instrument stepper.
constexpr std::string_view kInstrumentProbe = "o3 c";

// Offers the choices; stores the chosen value in `field`. False when the
// command is to end at once.
template <std::size_t N>
bool choose_into(platform::Dialogs& dialogs, const std::array<Choice, N>& choices,
                 std::int32_t& field) {
  const ChainResult result = offer_chain(dialogs, choices);
  if (result.end == ChainEnd::kQuit) return false;
  if (result.end == ChainEnd::kChosen) field = choices[result.chosen].value;
  return true;
}

}  // namespace

void reset_settings(RunState& run) {
  PlaySettings& s = run.settings;
  // The time signature is only recorded; a reset leaves it as it is.
  const std::int32_t num = s.num, den = s.den;
  s = default_settings();
  s.num = num;
  s.den = den;
  program_change(run, s.instru);

  s.gamme.fill(kScaleFiller);
  s.durees.fill(kQuarterNote);
  s.durees[0] = 0;
  parse_tablature(run, kDefaultChordText, s.accord, s.durees);
  parse_tablature(run, s.tabcourante, s.gamme, s.durees);
  Durations scale_durations{};  // the durations keep the tablature's count
  parse_tablature(run, kMajorScaleOfC, s.gamme, scale_durations);
}

void restore_defaults(RunState& run) {
  reset_settings(run);
  edition_cue(run);
}

void load_settings_file(RunState& run) {
  reset_settings(run);
  std::string text;
  read_settings_file(run, text);
  if (text.empty()) return;  // the defaults stay
  show_info(run.dialogs(), text, "param\xE8tres courants");
  edition_cue(run);
}

void choose_tempo(RunState& run) {
  if (choose_into(run.dialogs(), kTempos, run.settings.tempo)) edition_cue(run);
}

void choose_instrument(RunState& run) {
  if (!choose_into(run.dialogs(), kInstruments, run.settings.instru)) return;
  // Sent even when nothing was chosen: the instrument in force again.
  program_change(run, run.settings.instru);
  edition_cue(run);
}

void choose_volume(RunState& run) {
  if (choose_into(run.dialogs(), kVolumes, run.settings.vol)) edition_cue(run);
}

void choose_voice(RunState& run) {
  const ChainResult result = offer_chain(run.dialogs(), kVoices, kVoiceRules);
  if (result.end != ChainEnd::kChosen) return;
  PlaySettings& s = run.settings;
  s.voix = static_cast<std::int8_t>(kVoices[result.chosen].value);
  s.canal = kVoices[result.chosen].value;
  edition_cue(run);
}

void step_transposition(RunState& run) {
  PlaySettings& s = run.settings;
  s.trans = static_cast<std::int8_t>(run_stepper(run.dialogs(), kTranspositionStepper, s.trans));
  edition_cue(run);
}

void step_instrument(RunState& run) {
  Notes notes{};
  Durations durations{};
  parse_material(run, kInstrumentProbe, notes, durations);
  PlaySettings& s = run.settings;
  auto hear = [&](int instrument) {
    s.instru = instrument;
    program_change(run, s.instru);
    play_pattern(run, base_offset(run.settings), notes, durations);
  };
  s.instru = run_stepper(run.dialogs(), kInstrumentStepper, s.instru, hear);
  hear(s.instru);
  edition_cue(run);
}

void step_key(RunState& run) {
  PlaySettings& s = run.settings;
  s.arma.clear();
  s.ton = static_cast<std::int8_t>(run_stepper(run.dialogs(), kKeyStepper, s.ton));
  choose_scale(run);
  choose_chord_type(run);
}

void step_degree(RunState& run) {
  PlaySettings& s = run.settings;
  s.arma.clear();
  s.degre = static_cast<std::int8_t>(run_stepper(run.dialogs(), kDegreeStepper, s.degre));
  edition_cue(run);
}

void step_repetitions(RunState& run) {
  PlaySettings& s = run.settings;
  s.repet = run_stepper(run.dialogs(), kRepetitionStepper, s.repet);
  edition_cue(run);
}

}  // namespace velk0
