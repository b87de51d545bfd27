// Tablature notation: the material reader, the key-signature rewrite and the
// indications. The playing reader lives in the player (player.h).
#pragma once

#include <string>
#include <string_view>

#include "tablature/settings.h"

namespace velk0 {

// Articulation codes of the playing reader.
enum Articulation : std::uint8_t { kNormal = 0, kLegato = 1, kStaccato = 2, kTenu = 3 };

// Reads `text` into notes and durations (element 0 = count); returns the
// number of measure separators met, as a byte. Changes settings() as the
// tokens say.
int parse_tablature(std::string_view text, Notes& notes, Durations& durations);

// Appends a space to `text`, lower-cases it, and writes it to `out` with the
// key signature's accidentals written onto the notes. May change arma.
// Returns the number of separators.
int apply_key_signature(std::string& text, std::string& out);

// Executes one indication. `kind` is its letter, `text` its text (a nuance is
// rewritten in place), `label` receives the kind's label (left alone for the
// key-signature kind).
void apply_indication(char kind, std::string& text, std::string& label);

}  // namespace velk0
