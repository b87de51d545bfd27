// The playback engine: the playing reader with its announcements and ranges,
// the note player, and the small players that commands use.
#include "tablature/player.h"

#include <algorithm>
#include <limits>

#include "core/messages.h"
#include "core/text.h"
#include "midi/midi_out.h"
#include "platform/platform.h"
#include "tablature/notation.h"

namespace velk0 {
namespace {

bool asks_to_stop(int answer) {
  return answer == platform::kAnswerNo || answer == platform::kAnswerCancel;
}

bool has_mode(std::string_view modes, char letter) {
  return modes.find(letter) != std::string_view::npos;
}

// The announcement words are Windows-1252 bytes (0xE9 e acute, 0xE8 e grave);
// their spellings, blanks included ("quart de  soupir", "vivatche",
// "triolet de triplecroche"), are the ones the program shows.

// An announcement word and where it stands in its box.
struct Word {
  std::uint32_t value;
  const char* word;
  bool as_caption;
};

// Asks with the word as caption or as text; no box (answer 0) without a word.
int announce(platform::Dialogs& dialogs, const Word* word) {
  if (word == nullptr) return 0;
  return word->as_caption ? ask_choice(dialogs, "", word->word)
                          : ask_choice(dialogs, word->word, "");
}

template <std::size_t N>
const Word* find_word(const Word (&table)[N], std::uint32_t value) {
  for (const Word& w : table)
    if (w.value == value) return &w;
  return nullptr;
}

constexpr Word kDurationWords[] = {
    {666,
     "ronde point\xE9"
     "e",
     true},
    {1000, "ronde", true},
    {1333,
     "blanche point\xE9"
     "e",
     true},
    {2000, "blanche", true},
    {2666,
     "noire point\xE9"
     "e",
     true},
    {3000, "triolet de blanche", false},
    {4000, "noire", true},
    {5333,
     "croche point\xE9"
     "e",
     true},
    {6000, "triolet de noire", false},
    {8000, "croche", true},
    {10666,
     "double croche point\xE9"
     "e",
     true},
    {12000, "triolet de croche", false},
    {16000, "double croche", true},
    {21333,
     "triple croche point\xE9"
     "e",
     true},
    {24000, "triolet de double croche", false},
    {32000, "triple croche", false},
    {42666,
     "quadruple croche point\xE9"
     "e",
     true},
    {48000, "triolet de triplecroche", false},
    {64000, "quadruple croche", true},
};

constexpr Word kRestWords[] = {
    {1000, "pause", false},
    {666,
     "pause point\xE9"
     "e",
     true},
    {2000, "demi pause", false},
    {1333,
     "demi pause point\xE9"
     "e",
     true},
    {4000, "soupir", false},
    {2666,
     "soupir point\xE9"
     "e",
     true},
    {8000, "demi soupir", false},
    {5333,
     "demi soupir point\xE9"
     "e",
     true},
    {16000, "quart de  soupir", false},
    {10666,
     "quart de soupir point\xE9"
     "e",
     true},
    {32000, "huiti\xE8me de soupir", false},
    {21333,
     "huiti\xE8me de soupir point\xE9"
     "e",
     true},
    {64000, "seizi\xE8me de soupir", false},
    {42666,
     "seizi\xE8me de soupir point\xE9"
     "e",
     true},
};

constexpr const char* kSharpNames[12] = {
    "do",  "do di\xE8se",  "r\xE9", "r\xE9 di\xE8se", "mi", "fa", "fa di\xE8se",
    "sol", "sol di\xE8se", "la",    "la di\xE8se",    "si"};
constexpr const char* kFlatNames[12] = {
    "do",  "r\xE9 b\xE9mol", "r\xE9", "mi b\xE9mol", "mi", "fa", "sol b\xE9mol",
    "sol", "la b\xE9mol",    "la",    "si b\xE9mol", "si"};

int announce_articulation(platform::Dialogs& dialogs, std::uint8_t articulation) {
  static constexpr const char* kWords[] = {"normal", "legato", "staccato", "tenu"};
  if (articulation >= std::size(kWords)) return 0;
  return ask_choice(dialogs, kWords[articulation], "mode");
}

int announce_mark(platform::Dialogs& dialogs, std::uint8_t mark) {
  const char* word = nullptr;
  if (is_group_start(mark))
    word =
        "d\xE9"
        "but";
  else if (is_group_end(mark))
    word = "fin";
  else {
    switch (mark) {
      case 'a':
        word = "allegro";
        break;
      case 'c':
        word = "crechendo";
        break;
      case 'd':
        word = "diminuendo";
        break;
      case 'e':
        word = "fort\xE9";
        break;
      case 'm':
        word = "mod\xE9rato";
        break;
      case 'p':
        word = "piano";
        break;
      case 'r':
        word = "ralentir";
        break;
      case 'v':
        word = "vivatche";
        break;
      default:
        return 0;
    }
  }
  return ask_choice(dialogs, "", word);
}

// A note is named by the pitch it sounds at: the output brings notes below 0
// up by octaves, so a negative number is named by its class counted upward.
int announce_note(RunState& run, std::int8_t note, std::uint32_t value) {
  if (note == 0) return announce(run.dialogs(), find_word(kRestWords, value));
  const int pitch_class = ((note % 12) + 12) % 12;
  const bool sharps = run.settings.arma.find('+') != std::string::npos;
  return ask_choice(run.dialogs(), sharps ? kSharpNames[pitch_class] : kFlatNames[pitch_class], "");
}

// A staccato note sounds seven eighths of its time, then one eighth is
// silence. Duration values run the other way (a larger value is a shorter
// note), so the value of a fraction of a note's time is divided by it.
std::uint32_t value_of_fraction(std::uint32_t value, std::uint64_t eighths) {
  const std::uint64_t v = static_cast<std::uint64_t>(value) * 8 / eighths;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(v, std::numeric_limits<std::uint32_t>::max()));
}
std::uint32_t sounding_part(std::uint32_t value) { return value_of_fraction(value, 7); }
std::uint32_t silent_part(std::uint32_t value) { return value_of_fraction(value, 1); }

void sound_on(RunState& run, int note) { note_on(run, track_octave(run.settings, note)); }
void sound_off(RunState& run, int note) { note_off(run, track_octave(run.settings, note)); }

// Sounds one note of a list; inside an open group it only starts.
void sound(RunState& run, std::int8_t note, std::uint32_t value, std::uint8_t articulation,
           bool in_group) {
  if (note == 0) {
    wait_duration(run, value);
    return;
  }
  sound_on(run, note);
  if (in_group) return;
  if (articulation == kStaccato) {
    wait_duration(run, sounding_part(value));
    sound_off(run, note);
    wait_duration(run, silent_part(value));
  } else {
    // Normal, legato, tenu: the whole value.
    wait_duration(run, value);
    sound_off(run, note);
  }
}

// What the announcements before a note came to: the last answer, and
// whether the note stays silent (a stop asked before its name was shown).
struct Announced {
  int answer = 0;
  bool silent = false;
};

// Announces, in order, a change of articulation, the note's mark, a change
// of duration and the note itself, stopping at the first No or Cancel.
Announced announce_entry(RunState& run, const NoteList& list, int i) {
  const auto k = static_cast<std::size_t>(i);
  const std::int8_t note = list.notes[k];
  const std::uint32_t value = list.durations[k];
  const std::uint8_t articulation = list.articulations[k];
  const std::uint8_t previous = i > 1 ? list.articulations[k - 1] : std::uint8_t{kNormal};
  const std::uint8_t mark = list.marks[k];

  Announced result;
  auto stopped = [&result](int answer) {
    result.answer = answer;
    return result.silent = asks_to_stop(answer);
  };
  if (articulation != kNormal && articulation != previous &&
      stopped(announce_articulation(run.dialogs(), articulation)))
    return result;
  if (mark != 0 && !is_group_end(mark) && stopped(announce_mark(run.dialogs(), mark)))
    return result;
  if (note != 0 && (i == 1 || value != list.durations[k - 1]) &&
      stopped(announce(run.dialogs(), find_word(kDurationWords, value))))
    return result;
  result.answer = announce_note(run, note, value);
  return result;
}

// A group lasts as long as its first note; then every entry is released.
void release_group(RunState& run, OpenGroup& group) {
  const bool staccato = group.articulation == kStaccato;
  wait_duration(run, staccato ? sounding_part(group.value) : group.value);
  for (std::int8_t note : group.notes) sound_off(run, note);
  if (staccato) wait_duration(run, silent_part(group.value));
  group = OpenGroup{};
}

// A duration value from element i; a missing one reads as 0 (a 1000 ms wait).
std::uint32_t duration_at(std::span<const std::uint32_t> durations, int i) {
  return i >= 0 && static_cast<std::size_t>(i) < durations.size()
             ? durations[static_cast<std::size_t>(i)]
             : 0;
}

void play_one(RunState& run, std::int8_t note, std::uint32_t value) {
  sound_on(run, note);
  wait_duration(run, value);
  sound_off(run, note);
}

// Follows a reading for the player: shows the indications and measures
// asked for, collects the text of the range and finds where the range of
// measures starts and ends among the notes.
class RangeWatcher : public ReadingWatcher {
 public:
  RangeWatcher(platform::Dialogs& dialogs, std::string_view modes, int first, int last, int& answer,
               std::string& collected)
      : dialogs_(dialogs),
        modes_(modes),
        first_(first),
        last_(last),
        answer_(answer),
        collected_(collected) {}

