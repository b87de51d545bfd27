#include "tablature/reading_mode.h"

#include <algorithm>
#include <climits>
#include <string>

#include "core/messages.h"
#include "core/settings.h"
#include "core/text.h"
#include "midi/device_choice.h"
#include "midi/midi_out.h"
#include "platform/platform.h"
#include "tablature/notation.h"
#include "tablature/player.h"

namespace velk0 {
namespace {

using platform::kAnswerCancel;
using platform::kAnswerNo;
using platform::kAnswerYes;

// The measure dialogue's texts are Windows-1252 bytes (0xE9 e acute).
constexpr const char* kMeasureCaption =
    "oui=suivant non=pr\xE9"
    "c\xE9"
    "dent annuler=fin";
constexpr const char* kEndText = "fin de la tablature";
constexpr const char* kEndCaption =
    "oui=d\xE9"
    "but annuler=quitter";

// Records, at each separator, the notes read so far.
class MeasureWatcher : public ReadingWatcher {
 public:
  explicit MeasureWatcher(MeasureEnds& ends) : ends_(ends) {}
  void started() override { ends_.fill(0); }
  void indication(char, const std::string&, const std::string&, int) override {}
  void token(std::string_view, bool separator, int separators, int count) override {
    if (separator && separators > 0 && static_cast<std::size_t>(separators) < ends_.size())
      ends_[static_cast<std::size_t>(separators)] = count;
    separators_ = separators;
  }
  int separators() const { return separators_; }

 private:
  MeasureEnds& ends_;
  int separators_ = 0;
};

// Whole: the range from mesuredeb to mesurefin, as note positions.
void play_whole(RunState& run) {
  const PlaySettings& s = run.settings;
  const std::string text = s.tabcourante;
  std::string collected;
  NoteList list;
  play_tablature(run, text, "", s.mesuredeb, s.mesurefin, collected, list);
}

int step_back_or_forward(int measure, bool forward) {
  const long long next = forward ? measure + 1LL : std::max(measure - 1LL, 1LL);
  return static_cast<int>(std::min<long long>(next, INT_MAX));
}

// Plays a range of the current tablature. Each measure or step is a new
// reading of the whole text, which must start from the settings the first
// one started with: a reading leaves the note value, the transposition, the
// key signature... as its last tokens set them, and playing leaves the
// octave at the last note's. Only the dialogue's position goes on.
class Replay {
 public:
  Replay(RunState& run, std::string_view modes)
      : run_(run), text_(run.settings.tabcourante), modes_(modes), start_(run.settings) {}
  int operator()(int first, int last) {
    PlaySettings& s = run_.settings;
    const std::int32_t position = s.mesuredeb;
    s = start_;
    s.mesuredeb = position;
    return play_tablature(run_, text_, modes_, first, last, collected_, list_);
  }

 private:
  RunState& run_;
  const std::string text_, modes_;
  const PlaySettings start_;
  std::string collected_;
  NoteList list_;
};

// Measure by measure, from mesuredeb, which keeps the position.
void play_measures(RunState& run) {
  PlaySettings& s = run.settings;
  const MeasureEnds& ends = run.measure_ends;
  Replay play(run, "");
  for (;;) {
    const int m = s.mesuredeb;
    const std::int32_t first = measure_end_at(ends, m - 1LL) + 1, last = measure_end_at(ends, m);
    const int answer =
        ask_choice(run.dialogs(),
                   format_text("mesure %d : jouer depuis la note %d jusqu'a la note %d", m,
                               static_cast<int>(first), static_cast<int>(last)),
                   kMeasureCaption);
    if (answer != kAnswerYes && answer != kAnswerNo) return;
    play(first, last);
    s.mesuredeb = step_back_or_forward(m, answer == kAnswerYes);
    if (s.mesuredeb != 1 && measure_end_at(ends, s.mesuredeb) == 0) {
      if (ask_choice(run.dialogs(), kEndText, kEndCaption) != kAnswerYes) return;
      s.mesuredeb = 1;
    }
  }
}

// Step by step: step i is note i, or measure i when indi holds m; No goes
// back one step, Cancel ends. `notes` is the tablature's count of notes.
void play_steps(RunState& run, std::int32_t notes) {
  const PlaySettings& s = run.settings;
  const bool by_measure = s.indi.find('m') != std::string::npos;
  Replay step(run, s.indi);
  for (;;) {
    const int first = step(1, 1);
    if (first == kAnswerCancel) return;
    if (first == kAnswerNo) continue;
    int i = 2;
    // mesure is what the first step's reading counted.
    auto steps = [&] { return static_cast<unsigned>(by_measure ? s.mesure : notes); };
    while (static_cast<unsigned>(i) <= steps()) {
      const int answer = step(i, i);
      if (answer == kAnswerCancel) return;
      if (answer == kAnswerNo && (i -= 2) == 0) break;
      ++i;
    }
    if (i != 0) return;
  }
}

}  // namespace

std::int32_t measure_end_at(const MeasureEnds& ends, long long k) {
  return k >= 0 && k < static_cast<long long>(ends.size()) ? ends[static_cast<std::size_t>(k)] : 0;
}

std::int32_t fill_measure_ends(RunState& run, std::string_view text) {
  const PlaySettings saved = run.settings;
  MessagesHeld held(run.out);
  MeasureEnds& ends = run.measure_ends;
  MeasureWatcher watcher(ends);
  NoteList list;
  read_tablature(run, text, Reader::kPlaying, list.notes, list.durations, &list.articulations,
                 &list.marks, &watcher);
  const auto count = static_cast<std::int32_t>(list.durations[0]);
  const auto after_last = static_cast<std::size_t>(watcher.separators()) + 1;
  if (after_last < ends.size() && count > ends[after_last - 1]) ends[after_last] = count;
  // Separators after the last note end no measure: a text that ends in a
  // line end (as a file or the clipboard does) has no empty last measure.
  const auto last = std::find(ends.begin() + 1, ends.end(), count);
  if (last != ends.end()) std::fill(last + 1, ends.end(), 0);
  run.settings = saved;
  return count;
}

void play_by_reading_mode(RunState& run) {
  read_device_choice(run);
  if (!open_midi_device_or_tell(run)) return;
  const PlaySettings& s = run.settings;
  const std::int32_t notes = fill_measure_ends(run, s.tabcourante);
  if (s.indi.empty())
    play_whole(run);
  else if (s.indi == " ")
    play_measures(run);
  else
    play_steps(run, notes);
}

}  // namespace velk0
