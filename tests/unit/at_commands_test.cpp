#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "commands/clipboard_commands.h"
#include "core/settings.h"
#include "platform/common/cue_sounds.h"
#include "platform/console.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Box;
using testing::Midi;

const std::string kEdition = "\\korvane\\edition.wav";
const std::string kEntry = "\\korvane\\entrez_u.wav";
const std::string kOffer = "oui=saisie non=suivant annuler=quitter";
const std::string kStep = "oui=augmenter non=diminuer escape=saisie";
const std::string kUnknown = "la commande @ n'existe pas";

class AtCommandTest : public testing::PlatformTest {
 protected:
  void run_with(const std::string& answers, std::vector<std::string> args) {
    start(answers);
    run(std::move(args));
  }
  std::vector<int> played() const {
    std::vector<int> out;
    for (const Midi& m : notes_on()) out.push_back(m[1]);
    return out;
  }
  // The program changes sent to the open device (the one the start sends
  // to no device left out).
  std::vector<int> programs_sent() const {
    std::vector<int> out;
    for (const std::string& line : events("midi")) {
      if (testing::number(line, "device") < 0) continue;
      int status = 0, program = 0;
      std::sscanf(line.c_str() + line.find("\"bytes\":[") + 9, "%d,%d", &status, &program);
      if ((status & 0xF0) == 0xC0) out.push_back(program);
    }
    return out;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Box& b : boxes()) out.push_back(b.text);
    return out;
  }
  // The position of the first trace line that holds `piece`.
  std::size_t line_of(const std::string& piece) const {
    auto all = lines();
    for (std::size_t i = 0; i < all.size(); ++i)
      if (all[i].find(piece) != std::string::npos) return i;
    return all.size();
  }
};

TEST_F(AtCommandTest, NamesAreComparedWholeWhateverTheirCase) {
  struct Case {
    std::string arg, first_caption;
  } cases[] = {
      {"@pt", "largo"},
      {"@PT", "largo"},
      {"@Pt", "largo"},
      {"@pvo", "voix 1 basse"},
      {"@HRep", "r\xC3\xA9p\xC3\xA9tition courante 0"},
      {"@hrepeat", "r\xC3\xA9p\xC3\xA9tition courante 0"},  // cut to its first four letters
      {"@ptrx", kUnknown},
      {"@p", kUnknown},
      {"@", kUnknown},
  };
  for (const Case& c : cases) {
    run_with("", {c.arg});
    ASSERT_FALSE(boxes().empty()) << c.arg;
    EXPECT_EQ(boxes()[0].caption, c.first_caption) << c.arg;
  }
}

TEST_F(AtCommandTest, ANameThatMatchesNothingGetsTheThreeBoxes) {
  for (std::string name : {"zz", "ptrx", ""}) {
    run_with("", {"@" + name + "yz"});
    if (name.size() > 2) name = name.substr(0, 4);
    std::vector<Box> shown = boxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, (name + "yz").substr(0, 4));
    EXPECT_EQ(shown[0].caption, kUnknown);
    EXPECT_EQ(shown[1].text, "@p suivi de b d i m t v ou vo");
    EXPECT_EQ(shown[1].caption, "liste des commandes pour choisir un parametre");
    EXPECT_EQ(shown[2].text, "@h suivi de a c g r rep");
    EXPECT_EQ(shown[2].caption, "liste des commande pour l'harmonie");
    for (const Box& b : shown) EXPECT_EQ(b.style, "info");
    EXPECT_TRUE(sounds().empty());
  }
  run_with("", {"@"});
  EXPECT_EQ(texts(), (std::vector<std::string>{"", "@p suivi de b d i m t v ou vo",
                                               "@h suivi de a c g r rep"}));
}

