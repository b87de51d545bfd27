// The harmony commands through the trace: their chains, the material they
// leave, the current information file, and a transposition heard once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/harmony_commands.h"
#include "core/settings.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Box;

const std::string kInformation = "\\korvane\\prvinfo.tab";
const std::string kOffer = "oui=saisie non=suivant annuler=quitter";
const std::string kChordOffer = "oui=saisie  non=suivant annuler=quitter";
const std::vector<std::string> kScaleNames = {"gamme majeure",
                                              "gamme mineure m\xC3\xA9lodique",
                                              "gamme mineure harmonique",
                                              "gamme mineure naturelle",
                                              "gamme par ton",
                                              "gamme blues mineure",
                                              "gamme blues majeure",
                                              "gamme chromatique"};
const std::vector<std::string> kRhythmNames = {"motif noire", "motif blanche noire noire",
                                               "rythme=motif noire point\xC3\xA9"
                                               "e croche",
                                               "motif noire croche",
                                               "motif croche noire croche triolet de noire"};
const std::vector<std::string> kChordNames = {
    "triade", "accord de septi\xC3\xA8me", "accord de neuvi\xC3\xA8me", "accord de onzi\xC3\xA8me",
    "accord de treizi\xC3\xA8me"};
const std::vector<std::string> kPositionNames = {"fondamental", "quarte et sixte",
                                                 "tierce et sixte", "septi\xC3\xA8me a la basse",
                                                 "neuvi\xC3\xA8me a la basse"};
const std::vector<std::string> kCadenceNames = {"cadence parfaite", "cadence 2 5 1",
                                                "cadence 6 2 5 1"};
// The C major scale as @hg reads it: two octaves and a third from c.
const std::vector<int> kMajor = {36, 38, 40, 41, 43, 45, 47, 48, 50, 52, 53,
                                 55, 57, 59, 60, 62, 64, 65, 67, 69, 71, 72};

