// Naming what the hands hold: the naming table read by pitch classes.
#include "harmony/held_chord.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <tuple>

#include "core/settings.h"
#include "core/text.h"
#include "harmony/chord.h"
#include "harmony/naming_table.h"
#include "harmony/scales.h"

namespace velk0 {
namespace {

constexpr int kKeys = 128;

// The pitch classes of a voicing as bits above its bass (bit 0 the bass).
using Classes = unsigned;

// A table entry as the keys that play it: its pitch classes, its number of
// notes and its span in semitones.
struct Shape {
  Classes classes = 1;
  int notes = 1;
  int span = 0;
};

Shape shape_of(std::string_view pattern) {
  Shape shape;
  for (std::size_t at = 0; at < pattern.size();) {
    const std::size_t end = std::min(pattern.find(' ', at), pattern.size());
    shape.span += read_integer(pattern.substr(at, end - at));
    shape.classes |= 1u << (shape.span % 12);
    ++shape.notes;
    at = end + 1;
  }
  return shape;
}

int lowest(const KeySet& keys) {
  int key = 0;
  while (key < kKeys && !keys.test(static_cast<std::size_t>(key))) ++key;
  return key;
}

// The keys from the bass up, after the bass's octave: each key's word is the
// one the scale texts write for it, its octave marks from the key before and
// its sharp name ("o4 c e g >c e").
std::string spelled_keys(const KeySet& keys) {
  PlaySettings settings = default_settings();
  settings.ton = 0;
  settings.octa = static_cast<std::int8_t>(lowest(keys) / 12);
  std::string line = format_text("o%d", settings.octa), word;
  for (int key = 0; key < kKeys; ++key) {
    if (!keys.test(static_cast<std::size_t>(key))) continue;
    const std::int8_t note[] = {1, static_cast<std::int8_t>(key)};
    notes_to_tablature(settings, note, word);
    line += ' ';
    line += word;
    settings.octa = static_cast<std::int8_t>(key / 12);
  }
  return line;
}

}  // namespace

std::string_view held_chord_name(const KeySet& keys) {
  if (keys.count() < 2) return {};
  const int bass = lowest(keys);
  Classes classes = 0;
  for (int key = bass; key < kKeys; ++key)
    if (keys.test(static_cast<std::size_t>(key))) classes |= 1u << ((key - bass) % 12);

  // Where several entries name the same bass and pitch classes, the one with
  // the fewest notes (no degree doubled), then one whose bass is its root,
  // then the narrowest, then the first in the table. So the close position
  // from the bass (each pitch class once, rising within an octave) keeps the
  // name #n gives it wherever the table has it: c e g b- is "7", not the
  // "majeur 7" of c b- e g; intervals are named within the octave.
  std::string_view name = kNotHandledName;
  std::tuple<int, bool, int> best{INT_MAX, true, INT_MAX};
  for (int notes = 2; notes <= 5; ++notes) {
    for (const naming::DegreeLine& line : naming::lines_for(notes)) {
      const bool inverted = *line.degrees.begin() != 1;
      for (const naming::NamedPattern& entry : line.patterns) {
        const Shape shape = shape_of(entry.pattern);
        const std::tuple<int, bool, int> rank{shape.notes, inverted, shape.span};
        if (shape.classes != classes || !(rank < best)) continue;
        best = rank;
        name = entry.name;
      }
    }
  }
  return name;
}

std::string held_chord_line(const KeySet& keys) {
  if (keys.none()) return {};
  if (keys.count() == 1) return spelled_keys(keys);
  std::string line(held_chord_name(keys));
  return line + " : " + spelled_keys(keys);
}

}  // namespace velk0
