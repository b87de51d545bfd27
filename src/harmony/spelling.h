// Between tablature text and chords: chord texts, sharp spelling,
// transposition and inversions.
#pragma once

#include <string>
#include <string_view>

#include "harmony/chord.h"

namespace velk0 {

int format_chord_text(std::string_view tablature, std::string& out);
int parse_chord_text(std::string_view text, Chord& chord);
int spell_sharp(int note, std::string& out);
int spell_chord_sharp(const Chord& chord, std::string& out);
int transpose_chord(const Chord& chord, int semitones, Chord& out);
void copy_chord(Chord& dst, const Chord& src);
void put_degree_in_bass(const Chord& chord, int degree, Chord& out);

}  // namespace velk0
