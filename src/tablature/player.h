// The playback engine: reads a tablature with the playing reader and plays it,
// plus the small players that commands use on lists they have built.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "midi/run_state.h"

namespace velk0 {

// Plays one tablature on a freshly opened device: at most its first
// kCommandLineNotes notes, announcing nothing; the device is closed after.
void play_text(RunState& run, std::string_view text);

// Reads and plays `text`. `modes` selects what is announced, `first`/`last`
// the range (note positions, or measures when modes contain m). `collected`
// receives the text of the range. Returns the last answer (6, 7, 2 or 0).
int play_tablature(RunState& run, std::string_view text, std::string_view modes, int first,
                   int last, std::string& collected, NoteList& list);

// A group whose notes still sound where a list ended.
struct OpenGroup {
  bool open = false;
  std::uint32_t value = 0;  // the first note's value and articulation
  std::uint8_t articulation = 0;
  std::vector<std::int8_t> notes;  // every entry from the first, to release
};

// Plays a list read by the playing reader; returns the last answer. With
// `carried`, the list goes on from the one before: a group open there goes
// on, and one open at the end stays open in it (end_group releases it).
int play_notes(RunState& run, std::string_view modes, NoteList& list, OpenGroup* carried = nullptr);
void end_group(RunState& run, OpenGroup& group);

// Plays start, then count further notes each the previous one plus the next
// interval, one after another; durations from element 1.
void play_run(RunState& run, std::int8_t start, std::span<const std::int8_t> intervals,
              std::span<const std::uint32_t> durations);

// The same notes as a chord: start alone for durations[1], then all together
// for durations[2].
void play_chord(RunState& run, std::int8_t start, std::span<const std::int8_t> intervals,
                std::span<const std::uint32_t> durations);

// Plays base + offset for each offset (0 is a rest) with its duration.
void play_pattern(RunState& run, std::int8_t base, std::span<const std::int8_t> offsets,
                  std::span<const std::uint32_t> durations);

}  // namespace velk0
