// The device choice file and the three reading modes of the current
// tablature, through the trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/messages.h"
#include "core/settings.h"
#include "tablature/reading_mode.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Midi;

constexpr const char* kDevicePath = "\\korvane\\midiinit.dev";
constexpr const char* kNoMidi = "votre environnement ne supporte pas ce midi mapper";
constexpr const char* kMeasureCaption =
    "oui=suivant non=pr\xC3\xA9"
    "c\xC3\xA9"
    "dent annuler=fin";

class ReadingModeTest : public testing::PlatformTest {
 protected:
  // A session with four devices, a device choice of 0 and this tablature.
  // The tablature is taken by value: it may be the text of the run state that
  // start() replaces.
  void prepare(const std::string& answers, std::string tablature, const std::string& indi) {
    start(answers, {256, 16, 16, 16});
    write_file(kDevicePath, "0");
    settings().tabcourante = tablature;
    settings().indi = indi;
  }
  std::vector<int> played() const {
    std::vector<int> out;
    for (const Midi& m : notes_on()) out.push_back(m[1]);
    return out;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& b : boxes()) out.push_back(b.text.empty() ? b.caption : b.text);
    return out;
  }
};

TEST_F(ReadingModeTest, TheDeviceChoiceFileInEachOfItsForms) {
  const std::string how_to =
      "pour choisir un midi mapper disponible dans votre environnement, utilisez la commande "
      "kalvesta, puis placez la valeur d'un midi mapper dans un fichier midiinit.dev, dans la "
      "rubrique courante";
  struct Case {
    const char* content;  // nullptr: no file
    int device;
    std::vector<std::string> texts;
  } cases[] = {
      {"2", 2, {}},   {"2\r\n", 2, {}},  {"  3 et la suite", 3, {}},
      {"abc", 0, {}}, {"", 0, {how_to}}, {nullptr, 0, {kDevicePath, how_to}},
  };
  for (const auto& c : cases) {
    prepare("", "c", "");
    if (c.content)
      write_file(kDevicePath, c.content);
    else
      std::filesystem::remove(root() / "korvane" / "midiinit.dev");
    play_by_reading_mode(state());
    const std::string label = c.content ? c.content : "(none)";
    EXPECT_EQ(texts(), c.texts) << label;
    auto opened = events("open");
    ASSERT_EQ(opened.size(), 1u) << label;
    EXPECT_EQ(testing::number(opened[0], "device"), c.device) << label;
    EXPECT_EQ(played(), (std::vector<int>{36})) << label;
    EXPECT_TRUE(events("close").empty()) << label;  // the device stays open
  }
}

TEST_F(ReadingModeTest, ANumberThatNamesNoDeviceIsReportedAndOpensNothing) {
  for (const char* content : {"4", "-1", "99999999999"}) {
    prepare("", "c d e", "");
    write_file(kDevicePath, content);
    play_by_reading_mode(state());
    ASSERT_EQ(boxes().size(), 1u) << content;
    EXPECT_EQ(boxes()[0].caption, kNoMidi) << content;
    EXPECT_TRUE(events("open").empty()) << content;
    EXPECT_TRUE(events("midi").empty()) << content;
  }
}

TEST_F(ReadingModeTest, WholeMeansTheRangeOfNotePositions) {
  prepare("", settings().tabcourante, "");
  play_by_reading_mode(state());
  EXPECT_EQ(played(), (std::vector<int>{36, 38, 40, 41, 43, 45, 47, 48}));
  prepare("", "c d e f g", "");
  settings().mesuredeb = 2;
  settings().mesurefin = 4;
  play_by_reading_mode(state());
  EXPECT_EQ(played(), (std::vector<int>{38, 40, 41}));
}

TEST_F(ReadingModeTest, TheMeasureDialogueStepsForwardBackAndRestarts) {
  // An instrument indication: measuring the tablature sends nothing.
  prepare(
      "nooooa"
      "oa",
      "ii5: c d | e f | g", " ");
  play_by_reading_mode(state());
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "mesure 1 : jouer depuis la note 1 jusqu'a la note 2",
                         "mesure 1 : jouer depuis la note 1 jusqu'a la note 2",
                         "mesure 2 : jouer depuis la note 3 jusqu'a la note 4",
                         "mesure 3 : jouer depuis la note 5 jusqu'a la note 5",
                         "fin de la tablature",
                         "mesure 1 : jouer depuis la note 1 jusqu'a la note 2",
                     }));
  EXPECT_EQ(boxes()[0].caption, kMeasureCaption);
  EXPECT_EQ(boxes()[4].caption,
            "oui=d\xC3\xA9"
            "but annuler=quitter");
  // No at measure 1 plays it and stays there.
  EXPECT_EQ(played(), (std::vector<int>{36, 38, 36, 38, 40, 41, 43}));
  EXPECT_EQ(settings().mesuredeb, 1);
  // Each of the four readings that played sends the instrument; the reading
  // that measured the tablature sent nothing.
  const auto sent = midi();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), Midi{0xC1, 5, 0}), 4);

  // The position stays where the dialogue left it, and the ranges are those
  // of the tablature now current.
  clear_trace();
  settings().tabcourante = "c | d e f";
  settings().mesuredeb = 2;
  play_by_reading_mode(state());
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "mesure 2 : jouer depuis la note 2 jusqu'a la note 4",
                         "fin de la tablature",
                     }));
  EXPECT_EQ(settings().mesuredeb, 3);
}

