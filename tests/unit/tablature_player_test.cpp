#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "midi/midi_out.h"
#include "tablature/notation.h"
#include "tablature/player.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Box;
using testing::Midi;

using testing::off;
using testing::on;

class PlayerTest : public testing::PlatformTest {
 protected:
  int play(std::string_view text, std::string_view modes = "", int first = 1, int last = 1000) {
    return play_tablature(state(), text, modes, first, last, collected, list);
  }
  std::string collected;
  NoteList list;
};

TEST_F(PlayerTest, NotesRestsGroupsAndArticulations) {
  struct Case {
    const char* text;
    std::vector<Midi> midi;
    std::vector<int> waits;
  } cases[] = {
      {"o3 c e g", {on(36), off(36), on(40), off(40), on(43), off(43)}, {1000, 1000, 1000}},
      {"c p 8d", {on(36), off(36), on(38), off(38)}, {1000, 1000, 500}},
      {"(c e g)", {on(36), on(40), on(43), off(36), off(40), off(43)}, {1000}},
      {"(c 8e) d", {on(36), on(40), off(36), off(40), on(38), off(38)}, {1000, 500}},
      {"ms c", {on(36), off(36)}, {875, 125}},
      {"ml c", {on(36), off(36)}, {1000}},
      {"mt c", {on(36), off(36)}, {1000}},  // tenu sounds its whole value
      {"(ms c e)", {on(36), on(40), off(36), off(40)}, {875, 125}},
      {"(c p e)", {on(36), on(40), off(36), off(0), off(40)}, {1000, 1000}},  // the rest waits
      // A group never closed is released with the end of the list.
      {"(c e g", {on(36), on(40), on(43), off(36), off(40), off(43)}, {1000}},
      {"c (d e", {on(36), off(36), on(38), on(40), off(38), off(40)}, {1000, 1000}},
      // The last tempo and volume read hold for every note.
      {"t120 c t60 d iv90:", {{0x91, 36, 90}, off(36), {0x91, 38, 90}, off(38)}, {1000, 1000}},
      {"2c 1c t40 1c", {on(36), off(36), on(36), off(36), on(36), off(36)}, {3000, 4000, 4000}},
  };
  for (const Case& c : cases) {
    start();
    open_midi_device(state());
    clear_trace();
    EXPECT_EQ(play(c.text), 0) << c.text;
    EXPECT_EQ(midi(), c.midi) << c.text;
    EXPECT_EQ(waits(), c.waits) << c.text;
  }
}

TEST_F(PlayerTest, CommandLineTablatureSoundsItsFirstHundredNotes) {
  std::string text;
  for (int i = 0; i < 150; ++i) text += "c";
  run({text});
  EXPECT_EQ(notes_on().size(), 100u);
}

TEST_F(PlayerTest, RangeOfNotePositions) {
  play("c d e f", "", 2, 3);
  EXPECT_EQ(notes_on(), (std::vector<Midi>{on(38), on(40)}));
  EXPECT_EQ(list.durations[0], 2u);
  clear_trace();
  play("c d", "", 3, 9);
  EXPECT_TRUE(midi().empty());
  play("c d", "", 0, 1);  // element 0 is never a note
  EXPECT_EQ(notes_on(), (std::vector<Midi>{on(36)}));
}

TEST_F(PlayerTest, RangeOfMeasuresShowsEachMeasure) {
  start("oooo");
  EXPECT_EQ(play("c d | e f | g", "m", 2, 2), 6);
  std::vector<Box> b = boxes();
  ASSERT_EQ(b.size(), 4u);
  EXPECT_EQ(b[0].text, "mesure 2 ");
  EXPECT_EQ(b[0].caption, " e f ");
  EXPECT_EQ(b[1].caption, "noire");
  EXPECT_EQ(b[2].text, "mi");
  EXPECT_EQ(b[3].text, "fa");
  EXPECT_EQ(notes_on(), (std::vector<Midi>{on(40), on(41)}));
  EXPECT_EQ(collected, " e f  g");
  EXPECT_EQ(settings().mesure, 2);

  start("oooooooooo");
  play("t90 4c | d", "m", 1, 2);
  EXPECT_EQ(captions()[0], "t90  4 c ");
  EXPECT_EQ(boxes().size(), 4u);  // measure 2 has no separator after it
  EXPECT_EQ(collected, "t90  4 c  d");
  EXPECT_EQ(notes_on(), (std::vector<Midi>{on(36), on(38)}));
}

