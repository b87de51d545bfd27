// Files named on the command line, end to end through the trace: MIDI and
// wave files with their dialogues, sound cues, tablature files.
#include <gtest/gtest.h>

#include "app/file_arguments.h"
#include "test_doubles.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::field;
using testing::number;

constexpr const char* kMidiChoice =
    "OUI pour PAUSE, NON pour RECOMMENCER au d\xC3\xA9"
    "but, ANNULER pour STOP";
constexpr const char* kPausedChoice =
    "oui=continuer non=d\xC3\xA9"
    "but esc=pause";
constexpr const char* kWaveChoice = "oui=pause non=continuer esc=terminer";

class FileArgumentTest : public testing::PlatformTest {
 protected:
  // The media steps, with ":error" where one failed.
  std::vector<std::string> media_steps() const {
    std::vector<std::string> out;
    for (const auto& line : events("media")) {
      std::string step = field(line, "op");
      if (number(line, "error") > 0) step.append(":").append(std::to_string(number(line, "error")));
      out.push_back(step);
    }
    return out;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& b : boxes()) out.push_back(b.text);
    return out;
  }
  std::vector<int> played() const {
    std::vector<int> out;
    for (const auto& m : notes_on()) out.push_back(m[1]);
    return out;
  }
};

TEST_F(FileArgumentTest, TheMidiDialoguePausesRestartsAndStops) {
  using V = std::vector<std::string>;
  struct Case {
    const char* answers;
    V steps, texts;
  } cases[] = {
      {"a", {"open", "status", "play", "close"}, {kMidiChoice}},
      {"na", {"open", "status", "play", "seek", "play", "close"}, {kMidiChoice, kMidiChoice}},
      {"ooa",
       {"open", "status", "play", "pause", "resume", "close"},
       {kMidiChoice, kPausedChoice, kMidiChoice}},
      {"ona",
       {"open", "status", "play", "pause", "seek", "play", "close"},
       {kMidiChoice, kPausedChoice, kMidiChoice}},
      {"oa", {"open", "status", "play", "pause", "close"}, {kMidiChoice, kPausedChoice}},
  };
  for (const auto& c : cases) {
    start(c.answers);
    EXPECT_EQ(play_midi_file(services(), "song.mid"), 0u);
    EXPECT_EQ(media_steps(), c.steps) << c.answers;
    EXPECT_EQ(texts(), c.texts) << c.answers;
  }
  EXPECT_EQ(boxes()[0].caption,
            "Pause, retour au d\xC3\xA9"
            "but ou arr\xC3\xAAt du canal sonore");
  EXPECT_EQ(field(events("media")[0], "type"), "sequencer");
  EXPECT_EQ(field(events("media")[0], "path"), "song.mid");
}

TEST_F(FileArgumentTest, EachFailingMidiStepHasItsBoxAndClosesTheDevice) {
  using V = std::vector<std::string>;
  struct Case {
    const char* step;
    const char* text;
    V steps;
  } cases[] = {
      {"open", "erreur mcimidi", {"open:275"}},
      {"status", "port midi introuvable", {"open", "status:275", "close"}},
      {"play", "lecture du fichier midi impossible", {"open", "status", "play:275", "close"}},
  };
  for (const auto& c : cases) {
    start("n");
    media().fail(c.step, 275);
    EXPECT_EQ(play_midi_file(services(), "song.mid"), 275u);
    EXPECT_EQ(media_steps(), c.steps) << c.step;
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].style, "ok");
    EXPECT_EQ(boxes()[0].text, c.text);
    EXPECT_EQ(boxes()[0].caption, "");
  }
}

TEST_F(FileArgumentTest, TheWaveDialoguePausesAndResumesUntilCancel) {
  start("onoa");
  std::string path = "x";
  EXPECT_EQ(play_wave_file(services(), path), 0);
  EXPECT_EQ(path, "x.wav");
  EXPECT_EQ(media_steps(),
            (std::vector<std::string>{"open", "play", "pause", "resume", "pause", "close"}));
  EXPECT_EQ(texts(), std::vector<std::string>(4, kWaveChoice));
  EXPECT_EQ(field(events("media")[0], "type"), "waveaudio");

  for (const char* step : {"open", "play"}) {
    start("a");
    media().fail(step, 326);
    path = "x.WAV";
    EXPECT_EQ(play_wave_file(services(), path), 1) << step;
    EXPECT_EQ(path, "x.WAV");
    EXPECT_TRUE(boxes().empty()) << step;
  }
  EXPECT_EQ(media_steps(), (std::vector<std::string>{"open", "play:326", "close"}));
}

