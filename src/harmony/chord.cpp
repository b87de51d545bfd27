// Chords: normal form, interval pattern and naming.
#include "harmony/chord.h"

#include <algorithm>

#include "harmony/naming_table.h"

namespace velk0 {
namespace {

constexpr int kLast = static_cast<int>(kChordSize) - 1;  // highest usable element
// The compaction walks positions 1..19 only.
constexpr int kCompactedPositions = 19;

// The count of a chord, kept inside the buffer whatever element 0 holds.
int note_count(const Chord& chord) { return std::clamp<int>(chord[0], 0, kLast); }

}  // namespace

int normalise_chord(Chord& chord, Chord& scratch) {
  scratch.fill(0);
  int k = 0;
  // Each pass takes the lowest remaining note. With more than 18 notes a note
  // may lie beyond the compacted positions and never be removed; the result
  // cannot hold more than kLast notes, so stop there.
  while (chord[1] != 0 && k < kLast) {
    std::int8_t lowest = chord[1];
    for (int j = 2; j <= kLast && chord[j] != 0; ++j) lowest = std::min(lowest, chord[j]);
    ++k;
    scratch[k] = lowest;

    const int bound = scratch[1] + 20;
    int w = 0;
    for (int j = 1; j <= kCompactedPositions; ++j) {
      if (chord[j] > bound) chord[j] = static_cast<std::int8_t>(chord[j] - 12);
      if (chord[j] != lowest) chord[++w] = chord[j];
    }
  }
  scratch[0] = static_cast<std::int8_t>(k);
  // The whole buffer goes back: the compaction can leave old notes beyond the
  // result, which would be read as notes by the next normalising.
  chord = scratch;
  return k;
}

int chord_pattern(const Chord& chord, StepRow& steps, std::string& pattern) {
  return chord_pattern(chord, note_count(chord), steps, pattern);
}

int chord_pattern(std::span<const std::int8_t> notes, int count, StepRow& steps,
                  std::string& pattern) {
  pattern.clear();
  steps.fill(0);
  const int room = notes.empty() ? 0 : static_cast<int>(std::min(kChordSize, notes.size() - 1));
  const int n = std::clamp(count, 0, room);
  if (n == 0) return 0;
  if (n == 1) {
    pattern = "0 ";
    return 0;
  }
  steps[0] = static_cast<std::int8_t>(n - 1);
  for (int i = 1; i < n; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const auto d = static_cast<std::int8_t>(notes[k + 1] - notes[k]);
    steps[i] = d;
    pattern += std::to_string(d);
    pattern += ' ';
  }
  return n - 1;
}

std::int8_t identify_chord(const Chord& chord, DegreeRow& degrees, std::string& name) {
  if (chord[0] == 0) return 0;
  name = kNotHandledName;

  StepRow steps{};
  std::string pattern;
  const int s = chord_pattern(chord, steps, pattern);
  if (s < 1 || s > 4) {
    degrees[0] = 0;
    return -1;
  }

  const int notes = s + 1;
  degrees[0] = static_cast<std::int8_t>(notes);
  for (const naming::DegreeLine& line : naming::lines_for(notes)) {
    for (const naming::NamedPattern& entry : line.patterns) {
      if (entry.pattern != pattern) continue;
      name = entry.name;
      std::copy(line.degrees.begin(), line.degrees.end(), degrees.begin() + 1);
      return static_cast<std::int8_t>(notes);
    }
  }

  // Not in the table: fixed degrees, the second note of an interval untouched.
  switch (notes) {
    case 2:
      degrees[1] = 1;
      break;
    case 3:
      degrees[1] = 5, degrees[2] = 7, degrees[3] = 1;
      break;
    case 4:
      degrees[1] = 7, degrees[2] = 1, degrees[3] = 3, degrees[4] = 5;
      break;
    default:
      degrees[1] = 13, degrees[2] = 1, degrees[3] = 3, degrees[4] = 5, degrees[5] = 7;
      break;
  }
  return static_cast<std::int8_t>(notes);
}

}  // namespace velk0
