// The reading commands and the dictionary through the trace: the reading
// options, the measure range, the clipboard's and fictab's tablatures, and
// the harmony reading's translation.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "commands/at_command.h"
#include "commands/dictionary.h"
#include "core/settings.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Box;

const std::string kEdition = "\\korvane\\edition.wav";
const std::string kDictionary = "\\korvane\\notaflux.dic";
const std::string kScratch = "\\korvane\\prv.tab";
const std::string kInformation = "\\korvane\\prvinfo.tab";
const std::string kNotFound = "dictionnaire nontrouv\xC3\xA9";
const std::vector<int> kScale = {36, 38, 40, 41, 43, 45, 47, 48};  // the default tablature

class AtReadingTest : public testing::PlatformTest {
 protected:
  // A session whose stepwise playback finds its device.
  void prepare(const std::string& answers) {
    start(answers);
    write_file("\\korvane\\midiinit.dev", "0");
  }
  // Runs one command on the settings as they stand (no reset).
  void command(const std::string& name) { run_at_command(state(), name); }
  std::vector<int> played() const {
    std::vector<int> out;
    for (const testing::Midi& m : notes_on()) out.push_back(m[1]);
    return out;
  }
};

TEST_F(AtReadingTest, EachReadingLetterIsAddedOnceAndCancelLeavesNone) {
  const std::string caption = "oui non annuler=pas d'indication";
  struct Case {
    std::vector<std::string> names;
    std::string answers, indi;
    std::size_t cues;
  } cases[] = {
      {{"oia", "oic", "oid", "oih", "oim", "oin", "oip"}, "yyyyyyy", "acdhmnp", 7},
      {{"oia", "oia"}, "yy", "a", 2},
      {{"oin", "oia"}, "yn", "n", 1},
      {{"oin", "oia"}, "ya", "", 1},
      {{"oim"}, "n", "", 0},
  };
  for (const auto& c : cases) {
    prepare(c.answers);
    for (const std::string& name : c.names) command(name);
    EXPECT_EQ(settings().indi, c.indi) << c.answers;
    EXPECT_EQ(sounds().size(), c.cues) << c.answers;
    for (const Box& b : boxes()) EXPECT_EQ(b.caption, caption);
    EXPECT_EQ(settings().tabcourante, "o3 c d e f g a b >c\n");  // no group: not translated
  }
  EXPECT_EQ(boxes()[0].text, "ajouter la lecture des mesures");
}

TEST_F(AtReadingTest, TheDictionaryTranslatesEachWordOfAGroup) {
  const std::string dictionary = "[sol]g b >d\n[do]C E G\r\n[re]d f a\n";
  const std::string long_line = std::string(2100, 'x') + "[fa]f a c\n";
  const std::string straddling = std::string(2045, 'x') + "[fa]f\n[fa]g\n";
  struct Case {
    std::optional<std::string> dictionary;  // nothing: no file
    std::string text, rest, keys, translations;
    std::size_t boxes;
  } cases[] = {
      {dictionary, "x[sol]y", "xy", "[sol]", "(g b >d\n)", 0},
      {dictionary, "{do re}", "", "{do}{re}", "C E G\nd f a\n", 0},
      {dictionary, "[ do ]", "", "[do]", "(C E G\n)", 0},  // blanks by the brackets end no word
      {dictionary, "a[sol re", "a", "[sol][re]", "(g b >d\n)(d f a\n)", 0},  // never closed
      {dictionary, "[mi]b{do}", "b", "[mi]{do}", "C E G\n", 0},              // mi is missing
      {dictionary, "[do}x{re]", "x", "[do]{re}", "(C E G\n)d f a\n", 0},     // either closer
      {dictionary, "do re", "do re", "", "", 0},
      {std::nullopt, "{do re}", "", "{do}{re}", "", 2},  // one box a word
      // Lines are read 2047 characters at a time.
      {long_line, "[fa]", "", "[fa]", "(f a c\n)", 0},
      {straddling, "[fa]", "", "[fa]", "(g\n)", 0},
      // A key at the very end, without a line end, has an empty translation.
      {"[fa]", "[fa]", "", "[fa]", "", 0},
      {std::string("[la]\x01\xFF\n", 7), "[la]", "", "[la]", "(\x01\xFF\n)", 0},
      {std::string("a\0[fa]b\n[fa]c\n", 14), "[fa]", "", "[fa]", "(c\n)", 0},  // a zero byte
  };
  for (const auto& c : cases) {
    start();
    std::filesystem::remove(root() / "korvane" / "notaflux.dic");
    if (c.dictionary) write_file(kDictionary, *c.dictionary);
    std::string text = c.text, keys = "old", translations = "old";
    dict_translate(services(), text, keys, translations, kDictionary);
    EXPECT_EQ(text, c.rest) << c.text;
    EXPECT_EQ(keys, c.keys) << c.text;
    EXPECT_EQ(translations, c.translations) << c.text;
    ASSERT_EQ(boxes().size(), c.boxes) << c.text;
    for (const Box& b : boxes()) {
      EXPECT_EQ(b.text, kNotFound);
      EXPECT_EQ(b.caption, kDictionary);
    }
  }
}

