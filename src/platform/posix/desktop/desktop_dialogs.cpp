#include "platform/posix/desktop/desktop_dialogs.h"

#include <vector>

#include "platform/common/text_encoding.h"
#include "platform/console.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/processes/processes.h"

namespace velk0::platform::posix {
namespace {

// The exit statuses zenity is told to give: by default "Non", Escape and an
// extra button ("Annuler") would all end it with 1, which is also what a
// toolkit that cannot start gives.
constexpr int kExitYes = 0;
constexpr int kExitNo = 7;
constexpr int kExitCancel = 2;  // Escape, the window closed, or "Annuler"
constexpr std::size_t kMostWordsBytes = 200;
const std::vector<std::string> kExitSettings = {"ZENITY_OK=0",    "ZENITY_CANCEL=7",
                                                "ZENITY_ESC=2",   "ZENITY_EXTRA=2",
                                                "ZENITY_ERROR=3", "ZENITY_TIMEOUT=3"};

// The environment of a box's zenity. The token with which the desktop lets
// the window of a program it starts take the focus serves the first box; a
// later box would present it again, older than the user's last answer, and
// the window manager would keep the focus away from it.
std::vector<std::string> zenity_settings(bool first) {
  std::vector<std::string> settings = kExitSettings;
  if (!first) settings.insert(settings.end(), {"DESKTOP_STARTUP_ID=", "XDG_ACTIVATION_TOKEN="});
  return settings;
}

// zenity's arguments for a box; the texts are shown as they are (no markup).
std::vector<std::string> zenity_arguments(const std::string& zenity, BoxStyle style,
                                          std::string_view text, std::string_view caption) {
  std::vector<std::string> argv = {zenity, style == BoxStyle::choice ? "--question" : "--info",
                                   "--title=" + to_terminal(caption), "--text=" + to_terminal(text),
                                   "--no-markup"};
  if (style == BoxStyle::choice) {
    argv.insert(argv.end(), {"--ok-label=Oui", "--cancel-label=Non", "--extra-button=Annuler"});
  } else {
    argv.emplace_back("--ok-label=OK");
  }
  return argv;
}

// The answer zenity's exit status stands for; 0 when it showed no box. An OK
// box gives OK however it was closed, as on Windows.
int answer_of(BoxStyle style, int status) {
  if (style != BoxStyle::choice) return status == kExitYes || status == kExitCancel ? kAnswerOk : 0;
  switch (status) {
    case kExitYes:
      return kAnswerYes;
    case kExitNo:
      return kAnswerNo;
    case kExitCancel:
      return kAnswerCancel;
    default:
      return 0;
  }
}

// What zenity said last on its standard error (why it could not show the
// box), in the program's bytes, after a colon; empty when it said nothing.
std::string last_words(const std::optional<Finished>& finished) {
  if (!finished) return " : il ne d\xE9marre pas";
  std::string_view err = finished->err;
  while (!err.empty() && (err.back() == '\n' || err.back() == ' ')) err.remove_suffix(1);
  err = err.substr(err.find_last_of('\n') + 1);
  if (err.empty()) return "";
  return " : " + from_utf8(err.substr(0, kMostWordsBytes));
}

}  // namespace

DialogsChoice choose_dialogs(DialogsPlace place, bool attached, bool display,
                             std::optional<std::string> zenity) {
  if (place == DialogsPlace::terminal || (place == DialogsPlace::automatic && attached)) return {};
  if (!display) {
    if (place == DialogsPlace::automatic) return {};
    return {std::nullopt,
            "velk0 : VELK0_DIALOGS vaut bureau, mais aucun affichage n'est d\xE9"
            "fini (ni WAYLAND_DISPLAY ni DISPLAY) ; les bo\xEEtes s'affichent dans le terminal"};
  }
  if (!zenity)
    return {std::nullopt,
            "velk0 : zenity est introuvable, les bo\xEEtes ne peuvent pas s'afficher sur le "
            "bureau ; elles s'affichent dans le terminal"};
  return {std::move(zenity), {}};
}

int DesktopDialogs::show(BoxStyle style, std::string_view text, std::string_view caption) {
  if (!failed_) {
    auto finished = run_to_end(zenity_arguments(zenity_, style, text, caption), {}, true,
                               kUntilStopped, std::string::npos, zenity_settings(first_));
    first_ = false;
    throw_if_interrupted();
    const int answer = finished ? answer_of(style, finished->status) : 0;
    if (answer != 0) return answer;
    failed_ = true;
    print_error_line("velk0 : zenity n'a pas pu afficher la bo\xEEte sur le bureau" +
                     last_words(finished) +
                     " ; cette bo\xEEte et les suivantes s'affichent dans le terminal");
  }
  return fallback_->show(style, text, caption);
}

}  // namespace velk0::platform::posix
