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

// True when the companion started; one that cannot start is not reported.
bool start_companion(std::string_view command_line) {
  return platform::current().programs->start(command_line);
}

// Reads the clipboard, then asks whether to take it, showing it in the
// caption. True on Yes.
bool ask_to_take(std::string& clipboard_text, std::string_view question) {
  read_clipboard(clipboard_text);
  std::string caption = "presse papier courant : " + clipboard_text;
  caption.resize(std::min(caption.size(), kTextCapacity));
  return ask_choice(question, caption) == platform::kAnswerYes;
}

}  // namespace

void read_clipboard(std::string& buffer) {
  buffer.clear();
  const std::optional<std::string> text = platform::current().clipboard->read_text();
  if (!text) {
    play_cue(platform::kErrorCue);
    return;
  }
  const std::string_view read = c_text(*text, kClipboardTextCapacity);
  if (read.empty()) return;
  buffer.assign(read);
  buffer += '\n';
  ask_choice(buffer, "presse papier");
}

void take_note_motif() {
  std::string clipboard_text;
  if (ask_to_take(clipboard_text, "oui=saisir le motif de note non ou escape = annuler")) {
    settings().motif = clipboard_text;
    Notes notes{};
    Durations durations{};
    parse_material(clipboard_text, notes, durations);
    play_pattern(base_offset(), notes, durations);
  }
  edition_cue();
}

void take_rhythm_motif() {
  std::string clipboard_text;
  if (ask_to_take(clipboard_text, "oui=saisir le motif rythmique non ou escape = annuler")) {
    PlaySettings& s = settings();
    Notes notes{};
    parse_material(clipboard_text, notes, s.durees);
    play_pattern(base_offset(), notes, s.durees);
    if (clipboard_text.size() < kShortRhythm) {
      // Whole copies only: a rhythm is never cut in the middle.
      std::string repeated = clipboard_text;
      for (int copy = 1;
           copy < kRhythmCopies && repeated.size() + clipboard_text.size() <= kTextCapacity; ++copy)
        repeated += clipboard_text;
      parse_material(repeated, notes, s.durees);
    }
  }
  edition_cue();
}

void copy_information() {
  std::string information;
  if (read_text_file(information, 1, kCurrentInformationPath) == 0) return;
  show_info(information, "information courante");
  const int answer = ask_choice("oui=copier non=annuler=quitter",
                                "voulez vous copier dans le presse papier l'information courante");
  const bool copy = answer == platform::kAnswerYes;
  // The clipboard is left closed for the copier. It is emptied before the
  // copier starts, so that what it held is never pasted for the current
  // information; on No it keeps what it holds.
  const bool reached = platform::current().clipboard->open_as_owner(copy);
  if (!reached) ask_choice("Le presse papier n'est pas vide", "");
  // The cue says the copy is under way: not when the clipboard could not be
  // reached or the copier could not start (it tells its own failures).
  if (copy && !(start_companion(kCopier) && reached)) return;
  edition_cue();
}

void start_quirel() {
  play_cue(platform::kEntryCue);
  start_companion(kQuirel);
}

void start_quimbol() {
  play_cue(platform::kEntryCue);
  start_companion(kQuimbol);
}

void start_zentra() {
  start_companion(kZentra);
  edition_cue();
}

}  // namespace velk0
