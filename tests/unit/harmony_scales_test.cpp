// Scale texts and note lists written as tablature.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"
#include "core/text.h"
#include "harmony/scales.h"
#include "tablature/notation.h"

namespace velk0 {
namespace {

// mode, key, text between double quotes (blanks inside count).
constexpr const char* kScaleTexts = R"(
major           0 "o3 c d e f g a b >cd e f g a b >cde f g a b >c"
major           1 "o3 d-e-f g-a-b->cd-e-f g-a-b->cd-e-f g-a-b->cd-"
major           2 "o3 d e f+g a b>c+d e f+g a b>c+d e f+ g a b>c+d"
major           3 "o3 e-f g a-b->cd e-f g a-b->cd e-f g a-b->cd e-"
major           4 "o3 e f+g+a b>c+d+e f+g+a b>c+d+e f+g+a b>c+d+e "
major           5 "o3 f g a b->cd e f g a b->cd e f g a b->cd e f "
major           6 "o3 f+g+a+b>c+d+e+f+g+a+b>c+d+e+f+g+a+b>c+d+e+f+"
major           7 "o3 g a b>c d e f+g a b>c d e f+g a b>c d e f+g "
major           8 "o3 a-b->cd-e-f g a-b->cd-e-f g a-b->cd-e-f g a-"
major           9 "o3 a b>c+d e f+g+a b>c+d e f+g+a b>c+ d e f+g+a "
major          10 "o3 b->cd e-f g a b->cd e-f g a b->cd e-f g a b-"
major          11 "o3 b>c+d+e f+g+a+b>c+d+e f+g+a+b>c+d+e f+g+a+b "
natural-minor   0 "o3 c d e-f g a-b->cd e-f g a-b->cde-f g a-b->c"
natural-minor   1 "o3 c+d+e f+g+a b>c+d+e f+g+a b>c+d+e f+g+a b>c+"
natural-minor   2 "o3 d e f g a b->cd e f g a b->cd e f g a b->cd "
natural-minor   3 "o3 d+e+f+g+a+b>c+d+e+f+g+a+b>c+d+e+f+g+a+b>c+d+"
natural-minor   4 "o3 e f+g a b>c d e f+g a b>c d e f+g a b>c d e "
natural-minor   5 "o3 f g a-b->cd-e-f g a-b->cd-e-f g a-b->cd-e-f "
natural-minor   6 "o3 f+g+a b>c+d e f+g+a b>c+d e f+g+a b>c+d e f+"
natural-minor   7 "o3 g a b->cd e-f g a b->cd e-f g a b->cd e-f g "
natural-minor   8 "o3 a-b-b>d-e-f-g-a-b-b>d-e-f-g-a-b-b>d-e-f-g-a-"
natural-minor   9 "o3 a b>c d e f g a b>c d e f g a "
natural-minor  10 "o3 b->cd-e-f g-a-b->cd-e-f g-a-b-"
natural-minor  11 "o3 b>c+d e f+g a b>c+d e f+g a b>c+d e f+g a b "
harmonic-minor  0 "o3 c d e-f g a-b0>cd e-f g a-b0>cde-f g a-b0>c"
harmonic-minor  1 "o3 c+d+e f+g+a >cc+d+e f+g+a >cc+d+e f+g+a >cc+"
harmonic-minor  2 "o3 d e f g a b-> c+d e f g a b-> c+d e f g a b-> c+d "
harmonic-minor  3 "o3 d+e+f+g+a+b>c*d+e+f+g+a+b>c*d+e+f+g+a+b>c*d+"
harmonic-minor  4 "o3 e f+g a b>c d+e f+g a b>c d+e f+g a b>c d+e "
harmonic-minor  5 "o3 f g a-b->cd-e0f g a-b->cd-e0f g a-b->cd-e0f "
harmonic-minor  6 "o3 f+g+a b>c+d e+f+g+a b>c+d e+f+g+a b>c+d e+f+"
harmonic-minor  7 "o3 g a b->cd e-f+g a b->cd e-f+g a b->cd e-f+g "
harmonic-minor  8 "o3 a-b-b>d-e-f-g0a-b-b>d-e-f-g0a-b-b>d-e-f-g0a-"
harmonic-minor  9 "o3 a b>c d e f g+a b>c d e f g+a "
harmonic-minor 10 "o3 b->cd-e-f g-a0b->cd-e-f g-a0b-"
harmonic-minor 11 "o3 b>c+d e f+g a+b>c+d e f+g a+b>c+d e f+g a+b "
melodic-minor   0 "o3 c d e-f g a0b0>cd e-f g a0b0>cde-f g a0b0>c"
melodic-minor   1 "o3 c+d+e f+g+a+>cc+d+e f+g+a+>cc+d+e f+g+a+>cc+"
melodic-minor   2 "o3 d e f g a b>c+d e f g a b>c+d e f g a b>c+d "
melodic-minor   3 "o3 d+e+f+g+a+>cc*d+e+f+g+a+>cc*d+e+f+g+a+>cc*d+"
melodic-minor   4 "o3 e f+g a b>c+d+e f+g a b>c+d+e f+g a b>c+d+e "
melodic-minor   5 "o3 f g a-b->cd0e0f g a-b->cd0e0f g a-b->cd0e0f "
melodic-minor   6 "o3 f+g+a b>c+d+e+f+g+a b>c+d+e+f+g+a b>c+d+e+f+"
melodic-minor   7 "o3 g a b->cd e0f+g a b->cd e0f+g a b->cd e0f+g "
melodic-minor   8 "o3 a-b-b>d-e-f0g0a-b-b>d-e-f0g0a-b-b>d-e-f0g0a-"
melodic-minor   9 "o3 a b>c d e f+g+a b>c d e f+g+a "
melodic-minor  10 "o3 b->cd-e-f g0a0b->cd-e-f g0a0b-"
melodic-minor  11 "o3 b>c+d e f+g+a+b>c+d e f+g+a+b>c+d e f+g+a+b "
whole-tone      0 "o3 c d e f+g+a+>cd e f+g+a+>cd e f+g+a+>c"
whole-tone      1 "o3 d-e-f g a b>d-e-f g a b>d-e-f g a b>d-"
whole-tone      2 "o3 d e f+g+a+>cd e f+g+a+>cd e f+g+a+>cd "
whole-tone      3 "o3 e-f g a b>d-e-f g a b>d-e-f g a b>d-e-"
whole-tone      4 "o3 e f+g+a+>cd e f+g+a+>cd e f+g+a+>c d e "
whole-tone      5 "o3 f g a b>d-e-f g a b>d-e-f g a b>d-e-f "
whole-tone      6 "o3 f+g+a+>cd e f+g+a+>cd e f+g+a+>cd e f+"
whole-tone      7 "o3 g a b>c+d+f g a b>c+d+f g a b>c+d+f g "
whole-tone      8 "o3 a-b->cd e g-a-b->cd e g-a-b->cd e g-a-"
whole-tone      9 "o3 a b>c+d+f g a b>c+d+f g a b>c+d+f g a "
whole-tone     10 "o3 b->cd e g-a-b->cd e g-a-b->c d e g-a-b-"
whole-tone     11 "o3 b>c+d+f g a b>c+d+f g a b>c+d+f g a b "
minor-blues     0 "o3 c e-f f+g b->ce-f f+g b->ce-f f+g b->c"
minor-blues     1 "o3 d-e g-g a-b>d-e g-g a-b>d-e g-g a-b>d-"
minor-blues     2 "o3 d f g g+a >cd f g g+a >cd f g g+a >cd "
minor-blues     3 "o3 e-g-a-a b->d-e-g-a-a b->d-e-g-a-a b->d-e-"
minor-blues     4 "o3 e g a a+b >de g a a+b >de g a a+b >de "
minor-blues     5 "o3 f a-b-b >ce-f a-b-b >ce-f a-b-b >ce-f "
minor-blues     6 "o3 f+a b >cc+e f+a b >cc+e f+a b >cc+e f+"
minor-blues     7 "o3 g b->cd-d f g b->cd-d f g b->cd-d f g "
minor-blues     8 "o3 a-b>d-d e-g-a-b>d-d e-g-a-b>d-d e-g-a-"
minor-blues     9 "o3 a >cd d+e g a >cd d+e g a >cd d+e g a "
minor-blues    10 "o3 b->d-e-e f a-b->d-e-e f a-b->d-e-e f a-b-"
minor-blues    11 "o3 b >de f f+a b >de f f+a b >de f f+a b "
major-blues     0 "o3 c e-e g a >ce-e g a >ce-e g a >c"
major-blues     1 "o3 d-e f a-b->d-efa-b->d-e f a-b->d-"
major-blues     2 "o3 d f f+a b >df f+a b >df f+a b >d"
major-blues     3 "o3 e-g-g b->ce-g-g b->ce-g-g b->ce-"
major-blues     4 "o3 e g g+b>c+e g g+b>c+e g g+b>c+e "
major-blues     5 "o3 f a-a >cd f a-a >cd f a-a >cd f "
major-blues     6 "o3 f+a a+>c+d+f+aa+>c+d+f+aa+>c+d+f+"
major-blues     7 "o3 g b-b >de g b-b >de g b-b >de g b-b >de g "
major-blues     8 "o3 a-b >ce-f a-b >ce-f a-b >ce-f a-"
major-blues     9 "o3 a >cc+e f+a >cc+e f+a >cc+e f+a "
major-blues    10 "o3 b->d-dfgb->d-df g b->d-dfg b-"
major-blues    11 "o3 b >dd+f+g+b >dd+f+g+b >dd+f+g+b "
)";

struct ScaleLine {
  std::string mode;
  int key;
  std::string text;
};

std::vector<ScaleLine> scale_lines() {
  std::vector<ScaleLine> out;
  std::istringstream in(kScaleTexts);
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    ScaleLine s;
    fields >> s.mode >> s.key;
    const auto open = line.find('"');
    const auto close = line.rfind('"');
    s.text = line.substr(open + 1, close - open - 1);
    out.push_back(s);
  }
  return out;
}