TEST_F(ReadingModeTest, TrailingLineEndsAreNoMeasure) {
  prepare("oa", settings().tabcourante, " ");  // "o3 c d e f g a b >c\n"
  play_by_reading_mode(state());
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "mesure 1 : jouer depuis la note 1 jusqu'a la note 8",
                         "fin de la tablature",
                     }));
  // The clipboard's text with its own line end, and the one appended to it.
  prepare("ooa", "c d e\nf g a\n\n", " ");
  play_by_reading_mode(state());
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "mesure 1 : jouer depuis la note 1 jusqu'a la note 3",
                         "mesure 2 : jouer depuis la note 4 jusqu'a la note 6",
                         "fin de la tablature",
                     }));
}

TEST_F(ReadingModeTest, EachReplayStartsFromTheSettingsTheTablatureStartedWith) {
  // Each measure or step reads the whole text again: what the reading before
  // it left (the octave of the last note played, the last note value, a
  // transposition) must not reach it.
  const std::vector<int> quarters(8, 1000);
  struct Case {
    const char* answers;
    std::string tablature, indi;
    std::vector<int> notes, waits;
  } cases[] = {
      // > leaves the octave one up after the measure's last note.
      {"nna", "c d >c", " ", {36, 38, 48, 36, 38, 48}, {1000, 1000, 1000, 1000, 1000, 1000}},
      {"oooooo", "c >c d", "n", {36, 48, 50}, {1000, 1000, 1000}},
      // The whole note of the last measure: measure 2 stays in quarters,
      // and so does step 2.
      {"ooa", "o4 c d e f | g a b >c | 1c", " ", {48, 50, 52, 53, 55, 57, 59, 60}, quarters},
      {"oooooo", "c d 1e", "n", {36, 38, 40}, {1000, 1000, 4000}},
      // The transposition of measure 2: measure 1 again, as it was.
      {"oooo", "o4 c d | it2: e f", " ", {48, 50, 54, 55, 48, 50}, std::vector<int>(6, 1000)},
      {"oooooo", "c d it2: e", "n", {36, 38, 42}, {1000, 1000, 1000}},
  };
  for (const auto& c : cases) {
    prepare(c.answers, c.tablature, c.indi);
    play_by_reading_mode(state());
    EXPECT_EQ(played(), c.notes) << c.tablature;
    EXPECT_EQ(waits(), c.waits) << c.tablature;
  }
}

TEST_F(ReadingModeTest, StepByStepFollowsTheAnnouncements) {
  // Each step announces its note's value and name; without m in the options
  // a step is a note, so "c | d | e" (two separators) has three.
  struct Case {
    const char* answers;
    std::vector<int> notes;
  } cases[] = {
      {"oooooo", {36, 38, 40}},
      {"oooo", {36, 38}},        // no answer left: Cancel on the third value
      {"a", {}},                 // Cancel on the value: the note is silent, the call ends
      {"oooa", {36, 38}},        // Cancel on the name: that note still sounds
      {"ooonoo", {36, 38, 36}},  // No on step 2 goes back to step 1
      {"onoooo", {36, 36, 38}},  // No on step 1 plays it again
  };
  for (const auto& c : cases) {
    prepare(c.answers, "c | d | e", "n");
    play_by_reading_mode(state());
    EXPECT_EQ(played(), c.notes) << c.answers;
  }
}

TEST_F(ReadingModeTest, NoNoteKeepsSoundingWhenADialogueIsCancelled) {
  // Step mode by measures over a group: Cancel on the second note of the
  // group ends the call with the group released, the device still open.
  for (const char* answers : {"oooa", "ooooa", "oooooa"}) {
    prepare(answers, "(c e g) d | f", "m");
    play_by_reading_mode(state());
    std::map<int, int> sounding;
    for (const Midi& m : midi()) {
      if ((m[0] & 0xF0) == 0x90) ++sounding[m[1]];
      if ((m[0] & 0xF0) == 0x80) --sounding[m[1]];
    }
    for (const auto& [note, count] : sounding) EXPECT_LE(count, 0) << answers << " note " << note;
    EXPECT_TRUE(events("close").empty());
  }
}

}  // namespace
}  // namespace velk0
