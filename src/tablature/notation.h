// Tablature notation: the token reader shared by the material reader and the
// player, the key-signature rewrite and the indications.
#pragma once

#include <string>
#include <string_view>

#include "core/settings.h"
#include "midi/run_state.h"

namespace velk0 {

// The brackets that open and close a group of notes sounding together.
constexpr std::string_view kGroupStarts = "([{";
constexpr std::string_view kGroupEnds = ")]}";
inline bool is_group_start(unsigned char c) {
  return c != 0 && kGroupStarts.find(static_cast<char>(c)) != std::string_view::npos;
}
inline bool is_group_end(unsigned char c) {
  return c != 0 && kGroupEnds.find(static_cast<char>(c)) != std::string_view::npos;
}

// Articulation codes of the playing reader.
enum Articulation : std::uint8_t { kNormal = 0, kLegato = 1, kStaccato = 2, kTenu = 3 };

// The two readers. The material reader knows neither `m` nor the group
// brackets and takes tempos from 31 to 260; the playing reader also fills
// articulations and marks and takes tempos from 31 to 239.
enum class Reader : std::uint8_t { kMaterial, kPlaying };

// What a reading reports as it goes, for the player's announcements, measure
// texts and ranges.
class ReadingWatcher {
 public:
  virtual ~ReadingWatcher() = default;
  // Reading starts from the first character, at the start or again after a
  // key signature.
  virtual void started() = 0;
  // An indication has just been executed (label empty for a key signature).
  virtual void indication(char kind, const std::string& text, const std::string& label,
                          int separators) = 0;
  // Any other token has just been read: `text` is how it is written down,
  // `separators` and `count` the separators and notes read so far.
  virtual void token(std::string_view text, bool separator, int separators, int count) = 0;
};

// Reads `text` (cut to 2047 characters, lower-cased) into the lists (element
// 0 = count; articulations and marks are filled only when given). Returns the
// number of separators. Changes the run's settings as the tokens say (an
// instrument indication sends its program change).
int read_tablature(RunState& run, std::string_view text, Reader reader, Notes& notes,
                   Durations& durations, Bytes* articulations, Bytes* marks,
                   ReadingWatcher* watcher);

// Receives the notes of a reading too long for one list, a list at a time.
class NoteSink {
 public:
  virtual ~NoteSink() = default;
  // `list` holds the next notes read (element 0 = count); `last` is set for
  // the notes that end the reading.
  virtual void take(NoteList& list, bool last) = 0;
};

// The playing reader on a text of any length, read as one: what a reading
// carries (octave, articulation, key signature and the accidentals of the
// measure, note value, tempo, a group left open) goes on from one list to
// the next, and a key signature met starts the reading again from the start
// of the text, as in a short one. Zero bytes are no part of the text. Returns
// the number of separators.
int read_whole_tablature(RunState& run, std::string text, NoteList& batch, NoteSink& sink);

// Reads `text` into notes and durations (element 0 = count); returns the
// number of measure separators met, as a byte. Changes the run's settings as
// the tokens say.
int parse_tablature(RunState& run, std::string_view text, Notes& notes, Durations& durations);

// Reads material that an @ command plays: as parse_tablature, but the note
// numbers leave the transposition out (a transposition indication in the
// text still sets trans). The commands add trans once, when they play.
void parse_material(RunState& run, std::string_view text, Notes& notes, Durations& durations);

// Appends a space to `text`, lower-cases it, and writes it to `out` with the
// key signature's accidentals written onto the notes. May change arma.
// Returns the number of separators.
int apply_key_signature(PlaySettings& settings, std::string& text, std::string& out);

// Executes one indication. `kind` is its letter, `text` its text (a nuance is
// rewritten in place), `label` receives the kind's label (left alone for the
// key-signature kind).
void apply_indication(RunState& run, char kind, std::string& text, std::string& label);

}  // namespace velk0
