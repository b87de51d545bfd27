#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "tablature/settings_file.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Midi;

class SettingsFileTest : public testing::PlatformTest {
 protected:
  std::string load(const std::string& contents) {
    write_file(kSettingsFilePath, contents);
    std::string text;
    read_settings_file(state(), text);
    return text;
  }
};

TEST_F(SettingsFileTest, AppliesTheKeysItFinds) {
  const std::string contents = "tempo=90\nvol=200\narma=b-e-\n";
  EXPECT_EQ(load(contents), contents);
  const PlaySettings& s = settings();
  EXPECT_EQ(s.tempo, 90);
  EXPECT_EQ(s.vol, 127);
  EXPECT_EQ(s.arma, "b-e-");
  EXPECT_EQ(s.dur, 4);
  EXPECT_EQ(s.mesuredeb, 1);
  EXPECT_EQ(s.fictab, "\\korvane\\prv.tab");

  load(
      "arma=f+\nfictab=\\korvane\\x.tab\nindi=mn\ncanal=3\ndur=8\nocta=300\ntrans=-2\n"
      "mesuredeb=2\nmesurefin=-4\nmesure=7\nvol=-1\ninstru=41\nnum=3\nden=8");
  EXPECT_EQ(s.arma, "f+");
  EXPECT_EQ(s.fictab, "\\korvane\\x.tab");
  EXPECT_EQ(s.indi, "mn");
  EXPECT_EQ(s.canal, 3);
  EXPECT_EQ(s.dur, 8);
  EXPECT_EQ(s.octa, 44);  // 300 kept in 8 bits
  EXPECT_EQ(s.trans, -2);
  EXPECT_EQ(s.mesuredeb, 2);
  EXPECT_EQ(s.mesurefin, -4);
  EXPECT_EQ(s.mesure, 7);
  EXPECT_EQ(s.vol, 127);
  EXPECT_EQ(s.instru, 41);
  EXPECT_EQ(s.num, 3);
  EXPECT_EQ(s.den, 8);
  EXPECT_EQ(midi().back(), (Midi{0xC3, 41, 0}));
}

TEST_F(SettingsFileTest, Checks) {
  struct Case {
    const char* contents;
    int mesuredeb, mesurefin, mesure, tempo;
  } cases[] = {
      {"mesuredeb=-3", 1, 1000, 1000, 60},  {"mesuredeb=0\nmesurefin=0", 1, 1, 1000, 60},
      {"xtempo=50", 1, 1000, 1000, 50},     {"mesure=12", 1, 1000, 12, 60},
      {"tempo= +75x\n", 1, 1000, 1000, 75}, {"tempo=\n", 1, 1000, 1000, 0},
  };
  for (const Case& c : cases) {
    start();
    load(c.contents);
    EXPECT_EQ(settings().mesuredeb, c.mesuredeb) << c.contents;
    EXPECT_EQ(settings().mesurefin, c.mesurefin) << c.contents;
    EXPECT_EQ(settings().mesure, c.mesure) << c.contents;
    EXPECT_EQ(settings().tempo, c.tempo) << c.contents;
  }
}

TEST_F(SettingsFileTest, LongTextValuesAreCut) {
  load("arma=" + std::string(100, 'x') + "\nindi=" + std::string(79, 'y'));
  EXPECT_EQ(settings().arma, std::string(79, 'x'));
  EXPECT_EQ(settings().indi, std::string(79, 'y'));
}

TEST_F(SettingsFileTest, EmptyFileStillSendsTheProgram) {
  settings().instru = 300;
  EXPECT_EQ(load(""), "");
  EXPECT_EQ(midi(), (std::vector<Midi>{{0xC1, 44, 0}}));
  EXPECT_EQ(settings().instru, 300);
}

TEST_F(SettingsFileTest, MissingFileChangesNothing) {
  std::string text = "old";
  read_settings_file(state(), text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(captions(), (std::vector<std::string>{"impossible d'ouvrir en lecture"}));
  EXPECT_EQ(settings().tempo, 60);
  EXPECT_TRUE(midi().empty());  // no program change: the file was not read
}

}  // namespace
}  // namespace velk0
