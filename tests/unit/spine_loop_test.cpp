#include <gtest/gtest.h>

#include "core/messages.h"
#include "core/settings.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Midi;

class ArgumentLoopTest : public testing::PlatformTest {
 protected:
  // The note numbers of the note-on messages, in order.
  std::vector<int> played() const {
    std::vector<int> out;
    for (const Midi& m : notes_on()) out.push_back(m[1]);
    return out;
  }
};

TEST_F(ArgumentLoopTest, NoArgumentShowsTheNineUsageLines) {
  settings().tempo = 99;
  EXPECT_EQ(run({}), 0);
  auto shown = boxes();
  ASSERT_EQ(shown.size(), 9u);
  EXPECT_EQ(shown[0].caption,
            "syntaxe : velk0 arg1 arg2... o\xC3\xB9 les arguments sont des commandes ou des "
            "tablatures");
  EXPECT_EQ(shown[2].caption,
            "Les arguments qui ne commencent pas par un @, un # ou par un $ doivent \xC3\xAAtre "
            "des tablatures \xC3\xA9"
            "crites avec les conventions de l'\xC3\xA9"
            "diteur scrivol");
  EXPECT_EQ(shown[5].caption,
            "Exemples : velk0 #t5 \"cdefgab>c\" transpose la tablature indiqu\xC3\xA9"
            "e de 5 demi-tons");
  EXPECT_EQ(shown[7].caption,
            "velk0 @pi @pt @hg permet de choisir un instrument , un tempo et une gamme");
  for (const auto& b : shown) {
    EXPECT_EQ(b.style, "info");
    EXPECT_EQ(b.text, "");
  }
  EXPECT_TRUE(events("midi").empty());  // settings are not reset
  EXPECT_EQ(settings().tempo, 99);
}

TEST_F(ArgumentLoopTest, ATablatureIsPlayedOnAFreshDevice) {
  run({"o3 c d e"});
  EXPECT_EQ(midi(), (std::vector<Midi>{{0xC1, 0, 0},
                                       {0x91, 36, 127},
                                       {0x81, 36, 0},
                                       {0x91, 38, 127},
                                       {0x81, 38, 0},
                                       {0x91, 40, 127},
                                       {0x81, 40, 0}}));
  EXPECT_EQ(waits(), (std::vector<int>{1000, 1000, 1000}));
  EXPECT_EQ(events("open").size(), 1u);
  EXPECT_EQ(events("close").size(), 1u);
  // The program change of the reset goes out before any device is open.
  EXPECT_NE(lines()[0].find("\"device\":null"), std::string::npos);
}

TEST_F(ArgumentLoopTest, PendingCommandsFollowTheStateMachine) {
  struct Case {
    std::vector<std::string> args;
    std::vector<int> notes;
  } cases[] = {
      {{"cdefgab"}, {36, 38, 40, 41, 43, 45, 47}},
      {{"#t5", "ceg"}, {41, 45, 36}},       // f a c
      {{"#t5", "c", "d"}, {41, 43}},        // applies to every tablature
      {{"#t5", "#", "ceg"}, {36, 40, 43}},  // # alone clears the symbol
      {{"#t5", "#", "#d7", "ceg"}, {36, 40, 43}},
      {{"#t5", "#d7", "c"}, {43}},   // #d gives the pending command a new number
      {{"$a3", "ceg"}, {3, 7, 10}},  // run from note 3, nothing played by the loop
      {{"#t5", "$a3", "c", "#w1", "c"}, {3, 41}},
      {{"$", "ceg"}, {}},  // $ state with no symbol: nothing played
      {{"#t5", "$a3", "#", "c"}, {36}},
  };
  for (const auto& c : cases) {
    start();
    run(c.args);
    std::string joined;
    for (auto& a : c.args) joined += a + " ";
    EXPECT_EQ(played(), c.notes) << joined;
  }
}

TEST_F(ArgumentLoopTest, LoopSettingsReadTheThirdCharacterAlone) {
  struct Case {
    const char* arg;
    int show_level, device_index;
  } cases[] = {{"#w1", 1, 0}, {"#w12", 1, 0}, {"#w", 0, 0}, {"#wx", 0, 0},
               {"#m3", 0, 3}, {"#mx", 0, 0},  {"#m", 0, 0}};
  for (const auto& c : cases) {
    start();
    run({c.arg});
    EXPECT_EQ(loop_settings().show_level, c.show_level) << c.arg;
    EXPECT_EQ(loop_settings().device_index, c.device_index) << c.arg;
  }
}

TEST_F(ArgumentLoopTest, DeviceChoiceTakesEffectAtTheNextOpening) {
  start("", {256, 16, 16, 16});
  run({"#m3", "c", "#mx", "c"});
  auto opened = events("open");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(testing::number(opened[0], "device"), 3);
  EXPECT_EQ(testing::number(opened[1], "device"), 0);
}

TEST_F(ArgumentLoopTest, AtCommandsCheckTheDeviceOnceAndRunAgainOnATablature) {
  run({"@pi", "@pt", "@hg"});
  EXPECT_EQ(events("open").size(), 1u);
  // each cancelled at once
  EXPECT_EQ(captions(), (std::vector<std::string>{"piano", "largo", "gamme majeure"}));
  EXPECT_LT(lines()[1].find("\"ev\":\"open\""), std::string::npos);

  start();
  run({"@zz", "x"});
  auto shown = boxes();
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[0].text, "zz");
  EXPECT_EQ(shown[0].caption, "la commande @ n'existe pas");
  EXPECT_EQ(shown[3].text, "zz");
  EXPECT_TRUE(notes_on().empty());
}

TEST_F(ArgumentLoopTest, OnlyTheFirstHundredNotesOfAnArgumentSound) {
  std::string many;
  for (int i = 0; i < 150; ++i) many += "c";
  run({many});
  EXPECT_EQ(notes_on().size(), 100u);
}

TEST_F(ArgumentLoopTest, AnEmptyArgumentPlaysAnEmptyTablature) {
  run({""});
  EXPECT_EQ(events("open").size(), 1u);
  EXPECT_EQ(events("close").size(), 1u);
  EXPECT_TRUE(notes_on().empty());
}

TEST_F(ArgumentLoopTest, ADeviceThatCannotPlayIsReportedForEachTablature) {
  start("", {});
  run({"c", "d"});
  EXPECT_EQ(captions(),
            (std::vector<std::string>(2, "votre environnement ne supporte pas ce midi mapper")));
  EXPECT_TRUE(notes_on().empty());
}

TEST_F(ArgumentLoopTest, OverlongArgumentsAreCutToTheirBuffers) {
  std::string huge(100000, 'c');
  run({"#t" + std::string(5000, '1'), huge, "$a" + std::string(5000, '9'), huge});
  EXPECT_FALSE(notes_on().empty());
}

}  // namespace
}  // namespace velk0