  void started() override {
    range_start_ = first_;
    range_end_ = last_;
    measure_text_.clear();
    collected_.clear();
  }

  void indication(char kind, const std::string& text, const std::string& label,
                  int measure) override {
    if (kind != '\0' && has_mode(modes_, kind) && first_ - 1 <= measure && measure < last_)
      answer_ = ask_choice(dialogs_, text, kind == 'a' ? std::string() : label);
  }

  void token(std::string_view text, bool separator, int measure, int count) override {
    const bool by_measure = has_mode(modes_, 'm');
    const bool in_measures = by_measure && first_ - 1 <= measure && measure <= last_;
    if (separator && in_measures) {
      if (first_ == 1)
        range_start_ = 1;
      else if (measure == first_ - 1)
        range_start_ = count + 1;
      if (measure == last_) range_end_ = count;
      if (measure >= first_)
        answer_ = ask_choice(dialogs_, format_text("mesure %d ", measure), measure_text_);
      measure_text_.clear();
      return;
    }
    if (in_measures) {
      append_bounded(measure_text_, text, kTextCapacity);
      append_bounded(collected_, text, kTextCapacity);
    } else if (has_mode(modes_, 'n') && first_ <= count && count <= last_) {
      append_bounded(collected_, text, kTextCapacity);
    }
  }

