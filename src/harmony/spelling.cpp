// Between tablature text and chords.
#include "harmony/spelling.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "core/note_text.h"

namespace velk0 {
namespace {

constexpr int kLast = static_cast<int>(kChordSize) - 1;
constexpr char kDoubleFlat = '\xE1';

bool is_letter(char c) { return c >= 'a' && c <= 'g'; }
bool is_octave_mark(char c) { return c == '<' || c == '>'; }

int note_count(const Chord& chord) { return std::clamp<int>(chord[0], 0, kLast); }

// Pitch class of a note letter, c = 0.
int pitch_class(char letter) {
  switch (letter) {
    case 'c':
      return 0;
    case 'd':
      return 2;
    case 'e':
      return 4;
    case 'f':
      return 5;
    case 'g':
      return 7;
    case 'a':
      return 9;
    default:
      return 11;
  }
}

std::int8_t shifted(std::int8_t note, int by) { return static_cast<std::int8_t>(note + by); }

}  // namespace

int format_chord_text(std::string_view tablature, std::string& out) {
  out.clear();
  if (tablature.find('i') != std::string_view::npos) return 0;

  std::string kept;
  for (char c : tablature) {
    if (is_letter(c) || is_accidental(c) || is_octave_mark(c)) kept += c;
  }

  // One word per note: octave marks stay in front of their note, accidentals
  // behind their letter.
  std::string words;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const char c = kept[i];
    words += c;
    if (i + 1 >= kept.size()) break;
    const char x = kept[i + 1];
    if ((is_accidental(c) && is_letter(x)) || is_octave_mark(x)) {
      words += ' ';
      words += x;
      ++i;
    } else if (is_letter(x) && is_letter(c)) {
      words += ' ';
    }
  }
  words += ' ';

  // A letter taken in right after a separated one still touches the next.
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0 && is_letter(words[i - 1]) && is_letter(words[i])) out += ' ';
    out += words[i];
  }
  return static_cast<int>(out.size());
}

int parse_chord_text(std::string_view text, Chord& chord) {
  chord.fill(0);
  int count = 1;
  // Every character but the closing blank. Words past the last element of the
  // chord are not read.
  const std::size_t end = text.empty() ? 0 : text.size() - 1;
  for (std::size_t i = 0; i < end; ++i) {
    const char c = text[i];
    if (c == ' ') {
      if (count == kLast) break;
      ++count;
    } else if (is_letter(c)) {
      chord[count] = static_cast<std::int8_t>(pitch_class(c));
    } else if (c == '+') {
      chord[count] = shifted(chord[count], 1);
    } else if (c == '-') {
      chord[count] = shifted(chord[count], -1);
    } else if (c == '*') {
      chord[count] = shifted(chord[count], 2);
    } else if (c == kDoubleFlat) {
      chord[count] = shifted(chord[count], -2);
    }
  }
  chord[0] = static_cast<std::int8_t>(count);
  for (int i = 1; i <= count; ++i) chord[i] = shifted(chord[i], 36);
  for (int i = 2; i <= count; ++i) {
    if (chord[i] <= chord[i - 1]) chord[i] = shifted(chord[i], 12);
  }
  return count;
}

int spell_sharp(int note, std::string& out) {
  if (note < 0) {
    out.clear();
    return 1;
  }
  out = kSharpNoteNames[static_cast<std::size_t>(note % 12)];
  return 0;
}

int spell_chord_sharp(const Chord& chord, std::string& out) {
  out.clear();
  const int n = note_count(chord);
  std::string name;
  for (int i = 1; i <= n; ++i) {
    spell_sharp(chord[i], name);
    out += name;
    out += ' ';
  }
  return n;
}

int transpose_chord(const Chord& chord, int semitones, Chord& out) {
  const int n = note_count(chord);
  // Only the low eight bits of the interval matter in 8-bit note arithmetic.
  const auto by = static_cast<std::uint8_t>(static_cast<std::uint32_t>(semitones) & 0xFFu);
  out[0] = static_cast<std::int8_t>(n);
  for (int i = 1; i <= n; ++i) out[i] = shifted(chord[i], by);
  return n;
}

void copy_chord(Chord& dst, const Chord& src) {
  const int n = note_count(src);
  std::copy_n(src.begin(), n + 1, dst.begin());
}

void put_degree_in_bass(const Chord& given, int degree, Chord& out) {
  const Chord chord = given;  // `out` may be the chord itself
  DegreeRow degrees{};
  std::string name;
  identify_chord(chord, degrees, name);

  if (degrees[1] == degree) {
    copy_chord(out, chord);
    return;
  }

  Chord work{};
  const int n = note_count(chord);
  for (int i = 1; i <= n; ++i) {
    work[i] = chord[i];
    if (degrees[i] != degree) continue;
    work[i] = work[1];
    work[1] = shifted(chord[i], -12);
    if (work[1] > chord[1]) work[1] = shifted(work[1], -12);
  }
  normalise_chord(work, out);
}

}  // namespace velk0
