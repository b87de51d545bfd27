// Chord texts, sharp spelling, transposition and inversions.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "harmony/spelling.h"
#include "harmony_test_util.h"

namespace velk0 {
namespace {

const std::string kDoubleFlat = "\xE1";

using testing::chord_of;

std::vector<int> notes_of(const Chord& chord) {
  return std::vector<int>(chord.begin() + 1, chord.begin() + 1 + chord[0]);
}

TEST(HarmonyChordText, FormatsOneWordPerNote) {
  struct Case {
    std::string tablature;
    std::string text;
  };
  const Case cases[] = {
      {"o3 c d e f g a b >c", "c d e f g a b >c "},
      {"c+eg", "c+ e g "},
      {"c4e8g", "c e g "},
      {"c<e", "c <e "},
      {"<<c e", "< <c e "},
      {"d-e-f g-a-b->c", "d- e- f g- a- b- >c "},
      {"c" + kDoubleFlat + "d*e", "c" + kDoubleFlat + " d* e "},
      {"c+-d", "c+- d "},
      {"c->d", "c- >d "},
      {"d>", "d > "},
      {"ceg|ceg", "c e g c e g "},
      {"", " "},
      {"1234 .|", " "},
  };
  for (const auto& c : cases) {
    std::string out = "previous";
    EXPECT_EQ(format_chord_text(c.tablature, out), static_cast<int>(c.text.size())) << c.tablature;
    EXPECT_EQ(out, c.text) << c.tablature;
  }
}

TEST(HarmonyChordText, RefusesATextWithAnIndication) {
  for (const char* text : {"ceg i", "iv100:ceg", "i"}) {
    std::string out = "previous";
    EXPECT_EQ(format_chord_text(text, out), 0) << text;
    EXPECT_EQ(out, "") << text;
  }
}

TEST(HarmonyChordText, Parses) {
  struct Case {
    std::string text;
    std::vector<int> notes;
  };
  const Case cases[] = {
      {"c e g ", {36, 40, 43}},
      {"e g c ", {40, 43, 48}},
      {"b d f a ", {47, 50, 53, 57}},
      {"c c e g ", {36, 48, 52, 55}},
      {"c* e" + kDoubleFlat + " g ", {38, 50, 55}},
      {"< <c e ", {36, 48, 52}},
      {"c b d c ", {36, 47, 50, 48}},
      {"c- ", {35}},
      {"b+ c ", {48, 48}},
      {"", {36}},
      {" ", {36}},
      {"c d e f g a b >c ", {36, 38, 40, 41, 43, 45, 47, 48}},
  };
  for (const auto& c : cases) {
    Chord chord;
    chord.fill(77);
    EXPECT_EQ(parse_chord_text(c.text, chord), static_cast<int>(c.notes.size())) << c.text;
    EXPECT_EQ(notes_of(chord), c.notes) << c.text;
    for (std::size_t i = c.notes.size() + 1; i < chord.size(); ++i) EXPECT_EQ(chord[i], 0);
  }
}

TEST(HarmonyChordText, StopsAtTheLastElement) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "c+++ ";
  Chord chord{};
  EXPECT_EQ(parse_chord_text(text, chord), 49);
  EXPECT_EQ(chord[0], 49);
  EXPECT_EQ(chord[1], 39);

  // Runs of accidentals wrap in 8 bits instead of overflowing.
  Chord wrapped{};
  parse_chord_text("c" + std::string(200, '+') + " ", wrapped);
  EXPECT_EQ(wrapped[1], static_cast<std::int8_t>(200 + 36));
}

TEST(HarmonySpelling, SharpNames) {
  const char* const names[] = {"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};
  for (int note : {0, 12, 36, 120}) {
    for (int pc = 0; pc < 12 && note + pc < 128; ++pc) {
      std::string out;
      EXPECT_EQ(spell_sharp(note + pc, out), 0);
      EXPECT_EQ(out, names[pc]) << note + pc;
    }
  }
  std::string out = "previous";
  EXPECT_EQ(spell_sharp(-1, out), 1);
  EXPECT_EQ(out, "");
}

TEST(HarmonySpelling, ChordWithSharps) {
  struct Case {
    Chord chord;
    std::string text;
    int result;
  };
  const Case cases[] = {
      {chord_of({41, 43, 45, 46, 48}), "f g a a+ c ", 5},
      {chord_of({33, 37, 40}), "a c+ e ", 3},
      {chord_of({-5, 36}), " c ", 2},
      {Chord{}, "", 0},
  };
  for (const auto& c : cases) {
    std::string out = "previous";
    EXPECT_EQ(spell_chord_sharp(c.chord, out), c.result);
    EXPECT_EQ(out, c.text);
  }
}

TEST(HarmonyTranspose, ShiftsEveryNoteIn8Bits) {
  struct Case {
    Chord chord;
    int semitones;
    std::vector<int> notes;
  };
  const Case cases[] = {
      {chord_of({36, 40, 43}), -3, {33, 37, 40}},
      {chord_of({36, 40, 43}), 5, {41, 45, 48}},
      {chord_of({43, 36}), 0, {43, 36}},
      {chord_of({120, -120}), 10, {-126, -110}},
      {chord_of({36}), 256 + 2, {38}},
      {chord_of({36}), INT_MAX, {35}},
      {chord_of({36}), INT_MIN, {36}},
  };
  for (const auto& c : cases) {
    Chord out{};
    EXPECT_EQ(transpose_chord(c.chord, c.semitones, out), static_cast<int>(c.notes.size()));
    EXPECT_EQ(notes_of(out), c.notes) << c.semitones;
  }
}

TEST(HarmonyCopyChord, CopiesTheCountAndTheNotesOnly) {
  const Chord src = chord_of({36, 40, 43});
  Chord dst;
  dst.fill(9);
  copy_chord(dst, src);
  EXPECT_EQ(notes_of(dst), (std::vector<int>{36, 40, 43}));
  EXPECT_EQ(dst[4], 9);
}

TEST(HarmonyInversion, PutsTheDegreeInTheBass) {
  struct Case {
    Chord chord;
    int degree;
    std::vector<int> notes;
  };
  const Case cases[] = {
      {chord_of({36, 40, 43}), 3, {28, 36, 43}},
      {chord_of({36, 40, 43}), 5, {31, 36, 40}},
      {chord_of({36, 40, 43}), 1, {36, 40, 43}},
      {chord_of({36, 40, 43, 46}), 7, {34, 36, 40, 43}},
      {chord_of({40, 43, 48}), 1, {36, 40, 43}},
      // No note with that degree: the chord comes back as it is.
      {chord_of({36, 40, 43}), 0, {36, 40, 43}},
      {chord_of({36, 40, 43}), 9, {36, 40, 43}},
      // Not in the table (steps 5 6): the fallback degrees 5 7 1 are used.
      {chord_of({36, 41, 47}), 1, {35, 36, 41}},
      // Ninth chord, ninth in the bass.
      {chord_of({36, 40, 43, 46, 50}), 9, {26, 36, 40, 43, 46}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(notes_of(c.chord)) + " " + std::to_string(c.degree));
    Chord out{};
    put_degree_in_bass(c.chord, c.degree, out);
    EXPECT_EQ(notes_of(out), c.notes);

    Chord same = c.chord;
    put_degree_in_bass(same, c.degree, same);
    EXPECT_EQ(notes_of(same), c.notes) << "output in place of the input";
  }
}

}  // namespace
}  // namespace velk0