TEST_F(AtCommandTest, OfferChains) {
  const std::vector<std::string> tempos = {"largo", "andante", "all\xC3\xA9gro", "presto"};
  const std::vector<std::string> instruments = {"piano", "guitare", "orgue", "pizzicatto"};
  const std::vector<std::string> voices = {"voix 1 basse", "voix 2 t\xC3\xA9nor", "voix 3 alto",
                                           "voix 4 soprano"};
  auto first = [](const std::vector<std::string>& all, std::size_t n) {
    return std::vector<std::string>(all.begin(), all.begin() + static_cast<long>(n));
  };
  struct Case {
    std::string command, answers;
    std::vector<std::string> captions;
    int cues;
    std::vector<int> programs;
    int tempo, instru, vol, voix, canal;
  } cases[] = {
      {"@pt", "a", first(tempos, 1), 0, {}, 60, 0, 127, 0, 1},
      {"@pt", "nny", first(tempos, 3), 1, {}, 120, 0, 127, 0, 1},
      {"@pt", "nnnn", tempos, 1, {}, 60, 0, 127, 0, 1},  // the last box passed: still the cue
      {"@pt", "nnna", tempos, 1, {}, 60, 0, 127, 0, 1},
      {"@pi", "nnnn", instruments, 1, {0}, 60, 0, 127, 0, 1},  // the unchanged one sent again
      // General MIDI's nylon guitar and pizzicato strings.
      {"@pi", "ny", first(instruments, 2), 1, {24}, 60, 24, 127, 0, 1},
      {"@pi", "nnny", instruments, 1, {45}, 60, 45, 127, 0, 1},
      {"@pi", "na", first(instruments, 2), 0, {}, 60, 0, 127, 0, 1},
      {"@pvl", "ny", {"pianissimo", "fort\xC3\xA9"}, 1, {}, 60, 0, 111, 0, 1},
      {"@pvl", "y", {"pianissimo"}, 1, {}, 60, 0, 95, 0, 1},
      {"@pvo", "y", first(voices, 1), 1, {}, 60, 0, 127, 0, 0},
      {"@pvo", "nna", first(voices, 3), 0, {}, 60, 0, 127, 0, 1},
      {"@pvo", "nnn", voices, 0, {}, 60, 0, 127, 0, 1},  // No quits on its last box
      {"@pvo", "nnna", voices, 0, {}, 60, 0, 127, 0, 1},
      {"@pvo", "nnny", voices, 1, {}, 60, 0, 127, 3, 3},
  };
  for (const Case& c : cases) {
    run_with(c.answers, {c.command});
    const std::string label = c.command + " " + c.answers;
    EXPECT_EQ(captions(), c.captions) << label;
    EXPECT_EQ(sounds(), std::vector<std::string>(static_cast<std::size_t>(c.cues), kEdition))
        << label;
    EXPECT_EQ(programs_sent(), c.programs) << label;
    const PlaySettings& s = settings();
    EXPECT_EQ(s.tempo, c.tempo) << label;
    EXPECT_EQ(s.instru, c.instru) << label;
    EXPECT_EQ(s.vol, c.vol) << label;
    EXPECT_EQ(s.voix, c.voix) << label;
    EXPECT_EQ(s.canal, c.canal) << label;
    std::vector<Box> shown = boxes();
    for (std::size_t i = 0; i < shown.size(); ++i) {
      const bool voice_last = c.command == "@pvo" && i == 3;
      EXPECT_EQ(shown[i].text, voice_last ? "oui=saisie non=annuler=quitter" : kOffer) << label;
      EXPECT_EQ(shown[i].style, "choice");
    }
  }
}