  long long range_start() const { return range_start_; }
  long long range_end() const { return range_end_; }

 private:
  platform::Dialogs& dialogs_;
  std::string_view modes_;
  // Wide enough that first - 1 and count + 1 never overflow.
  const long long first_, last_;
  int& answer_;
  std::string& collected_;
  std::string measure_text_;
  long long range_start_ = 0, range_end_ = 0;
};

}  // namespace

int play_tablature(RunState& run, std::string_view text, std::string_view modes, int first,
                   int last, std::string& collected, NoteList& list) {
  int answer = 0;
  RangeWatcher watcher(run.dialogs(), modes, first, last, answer, collected);
  const int measures = read_tablature(run, text, Reader::kPlaying, list.notes, list.durations,
                                      &list.articulations, &list.marks, &watcher);

  // Keep the notes of the range, moved to the front of the lists.
  const long long count = list.durations[0];
  long long from = has_mode(modes, 'm') ? watcher.range_start() : first;
  long long to = has_mode(modes, 'm') ? watcher.range_end() : last;
  from = std::max(from, 1LL);  // element 0 holds the count, not a note
  to = std::min(to, count);
  long long kept = 0;
  if (from <= to) {
    kept = to - from + 1;
    const auto begin = static_cast<std::ptrdiff_t>(from);
    const auto end = static_cast<std::ptrdiff_t>(to) + 1;
    std::copy(list.notes.begin() + begin, list.notes.begin() + end, list.notes.begin() + 1);
    std::copy(list.durations.begin() + begin, list.durations.begin() + end,
              list.durations.begin() + 1);
    std::copy(list.articulations.begin() + begin, list.articulations.begin() + end,
              list.articulations.begin() + 1);
    std::copy(list.marks.begin() + begin, list.marks.begin() + end, list.marks.begin() + 1);
  }
  list.notes[0] = static_cast<std::int8_t>(kept);
  list.durations[0] = static_cast<std::uint32_t>(kept);
  list.articulations[0] = static_cast<std::uint8_t>(kept);
  list.marks[0] = static_cast<std::uint8_t>(kept);

  run.settings.mesure = measures;
  if (!asks_to_stop(answer)) answer = play_notes(run, modes, list);
  return answer;
}

