#include "commands/dialogue.h"

#include <string>

#include "core/messages.h"
#include "core/settings.h"
#include "platform/common/cue_sounds.h"
#include "platform/common/file_writes.h"
#include "platform/platform.h"

namespace velk0 {

ChainResult offer_chain(platform::Dialogs& dialogs, std::span<const std::string_view> captions,
                        const ChainRules& rules) {
  const std::size_t count = captions.size();
  for (std::size_t i = 0; i < count;) {
    const bool last = i + 1 == count;
    const std::string_view text =
        last && !rules.last_buttons.empty() ? rules.last_buttons : rules.buttons;
    const int answer = ask_choice(dialogs, text, captions[i]);
    if (answer == platform::kAnswerYes) return {ChainEnd::kChosen, i};
    const bool no = answer == platform::kAnswerNo;
    if (!last || rules.cyclic) {
      if (!no) return {ChainEnd::kQuit};
      i = last ? 0 : i + 1;
      continue;
    }
    return {no ? rules.last_no : rules.last_cancel};
  }
  return {ChainEnd::kQuit};  // nothing to offer
}

int run_stepper(platform::Dialogs& dialogs, const StepperRules& rules, int value,
                const std::function<void(int)>& after_step) {
  // Wide enough that a step from any starting value cannot overflow.
  long long current = value;
  for (;;) {
    const int answer =
        ask_choice(dialogs, kStepperButtons, std::string(rules.caption) + std::to_string(current));
    if (answer == platform::kAnswerYes)
      ++current;
    else if (answer == platform::kAnswerNo)
      --current;
    else
      return static_cast<int>(current);
    if (current > rules.highest)
      current = rules.above;
    else if (current < rules.lowest)
      current = rules.below;
    if (after_step) after_step(static_cast<int>(current));
  }
}

void play_cue(RunState& run, std::string_view path) {
  const platform::CueFile cue = run.platform.sounds->play(path);
  if (!cue.written) platform::report_write_failure(cue.path, cue.written.failure);
}

void edition_cue(RunState& run) { play_cue(run, platform::kEditionCue); }

std::int8_t voice_offset(const PlaySettings& settings) {
  return static_cast<std::int8_t>(12 * settings.voix);
}

std::int8_t base_offset(const PlaySettings& settings) {
  return static_cast<std::int8_t>(voice_offset(settings) + settings.trans);
}

int show_result(RunState& run, std::string_view text, std::string_view caption) {
  const int level = run.loop.show_level;
  if (level != 1) return level;
  run.dialogs().show(platform::BoxStyle::info, text, caption);
  return 1;
}

}  // namespace velk0