TEST_F(AtCommandTest, Steppers) {
  auto trans = [this] { return int{settings().trans}; };
  auto degree = [this] { return int{settings().degre}; };
  auto repet = [this] { return int{settings().repet}; };
  const std::string rep = "r\xC3\xA9p\xC3\xA9tition courante ";
  struct Case {
    std::string command, answers;
    std::string caption;
    std::vector<int> shown;
    std::function<int()> field;
    int value, cues;
  } cases[] = {
      {"@ptr", "na", "transposition courante ", {0, 11}, trans, 11, 1},
      {"@ptr", "nya", "transposition courante ", {0, 11, 0}, trans, 0, 1},
      {"@hd", "nya", "degr\xC3\xA9 courant ", {1, 7, 1}, degree, 1, 1},
      {"@hd", "yyn", "degr\xC3\xA9 courant ", {1, 2, 3, 2}, degree, 2, 1},
      {"@hrep", "na", rep, {0, 0}, repet, 0, 1},  // below 0 is 0
      {"@hrep", "yyyyyyyyyyyya", rep, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}, repet, 0, 1},
      {"@hrep", "yyn", rep, {0, 1, 2, 1}, repet, 1, 1},  // the answers run out: Escape
  };
  for (const Case& c : cases) {
    run_with(c.answers, {c.command});
    const std::string label = c.command + " " + c.answers;
    std::vector<std::string> expected;
    for (int v : c.shown) expected.push_back(c.caption + std::to_string(v));
    EXPECT_EQ(captions(), expected) << label;
    for (const Box& b : boxes()) EXPECT_EQ(b.text, kStep) << label;
    EXPECT_EQ(c.field(), c.value) << label;
    EXPECT_EQ(sounds().size(), static_cast<std::size_t>(c.cues)) << label;
  }
}

TEST_F(AtCommandTest, KeyAndDegreeSteppersEmptyTheKeySignatureEvenOnEscape) {
  for (const char* command : {"@ht", "@hd"}) {
    start("a");
    write_file("\\korvane\\notaflux.ini", "arma=f+c+\n");
    run({"@pm", command});
    EXPECT_EQ(settings().arma, "") << command;
  }
}

TEST_F(AtCommandTest, InstrumentStepperPlaysANoteAfterEveryStep) {
  run_with("nya", {"@pb"});
  EXPECT_EQ(captions(), (std::vector<std::string>{"instrument courant 0", "instrument courant 0",
                                                  "instrument courant 1"}));
  // No at 0 stays 0, Yes gives 1, then Escape: each step and the end are heard.
  EXPECT_EQ(midi(), (std::vector<Midi>{{0xC1, 0, 0},  // the start's, to no device
                                       {0xC1, 0, 0},
                                       {0x91, 36, 127},
                                       {0x81, 36, 0},
                                       {0xC1, 1, 0},
                                       {0x91, 36, 127},
                                       {0x81, 36, 0},
                                       {0xC1, 1, 0},
                                       {0x91, 36, 127},
                                       {0x81, 36, 0}}));
  EXPECT_EQ(sounds(), std::vector<std::string>{kEdition});
  EXPECT_EQ(settings().instru, 1);

  start("ya");
  write_file("\\korvane\\notaflux.ini", "instru=127\n");
  run({"@pm", "@pb"});
  EXPECT_EQ(settings().instru, 127);  // Yes at 127 stays 127
  EXPECT_EQ(programs_sent(), (std::vector<int>{0, 127, 127, 127}));
}

TEST_F(AtCommandTest, ATranspositionIsHeardOnce) {
  struct Case {
    std::vector<std::string> args;
    std::string answers, clipboard;
    std::vector<int> notes;
  } cases[] = {
      {{"@ptr", "@pb"},
       "yya"
       "a",
       "",
       {38}},
      {{"@ptr", "@en"},
       "yya"
       "oo",
       "o3 c e",
       {38, 42}},
      {{"@ptr", "@er"},
       "yya"
       "oo",
       "4cd",
       {38, 40}},
      {{"@pvo", "@ptr", "@en"},
       "ny"
       "ya"
       "oo",
       "o3 c",
       {49}},                                    // tenor: an octave up
      {{"@en"}, "oo", "it3:c it3:d", {39, 41}},  // the motif's own transposition, once too
  };
  for (const Case& c : cases) {
    start(c.answers);
    clipboard().text = c.clipboard;
    run(c.args);
    EXPECT_EQ(played(), c.notes) << c.args.back() << " " << c.clipboard;
  }
}

