#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "tablature/notation.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Midi;

struct Read {
  std::vector<int> notes;
  std::vector<std::uint32_t> durations;
  int separators = 0;
};

Read material(RunState& run, std::string_view text) {
  Notes notes{};
  Durations durations{};
  Read r;
  r.separators = parse_tablature(run, text, notes, durations);
  for (std::uint32_t i = 1; i <= durations[0]; ++i) {
    r.notes.push_back(notes[i]);
    r.durations.push_back(durations[i]);
  }
  return r;
}

struct Played {
  NoteList list;
  int separators = 0;
  std::vector<int> notes() const {
    std::vector<int> out;
    for (std::uint32_t i = 1; i <= list.durations[0]; ++i) out.push_back(list.notes[i]);
    return out;
  }
};

Played playing(RunState& run, std::string_view text) {
  Played p;
  p.separators = read_tablature(run, text, Reader::kPlaying, p.list.notes, p.list.durations,
                                &p.list.articulations, &p.list.marks, nullptr);
  return p;
}

class NotationTest : public testing::PlatformTest {
 protected:
  Read material(std::string_view text) { return velk0::material(state(), text); }
  Played playing(std::string_view text) { return velk0::playing(state(), text); }
};

TEST_F(NotationTest, MaterialReaderTokens) {
  struct Case {
    const char* text;
    std::vector<int> notes;
    std::vector<std::uint32_t> durations;  // empty: not checked
    int separators;
  } cases[] = {
      {"o3 c d e f g a b >c", {36, 38, 40, 41, 43, 45, 47, 48}, {}, 0},
      {"4c.8c4c.8c", {36, 36, 36, 36}, {2666, 8000, 2666, 8000}, 0},
      {"c..", {36}, {2285}, 0},
      {"o3 d-e-f g-a-b->c", {37, 39, 41, 42, 44, 46, 48}, {}, 0},
      {"c* d\xE1", {38, 36}, {}, 0},
      {"12c", {36}, {12000}, 0},
      {"oc", {}, {}, 0},
      {"o9c o8c", {36, 96}, {}, 0},
      {"p+ p", {1, 0}, {4000, 4000}, 0},
      {"> c | c", {48, 36}, {}, 1},
      {"c\r\nd|e", {36, 38, 40}, {}, 3},
      {"C D", {36, 38}, {}, 0},
      {"<<<<c >>>>>>>>>c", {0, 84}, {}, 0},  // octave 0 c is a rest; > stops at 7
      {"+.c", {36}, {4000}, 0},              // nothing before the first note
      {"it5:c it-2:c", {41, 34}, {}, 0},
      {"mac", {45, 36}, {}, 0},  // the material reader knows no marks
      {"(c)", {36}, {}, 0},
      {"t5cd", {36, 38}, {}, 0},  // t consumes the 5 only
      {"t1000c", {36}, {}, 0},    // 100, then a natural
      {"iv60 c d", {}, {}, 0},    // no colon: the rest is the indication
  };
  for (const Case& c : cases) {
    start();
    Read r = material(c.text);
    EXPECT_EQ(r.notes, c.notes) << c.text;
    if (!c.durations.empty()) {
      EXPECT_EQ(r.durations, c.durations) << c.text;
    }
    EXPECT_EQ(r.separators, c.separators) << c.text;
  }
  material("4c.8c oc");  // the reading leaves its settings changed
  EXPECT_EQ(settings().dur, 8);
  EXPECT_EQ(settings().octa, 0);
}

TEST_F(NotationTest, TempoRangeDiffersBetweenReaders) {
  struct Case {
    const char* text;
    int material, playing;
  } cases[] = {{"t250c", 250, 60}, {"t239c", 239, 239}, {"t261c", 60, 60},
               {"t30c", 60, 60},   {"t31c", 31, 31},    {"t-50c", 60, 60}};
  for (const Case& c : cases) {
    start();
    material(c.text);
    EXPECT_EQ(settings().tempo, c.material) << c.text;
    start();
    playing(c.text);
    EXPECT_EQ(settings().tempo, c.playing) << c.text;
  }
}

// The numbers of the tokens are their digits alone: a blank or a sign ends
// them, and what follows is read as tokens of its own.
TEST_F(NotationTest, NumberTokensReadDigitsOnly) {
  struct Case {
    const char* text;
    int tempo, dur, octa;
    std::vector<std::uint32_t> durations;
  } cases[] = {
      {"t 16c", 60, 16, 3, {16000}},  // no tempo; the blank is consumed, 16 is a note value
      {"t+50c", 60, 50, 3, {50000}},  // no sign either
      {"t12 0c", 60, 4, 3, {4000}},   // 12: out of range, two characters consumed
      {"8 4c", 60, 4, 3, {4000}},     // a note value is one or two digits
      {"8-c", 60, 8, 3, {8000}},      //   and never signed
      {"o 5c", 60, 5, 0, {5000}},     // an octave is one character, a blank reads 0
  };
  for (const Case& c : cases) {
    start();
    Read r = material(c.text);
    EXPECT_EQ(settings().tempo, c.tempo) << c.text;
    EXPECT_EQ(settings().dur, c.dur) << c.text;
    EXPECT_EQ(settings().octa, c.octa) << c.text;
    EXPECT_EQ(r.durations, c.durations) << c.text;
  }
  // Heard: a sixteenth at tempo 60 (250 ms), not a sixth.
  start();
  run({"t 16c"});
  EXPECT_EQ(waits(), (std::vector<int>{250}));
}

