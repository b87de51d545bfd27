#include "platform/common/dialogs_text.h"

#include "platform/common/text_encoding.h"

namespace velk0::platform {

void print_box(std::ostream& out, BoxStyle, std::string_view text, std::string_view caption) {
  if (!caption.empty()) out << to_terminal(caption) << '\n';
  if (!text.empty() || caption.empty()) out << to_terminal(text) << '\n';
  out.flush();
}

void print_choice_prompt(std::ostream& out) {
  out << "o = oui, n = non, a = annuler : ";
  out.flush();
}

void print_answer(std::ostream& out, int answer) {
  out << (answer == kAnswerYes ? "oui" : answer == kAnswerNo ? "non" : "annuler") << '\n';
  out.flush();
}

int answer_for_letter(char c) {
  switch (c) {
    case 'o':
    case 'O':
    case 'y':
    case 'Y':
      return kAnswerYes;
    case 'n':
    case 'N':
      return kAnswerNo;
    case ' ':
    case ',':
    case '\t':
    case '\n':
    case '\r':
      return 0;
    default:
      return kAnswerCancel;  // a, c, x, Escape, and anything unexpected
  }
}

}  // namespace velk0::platform