TEST_F(AtReadingTest, TheHarmonyReadingTranslatesTheCurrentTablature) {
  const std::string caption = "Traduction avec le dictionnaire \\korvane\\notaflux.dic";
  struct Case {
    std::optional<std::string> dictionary;
    std::string answers, tablature, translated, written;
    std::vector<std::string> captions;
  } cases[] = {
      {"[do]C E G\n", "y", "x[Do][do]", "(c e g\n)", "(c e g\r\n)", {caption}},
      {std::nullopt, "y", "[do]", "", "", {kDictionary, caption}},  // still written and shown
      {"[do]C E G\n", "n", "[do]", "[do]", "before", {}},
      // Translations longer than a text are cut to it.
      {"[a]" + std::string(3000, 'b'),
       "y",
       "[a a]",
       "(" + std::string(2044, 'b') + ")(",
       "(" + std::string(2044, 'b') + ")(",
       {caption}},
  };
  for (const auto& c : cases) {
    prepare(c.answers);
    std::filesystem::remove(root() / "korvane" / "notaflux.dic");
    if (c.dictionary) write_file(kDictionary, *c.dictionary);
    write_file(kInformation, "before");
    settings().tabcourante = c.tablature;
    command("oih");
    std::vector<std::string> shown;
    for (const Box& b : boxes())
      if (b.style == "info") shown.push_back(b.caption);
    EXPECT_EQ(shown, c.captions) << c.tablature;
    EXPECT_EQ(settings().tabcourante, c.translated) << c.tablature;
    EXPECT_EQ(read_file(kInformation), c.written) << c.tablature;
    const bool done = c.answers == "y";
    EXPECT_EQ(settings().motif, done ? c.translated : "") << c.tablature;
    EXPECT_EQ(boxes().back().text, done ? c.translated : "ajouter la lecture de l'harmonie");
    EXPECT_EQ(sounds().size(), done ? 1u : 0u) << c.tablature;
  }
}

TEST_F(AtReadingTest, TheMeasureRangeAndTheMeasureDialogue) {
  struct Case {
    std::string name, settings_file, answers;
    int mesuredeb;
    std::vector<int> notes;
    std::string indi;
  } cases[] = {
      {"op", "", "", 1, kScale, ""},  // not below 1
      {"op", "mesuredeb=4\n", "", 3, {40, 41, 43, 45, 47, 48}, ""},
      {"os", "", "", 2, {38, 40, 41, 43, 45, 47, 48}, ""},
      // One measure, then the end: indi is put back afterwards.
      {"ojm", "indi=an\n", "ya", 2, kScale, "an"},
  };
  for (const auto& c : cases) {
    prepare(c.answers);
    write_file("\\korvane\\notaflux.ini", c.settings_file);
    command("pm");
    clear_trace();
    command(c.name);
    EXPECT_EQ(settings().mesuredeb, c.mesuredeb) << c.name;
    EXPECT_EQ(played(), c.notes) << c.name;
    EXPECT_EQ(settings().indi, c.indi) << c.name;
    EXPECT_EQ(sounds(), std::vector<std::string>{kEdition}) << c.name;
  }
  EXPECT_EQ(boxes()[0].text, "mesure 1 : jouer depuis la note 1 jusqu'a la note 8");
  EXPECT_EQ(boxes()[1].text, "fin de la tablature");
}

TEST_F(AtReadingTest, FictabIsPlayedFromItsFileOrAsItStands) {
  std::string long_piece;
  for (int i = 0; i < 150; ++i) long_piece += "c ";
  struct Case {
    std::string fictab;  // empty: the default
    std::optional<std::string> file;
    std::vector<int> notes;
  } cases[] = {
      {"", "o3 c e g\n", {36, 40, 43}},
      {"", long_piece, std::vector<int>(150, 36)},  // played whole, as a file argument is
      {"o3 d f", std::nullopt, {38, 41}},
  };
  for (const auto& c : cases) {
    prepare("");
    if (c.file) write_file(kScratch, *c.file);
    if (!c.fictab.empty()) settings().fictab = c.fictab;
    command("ojt");
    EXPECT_EQ(played(), c.notes) << c.fictab;
    EXPECT_TRUE(boxes().empty()) << c.fictab;  // a name that opens no file is not reported
    EXPECT_EQ(sounds(), std::vector<std::string>{kEdition});
  }
}

TEST_F(AtReadingTest, TheClipboardPlayedAsTheCurrentTablature) {
  const std::string question = "oui=jouer presse papier non=jouer et sauvegarder escape = quitter";
  const std::string scale = "o3 c d e f g a b >c\n";
  struct Case {
    std::optional<std::string> clipboard;
    std::string answers, tablature, scratch;
    std::vector<int> notes;
  } cases[] = {
      {"o3 e f", "y y", scale, "o3 c d e f g a b >c\r\n", {40, 41}},  // played, then put back
      {"o3 e f", "y n", "o3 e f\n", "o3 e f\r\n", {40, 41}},          // played and kept
      {"o3 e f", "y a", scale, "none", {}},
      {std::nullopt, "", scale, "none", {}},
  };
  for (const auto& c : cases) {
    prepare(c.answers);
    write_file(kScratch, "none");
    clipboard().text = c.clipboard;
    settings().indi = "n";
    settings().mesuredeb = 3;
    command("ojp");
    const std::string label = c.answers;
    EXPECT_EQ(settings().tabcourante, c.tablature) << label;
    EXPECT_EQ(read_file(kScratch), c.scratch) << label;
    EXPECT_EQ(played(), c.notes) << label;
    EXPECT_EQ(settings().indi, "n") << label;
    EXPECT_EQ(settings().mesuredeb, c.notes.empty() ? 3 : 1) << label;
    EXPECT_EQ(sounds().back(), kEdition) << label;
    if (c.clipboard) {
      EXPECT_EQ(boxes()[1].text, "o3 e f\n") << label;
      EXPECT_EQ(boxes()[1].caption, question) << label;
    }
  }
  EXPECT_EQ(sounds(), (std::vector<std::string>{"erreur.wav", kEdition}));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "impossible de lire le presse papier");
}

}  // namespace
}  // namespace velk0