TEST_F(FileArgumentTest, FileArgumentsAreUsedUpAndTheLoopGoesOn) {
  // A MIDI file closes the output first; the emptied argument then plays an
  // empty tablature.
  start("a");
  run({"@zz", "#", "x.wav.mid"});
  auto all = lines();
  ASSERT_GE(all.size(), 3u);
  std::vector<std::string> order;
  for (const auto& line : all)
    if (field(line, "ev") != "box" && field(line, "ev") != "midi")
      order.push_back(field(line, "ev"));
  EXPECT_EQ(order, (std::vector<std::string>{"open", "close", "media", "media", "media", "media",
                                             "open", "close"}));
  EXPECT_EQ(field(events("media")[0], "type"), "sequencer");
  EXPECT_TRUE(played().empty());

  // A wave file plays on the wave device, under the name as typed.
  start("a");
  run({"x.WAV", "c"});
  EXPECT_EQ(field(events("media")[0], "path"), "x.WAV");
  EXPECT_EQ(played(), (std::vector<int>{36}));

  // The first kind that matches, in letters of one case.
  struct Kind {
    const char* arg;
    const char* type;  // "" for none: a tablature
  } kinds[] = {
      {"a.tab.wav", "waveaudio"}, {"a.wav.MID", "sequencer"}, {"a.Mid", ""}, {"a.Wav", ""}};
  for (const auto& k : kinds) {
    start("a");
    run({k.arg});
    auto steps = events("media");
    EXPECT_EQ(steps.empty() ? "" : field(steps[0], "type"), k.type) << k.arg;
  }
}

TEST_F(FileArgumentTest, PrefixedWaveNamesAreCuesAndTheirPrefixStillSorts) {
  struct Case {
    std::vector<std::string> args;
    const char* cue;
    std::vector<int> notes;
  } cases[] = {
      // $ state with no symbol: following tablatures are not played.
      {{"$bonjour.wav", "c"}, "\\kt3\\wav\\bonjour.wav", {}},
      // # state with the pending symbol cleared: played unchanged.
      {{"#t5", "#c:\\sons\\x.WAV", "c"}, "c:\\sons\\x.WAV", {36}},
      {{"@x.wav"}, "x.wav", {}},
  };
  for (const auto& c : cases) {
    start();
    run(c.args);
    auto cues = events("sound");
    ASSERT_EQ(cues.size(), 1u) << c.cue;
    EXPECT_EQ(field(cues[0], "path"), c.cue);
    EXPECT_TRUE(events("media").empty()) << c.cue;
    EXPECT_EQ(played(), c.notes) << c.cue;
  }
  // @x.wav: the dispatcher runs with an empty name.
  EXPECT_EQ(boxes()[0].text, "");
  EXPECT_EQ(boxes()[0].caption, "la commande @ n'existe pas");
}

TEST_F(FileArgumentTest, ATablatureFileTakesTheArgumentsPlaceAndPlaysWhole) {
  write_file("\\korvane\\short.tab", "o3 c d e");
  // Longer than a page, many more notes than a typed tablature plays, and a
  // measure whose last note is an octave up: the next piece still reads on
  // from octave 5.
  std::string measure = "c > c |\n";
  std::string song = "o5 ";
  for (int i = 0; i < 400; ++i) song += measure;
  write_file("\\korvane\\long.TAB", song);

  run({"\\korvane\\short.tab"});
  EXPECT_EQ(played(), (std::vector<int>{36, 38, 40}));

  start();
  run({"\\korvane\\long.TAB"});
  std::vector<int> expected;
  for (int i = 0; i < 400; ++i) expected.insert(expected.end(), {60, 72});
  EXPECT_EQ(played(), expected);
  EXPECT_EQ(events("open").size(), 1u);
  EXPECT_TRUE(boxes().empty());

  // A pending command works on the file's text.
  start();
  run({"#t5", "\\korvane\\short.tab"});
  EXPECT_EQ(played(), (std::vector<int>{41, 43, 45}));
}

TEST_F(FileArgumentTest, AnUnreadableTablatureFileIsReportedAndPlayedAsTyped) {
  run({"absent.tab"});
  auto shown = boxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].style, "choice");
  EXPECT_EQ(shown[0].text, "absent.tab");
  EXPECT_EQ(shown[0].caption, "impossible d'ouvrir en lecture");
  EXPECT_EQ(shown[1].style, "info");
  EXPECT_EQ(shown[1].text, "impossible d'ouvvrir la tablature en lecture");
  EXPECT_EQ(shown[1].caption, "absent.tab");
  // The argument stays as typed: a b e, and b after two tempo tokens.
  EXPECT_EQ(played(), (std::vector<int>{45, 47, 40, 47}));
}

}  // namespace
}  // namespace velk0
