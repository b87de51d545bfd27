#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Box;
using testing::Midi;

using testing::off;
using testing::on;

class TablatureCommandTest : public testing::PlatformTest {
 protected:
  // Note-on and note-off messages (the program change at start left out).
  std::vector<Midi> note_messages() const {
    std::vector<Midi> out;
    for (const Midi& m : midi())
      if ((m[0] & 0xE0) == 0x80) out.push_back(m);
    return out;
  }
};

TEST_F(TablatureCommandTest, RunsAndChords) {
  struct Case {
    std::vector<std::string> args;
    std::vector<Midi> midi;
    std::vector<int> waits;
  } cases[] = {
      {{"$a60", "o3 c d e f g a b >c"},
       {on(60), off(60), on(62), off(62), on(64), off(64), on(65), off(65), on(67), off(67), on(69),
        off(69), on(71), off(71), on(72), off(72)},
       std::vector<int>(8, 1000)},
      {{"$a60", "t120 c 8e"}, {on(60), off(60), on(64), off(64)}, {1000, 500}},  // tempo 60 still
      {{"$p48", "o3 c e g"}, {on(48), on(52), on(55), off(48), off(52), off(55)}, {1000, 1000}},
      {{"$p48", "2c 8e g"}, {on(48), on(52), on(55), off(48), off(52), off(55)}, {2000, 500}},
      {{"$p48", "c"}, {on(48), off(48)}, {1000}},  // one note: it sounds alone, then ends
      {{"$a", "c d"}, {on(0), off(0), on(2), off(2)}, {1000, 1000}},  // no number: from 0
      {{"$a60", ""}, {}, {}},
      {{"$p60", "iv10:"}, {}, {}},
  };
  for (const Case& c : cases) {
    start();
    run(c.args);
    EXPECT_EQ(note_messages(), c.midi) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(waits(), c.waits) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(events("close").size(), 1u);
  }
}

TEST_F(TablatureCommandTest, UnknownLetterPlaysNothing) {
  run({"$t5", "c e g"});
  std::vector<Box> b = boxes();
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0].text, "la commande n'existe pas");
  EXPECT_EQ(b[0].caption, "$t");
  EXPECT_TRUE(notes_on().empty());
}

TEST_F(TablatureCommandTest, LongTablaturesUseTheirFirstFiftyNotes) {
  std::string text = "o1";
  for (int i = 0; i < 60; ++i) text += i % 2 ? "c" : "d";
  run({"$a40", text});
  EXPECT_EQ(notes_on().size(), 50u);
  run({"$p40", text});
  EXPECT_EQ(notes_on().size(), 100u);
}

TEST_F(TablatureCommandTest, ShowsTheNotesAndStepsAtShowLevelOne) {
  run({"$p48", "c e g"});
  EXPECT_TRUE(boxes().empty());
  run({"#w1", "$p48", "o3 c e g"});
  std::vector<Box> b = boxes();
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[0].caption, "o3 c e g");
  EXPECT_EQ(b[0].text, "3 : 36 40 43");
  EXPECT_EQ(b[1].caption, "4 3 ");
  EXPECT_EQ(b[1].text, "2 : 4 3");
}

}  // namespace
}  // namespace velk0
