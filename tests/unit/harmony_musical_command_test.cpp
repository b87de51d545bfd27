// The musical commands i, n, r, t on tablatures, with their boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/musical_command.h"
#include "core/messages.h"
#include "core/settings.h"
#include "test_platform.h"

namespace velk0 {
namespace {

const std::string kNotHandled = "non trait\xC3\xA9";  // as the box shows it

class HarmonyMusicalCommand : public testing::PlatformTest {
 protected:
  std::string command(const std::string& symbol, const std::string& number,
                      const std::string& tablature) {
    std::string argument = tablature;
    std::string out = "previous output";
    musical_command(state(), symbol, number, argument, out);
    return out;
  }
};

TEST_F(HarmonyMusicalCommand, Commands) {
  struct Case {
    std::string symbol, number, tablature;
    int show_level;
    std::string output;
    std::vector<testing::Box> boxes;  // style, text, caption
  };
  const Case cases[] = {
      {"t", "5", "cdefgab>c", 0, "f g a a+ c d e f ", {}},
      {"t", "-3", "ceg", 0, "a c+ e ", {}},
      {"t", "", "ceg", 0, "c e g ", {}},
      {"t", "12", "CEG", 0, "c e g ", {}},
      // The interval pattern is shown as a name is, and the chord played.
      {"i", "", "ceg", 1, "c e g ", {{"info", "c e g ", "4 3 "}}},
      {"i", "", "c", 1, "c ", {{"info", "c ", "0 "}}},
      {"i", "", "o3 c4 e8 | g2.", 0, "c e g ", {}},
      {"i", "", "egc", 2, "e g c ", {}},
      {"r", "3", "ceg", 0, "e c g ", {}},
      {"r", "5", "ceg", 0, "g c e ", {}},
      {"r", "1", "ceg", 0, "c e g ", {}},
      {"r", "x", "egc", 0, "e g c ", {}},
      {"n", "", "ceg", 1, "c e g ", {{"info", "c e g ", "majeur"}}},
      {"n", "", "egc", 1, "e g c ", {{"info", "e g c ", "3/majeur"}}},
      {"n", "", "egc", 0, "e g c ", {}},
      {"n", "", "egc", 2, "e g c ", {}},
      {"n", "", "c e g b- d", 1, "c e g b- d ", {{"info", "c e g b- d ", "9"}}},
      {"n", "", "cg", 1, "c g ", {{"info", "c g ", "quinte"}}},
      {"n", "", "ce-ac", 1, "c e- a c ", {{"info", "c e- a c ", "mineur 6"}}},
      // A repeated letter is read an octave up: steps 12 4 3.
      {"n", "", "cceg", 1, "c c e g ", {{"info", "c c e g ", kNotHandled}}},
      {"n", "", "c", 1, "c ", {{"info", "c ", kNotHandled}}},
      {"n", "", "cdefga", 1, "c d e f g a ", {{"info", "c d e f g a ", kNotHandled}}},
      // An indication left in the text empties the chord text: one note, c.
      {"t", "0", "iv100:ceg", 0, "c ", {}},
      {"i", "", "iv100:ceg", 1, "", {{"info", "", "0 "}}},
      {"n", "", "iv100:ceg", 1, "", {{"info", "", kNotHandled}}},
      {"x", "3", "ceg", 0, "c e g ", {{"info", "la commande n'existe pas", "#x"}}},
      {"it", "", "ceg", 0, "c e g ", {{"info", "la commande n'existe pas", "#it"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("#" + c.symbol + c.number + " " + c.tablature);
    start();
    loop_settings().show_level = c.show_level;
    EXPECT_EQ(command(c.symbol, c.number, c.tablature), c.output);
    const auto shown = boxes();
    ASSERT_EQ(shown.size(), c.boxes.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(shown[i].style, c.boxes[i].style);
      EXPECT_EQ(shown[i].text, c.boxes[i].text);
      EXPECT_EQ(shown[i].caption, c.boxes[i].caption);
    }
  }
}

TEST_F(HarmonyMusicalCommand, TheIntervalPatternIsShownThenTheChordPlayed) {
  run({"#w1", "#i", "c e g"});
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "c e g ");
  EXPECT_EQ(boxes()[0].caption, "4 3 ");
  EXPECT_EQ(notes_on(),
            (std::vector<testing::Midi>{testing::on(36), testing::on(40), testing::on(43)}));
}

TEST_F(HarmonyMusicalCommand, TheTablatureIsLowerCasedWithABlankAppended) {
  std::string argument = "CEG";
  std::string out;
  musical_command(state(), "t", "0", argument, out);
  EXPECT_EQ(argument, "ceg ");
  EXPECT_EQ(out, "c e g ");
}

TEST_F(HarmonyMusicalCommand, KeySignatureAltersTheNotesFirst) {
  settings().arma = "b-";
  EXPECT_EQ(command("t", "0", "bdf"), "a+ d f ");
  loop_settings().show_level = 1;
  EXPECT_EQ(command("n", "", "bdf"), "b- d f ");
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].caption, "majeur");
}

TEST_F(HarmonyMusicalCommand, KeySignatureIndicationStaysSet) {
  EXPECT_EQ(command("t", "0", "iaf+:fgc"), "f+ g c ");
  EXPECT_EQ(settings().arma, "f+");
  EXPECT_EQ(command("t", "2", "fac"), "g+ b d ") << "the signature applies to later tablatures";
}

TEST_F(HarmonyMusicalCommand, WorksOnTheFirstEighteenNotes) {
  // Eighteen c's read as 36 48 48...; the d after them would add a note.
  loop_settings().show_level = 1;
  auto pattern = [this](const std::string& tablature) {
    command("i", "", tablature);
    return boxes().back().caption;
  };
  const std::string eighteen(18, 'c');
  EXPECT_EQ(pattern(eighteen), "12 ");
  EXPECT_EQ(pattern(eighteen + "d"), "12 ");
  EXPECT_EQ(pattern(std::string(17, 'c') + "d"), "12 2 ");
}

TEST_F(HarmonyMusicalCommand, LongTablaturesStayWithinTheTablatureBuffer) {
  std::string letters;
  while (letters.size() < 2047) letters += "c+d-e*fga";
  letters.resize(2047);
  for (const char* symbol : {"i", "n", "r", "t", "z"}) {
    SCOPED_TRACE(symbol);
    std::string argument = letters;
    std::string out;
    musical_command(state(), symbol, "7", argument, out);
    EXPECT_FALSE(out.empty());
    EXPECT_LE(out.size(), kTablatureCapacity);
  }
}

TEST_F(HarmonyMusicalCommand, PlayedThroughTheArgumentLoop) {
  run({"#t5", "cdefgab>c"});
  std::vector<int> played;
  for (const auto& m : notes_on()) played.push_back(m[1]);
  // The sharp names carry no octave: all in octave 3.
  EXPECT_EQ(played, (std::vector<int>{41, 43, 45, 46, 36, 38, 40, 41}));
}

}  // namespace
}  // namespace velk0
