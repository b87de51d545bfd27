#include "platform/doubles/scripted_dialogs.h"

#include "platform/common/dialogs_text.h"

namespace velk0::platform {

int ScriptedDialogs::show(BoxStyle style, std::string_view text, std::string_view caption) {
  print_box(out_, style, text, caption);
  if (style != BoxStyle::choice) return kAnswerOk;
  int answer = 0;
  while (answer == 0 && next_ < answers_.size()) answer = answer_for_letter(answers_[next_++]);
  if (answer == 0) answer = kAnswerCancel;
  print_choice_prompt(out_);
  print_answer(out_, answer);
  return answer;
}

}  // namespace velk0::platform
