// The harmony commands through the trace: their chains, the material they
// leave, the current information file, and a transposition heard once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Box;

const std::string kEdition = "\\korvane\\edition.wav";
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

template <typename T>
std::vector<T> join(std::vector<T> a, const std::vector<T>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
std::vector<int> join_notes(const std::vector<int>& a, const std::vector<int>& b) {
  return join(a, b);
}

std::vector<int> up(std::vector<int> notes, int by) {
  for (int& n : notes) n += by;
  return notes;
}

class AtHarmonyTest : public testing::PlatformTest {
 protected:
  std::vector<int> played() const {
    std::vector<int> out;
    for (const testing::Midi& m : notes_on()) out.push_back(m[1]);
    return out;
  }
  // The boxes that come after the chain's, as text | caption.
  std::vector<std::string> shown_after(std::size_t chain) const {
    std::vector<std::string> out;
    const std::vector<Box> all = boxes();
    for (std::size_t i = chain; i < all.size(); ++i)
      out.push_back(all[i].text + " | " + all[i].caption);
    return out;
  }
};

TEST_F(AtHarmonyTest, ChainsEndWhereTheirRulesSay) {
  struct Case {
    std::string command, answers;
    std::vector<std::string> captions;
    std::string buttons;
    std::size_t cues;
  } cases[] = {
      {"@hg", "a", {kScaleNames[0]}, kOffer, 0},
      // No on the last scale offers the first again.
      {"@hg", "nnnnnnnnna", join(kScaleNames, {kScaleNames[0], kScaleNames[1]}), kOffer, 0},
      {"@hry", "nnnnnna", join(kRhythmNames, {kRhythmNames[0], kRhythmNames[1]}), kOffer, 0},
      {"@ha", "nnnnn", kChordNames, kChordOffer, 0},
      {"@ha", "nna", {kChordNames[0], kChordNames[1], kChordNames[2]}, kChordOffer, 0},
      {"@hre", "nnnnn", kPositionNames, kChordOffer, 0},
      {"@hre", "nnnna", kPositionNames, kChordOffer, 0},
      {"@hc", "nna", kCadenceNames, kChordOffer, 0},
      {"@hc", "a", {kCadenceNames[0]}, kChordOffer, 0},
  };
  for (const auto& c : cases) {
    start(c.answers);
    run({c.command});
    const std::string label = c.command + " " + c.answers;
    EXPECT_EQ(captions(), c.captions) << label;
    for (const Box& b : boxes()) EXPECT_EQ(b.text, c.buttons) << label;
    EXPECT_EQ(sounds().size(), c.cues) << label;
    EXPECT_TRUE(played().empty()) << label;
    EXPECT_EQ(settings().motif, "") << label;
    EXPECT_EQ(settings().accord[0], 3) << label;
  }
}

TEST_F(AtHarmonyTest, ChosenMaterialIsShownPlayedKeptAndWritten) {
  const std::string major = "o3 c d e f g a b >cd e f g a b >cde f g a b >c";
  const std::string chromatic = "o3 c c+d d+e f f+g g+a a+b >cc+d d+e f f+g g+a a+b >c";
  const std::string at_c = "voix 1 ton 0 degr\xC3\xA9 1 transposition de 0 demi tons";
  std::vector<int> two_octaves;
  for (int n = 36; n <= 60; ++n) two_octaves.push_back(n);
  struct Case {
    std::vector<std::string> args;
    std::string answers;
    std::vector<std::string> shown;  // the boxes after the chains' and questions'
    std::vector<int> notes;
    std::string motif, information;
  } cases[] = {
      {{"@hg"}, "y", {}, kMajor, major + " gamme majeure", major + "\r\n"},
      // In any key the chromatic scale is the same run from c.
      {{"@ht", "@hg"},
       "yyyyya a a nnnnnnny",
       {},
       two_octaves,
       chromatic + " gamme chromatique",
       chromatic + "\r\n"},
      {{"@ha"}, "y", {at_c + " triade | ceg"}, {36, 40, 43}, "", ""},
      // Root and third an octave above the fifth, from the scale chosen.
      {{"@hg", "@hre"},
       "y ny",
       {at_c + " quarte et sixte | <<<g>ce"},
       join_notes(kMajor, {43, 48, 52}),
       major + " gamme majeure",
       major + "\r\n"},
      {{"@hg", "@hc"},
       "y y",
       {" | ih5:<<<gb>dfih1:<cegb"},
       join_notes(kMajor, {43, 47, 50, 53, 36, 40, 43, 47}),
       "ih5:<<<gb>dfih1:<cegb",
       "ih5:<<<gb>dfih1:<cegb"},
      // Passed over: the current chord again, the current material shown.
      {{"@hg", "@hc"},
       "y nnn",
       {" | " + major + " gamme majeure"},
       join_notes(kMajor, {36, 40, 43}),
       major + " gamme majeure",
       major + " gamme majeure"},
      {{"@hj"},
       "",
       {"choisissez une gamme en utilisant l'item Gamme du menu Harm | gamme vide"},
       {},
       "",
       ""},
      {{"@hg", "@hj"},
       "y yna",
       {"c d e f g a b >c\n | " + at_c + " gamme majeure"},
       join_notes(kMajor,
                  join_notes({36, 38, 40, 41, 43, 45, 47, 48}, {48, 47, 45, 43, 41, 40, 38, 36})),
       major + " gamme majeure",
       "c d e f g a b >c\r\n"},
      // The whole-tone scale's name holds "ton": 14 characters are cut.
      {{"@hg", "@hj"},
       "nnnny a",
       {"c d e f+g+a+>c\n | " + at_c + " gamme par ton"},
       {36, 38, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 62, 64, 66, 68, 70, 72},
       "o3 c d e f+g+a+>cd e f+g+a+>cd e f+g+a+>c gamme par ton",
       "c d e f+g+a+>c\r\n"},
      // Right after start: the C major triad, and nothing to name.
      {{"@hja"}, "yna", {at_c + " | "}, {36, 40, 43, 36, 40, 43}, "", ""},
  };
  for (const auto& c : cases) {
    start(c.answers);
    write_file(kInformation, "");
    run(c.args);
    const std::string label = c.args.back() + " " + c.answers;
    std::vector<std::string> shown;
    for (const Box& b : boxes())
      if (b.style == "info") shown.push_back(b.text + " | " + b.caption);
    EXPECT_EQ(shown, c.shown) << label;
    EXPECT_EQ(played(), c.notes) << label;
    EXPECT_EQ(settings().motif, c.motif) << label;
    EXPECT_EQ(read_file(kInformation), c.information) << label;
    EXPECT_EQ(sounds().size(), c.args.size() - (c.args[0] == "@ht")) << label;
  }
}

TEST_F(AtHarmonyTest, TheKeyStepperEndsWithTheScaleAndChordChoosers) {
  start("y a a");
  run({"@ht"});
  EXPECT_EQ(captions(), (std::vector<std::string>{"ton courant 0", "ton courant 1", kScaleNames[0],
                                                  kChordNames[0]}));
  EXPECT_TRUE(sounds().empty());
}

TEST_F(AtHarmonyTest, ATranspositionIsHeardOnce) {
  const std::string two_up = "yya";  // @ptr: 2 semitones
  std::vector<int> chromatic;
  for (int n = 36; n <= 60; ++n) chromatic.push_back(n);
  struct Case {
    std::vector<std::string> args;
    std::string answers;
    std::vector<int> notes;
  } cases[] = {
      {{"@ptr", "@hg"}, two_up + " y", up(kMajor, 2)},
      {{"@ptr", "@ha"}, two_up + " y", {38, 42, 45}},
      {{"@ptr", "@hre"}, two_up + " y", {38, 42, 45}},
      {{"@ptr", "@hg", "@hc"},
       two_up + " y y",
       up(join_notes(kMajor, {43, 47, 50, 53, 36, 40, 43, 47}), 2)},
      {{"@ptr", "@hg", "@hj"},
       two_up + " y ya",
       up(join_notes(kMajor, {36, 38, 40, 41, 43, 45, 47, 48}), 2)},
      // The chromatic cut starts 2 semitones up: only the voice is added.
      {{"@ptr", "@hg", "@hj"},
       two_up + " nnnnnnny ya",
       join_notes(up(chromatic, 2), {38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50})},
      {{"@ptr", "@hry"}, two_up + " y", {38, 38, 38, 38}},
      // Alto: the arpeggio two octaves above the block chord, both transposed.
      {{"@pvo", "@ptr", "@hja"}, "nny " + two_up + " yna", {62, 66, 69, 38, 42, 45}},
      {{"@pvo", "@hja"}, "nny yna", {60, 64, 67, 36, 40, 43}},
      {{"@hrep", "@hja"}, "ya ya", {36, 40, 43, 36, 40, 43}},  // repet + 1 times
  };
  for (const auto& c : cases) {
    start(c.answers);
    run(c.args);
    EXPECT_EQ(played(), c.notes) << c.args.back() << " " << c.answers;
  }
  start("y");
  run({"@hry"});
  EXPECT_EQ(settings().durees[0], 404u);  // the rhythm kept 101 times
  EXPECT_EQ(settings().durees[404], 4000u);
}

}  // namespace
}  // namespace velk0