TEST_F(AtCommandTest, DefaultsAndTheSettingsFile) {
  run_with("y", {"@pt", "@pd"});
  EXPECT_EQ(settings().tempo, 60);
  EXPECT_EQ(sounds(), (std::vector<std::string>{kEdition, kEdition}));
  EXPECT_EQ(programs_sent(), std::vector<int>{0});

  run_with("", {"@pm"});  // no file: the reader's box, the defaults, no cue
  EXPECT_EQ(captions(), std::vector<std::string>{"impossible d'ouvrir en lecture"});
  EXPECT_TRUE(sounds().empty());

  start();
  write_file("\\korvane\\notaflux.ini", "");
  run({"@pm"});
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(sounds().empty());

  start();
  write_file("\\korvane\\notaflux.ini", "tempo=90\n");
  run({"@pm"});
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].caption, "param\xC3\xA8tres courants");
  EXPECT_EQ(boxes()[0].text, "tempo=90\n");
  EXPECT_EQ(settings().tempo, 90);
  EXPECT_EQ(sounds(), std::vector<std::string>{kEdition});
}

TEST_F(AtCommandTest, NoteMotifFromTheClipboard) {
  const std::string question = "oui=saisir le motif de note non ou escape = annuler";
  struct Case {
    std::optional<std::string> clipboard;
    std::string answers;
    std::vector<std::string> sounds;
    std::vector<std::string> captions;
    std::string motif;
    std::vector<int> notes;
  } cases[] = {
      {"o3 c e",
       "oo",
       {kEdition},
       {"presse papier", "presse papier courant : o3 c e\n"},
       "o3 c e\n",
       {36, 40}},
      {"o3 c e", "on", {kEdition}, {"presse papier", "presse papier courant : o3 c e\n"}, "", {}},
      {std::string("c\0d", 3),
       "oo",
       {kEdition},
       {"presse papier", "presse papier courant : c\n"},
       "c\n",
       {36}},
      {"", "o", {kEdition}, {"presse papier courant : "}, "", {}},  // no text: no box
      {std::nullopt, "o", {"erreur.wav", kEdition}, {"presse papier courant : "}, "", {}},
  };
  for (const Case& c : cases) {
    start(c.answers);
    clipboard().text = c.clipboard;
    run({"@en"});
    const std::string label = c.clipboard.value_or("(none)") + " " + c.answers;
    EXPECT_EQ(sounds(), c.sounds) << label;
    EXPECT_EQ(captions(), c.captions) << label;
    EXPECT_EQ(boxes().back().text, question) << label;
    EXPECT_EQ(settings().motif, c.motif) << label;
    EXPECT_EQ(played(), c.notes) << label;
    ASSERT_EQ(events("clipboard").size(), 1u);
    EXPECT_EQ(testing::field(events("clipboard")[0], "op"), "read");
  }
  EXPECT_NE(events("clipboard")[0].find("\"text\":null"), std::string::npos);
}

TEST_F(AtCommandTest, ALongClipboardTextIsCutToItsBuffer) {
  start("on");
  clipboard().text = std::string(3000, 'c');
  run({"@en"});
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0].text, std::string(2046, 'c') + "\n");
  EXPECT_EQ(boxes()[1].caption.size(), 2047u);
}