int play_notes(RunState& run, std::string_view modes, NoteList& list, OpenGroup* carried) {
  const int count = static_cast<int>(std::min<std::uint32_t>(list.durations[0], kListCapacity));
  const bool announcing = !modes.empty();
  int answer = 0;
  OpenGroup own;
  OpenGroup& group = carried ? *carried : own;

  for (int i = 1; i <= count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const std::uint8_t mark = list.marks[k];
    Announced announced;
    if (announcing) answer = (announced = announce_entry(run, list, i)).answer;
    if (!announced.silent) {
      if (!group.open && is_group_start(mark))
        group = {true, list.durations[k], list.articulations[k], {}};
      sound(run, list.notes[k], list.durations[k], list.articulations[k], group.open);
    }
    if (group.open) group.notes.push_back(list.notes[k]);
    const bool stop = asks_to_stop(answer);
    if ((stop || is_group_end(mark)) && group.open) release_group(run, group);
    if (stop) return answer;
    if (announcing && is_group_end(mark)) answer = announce_mark(run.dialogs(), mark);
  }
  // A group left open ends with the list, as if it closed on the last note,
  // unless the reading goes on in another list.
  if (group.open && !carried) release_group(run, group);
  return answer;
}

void end_group(RunState& run, OpenGroup& group) {
  if (group.open) release_group(run, group);
}

void play_run(RunState& run, std::int8_t start, std::span<const std::int8_t> intervals,
              std::span<const std::uint32_t> durations) {
  const int steps = byte_count(intervals);
  std::int8_t note = start;
  for (int i = 0; i <= steps; ++i) {
    if (i > 0) note = static_cast<std::int8_t>(note + intervals[static_cast<std::size_t>(i)]);
    play_one(run, note, duration_at(durations, i + 1));
  }
}

void play_chord(RunState& run, std::int8_t start, std::span<const std::int8_t> intervals,
                std::span<const std::uint32_t> durations) {
  const int steps = byte_count(intervals);
  sound_on(run, start);
  wait_duration(run, duration_at(durations, 1));
  if (steps == 0) {
    // A chord of one note: it has sounded its value, nothing joins it.
    sound_off(run, start);
    return;
  }
  std::int8_t note = start;
  for (int i = 1; i <= steps; ++i) {
    note = static_cast<std::int8_t>(note + intervals[static_cast<std::size_t>(i)]);
    sound_on(run, note);
  }
  wait_duration(run, duration_at(durations, 2));
  note = start;
  sound_off(run, note);
  for (int i = 1; i <= steps; ++i) {
    note = static_cast<std::int8_t>(note + intervals[static_cast<std::size_t>(i)]);
    sound_off(run, note);
  }
}

void play_pattern(RunState& run, std::int8_t base, std::span<const std::int8_t> offsets,
                  std::span<const std::uint32_t> durations) {
  const int count = byte_count(offsets);
  for (int i = 1; i <= count; ++i) {
    const std::int8_t offset = offsets[static_cast<std::size_t>(i)];
    const std::uint32_t value = duration_at(durations, i);
    if (offset == 0)
      wait_duration(run, value);
    else
      play_one(run, static_cast<std::int8_t>(base + offset), value);
  }
}

void play_text(RunState& run, std::string_view text) {
  // Closes the device first when it is open.
  if (!open_midi_device_or_tell(run)) return;
  std::string collected;
  NoteList list;
  play_tablature(run, text, "", 1, kCommandLineNotes, collected, list);
  close_midi_device(run);
}

}  // namespace velk0
