// The tablature commands: a tablature's melody replayed from a chosen note,
// as a run or as a chord.
#include "commands/tablature_command.h"

#include <algorithm>
#include <string>

#include "commands/dialogue.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/text.h"
#include "harmony/chord.h"
#include "midi/midi_out.h"
#include "tablature/notation.h"
#include "tablature/player.h"

namespace velk0 {
namespace {

// The step row holds 49 steps, the steps between at most 50 notes: longer
// tablatures are replayed through their first 50 notes.
constexpr int kMaxNotes = static_cast<int>(kChordSize);

// A list with its count in element 0, written "count : entry entry ...".
template <typename List>
std::string describe(const List& list, int count) {
  std::string text = format_text("%d :", count);
  for (int i = 1; i <= count; ++i) text += format_text(" %d", list[static_cast<std::size_t>(i)]);
  return text;
}

}  // namespace

void tablature_command(RunState& run, std::string_view letter, std::string_view number,
                       std::string_view tablature) {
  std::string text;
  set_bounded(text, c_text(tablature), kTablatureCapacity);
  Notes notes{};
  Durations durations{};
  parse_tablature(run, text, notes, durations);
  const int count = static_cast<int>(std::min<std::uint32_t>(durations[0], kMaxNotes));

  StepRow steps{};
  std::string pattern;
  chord_pattern(notes, count, steps, pattern);
  const auto start = static_cast<std::int8_t>(read_integer(number));

  show_result(run, describe(notes, count), text);
  show_result(run, describe(steps, std::max(count - 1, 0)), pattern);

  check_midi_device(run);
  if (letter == "a" || letter == "p") {
    // A tablature without a note has nothing to replay.
    if (count > 0) {
      if (letter == "a")
        play_run(run, start, steps, durations);
      else
        play_chord(run, start, steps, durations);
    }
  } else {
    std::string caption = "$";
    caption += letter;
    show_info(run.dialogs(), "la commande n'existe pas", caption);
  }
  close_midi_device(run);
}

}  // namespace velk0