TEST_F(AtCommandTest, RhythmicMotifIsRepeatedWhenShort) {
  struct Case {
    std::string clipboard, answers;
    std::uint32_t durations;  // how many durations the shared list holds
    std::vector<int> notes;
  } cases[] = {
      {"4cccc", "oo", 84, {36, 36, 36, 36}},  // 21 copies
      {"4cccc", "on", 8, {}},                 // No: the defaults stay
      // 98 characters and the line end: 21 copies would not fit, 20 do.
      {"8" + std::string(97, 'c'), "oo", 20 * 97, std::vector<int>(97, 36)},
      // 100 characters with the line end: read once.
      {std::string(99, 'c'), "oo", 99, std::vector<int>(99, 36)},
  };
  for (const Case& c : cases) {
    start(c.answers);
    clipboard().text = c.clipboard;
    run({"@er"});
    const std::string label = c.clipboard.substr(0, 8) + " " + c.answers;
    EXPECT_EQ(settings().durees[0], c.durations) << label;
    EXPECT_EQ(played(), c.notes) << label;
    EXPECT_EQ(sounds(), std::vector<std::string>{kEdition}) << label;
    EXPECT_EQ(boxes().back().text, "oui=saisir le motif rythmique non ou escape = annuler");
  }
  EXPECT_EQ(settings().durees[99], 4000u);
}

TEST_F(AtCommandTest, CopyingTheCurrentInformation) {
  const std::string information = "o3 c d e f g a b >c gamme majeure\n";
  const std::string question = "voulez vous copier dans le presse papier l'information courante";
  const std::string copier = "\\korvane\\vantrel.exe";
  struct Case {
    bool reachable, copier_installed;
    std::string answers;
    std::vector<std::string> captions, execs;
    std::string left_on_clipboard;
    bool cue;  // none when the copy asked for cannot have been made
  } cases[] = {
      {true, true, "o", {"information courante", question}, {copier}, "", true},
      {true, false, "o", {"information courante", question}, {copier}, "", false},
      {true, true, "n", {"information courante", question}, {}, "mine", true},
      {true, true, "a", {"information courante", question}, {}, "mine", true},
      {false, true, "n", {"information courante", question, ""}, {}, "", true},
      {false, true, "oa", {"information courante", question, ""}, {copier}, "", false},
  };
  for (const Case& c : cases) {
    start(c.answers);
    if (c.copier_installed) programs().installed = {copier};
    write_file(std::string(kCurrentInformationPath), information);
    if (c.reachable)
      clipboard().text = "mine";
    else
      clipboard().text.reset();
    run({"@hp"});
    const std::string label = std::to_string(c.reachable) + " " + c.answers;
    EXPECT_EQ(captions(), c.captions) << label;
    EXPECT_EQ(boxes()[0].text, information);
    if (!c.reachable) {
      EXPECT_EQ(boxes()[2].text, "Le presse papier n'est pas vide") << label;
    }
    EXPECT_EQ(execs(), c.execs) << label;
    EXPECT_EQ(sounds().size(), c.cue ? 1u : 0u) << label;
    EXPECT_EQ(clipboard().text.value_or(""), c.left_on_clipboard) << label;
    if (c.cue && !c.execs.empty()) {
      EXPECT_LT(line_of("\"ev\":\"exec\""), line_of("\"ev\":\"sound\"")) << label;
    }
  }
  std::filesystem::remove(root() / "korvane" / "prvinfo.tab");
  run_with("o", {"@hp"});  // no information yet: the reader's box, nothing else
  EXPECT_EQ(captions(), std::vector<std::string>{"impossible d'ouvrir en lecture"});
  EXPECT_TRUE(sounds().empty());
  EXPECT_TRUE(execs().empty());
}