TEST_F(NotationTest, PlayingReaderArticulationsAndMarks) {
  Played p = playing("mac");
  EXPECT_EQ(p.notes(), (std::vector<int>{36}));
  EXPECT_EQ(p.list.marks[1], 'a');  // a mark goes with the note after it

  p = playing("ms c ml d mt e mn f mx");
  EXPECT_EQ(p.notes(), (std::vector<int>{36, 38, 40, 41}));
  EXPECT_EQ(std::vector<int>(p.list.articulations.begin() + 1, p.list.articulations.begin() + 5),
            (std::vector<int>{kStaccato, kLegato, kTenu, kNormal}));

  p = playing("(c e g) [d] {f");
  EXPECT_EQ(std::vector<int>(p.list.marks.begin() + 1, p.list.marks.begin() + 6),
            (std::vector<int>{'(', 0, ')', ']', '{'}));

  // An expression mark never takes the place of a group bracket.
  p = playing("(ma c e)");
  EXPECT_EQ(p.list.marks[1], '(');
  EXPECT_EQ(p.list.marks[2], ')');
}

TEST_F(NotationTest, Indications) {
  struct Case {
    char kind;
    const char* text;
    const char* label;
    const char* rewritten;
  } cases[] = {
      {'d', "x", "doigt\xE9", "x"},
      {'n', "pp", "nuance", "pianissimo"},
      {'n', "f", "nuance", "fort\xE9"},
      {'n', "mf", "nuance", "mf"},
      {'z', "x",
       "indication non trait\xE9"
       "e",
       "x"},
  };
  for (const Case& c : cases) {
    std::string text = c.text, label = "old";
    apply_indication(state(), c.kind, text, label);
    EXPECT_EQ(label, c.label) << c.kind;
    EXPECT_EQ(text, c.rewritten) << c.kind;
  }
  std::string text = "b-", label = "old";
  apply_indication(state(), 'a', text, label);
  EXPECT_EQ(label, "old");
  EXPECT_EQ(settings().arma, "b-");
}

TEST_F(NotationTest, IndicationsChangeTheSettings) {
  material("ii41:iv60:im3/8:it-3:io7:");
  EXPECT_EQ(midi(), (std::vector<Midi>{{0xC1, 41, 0}}));
  const PlaySettings& s = settings();
  EXPECT_EQ(s.instru, 41);
  EXPECT_EQ(s.vol, 60);
  EXPECT_EQ(s.num, 3);
  EXPECT_EQ(s.den, 8);
  EXPECT_EQ(s.trans, -3);
  EXPECT_EQ(s.octa, 7);
  material("im:io9:");
  EXPECT_EQ(s.num, 4);
  EXPECT_EQ(s.den, 4);
  EXPECT_EQ(s.octa, 3);
  // The octave indication reaches the running octave at the next separator.
  start();
  EXPECT_EQ(material("io5:c|c").notes, (std::vector<int>{36, 60}));
}

TEST_F(NotationTest, KeySignatureRewrite) {
  settings().arma = "f+c+";
  std::string text = "F g c | f0 f", out;
  EXPECT_EQ(apply_key_signature(settings(), text, out), 1);
  EXPECT_EQ(text, "f g c | f0 f ");
  EXPECT_EQ(out, "f+ g c+ | f0 f0 ");

  settings().arma = "f+";
  EXPECT_EQ(material("c+ c f | c f").notes, (std::vector<int>{37, 37, 42, 36, 42}));
  settings().arma = "b-e-";
  EXPECT_EQ(material("b e a").notes, (std::vector<int>{46, 39, 45}));
  // A signature whose last letter has no accidental adds nothing.
  settings().arma = "f";
  EXPECT_EQ(material("f g").notes, (std::vector<int>{41, 43}));
}

TEST_F(NotationTest, KeySignatureIndicationRestartsTheReading) {
  EXPECT_EQ(material("iaf+:f g f").notes, (std::vector<int>{42, 43, 42}));
  EXPECT_EQ(settings().arma, "f+");
  start();
  EXPECT_EQ(playing("c iaf+:f").notes(), (std::vector<int>{36, 42}));  // read again from its start
  start();
  EXPECT_EQ(material("ia:c").notes, (std::vector<int>{36}));
  EXPECT_EQ(settings().arma, "");
  // The restart keeps what was already changed, the running octave too.
  start();
  EXPECT_EQ(material(">iab-:c").notes, (std::vector<int>{60}));
  // A text whose reader sees a key signature that the rewrite takes for
  // part of another indication still ends.
  start();
  EXPECT_EQ(playing("mipiax:c").notes(), (std::vector<int>{0, 36}));
}

TEST_F(NotationTest, TextsStayWithinTheirLimits) {
  // A long key signature that doubles every note of a full-length text.
  std::string text(3000, 'c');
  settings().arma = "c+";
  std::string out;
  apply_key_signature(settings(), text, out);
  EXPECT_EQ(text.size(), kTextCapacity);
  EXPECT_EQ(out.size(), kTextCapacity);
  EXPECT_EQ(out.substr(0, 4), "c+c+");

  std::string long_signature = "ia" + std::string(600, 'x') + ":c";
  settings().arma.clear();
  material(long_signature);
  EXPECT_EQ(settings().arma.size(), kSettingCapacity);

  Read full = material(std::string(2047, 'c') + "d");
  EXPECT_EQ(full.notes.size(), static_cast<std::size_t>(kListCapacity));
  EXPECT_EQ(full.notes.back(), 36);  // the text is cut before the d
}

}  // namespace
}  // namespace velk0
