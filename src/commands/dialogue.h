// The dialogue forms every @ command is made of: the offer chain, which
// offers values one box at a time, and the stepper, which steps a number up
// and down; the sound cues; and the offset every note they play is raised by.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "midi/run_state.h"

namespace velk0 {

// The button texts of the offer chain and of the stepper.
inline constexpr std::string_view kOfferButtons = "oui=saisie non=suivant annuler=quitter";
inline constexpr std::string_view kStepperButtons = "oui=augmenter non=diminuer escape=saisie";

// How an offer chain ends.
enum class ChainEnd : std::uint8_t {
  kChosen,      // Yes on a box: the candidate is chosen
  kNoneChosen,  // the last box passed over: the closing steps run with nothing chosen
  kQuit,        // the command ends at once: nothing changed, nothing sent, no cue
};

// What sets one chain apart from another.
struct ChainRules {
  std::string_view buttons = kOfferButtons;
  std::string_view last_buttons;  // the text of the last box; empty: `buttons`
  bool cyclic = false;            // No on the last box offers the first one again
  // No and Cancel on the last box (Cancel on any other box quits).
  ChainEnd last_no = ChainEnd::kNoneChosen;
  ChainEnd last_cancel = ChainEnd::kNoneChosen;
};

struct ChainResult {
  ChainEnd end = ChainEnd::kQuit;
  std::size_t chosen = 0;  // the candidate's index, when one was chosen
};

// Offers the candidates one after another, each in a Yes/No/Cancel box whose
// caption is the candidate and whose text is the button text.
ChainResult offer_chain(platform::Dialogs& dialogs, std::span<const std::string_view> captions,
                        const ChainRules& rules = {});

// The same, for a table of candidates that each have a `caption`.
template <typename Candidate, std::size_t N>
ChainResult offer_chain(platform::Dialogs& dialogs, const std::array<Candidate, N>& candidates,
                        const ChainRules& rules = {}) {
  std::array<std::string_view, N> captions;
  for (std::size_t i = 0; i < N; ++i) captions[i] = candidates[i].caption;
  return offer_chain(dialogs, std::span<const std::string_view>(captions), rules);
}

// A stepper: the caption is `caption` followed by the current value; after
// each step a value above `highest` becomes `above`, one below `lowest`
// becomes `below`.
struct StepperRules {
  std::string_view caption;
  int lowest, highest;
  int above, below;
};

// Yes adds 1, No takes 1 away, each time followed by the bound rule and by
// `after_step` with the new value; Cancel (Escape) ends it. Returns the value
// it ended on.
int run_stepper(platform::Dialogs& dialogs, const StepperRules& rules, int value,
                const std::function<void(int)>& after_step = {});

// Plays a sound cue to its end; a cue's file that could not be written (see
// SoundCues) is one line on standard error that names it and says why.
void play_cue(RunState& run, std::string_view path);
// The cue of a command that has done its work.
void edition_cue(RunState& run);

// What every note an @ command plays is raised by: the voice's octaves, and
// the transposition. Material is read without the transposition
// (parse_material), so it is heard exactly once.
std::int8_t voice_offset(const PlaySettings& settings);
std::int8_t base_offset(const PlaySettings& settings);

// Intermediate results: shown in an information box only at show level 1
// (#w1); returns the show level.
int show_result(RunState& run, std::string_view text, std::string_view caption);

}  // namespace velk0
