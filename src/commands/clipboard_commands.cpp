#include "commands/clipboard_commands.h"

#include <algorithm>
#include <optional>

#include "commands/dialogue.h"
#include "core/capacities.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/text_files.h"
#include "platform/common/cue_sounds.h"
#include "platform/console.h"
#include "platform/platform.h"
#include "tablature/notation.h"
#include "tablature/player.h"

namespace velk0 {
namespace {

// The clipboard's text is cut to fit its buffer with the line end after it.
constexpr std::size_t kClipboardTextCapacity = kTextCapacity - 1;
static_assert(kClipboardTextCapacity < platform::kClipboardReadChars,
              "a clipboard read must reach past what is kept");
// A rhythmic motif shorter than this (its line end counted) is repeated into
// this many copies, as many as fit in a text.
constexpr std::size_t kShortRhythm = 100;
constexpr int kRhythmCopies = 21;

// The companion programs, by the command lines that start them.
constexpr std::string_view kCopier = "\\korvane\\vantrel.exe";
constexpr std::string_view kQuirel = "quirel.exe";
constexpr std::string_view kQuimbol = "quimbol.exe";
constexpr std::string_view kZentra = "zentra.exe";

// True when the companion started; one that cannot start is one line on
// standard error that names it.
bool start_companion(platform::Programs& programs, std::string_view command_line) {
  if (programs.start(command_line)) return true;
  std::string line = "velk0 : impossible de d\xE9marrer ";
  platform::print_error_line(line.append(command_line));
  return false;
}

// Reads the clipboard, then asks whether to take it, showing it in the
// caption. True on Yes.
bool ask_to_take(RunState& run, std::string& clipboard_text, std::string_view question) {
  read_clipboard(run, clipboard_text);
  std::string caption = "presse papier courant : " + clipboard_text;
  caption.resize(std::min(caption.size(), kTextCapacity));
  return ask_choice(run.dialogs(), question, caption) == platform::kAnswerYes;
}

}  // namespace

void read_clipboard(RunState& run, std::string& buffer) {
  buffer.clear();
  const std::optional<std::string> text = run.platform.clipboard->read_text();
  if (!text) {
    play_cue(run, platform::kErrorCue);
    return;
  }
  const std::string_view read = c_text(*text, kClipboardTextCapacity);
  if (read.empty()) return;
  buffer.assign(read);
  buffer += '\n';
  ask_choice(run.dialogs(), buffer, "presse papier");
}

void take_note_motif(RunState& run) {
  std::string clipboard_text;
  if (ask_to_take(run, clipboard_text, "oui=saisir le motif de note non ou escape = annuler")) {
    run.settings.motif = clipboard_text;
    Notes notes{};
    Durations durations{};
    parse_material(run, clipboard_text, notes, durations);
    play_pattern(run, base_offset(run.settings), notes, durations);
  }
  edition_cue(run);
}

void take_rhythm_motif(RunState& run) {
  std::string clipboard_text;
  if (ask_to_take(run, clipboard_text, "oui=saisir le motif rythmique non ou escape = annuler")) {
    PlaySettings& s = run.settings;
    Notes notes{};
    parse_material(run, clipboard_text, notes, s.durees);
    play_pattern(run, base_offset(run.settings), notes, s.durees);
    if (clipboard_text.size() < kShortRhythm) {
      // Whole copies only: a rhythm is never cut in the middle.
      std::string repeated = clipboard_text;
      for (int copy = 1;
           copy < kRhythmCopies && repeated.size() + clipboard_text.size() <= kTextCapacity; ++copy)
        repeated += clipboard_text;
      parse_material(run, repeated, notes, s.durees);
    }
  }
  edition_cue(run);
}

void copy_information(RunState& run) {
  std::string information;
  if (read_text_file(run.platform, information, 1, kCurrentInformationPath) == 0) return;
  show_info(run.dialogs(), information, "information courante");
  const int answer = ask_choice(run.dialogs(), "oui=copier non=annuler=quitter",
                                "voulez vous copier dans le presse papier l'information courante");
  const bool copy = answer == platform::kAnswerYes;
  // The clipboard is left closed for the copier. It is emptied before the
  // copier starts, so that what it held is never pasted for the current
  // information; on No it keeps what it holds.
  const bool reached = run.platform.clipboard->open_as_owner(copy);
  if (!reached) ask_choice(run.dialogs(), "Le presse papier n'est pas vide", "");
  // The cue says the copy is under way: not when the clipboard could not be
  // reached or the copier could not start (once started, it tells its own
  // failures).
  if (copy && !(start_companion(*run.platform.programs, kCopier) && reached)) return;
  edition_cue(run);
}

void start_quirel(RunState& run) {
  play_cue(run, platform::kEntryCue);
  start_companion(*run.platform.programs, kQuirel);
}

void start_quimbol(RunState& run) {
  play_cue(run, platform::kEntryCue);
  start_companion(*run.platform.programs, kQuimbol);
}

void start_zentra(RunState& run) {
  // The cue says it is done: not after a start that failed.
  if (start_companion(*run.platform.programs, kZentra)) edition_cue(run);
}

}  // namespace velk0