std::vector<int> join(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<int> run_from(int first, int last) {
  std::vector<int> out;
  for (int n = first; n <= last; ++n) out.push_back(n);
  return out;
}

class AtHarmonyTest : public testing::PlatformTest {
 protected:
  std::vector<int> played() const {
    std::vector<int> out;
    for (const testing::Midi& m : notes_on()) out.push_back(m[1]);
    return out;
  }
};

TEST_F(AtHarmonyTest, BuildFromDegrees) {
  const std::vector<std::int8_t> scale = {8, 36, 38, 40, 41, 43, 45, 47, 48};
  std::vector<std::int8_t> out(4, 99);
  EXPECT_EQ(build_from_degrees(0, 2, scale, std::vector<std::int8_t>{3, 1, 3, 5}, out), 3);
  EXPECT_EQ(out, (std::vector<std::int8_t>{3, 38, 41, 45}));
  // More degrees than room, and positions outside the scale.
  EXPECT_EQ(build_from_degrees(12, 1, scale, std::vector<std::int8_t>{5, 1, -5, 100, 2, 3}, out),
            3);
  EXPECT_EQ(out, (std::vector<std::int8_t>{3, 48, 12, 12}));
}

TEST_F(AtHarmonyTest, ChainsEndWhereTheirRulesSay) {
  auto with = [](std::vector<std::string> all, std::vector<std::string> more) {
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  struct Case {
    std::string command, answers;
    std::vector<std::string> captions;
    std::string buttons;
  } cases[] = {
      {"@hg", "a", {kScaleNames[0]}, kOffer},
      // No on the last scale or rhythm offers the first again.
      {"@hg", "nnnnnnnnna", with(kScaleNames, {kScaleNames[0], kScaleNames[1]}), kOffer},
      {"@hry", "nnnnnna", with(kRhythmNames, {kRhythmNames[0], kRhythmNames[1]}), kOffer},
      {"@ha", "nnnnn", kChordNames, kChordOffer},
      {"@hre", "nnnna", kPositionNames, kChordOffer},
      {"@hc", "nna", kCadenceNames, kChordOffer},
  };
  for (const auto& c : cases) {
    start(c.answers);
    run({c.command});
    EXPECT_EQ(captions(), c.captions) << c.command << " " << c.answers;
    for (const Box& b : boxes()) EXPECT_EQ(b.text, c.buttons) << c.command;
    EXPECT_TRUE(sounds().empty()) << c.command;
    EXPECT_TRUE(played().empty()) << c.command;
  }
}

TEST_F(AtHarmonyTest, TheKeyStepperEndsWithTheScaleAndChordChoosers) {
  start("y a a");
  run({"@ht"});
  EXPECT_EQ(captions(), (std::vector<std::string>{"ton courant 0", "ton courant 1", kScaleNames[0],
                                                  kChordNames[0]}));
  EXPECT_TRUE(sounds().empty());
}

const std::string kMajorText = "o3 c d e f g a b >cd e f g a b >cde f g a b >c";
const std::string kChromaticText = "o3 c c+d d+e f f+g g+a a+b >cc+d d+e f f+g g+a a+b >c";
const std::string kAtC = "voix 1 ton 0 degr\xC3\xA9 1 transposition de 0 demi tons";
const std::string kCadence = "ih5:<<<gb>dfih1:<cegb";
// D harmonic minor: its octave mark takes a place of its own ("b-> c+").
const std::string kDHarmonicText = "o3 d e f g a b-> c+d e f g a b-> c+d e f g a b-> c+d ";
const std::string kDHarmonic = kDHarmonicText + " gamme mineure harmonique";
const std::vector<int> kDHarmonicNotes = {38, 40, 41, 43, 45, 46, 49, 50, 52, 53, 55,
                                          57, 58, 61, 62, 64, 65, 67, 69, 70, 73, 74};
// What @hj and @hja show of the voice, key and degree in D.
std::string at_d(int degree) {
  return "voix 1 ton 2 degr\xC3\xA9 " + std::to_string(degree) + " transposition de 0 demi tons";
}

// A chain of commands with its answers, and what it shows, plays, keeps in
// the current material and writes in the information file.
struct MaterialCase {
  std::vector<std::string> args;
  std::string answers;
  std::vector<std::string> shown;  // information boxes, as text | caption
  std::vector<int> notes;
  std::string motif, information;
};

class AtHarmonyMaterialTest : public AtHarmonyTest {
 protected:
  // Each case runs as it stands, then after @ptr has set a transposition of
  // 2, which must raise every note it plays by 2 exactly.
  void check(const std::vector<MaterialCase>& cases) {
    for (const auto& c : cases) {
      const std::string label = c.args.back() + " " + c.answers;
      for (int trans : {0, 2}) {
        start(trans ? "yya " + c.answers : c.answers);
        write_file(kInformation, "");
        std::vector<std::string> args = c.args;
        if (trans) args.insert(args.begin(), "@ptr");
        run(args);
        std::vector<int> heard = c.notes;
        for (int& n : heard) n += trans;
        EXPECT_EQ(played(), heard) << label << " trans " << trans;
        if (trans) continue;
        std::vector<std::string> shown;
        for (const Box& b : boxes())
          if (b.style == "info") shown.push_back(b.text + " | " + b.caption);
        EXPECT_EQ(shown, c.shown) << label;
        EXPECT_EQ(settings().motif, c.motif) << label;
        EXPECT_EQ(read_file(kInformation), c.information) << label;
        EXPECT_EQ(sounds().size(), c.args.size() - (c.args[0] == "@ht")) << label;
      }
    }
  }
};

TEST_F(AtHarmonyMaterialTest, ScalesAreShownPlayedKeptAndWritten) {
  check({
      {{"@hg"}, "y", {}, kMajor, kMajorText + " gamme majeure", kMajorText + "\r\n"},
      // In any key the chromatic scale is the same run from c.
      {{"@ht", "@hg"},
       "yyyyya a a nnnnnnny",
       {},
       run_from(36, 60),
       kChromaticText + " gamme chromatique",
       kChromaticText + "\r\n"},
  });
}

TEST_F(AtHarmonyMaterialTest, ChordsAndCadencesAreShownPlayedAndKept) {
  check({
      {{"@ha"}, "y", {kAtC + " triade | ceg"}, {36, 40, 43}, "", ""},
      // Root and third an octave above the fifth, spelled from the octave
      // the scale ended in.
      {{"@hg", "@hre"},
       "y ny",
       {kAtC + " quarte et sixte | <<<g>ce"},
       join(kMajor, {43, 48, 52}),
       kMajorText + " gamme majeure",
       kMajorText + "\r\n"},
      {{"@hg", "@hc"},
       "y y",
       {" | " + kCadence},
       join(kMajor, {43, 47, 50, 53, 36, 40, 43, 47}),
       kCadence,
       kCadence},
      // Passed over: the current chord again, the current material shown.
      {{"@hg", "@hc"},
       "y nnn",
       {" | " + kMajorText + " gamme majeure"},
       join(kMajor, {36, 40, 43}),
       kMajorText + " gamme majeure",
       kMajorText + " gamme majeure"},
  });
}

TEST_F(AtHarmonyMaterialTest, TheScaleCutIsShownPlayedAndWritten) {
  check({
      {{"@hj"},
       "",
       {"choisissez une gamme en utilisant l'item Gamme du menu Harm | gamme vide"},
       {},
       "",
       ""},
      {{"@hg", "@hj"},
       "y yna",
       {"c d e f g a b >c\n | " + kAtC + " gamme majeure"},
       join(kMajor, {36, 38, 40, 41, 43, 45, 47, 48, 48, 47, 45, 43, 41, 40, 38, 36}),
       kMajorText + " gamme majeure",
       "c d e f g a b >c\r\n"},
      // The whole-tone scale's name holds "ton": 14 characters are cut.
      {{"@hg", "@hj"},
       "nnnny a",
       {"c d e f+g+a+>c\n | " + kAtC + " gamme par ton"},
       {36, 38, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 62, 64, 66, 68, 70, 72},
       "o3 c d e f+g+a+>cd e f+g+a+>cd e f+g+a+>c gamme par ton",
       "c d e f+g+a+>c\r\n"},
      // D harmonic minor reaches the octave too, from the tonic and from the
      // leading tone (after the octave mark, as in every key).
      {{"@ht", "@hg", "@hj"},
       "yya a a nny ya",
       {"d e f g a b-> c+d \n | " + at_d(1) + " gamme mineure harmonique"},
       join(kDHarmonicNotes, {38, 40, 41, 43, 45, 46, 49, 50}),
       kDHarmonic,
       "d e f g a b-> c+d \r\n"},
      {{"@ht", "@hd", "@hg", "@hj"},
       "yya a a na nny ya",
       {"c+d e f g a b-> c+\n | " + at_d(7) + " gamme mineure harmonique"},
       join(kDHarmonicNotes, {37, 38, 40, 41, 43, 45, 46, 49}),
       kDHarmonic,
       "c+d e f g a b-> c+\r\n"},
      // @hja names the notes of the degree's chord at the same places.
      {{"@ht", "@hg", "@hja"},
       "yya a a nny yna",
       {at_d(1) + " | d f a c+e g b-"},
       join(kDHarmonicNotes, {36, 40, 43, 36, 40, 43}),
       kDHarmonic,
       "d f a c+e g b-"},
      // The chromatic cut starts trans semitones up: only the voice is added.
      {{"@hg", "@hj"},
       "nnnnnnny ya",
       {"c c+d d+e f f+g g+a a+b >c\n | voix 1 gamme chromatique transpos\xC3\xA9"
        "e de 0 demi tons"},
       join(run_from(36, 60), run_from(36, 48)),
       kChromaticText + " gamme chromatique",
       "c c+d d+e f f+g g+a a+b >c\r\n"},
  });
}

TEST_F(AtHarmonyMaterialTest, RightAfterStartTheMaterialIsCMajor) {
  check({
      // The scale is C major whole: a chord on any degree reads notes of it,
      // the dominant seventh g b d f.
      {{"@hc"},
       "y",
       {" | ih5:gb>dfih1:<cegb"},
       {43, 47, 50, 53, 36, 40, 43, 47},
       "ih5:gb>dfih1:<cegb",
       "ih5:gb>dfih1:<cegb"},
      // The C major triad, and nothing to name.
      {{"@hja"}, "yna", {kAtC + " | "}, {36, 40, 43, 36, 40, 43}, "", ""},
      // Alto: the arpeggio two octaves above the block chord.
      {{"@pvo", "@hja"},
       "nny yna",
       {"voix 3" + kAtC.substr(6) + " | "},
       {60, 64, 67, 36, 40, 43},
       "",
       ""},
      {{"@hrep", "@hja"}, "ya ya", {kAtC + " | "}, {36, 40, 43, 36, 40, 43}, "", ""},
      {{"@hry"}, "y", {}, {36, 36, 36, 36}, "", ""},  // the rhythm heard on c
  });
  EXPECT_EQ(settings().durees[0], 404u);  // the rhythm kept 101 times
}

}  // namespace
}  // namespace velk0