TEST_F(AtCommandTest, CompanionProgramsAndTheirCues) {
  // A companion that cannot start is one line on standard error that names
  // it, and no cue says it is done.
  struct Case {
    std::string command;
    bool installed;
    std::vector<std::string> execs, sounds;
    bool cue_first;
  } cases[] = {
      {"@ste", true, {"quirel.exe"}, {kEntry}, true},
      {"@ste", false, {"quirel.exe"}, {kEntry}, true},
      {"@sta", true, {"quimbol.exe"}, {kEntry}, true},
      {"@sta", false, {"quimbol.exe"}, {kEntry}, true},
      {"@pam", true, {"zentra.exe"}, {kEdition}, false},
      {"@pam", false, {"zentra.exe"}, {}, false},
      {"@pat", false, {}, {kEdition}, false},
      {"@pac", false, {}, {kEdition}, false},
  };
  for (const Case& c : cases) {
    const std::string label = c.command + (c.installed ? " installed" : " missing");
    start();
    if (c.installed) programs().installed = c.execs;
    ::testing::internal::CaptureStderr();
    run({c.command});
    const std::string said = ::testing::internal::GetCapturedStderr();
    const bool failed = !c.installed && !c.execs.empty();
    EXPECT_EQ(
        said,
        failed ? platform::error_line_bytes("velk0 : impossible de d\xE9marrer " + c.execs[0]) : "")
        << label;
    EXPECT_EQ(execs(), c.execs) << label;
    EXPECT_EQ(sounds(), c.sounds) << label;
    EXPECT_TRUE(boxes().empty()) << label;
    for (const std::string& line : events("exec"))
      EXPECT_NE(line.find(c.installed ? "\"started\":true" : "\"started\":false"),
                std::string::npos)
          << label;
    if (!c.execs.empty() && !c.sounds.empty()) {
      EXPECT_EQ(line_of("\"ev\":\"sound\"") < line_of("\"ev\":\"exec\""), c.cue_first) << label;
    }
  }
}

TEST_F(AtCommandTest, TheCuesAreInstalledWhenMissingOrCutShortAndNeverReplaced) {
  // A whole WAV file of the user's own stays; one cut short by a full disk,
  // or with no WAV header, is written again.
  const std::string mine = platform::render_cue("erreur.wav");
  write_file(kEntry, mine);
  run_with("", {"@pat", "@ste"});
  EXPECT_EQ(read_file(kEntry), mine);
  EXPECT_EQ(read_file(kEdition), platform::render_cue(kEdition));
  for (const std::string& damaged :
       {platform::render_cue(kEdition).substr(0, 100), std::string("mine")}) {
    write_file(kEdition, damaged);
    run_with("", {"@pat"});
    EXPECT_EQ(read_file(kEdition), platform::render_cue(kEdition));
  }

  start("o");
  clipboard().text.reset();
  run({"@en"});
  // The bare name is not in the current folder: the data folder's copy.
  EXPECT_EQ(read_file("\\korvane\\erreur.wav"), platform::render_cue("erreur.wav"));
}

TEST_F(AtCommandTest, TheShippedCuesAreShortDistinctWaveFiles) {
  std::vector<std::string> files;
  for (const std::string& name : {kEdition, kEntry, std::string("erreur.wav")}) {
    const std::string wav = platform::render_cue(name);
    ASSERT_GT(wav.size(), 44u) << name;
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(wav.substr(36, 4), "data");
    auto le = [&](std::size_t at, int bytes) {
      std::uint32_t v = 0;
      for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(wav[at + i]);
      return v;
    };
    EXPECT_EQ(le(20, 2), 1u);   // PCM
    EXPECT_EQ(le(34, 2), 16u);  // 16-bit
    EXPECT_EQ(le(40, 4), wav.size() - 44);
    const double seconds = static_cast<double>(le(40, 4)) / le(28, 4);
    EXPECT_GT(seconds, 0.2) << name;
    EXPECT_LT(seconds, 1.0) << name;
    int peak = 0;
    for (std::size_t i = 44; i + 1 < wav.size(); i += 2)
      peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(le(i, 2)))));
    EXPECT_GT(peak, 3000) << name;   // audible
    EXPECT_LT(peak, 32000) << name;  // never clipped
    files.push_back(wav);
  }
  EXPECT_NE(files[0], files[1]);
  EXPECT_NE(files[1], files[2]);
  EXPECT_EQ(platform::render_cue("bonjour.wav"), "");
}

}  // namespace
}  // namespace velk0