const std::map<std::string, ScaleMode> kModes = {
    {"major", ScaleMode::major},
    {"melodic-minor", ScaleMode::melodic_minor},
    {"harmonic-minor", ScaleMode::harmonic_minor},
    {"natural-minor", ScaleMode::natural_minor},
    {"whole-tone", ScaleMode::whole_tone},
    {"minor-blues", ScaleMode::minor_blues},
    {"major-blues", ScaleMode::major_blues},
};

// A run state of the tests' own: the scale texts read the key, the reader
// the settings; no service is reached.
class HarmonyScales : public ::testing::Test {
 protected:
  RunState& state() { return run_; }
  PlaySettings& settings() { return run_.settings; }

 private:
  platform::Platform services_;
  RunState run_{services_};
};

TEST_F(HarmonyScales, EveryModeAndKeyGivesItsText) {
  const auto lines = scale_lines();
  ASSERT_EQ(lines.size(), 84u);
  for (const auto& line : lines) {
    SCOPED_TRACE(line.mode + " " + std::to_string(line.key));
    settings().ton = static_cast<std::int8_t>(line.key);
    std::string out = "previous";
    scale_text(settings(), kModes.at(line.mode), out);
    EXPECT_EQ(out, line.text);
  }
}

// Every text, as the player reads it, climbs from its key's tonic in octave 3
// by the steps of its mode, over and over, for at least an octave. Cut as
// @hj cuts it, an octave from any degree (the blues texts give their notes
// no even places): the degree's note and the notes up to its octave, cut
// where the text's characters would put them but for an octave mark in a
// place of its own.
TEST_F(HarmonyScales, EveryTextFollowsTheStepsOfItsMode) {
  const std::map<ScaleMode, std::vector<int>> kSteps = {
      {ScaleMode::major, {2, 2, 1, 2, 2, 2, 1}},
      {ScaleMode::melodic_minor, {2, 1, 2, 2, 2, 2, 1}},
      {ScaleMode::harmonic_minor, {2, 1, 2, 2, 1, 3, 1}},
      {ScaleMode::natural_minor, {2, 1, 2, 2, 1, 2, 2}},
      {ScaleMode::whole_tone, {2, 2, 2, 2, 2, 2}},
      {ScaleMode::minor_blues, {3, 2, 1, 1, 3, 2}},
      {ScaleMode::major_blues, {3, 1, 3, 2, 3}},
  };
  for (const auto& [mode, steps] : kSteps) {
    for (int key = 0; key < 12; ++key) {
      settings().ton = static_cast<std::int8_t>(key);
      std::string text;
      scale_text(settings(), mode, text);
      SCOPED_TRACE(text);
      Notes notes{};
      Durations durations{};
      parse_tablature(state(), text, notes, durations);
      ASSERT_GT(notes[0], static_cast<int>(steps.size()));
      EXPECT_EQ(notes[1], 36 + key);
      for (int i = 2; i <= notes[0]; ++i)
        EXPECT_EQ(notes[i] - notes[i - 1], steps[(i - 2) % steps.size()]) << "note " << i;
      if (mode == ScaleMode::minor_blues || mode == ScaleMode::major_blues) continue;
      const int places = static_cast<int>(steps.size()) + 1;
      const bool own_mark_place = text.find("> ") != std::string::npos;
      for (int degree = 1; degree < places; ++degree) {
        std::string cut, characters;
        cut_note_places(text, degree, places, cut);
        copy_substring(characters, text, 2 * degree + 2, 2 * places);
        if (!own_mark_place) {
          EXPECT_EQ(cut, characters);
        }
        Notes octave{};
        parse_tablature(state(), cut, octave, durations);
        ASSERT_EQ(octave[0], places) << cut;
        EXPECT_EQ((octave[1] - notes[degree]) % 12, 0) << cut;
        EXPECT_EQ(octave[places] - octave[1], 12) << cut;
        for (int i = 2; i <= places; ++i)
          EXPECT_EQ(octave[i] - octave[i - 1], steps[(degree + i - 3) % steps.size()]) << cut;
      }
    }
  }
}