TEST_F(PlayerTest, AnswersWhileReadingAndPlaying) {
  start("n");
  EXPECT_EQ(play("ipla la la:c", "p"), 7);
  EXPECT_EQ(boxes()[0].text, "la la la");
  EXPECT_EQ(boxes()[0].caption, "paroles");
  EXPECT_TRUE(midi().empty());

  // Cancel on a note's name: the note still sounds, then the player stops.
  start("oa");
  EXPECT_EQ(play("c d", "x"), 2);
  EXPECT_EQ(notes_on(), (std::vector<Midi>{on(36)}));

  // No before the name: the note stays silent, an open group is released.
  start("ooooon");
  EXPECT_EQ(play("(c e) ml g", "x"), 7);
  EXPECT_EQ(captions(), (std::vector<std::string>{"d\u00e9but", "noire", "", "", "fin", "mode"}));
  EXPECT_EQ(midi(), (std::vector<Midi>{on(36), on(40), off(36), off(40)}));
}

TEST_F(PlayerTest, AnnouncementWords) {
  struct Case {
    std::int8_t note;
    std::uint32_t value;
    std::uint8_t articulation, mark;
    std::vector<std::pair<std::string, std::string>> boxes;  // text, caption
  } cases[] = {
      {36, 3000, kNormal, 0, {{"triolet de blanche", ""}, {"do", ""}}},
      {37,
       2666,
       kLegato,
       'a',
       {{"legato", "mode"},
        {"", "allegro"},
        {"", "noire point\u00e9e"},
        {"r\u00e9 b\u00e9mol", ""}}},
      {38,
       32000,
       kTenu,
       'm',
       {{"tenu", "mode"}, {"", "mod\u00e9rato"}, {"triple croche", ""}, {"r\u00e9", ""}}},
      {0, 16000, kNormal, 'e', {{"", "fort\u00e9"}, {"quart de  soupir", ""}}},
      {0, 666, kNormal, 0, {{"", "pause point\u00e9e"}}},
      {0, 32000, kNormal, 0, {{"huiti\u00e8me de soupir", ""}}},
      {-1, 4000, kNormal, 'z', {{"", "noire"}, {"si", ""}}},
      {0, 777, kNormal, 0, {}},
  };
  for (const Case& c : cases) {
    start("oooo");
    NoteList l;
    l.durations[0] = 1;
    l.notes[1] = c.note;
    l.durations[1] = c.value;
    l.articulations[1] = c.articulation;
    l.marks[1] = c.mark;
    play_notes(state(), "x", l);
    std::vector<std::pair<std::string, std::string>> shown;
    for (const Box& b : boxes()) shown.emplace_back(b.text, b.caption);
    EXPECT_EQ(shown, c.boxes) << int(c.note) << " " << c.value;
  }
}

TEST_F(PlayerTest, NoteNamesFollowTheKeySignature) {
  NoteList l;
  l.durations[0] = 1;
  l.notes[1] = 37;
  l.durations[1] = 4000;
  start("oo");
  settings().arma = "f+c+";
  play_notes(state(), "x", l);
  EXPECT_EQ(boxes().back().text, "do di\u00e8se");
  start("oo");
  play_notes(state(), "x", l);
  EXPECT_EQ(boxes().back().text, "r\u00e9 b\u00e9mol");
}

TEST_F(PlayerTest, OctaveFollowsTheLastNotePlayed) {
  play("o3 >>c");
  EXPECT_EQ(settings().octa, 5);
}

TEST_F(PlayerTest, SmallPlayers) {
  const std::vector<std::int8_t> steps = {2, 4, 3};
  const std::vector<std::uint32_t> durations = {0, 4000, 8000, 2000};
  play_run(state(), 48, steps, durations);
  EXPECT_EQ(midi(), (std::vector<Midi>{on(48), off(48), on(52), off(52), on(55), off(55)}));
  EXPECT_EQ(waits(), (std::vector<int>{1000, 500, 2000}));

  clear_trace();
  play_chord(state(), 48, steps, durations);
  EXPECT_EQ(midi(), (std::vector<Midi>{on(48), on(52), on(55), off(48), off(52), off(55)}));
  EXPECT_EQ(waits(), (std::vector<int>{1000, 500}));

  clear_trace();  // one note: it sounds its first value and is released
  play_chord(state(), 48, std::vector<std::int8_t>{0}, durations);
  EXPECT_EQ(midi(), (std::vector<Midi>{on(48), off(48)}));
  EXPECT_EQ(waits(), (std::vector<int>{1000}));

  clear_trace();
  play_pattern(state(), 12, std::vector<std::int8_t>{3, 24, 0, 28}, durations);
  EXPECT_EQ(midi(), (std::vector<Midi>{on(36), off(36), on(40), off(40)}));
  EXPECT_EQ(waits(), (std::vector<int>{1000, 500, 2000}));

  clear_trace();  // a list shorter than its count reads missing values as 0
  play_run(state(), 60, std::vector<std::int8_t>{1, 5}, std::vector<std::uint32_t>{0});
  EXPECT_EQ(waits(), (std::vector<int>{1000, 1000}));
}

}  // namespace
}  // namespace velk0
