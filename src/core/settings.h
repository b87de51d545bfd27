// The playback settings and the current material beside them: one record,
// owned by the run and handed to what reads or changes it. Each default is written once,
// here, as the initialiser of its field.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/capacities.h"

namespace velk0 {

using Notes = std::array<std::int8_t, kListSize>;
using Durations = std::array<std::uint32_t, kListSize>;
using Bytes = std::array<std::uint8_t, kListSize>;

// The read form of a tablature: four parallel lists, element 0 holds the count.
struct NoteList {
  Notes notes{};
  Durations durations{};
  Bytes articulations{};
  Bytes marks{};
};

// The count of a list whose element 0 holds it as a byte, kept inside the list.
template <typename T>
int byte_count(std::span<const T> list) {
  if (list.empty()) return 0;
  const int count = static_cast<std::uint8_t>(list[0]);
  return std::min(count, static_cast<int>(list.size()) - 1);
}

// A duration value is 1000 times the divisor of the whole note (a quarter
// note is 4000); a larger value is a shorter note.
constexpr std::uint32_t kDurationUnit = 1000;
constexpr std::uint32_t kQuarterNote = 4 * kDurationUnit;

// The material every reset reads back: the current chord, and the current
// tablature (a scale, which gives the durations their count).
constexpr std::string_view kDefaultChordText = "o3 c e g";
constexpr std::string_view kDefaultScaleText = "o3 c d e f g a b >c\n";
// The current scale until one is chosen: the C major text of the scale table
// whole, so that a chord on any degree reads notes of the scale.
constexpr std::string_view kMajorScaleOfC = "o3 c d e f g a b >cd e f g a b >cde f g a b >c";
// Elements of the current scale beyond its count.
constexpr std::int8_t kScaleFiller = 36;
// The scratch tablature file: what @ojt plays by default, where the
// clipboard's tablature is kept.
constexpr std::string_view kScratchTablaturePath = "\\korvane\\prv.tab";

struct PlaySettings {
  std::int32_t dur = 4;           // note value as the divisor of a whole note (4 = quarter); 1..99
  std::int8_t octa = 3;           // current octave, 0..8 (c of octave 3 is note 36)
  std::int8_t voix = 0;           // voice register: 0 bass, 1 tenor, 2 alto, 3 soprano
  std::int32_t mesuredeb = 1;     // first measure (or note position) of stepwise playback, from 1
  std::int32_t mesurefin = 1000;  // last measure (or note position) of stepwise playback
  std::int32_t repet = 0;         // extra repetitions of the harmony players, 0..11
  std::int8_t ton = 0;            // current key: its tonic in semitones above c, 0..11
  std::int8_t trans = 0;          // transposition in semitones added to every note read
  std::int8_t degre = 1;          // current scale degree, 1..7
  std::int32_t tempo = 60;        // quarter notes per minute (0 waits 1000 ms a note)
  std::int32_t mesure = 1000;     // measure separators met in the last tablature played
  std::int32_t num = 0;           // time-signature numerator; recorded only, never reset
  std::int32_t den = 0;           // time-signature denominator; recorded only, never reset
  std::int32_t canal = 1;         // MIDI channel, 0-based, 0..15 (added to every status byte)
  std::int32_t vol = 127;         // note-on velocity, 0..127
  std::int32_t instru = 0;        // MIDI program number, 0..127
  // Texts of at most kSettingCapacity characters:
  std::string arma;                           // key signature: letter + accidental pairs ("f+c+")
  std::string fictab{kScratchTablaturePath};  // the tablature (or its file) that @ojt plays
  std::string indi;  // stepwise reading: empty whole, " " measure by measure, else the modes

  // The current material, reset with the settings. Texts hold at most
  // kTextCapacity characters; lists keep their count in element 0.
  std::string tabcourante{kDefaultScaleText};  // current tablature, played stepwise
  std::string motif;   // current material text: a scale and its name, a cadence, a motif
  Notes gamme{};       // current scale (note numbers)
  Notes accord{};      // current chord (note numbers)
  Durations durees{};  // duration values the material is played with
};

// A record holding every default (the current material is filled by the
// material reader when the settings are reset).
const PlaySettings& default_settings();

// What every opening of the output device puts back: channel, velocity,
// instrument, note value, transposition, tempo, octave and key signature to
// their defaults, and the measure count to 0.
void reset_device_fields(PlaySettings& s);

// Copies at most `capacity` characters of `value` into `field`.
void set_bounded(std::string& field, std::string_view value, std::size_t capacity);
// Appends what fits of `more` to `text` within `capacity` characters.
void append_bounded(std::string& text, std::string_view more, std::size_t capacity);

}  // namespace velk0
