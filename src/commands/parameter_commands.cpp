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
#include "tablature/material.h"
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
bool choose_into(const std::array<Choice, N>& choices, std::int32_t& field) {
  const ChainResult result = offer_chain(choices);
  if (result.end == ChainEnd::kQuit) return false;
  if (result.end == ChainEnd::kChosen) field = choices[result.chosen].value;
  return true;
}

}  // namespace

void restore_defaults() {
  reset_settings();
  edition_cue();
}

void load_settings_file() {
  reset_settings();
  std::string text;
  read_settings_file(text);
  if (text.empty()) return;  // the defaults stay
  show_info(text, "param\xE8tres courants");
  edition_cue();
}

void choose_tempo() {
  if (choose_into(kTempos, settings().tempo)) edition_cue();
}

void choose_instrument() {
  if (!choose_into(kInstruments, settings().instru)) return;
  // Sent even when nothing was chosen: the instrument in force again.
  program_change(settings().instru);
  edition_cue();
}

void choose_volume() {
  if (choose_into(kVolumes, settings().vol)) edition_cue();
}

void choose_voice() {
  const ChainResult result = offer_chain(kVoices, kVoiceRules);
  if (result.end != ChainEnd::kChosen) return;
  PlaySettings& s = settings();
  s.voix = static_cast<std::int8_t>(kVoices[result.chosen].value);
  s.canal = kVoices[result.chosen].value;
  edition_cue();
}

void step_transposition() {
  PlaySettings& s = settings();
  s.trans = static_cast<std::int8_t>(run_stepper(kTranspositionStepper, s.trans));
  edition_cue();
}

void step_instrument() {
  Notes notes{};
  Durations durations{};
  parse_material(kInstrumentProbe, notes, durations);
  PlaySettings& s = settings();
  auto hear = [&](int instrument) {
    s.instru = instrument;
    program_change(s.instru);
    play_pattern(base_offset(), notes, durations);
  };
  s.instru = run_stepper(kInstrumentStepper, s.instru, hear);
  hear(s.instru);
  edition_cue();
}

void step_key() {
  PlaySettings& s = settings();
  s.arma.clear();
  s.ton = static_cast<std::int8_t>(run_stepper(kKeyStepper, s.ton));
  choose_scale();
  choose_chord_type();
}

void step_degree() {
  PlaySettings& s = settings();
  s.arma.clear();
  s.degre = static_cast<std::int8_t>(run_stepper(kDegreeStepper, s.degre));
  edition_cue();
}

void step_repetitions() {
  PlaySettings& s = settings();
  s.repet = run_stepper(kRepetitionStepper, s.repet);
  edition_cue();
}

}  // namespace velk0
