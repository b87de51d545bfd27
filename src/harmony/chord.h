// Chords: their normal form, their interval pattern and their names.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velk0 {

constexpr std::size_t kChordSize = 50;

// Element 0 is the count, elements 1..count the notes (semitones).
using Chord = std::array<std::int8_t, kChordSize>;
using StepRow = std::array<std::int8_t, kChordSize>;
using DegreeRow = std::array<std::int8_t, kChordSize>;

// The name of a chord the table does not name: "non traité" in code page 850.
constexpr std::string_view kNotHandledName = "non trait\x82";

// Sorts, drops repeated notes and folds wide notes down by octaves, in place;
// `scratch` receives the same result. Returns the number of notes.
int normalise_chord(Chord& chord, Chord& scratch);

// Steps between successive notes into `steps` and, written "%d " each, into
// `pattern`. Returns the number of steps.
int chord_pattern(const Chord& chord, StepRow& steps, std::string& pattern);
// The same for the first `count` notes (from element 1) of any list; at most
// as many notes as a StepRow has room for steps between (kChordSize).
int chord_pattern(std::span<const std::int8_t> notes, int count, StepRow& steps,
                  std::string& pattern);

// Names the chord (code page 850 bytes) and gives each note's degree.
// Returns 0 for an empty chord, -1 for 1 note or more than 5, else the count.
std::int8_t identify_chord(const Chord& chord, DegreeRow& degrees, std::string& name);

}  // namespace velk0