TEST_F(HarmonyScales, KeyOutsideTheOctaveLeavesTheOutputAlone) {
  for (int key : {12, -1, 127}) {
    settings().ton = static_cast<std::int8_t>(key);
    for (const auto& [name, mode] : kModes) {
      std::string out = "previous";
      scale_text(settings(), mode, out);
      EXPECT_EQ(out, "previous") << name << " " << key;
    }
  }
}

std::vector<std::int8_t> note_list(std::initializer_list<int> notes) {
  std::vector<std::int8_t> list{static_cast<std::int8_t>(notes.size())};
  for (int n : notes) list.push_back(static_cast<std::int8_t>(n));
  return list;
}

TEST_F(HarmonyScales, NotesToTablature) {
  struct Case {
    int key;
    int octave;
    std::vector<std::int8_t> notes;
    std::string text;
  };
  const Case cases[] = {
      {0, 3, note_list({36, 38, 40, 41, 43, 45, 47, 48}), "cdefgab>c"},
      {0, 4, note_list({36, 38, 40, 41, 43, 45, 47, 48}), "<cdefgab>c"},
      {0, 3, note_list({36, 37, 39, 42, 44, 46}), "cc+d+f+g+a+"},
      {5, 3, note_list({36, 37, 39, 42, 44, 46}), "cd-e-g-a-b-"},
      {6, 3, note_list({36, 37, 39, 42, 44, 46}), "cd-e-g-a-b-"},
      {11, 3, note_list({37, 39, 42, 44, 46}), "c+d+f+g+a+"},
      {1, 3, note_list({37, 39, 42, 44, 46}), "d-e-g-a-b-"},
      {0, 3, note_list({60, 48, 36, 24}), ">>c<c<c<c"},
      {0, 4, note_list({36, 40, 43}), "<ceg"},
      {0, 3, note_list({127, 0}), ">>>>>>>g<<<<<<<<<<c"},
      {0, 3, note_list({}), ""},
      {0, 3, {}, ""},
      // A count larger than the list reads only what is there.
      {0, 3, {100, 36, 38}, "cd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    settings().ton = static_cast<std::int8_t>(c.key);
    settings().octa = static_cast<std::int8_t>(c.octave);
    std::string out = "previous";
    notes_to_tablature(settings(), c.notes, out);
    EXPECT_EQ(out, c.text);
  }
}

}  // namespace
}  // namespace velk0
