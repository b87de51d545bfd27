// The chord model: normal form, interval patterns and the naming table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "harmony/chord.h"
#include "harmony/naming_table.h"
#include "harmony_test_util.h"

namespace velk0 {
namespace {

// Every pattern the program names: steps | degrees, bass first | name (UTF-8).
constexpr const char* kNamedPatterns = R"(
1         | 1 2         | seconde bémol
2         | 1 2         | seconde
3         | 1 3         | tierce mineure
4         | 1 3         | tierce majeure
5         | 1 4         | quarte
6         | 1 5         | quinte diminuée
7         | 1 5         | quinte
8         | 1 5         | quinte augmentée
9         | 1 6         | sixte
10        | 1 7         | septième
11        | 1 7         | septième majeure
12        | 1 8         | octave
13        | 1 9         | neuvième bémol
14        | 1 9         | neuvième
15        | 1 9         | neuvième dièse
16        | 1 11        | onzième bémol
17        | 1 11        | onzième
18        | 1 11        | onzième dièse
19        | 1 5         | douzième
20        | 1 13        | treizième bémol
21        | 1 13        | treizième
22        | 1 13        | treizième dièse
4 2       | 1 3 5       | quinte bémol
3 3       | 1 3 5       | diminué
4 4       | 1 3 5       | quinte augmenté
3 4       | 1 3 5       | mineur
4 3       | 1 3 5       | majeur
6 3       | 1 5 7       | -3 septième diminuée
7 3       | 1 5 7       | -3majeur 7
3 6       | 1 3 7       | -5 septième diminuée
3 7       | 1 3 7       | -5mineur 7
4 6       | 1 3 7       | -5majeur 7
3 8       | 1 3 7       | -5mineur 7 majeure
4 7       | 1 3 7       | -5majeur 7 majeure
6 9       | 1 5 3       | diminué
7 9       | 1 5 3       | majeur
7 8       | 1 5 3       | mineur
4 5       | 3 5 1       | 3/mineur
3 5       | 3 5 1       | 3/majeur
5 3       | 5 1 3       | 5/mineur
5 4       | 5 1 3       | 5/majeur
8 7       | 3 1 5       | 3/ majeur
9 7       | 3 1 5       | 3/ mineur
9 8       | 5 3 1       | 5/ majeur
8 9       | 5 3 1       | 5/ mineur
5 2       | 1 4 5       | 4
2 5       | 4 5 1       | 4/majeur 4
5 5       | 5 1 4       | 5/majeur 4
2 4       | 7 1 3       | 7/-5majeur 7
2 3       | 7 1 3       | 7/-5mineur 7
1 4       | 7 1 3       | 7/-5 majeur 7 majeure
1 3       | 7 1 3       | 7/-5 mineur 7 majeur
2 7       | 7 1 5       | 7/-3 majeur 7
1 7       | 7 1 5       | 7/-3 majeur 7 majeure
3 2       | 5 7 1       | 5/-3 majeur 7
4 1       | 5 7 1       | 5/-3 majeur 7 majeure
3 3 3     | 1 3 5 7     | 7 diminué
4 3 3     | 1 3 5 7     | 7
4 3 4     | 1 3 5 7     | 7 majeure
3 4 3     | 1 3 5 7     | mineur 7
3 4 4     | 1 3 5 7     | mineur 7 majeure
3 3 4     | 1 3 5 7     | mineur 7 quinte bémol
4 2 4     | 1 3 5 7     | majeur 7 quinte bémol
6 3 6     | 1 5 7 3     | 7 diminuée
7 3 6     | 1 5 7 3     | 7
7 4 5     | 1 5 7 3     | 7 majeure
6 4 6     | 1 5 7 3     | majeur 7 quinte bémol
6 4 5     | 1 5 7 3     | mineur 7 quinte bémol
7 3 3     | 1 5 6 8     | 5/-3 majeur 6 quinte bémol
3 4 5     | 1 3 5 8     | mineur
4 3 5     | 1 3 5 8     | majeur
10 6 3    | 1 7 3 5     | majeur 7
10 5 4    | 1 7 3 5     | mineur 7
11 5 3    | 1 7 3 5     | majeur 7 majeur
11 4 4    | 1 7 3 5     | mineur 7 majeure
10 6 2    | 1 7 3 5     | majeur 7 quinte bémol
10 5 3    | 1 7 3 5     | mineur 7 quinte bémol
4 5 3     | 1 3 6 8     | 6
3 6 3     | 1 3 6 8     | mineur 6
4 5 5     | 1 3 6 9     | 6 9
7 3 4     | 1 5 7 9     | -3 majeur 9
4 6 4     | 1 3 7 9     | -5 majeur 9
3 7 4     | 1 3 7 9     | -5 mineur 9
4 3 7     | 1 3 5 9     | -7 majeur 9
3 4 7     | 1 3 5 9     | -7 mineur 9
7 3 7     | 1 5 7 11    | -3 majeur 11
7 3 11    | 1 5 7 13    | -3 majeur 13
4 6 7     | 1 3 7 11    | -5 majeur 11
3 7 7     | 1 3 7 11    | -5 mineur 11
4 6 11    | 1 3 7 13    | -5 majeur 13
3 7 11    | 1 3 7 13    | -5 mineur 13
7 5 4     | 1 5 8 3     | majeur
3 5 4     | 3 5 1 10    | 3/majeur
3 3 2     | 3 5 7 1     | 3/ majeur 7
4 3 2     | 3 5 7 1     | 3/mineur 7
3 4 1     | 3 5 7 1     | 3/ majeur 7 majeure
2 4 2     | 3 5 7 1     | 3/ majeur 7 quinte bémol
4 4 1     | 3 5 7 1     | 3/mineur 7 majeure
3 4 2     | 3 5 7 1     | 3/mineur 7 quinte bémol
5 3 2     | 3 6 1 9     | 3/6 9
6 3 2     | 3 6 1 9     | 3/mineur 6 9
5 4 3     | 5 1 3 5     | 5/majeur
5 3 4     | 5 1 3 5     | 5/mineur
3 2 4     | 5 7 1 3     | 5/majeur 7
3 2 3     | 5 7 1 3     | 5/mineur 7
4 1 4     | 5 7 1 3     | 5/ majeur 7 majeure
4 1 3     | 5 7 1 3     | 5/mineur 7 majeure
4 2 3     | 5 7 1 3     | 5/mineur 7 quinte bémol
2 4 3     | 7 1 3 5     | 7/ majeur 7
2 3 4     | 7 1 3 5     | 7/mineur 7
1 4 3     | 7 1 3 5     | 7/ majeur 7 majeure
1 3 4     | 7 1 3 5     | 7/mineur 7 majeure
2 3 3     | 7 1 3 5     | 7/mineur 7 quinte bémol
5 3 6     | 7 3 5 1     | 7/ mineur 7 quinte bémol
4 5 5 5   | 1 3 6 9 5   | 6 9
4 3 3 4   | 1 3 5 7 9   | 9
3 4 3 4   | 1 3 5 7 9   | mineur 9
4 3 3 3   | 1 3 5 7 9   | 9 bémol
3 4 3 3   | 1 3 5 7 9   | mineur 9 bémol
4 3 3 7   | 1 3 5 7 11  | 11
4 3 3 8   | 1 3 5 7 11  | 11 dièse
3 4 3 7   | 1 3 5 7 11  | mineur 11
3 4 3 6   | 1 3 5 7 11  | mineur 11 bémol
3 4 3 8   | 1 3 5 7 11  | mineur 11 dièse
4 3 3 11  | 1 3 5 7 13  | 13
4 3 3 10  | 1 3 5 7 13  | 13 bémol
4 3 3 12  | 1 3 5 7 13  | 13 dièse
3 4 3 11  | 1 3 5 7 13  | mineur 13
3 4 3 10  | 1 3 5 7 13  | mineur 13 bémol
3 4 3 12  | 1 3 5 7 13  | mineur 13 dièse
2 2 3 3   | 1 9 3 5 7   | majeur 9
3 1 3 3   | 1 9 3 5 7   | majeur 9 dièse
1 3 3 3   | 1 9 3 5 7   | majeur 9 bémol
2 1 4 3   | 1 9 3 5 7   | mineur 9
1 2 4 3   | 1 9 3 5 7   | mineur 9 bemol
4 1 2 3   | 1 3 11 5 7  | majeur 11
4 2 1 3   | 1 3 11 5 7  | majeur 11 dièse
3 2 2 3   | 1 3 11 5 7  | mineur 11
3 3 1 3   | 1 3 11 5 7  | mineur 11 dièse
4 3 2 1   | 1 3 5 13 7  | majeur 13
4 3 1 2   | 1 3 5 13 7  | majeur 13 bémol
3 4 2 1   | 1 3 5 13 7  | mineur 13
3 4 1 2   | 1 3 5 13 7  | mineur 13 bémol
3 3 2 4   | 3 5 7 1 10  | 3/ majeur 7
4 3 2 3   | 3 5 7 1 10  | 3/ mineur 7
3 4 1 4   | 3 5 7 1 10  | 3/ majeur 7 majeure
4 4 1 3   | 3 5 7 1 10  | 3/ mineur 7 majeure
3 4 2 3   | 3 5 7 1 10  | 3/ mineur 7 quinte bémol
4 2 2 4   | 3 5 7 1 10  | 3/ majeur 7 quinte augmentée
2 4 2 4   | 3 5 7 1 10  | 3/ majeur 7 quinte bémol
3 3 2 2   | 3 5 7 1 9   | 3/ majeur 9
3 3 2 1   | 3 5 7 1 9   | 3/ majeur 9 bémol
3 3 2 3   | 3 5 7 1 9   | 3/ majeur 9 dièse
4 3 2 2   | 3 5 7 1 9   | 3/ mineur 9
3 3 2 5   | 3 5 7 1 11  | 3/ majeur 11
3 3 2 6   | 3 5 7 1 11  | 3/ majeur 11 dièse
4 3 2 5   | 3 5 7 1 11  | 3/ mineur 11
4 3 2 4   | 3 5 7 1 11  | 3/ mineur 11 bémol
3 3 2 9   | 3 5 7 1 13  | 3/ majeur 13
3 3 2 8   | 3 5 7 1 13  | 3/ majeur 13 bémol
4 3 2 9   | 3 5 7 1 13  | 3/ mineur 13
4 3 2 8   | 3 5 7 1 13  | 3/ mineur 13 bémol
3 2 2 2   | 5 7 1 9 3   | 5/ majeur 9
3 2 3 1   | 5 7 1 9 3   | 5/ majeur 9 dièse
3 2 1 3   | 5 7 1 9 3   | 5/ majeur 9 bémol
3 2 2 1   | 5 7 1 9 3   | 5/ mineur 9
3 2 1 2   | 5 7 1 9 3   | 5/ mineur 9 bémol
3 2 4 1   | 5 7 1 3 11  | 5/ majeur 11
3 2 4 2   | 5 7 1 3 11  | 5/ majeur 11 dièse
3 2 3 2   | 5 7 1 3 11  | 5/ mineur 11
3 2 3 3   | 5 7 1 3 11  | 5/ mineur 11 diese
3 2 4 5   | 5 7 1 3 13  | 5/ majeur 13
3 2 4 4   | 5 7 1 3 13  | 5/ majeur 13 bémol
3 2 3 6   | 5 7 1 3 13  | 5/ mineur 13
3 2 3 5   | 5 7 1 3 13  | 5/ mineur 13 bémol
2 2 2 3   | 7 1 9 3 5   | 7/ majeur 9
2 3 1 3   | 7 1 9 3 5   | 7/ majeur 9 diese
2 1 3 3   | 7 1 9 3 5   | 7/ majeur 9 bémol
2 2 1 4   | 7 1 9 3 5   | 7/ mineur 9
2 1 2 4   | 7 1 9 3 5   | 7/ mineur 9 bémol
2 4 1 2   | 7 1 3 11 5  | 7/ majeur 11
2 4 2 1   | 7 1 3 11 5  | 7/ majeur 11 diese
2 3 2 2   | 7 1 3 11 5  | 7/ mineur 11
2 3 3 1   | 7 1 3 11 5  | 7/ mineur 11 dièse
2 4 3 2   | 7 1 3 5 13  | 7/ majeur 13
2 4 3 1   | 7 1 3 5 13  | 7/ majeur 13 bémol
2 3 4 2   | 7 1 3 5 13  | 7/ mineur 13
2 3 4 1   | 7 1 3 5 13  | 7/ mineur 13 bémol
10 4 3 3  | 9 1 3 5 7   | 9/ majeur 9
9 4 3 3   | 9 1 3 5 7   | 9/ majeur 9 dièse
11 4 3 3  | 9 1 3 5 7   | 9/ majeur 9 bémol
10 3 4 3  | 9 1 3 5 7   | 9/ mineur 9
11 3 4 3  | 9 1 3 5 7   | 9/ mineur 9 bémol
2 3 2 4   | 11 5 7 1 3  | 11/ majeur 11
1 3 2 4   | 11 5 7 1 3  | 11/ majeur 11 dièse
2 3 2 3   | 11 5 7 1 3  | 11/ mineur 11
1 3 2 3   | 11 5 7 1 3  | 11/ mineur 11 dièse
4 4 3 3   | 13 1 3 5 7  | 13/ majeur 13 bémol
3 3 4 3   | 13 1 3 5 7  | 13/ mineur 13
4 3 4 3   | 13 1 3 5 7  | 13/ mineur 13 bémol
)";

struct Expected {
  std::vector<int> steps;
  std::vector<int> degrees;
  std::string name;  // code page 850
};

// The names are stored in code page 850: e acute 0x82, e grave 0x8A.
std::string to_cp850(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8.compare(i, 2, "\xC3\xA9") == 0) {
      out += '\x82';
      ++i;
    } else if (utf8.compare(i, 2, "\xC3\xA8") == 0) {
      out += '\x8A';
      ++i;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

std::vector<int> numbers(const std::string& text) {
  std::vector<int> out;
  std::istringstream in(text);
  for (int n; in >> n;) out.push_back(n);
  return out;
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

std::vector<Expected> named_patterns() {
  std::vector<Expected> out;
  std::istringstream in(kNamedPatterns);
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    const auto bar1 = line.find('|');
    const auto bar2 = line.find('|', bar1 + 1);
    out.push_back({numbers(line.substr(0, bar1)), numbers(line.substr(bar1 + 1, bar2 - bar1 - 1)),
                   to_cp850(trimmed(line.substr(bar2 + 1)))});
  }
  return out;
}

std::string pattern_text(const std::vector<int>& steps) {
  std::string out;
  for (int s : steps) out += std::to_string(s) + " ";
  return out;
}

using testing::chord_of;

// A chord rising from 36 by the given steps.
Chord chord_from_steps(const std::vector<int>& steps) {
  Chord chord{};
  chord[0] = static_cast<std::int8_t>(steps.size() + 1);
  chord[1] = 36;
  for (std::size_t i = 0; i < steps.size(); ++i)
    chord[i + 2] = static_cast<std::int8_t>(chord[i + 1] + steps[i]);
  return chord;
}

std::vector<int> notes_of(const Chord& chord) {
  return std::vector<int>(chord.begin() + 1, chord.begin() + 1 + chord[0]);
}

const std::string kNotHandled = "non trait\x82";

TEST(HarmonyNamingTable, HoldsTwoHundredDistinctPatterns) {
  const auto table = named_patterns();
  ASSERT_EQ(table.size(), 200u);
  std::map<std::size_t, int> per_size;
  std::set<std::string> seen;
  for (const auto& e : table) {
    ++per_size[e.steps.size() + 1];
    EXPECT_EQ(e.degrees.size(), e.steps.size() + 1) << pattern_text(e.steps);
    EXPECT_TRUE(seen.insert(pattern_text(e.steps)).second) << pattern_text(e.steps);
  }
  EXPECT_EQ(per_size[2], 22);
  EXPECT_EQ(per_size[3], 34);
  EXPECT_EQ(per_size[4], 58);
  EXPECT_EQ(per_size[5], 86);
}

TEST(HarmonyNamingTable, NamesEveryPatternWithItsDegrees) {
  for (const auto& e : named_patterns()) {
    const std::string pattern = pattern_text(e.steps);
    SCOPED_TRACE(pattern);
    const Chord chord = chord_from_steps(e.steps);
    StepRow steps{};
    std::string text;
    ASSERT_EQ(chord_pattern(chord, steps, text), static_cast<int>(e.steps.size()));
    ASSERT_EQ(text, pattern);

    DegreeRow degrees{};
    std::string name;
    const int notes = static_cast<int>(e.degrees.size());
    EXPECT_EQ(identify_chord(chord, degrees, name), notes);
    EXPECT_EQ(name, e.name);
    EXPECT_EQ(degrees[0], notes);
    EXPECT_EQ(std::vector<int>(degrees.begin() + 1, degrees.begin() + 1 + notes), e.degrees);
    EXPECT_EQ(degrees[notes + 1], 0) << "nothing written past the last note";
  }
}

// Every rising chord of 2 to 5 notes with steps up to 22: named as the table
// says, or not at all. This also catches a pattern named that should not be.
TEST(HarmonyNamingTable, NamesNothingOutsideTheTable) {
  std::map<std::string, Expected> by_pattern;
  for (const auto& e : named_patterns()) by_pattern[pattern_text(e.steps)] = e;
  const std::map<int, std::vector<int>> fallback = {
      {3, {5, 7, 1}}, {4, {7, 1, 3, 5}}, {5, {13, 1, 3, 5, 7}}};

  int named = 0;
  std::vector<int> steps;
  auto check = [&](auto&& self, std::size_t depth) -> void {
    if (!steps.empty()) {
      const Chord chord = chord_from_steps(steps);
      DegreeRow degrees{};
      degrees.fill(99);
      std::string name;
      const int notes = static_cast<int>(steps.size()) + 1;
      ASSERT_EQ(identify_chord(chord, degrees, name), notes);
      ASSERT_EQ(degrees[0], notes);
      const auto it = by_pattern.find(pattern_text(steps));
      if (it != by_pattern.end()) {
        ++named;
        ASSERT_EQ(name, it->second.name);
      } else {
        ASSERT_EQ(name, kNotHandled) << pattern_text(steps);
        if (notes == 2) {
          ASSERT_EQ(degrees[1], 1);
          ASSERT_EQ(degrees[2], 99) << "the second degree of an interval is not written";
        } else {
          ASSERT_EQ(std::vector<int>(degrees.begin() + 1, degrees.begin() + 1 + notes),
                    fallback.at(notes));
        }
      }
    }
    if (depth == 4) return;
    for (int s = 1; s <= 22; ++s) {
      steps.push_back(s);
      self(self, depth + 1);
      steps.pop_back();
      if (::testing::Test::HasFatalFailure()) return;
    }
  };
  check(check, 0);
  EXPECT_EQ(named, 200);
}

// What a name says of its chord: "N/" the bass degree (the root when absent),
// "-N" a degree it lacks, then "majeur" or "mineur" the third.
struct NameReading {
  int bass = 1, lacking = 0;
  std::string quality;
};

NameReading read_name(const std::string& name) {
  NameReading out;
  std::size_t at = 0;
  const auto number = [&] {
    int n = 0;
    for (; at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])); ++at)
      n = n * 10 + (name[at] - '0');
    return n;
  };
  const int leading = number();
  if (at > 0 && at < name.size() && name[at] == '/') {
    out.bass = leading;
    ++at;
  } else {
    at = 0;
  }
  at = name.find_first_not_of(' ', at);
  if (at != std::string::npos && name[at] == '-') ++at, out.lacking = number();
  at = name.find_first_not_of(' ', at);
  if (at != std::string::npos) out.quality = name.substr(at, 6);
  return out;
}

// Checks an entry against music alone: each note lies above the root, within
// the octave, where its scale step allows (1 root and octave, 2 second and
// ninth, 3 third and tenth, 4 fourth and eleventh, 5 fifth, 6 sixth and
// thirteenth, 7 seventh), and the name agrees. Returns what does not hold.
std::string disagreement(const std::vector<int>& degrees, const std::string& pattern,
                         const std::string& name) {
  constexpr int kLow[] = {0, 0, 1, 3, 4, 6, 8, 9}, kHigh[] = {0, 0, 3, 4, 6, 8, 10, 11};
  std::vector<int> notes = {0};
  for (int s : numbers(pattern)) notes.push_back(notes.back() + s);
  const auto root = std::find(degrees.begin(), degrees.end(), 1);
  if (notes.size() != degrees.size() || root == degrees.end()) return "no root";
  const int root_note = notes[static_cast<std::size_t>(root - degrees.begin())];
  std::map<int, int> above;  // scale step -> semitones above the root
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const int step = (degrees[i] - 1) % 7 + 1, d = ((notes[i] - root_note) % 12 + 12) % 12;
    if (d < kLow[step] || d > kHigh[step]) return "degree " + std::to_string(degrees[i]);
    if (above.emplace(step, d).first->second != d) return "two pitches for one step";
  }
  const NameReading said = read_name(name);
  if (said.bass != degrees[0]) return "bass degree";
  if (std::count(degrees.begin(), degrees.end(), said.lacking)) return "lacking degree present";
  const bool major = said.quality == "majeur", minor = said.quality == "mineur";
  if (above.count(3) && (major || minor) && above[3] != (major ? 4 : 3)) return "quality";
  return "";
}

// Every entry of the naming table agrees with the intervals of its pattern.
TEST(HarmonyNamingTable, EveryEntryAgreesWithItsDegrees) {
  // Contradicts its row in three ways, with no single slip to mend: kept as it
  // always named that pattern.
  const std::string exception = "7 3 3 |" + to_cp850("5/-3 majeur 6 quinte bémol");
  int exceptions = 0;
  std::set<std::string> seen;
  for (int n = 2; n <= 5; ++n) {
    for (const naming::DegreeLine& line : naming::lines_for(n)) {
      const std::vector<int> degrees(line.degrees.begin(), line.degrees.end());
      for (const naming::NamedPattern& entry : line.patterns) {
        const std::string pattern(entry.pattern), name(entry.name);
        EXPECT_TRUE(seen.insert(pattern).second) << "twice: " << pattern;
        if (pattern + "|" + name == exception) {
          ++exceptions;
          continue;
        }
        EXPECT_EQ(disagreement(degrees, pattern, name), "")
            << "\"" << pattern << "\" " << ::testing::PrintToString(degrees);
      }
    }
  }
  EXPECT_EQ(exceptions, 1);
}

TEST(HarmonyIdentify, ChordsOutsideTheTableSizes) {
  struct Case {
    const char* label;
    Chord chord;
    int result;
  };
  const Case cases[] = {
      {"one note", chord_of({36}), -1},
      {"six notes", chord_of({36, 40, 43, 46, 50, 53}), -1},
      {"eighteen notes",
       chord_of({36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53}), -1},
      {"unsorted steps", chord_of({43, 40, 36}), 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    DegreeRow degrees{};
    degrees.fill(42);
    std::string name = "before";
    EXPECT_EQ(identify_chord(c.chord, degrees, name), c.result);
    EXPECT_EQ(name, kNotHandled);
    if (c.result == -1) {
      EXPECT_EQ(degrees[0], 0);
    }
  }
}

TEST(HarmonyIdentify, EmptyChordLeavesTheOutputsAlone) {
  Chord chord{};
  DegreeRow degrees{};
  degrees.fill(7);
  std::string name = "unchanged";
  EXPECT_EQ(identify_chord(chord, degrees, name), 0);
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(std::all_of(degrees.begin(), degrees.end(), [](std::int8_t d) { return d == 7; }));
}

TEST(HarmonyChordPattern, StepsAndText) {
  struct Case {
    Chord chord;
    int result;
    std::string text;
    std::vector<int> steps;
  };
  const Case cases[] = {
      {chord_of({36, 40, 43}), 2, "4 3 ", {4, 3}},
      {chord_of({40, 43, 48}), 2, "3 5 ", {3, 5}},
      {chord_of({36}), 0, "0 ", {}},
      {Chord{}, 0, "", {}},
      {chord_of({43, 36, 36}), 2, "-7 0 ", {-7, 0}},
      // Steps are 8-bit: 100 - (-100) wraps to -56.
      {chord_of({-100, 100}), 1, "-56 ", {-56}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    StepRow steps;
    steps.fill(9);
    std::string text = "old";
    EXPECT_EQ(chord_pattern(c.chord, steps, text), c.result);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(steps[0], static_cast<int>(c.steps.size()));
    for (std::size_t i = 0; i < c.steps.size(); ++i) EXPECT_EQ(steps[i + 1], c.steps[i]);
    EXPECT_TRUE(std::all_of(steps.begin() + 1 + c.steps.size(), steps.end(),
                            [](std::int8_t s) { return s == 0; }));
  }
}

TEST(HarmonyChordPattern, CountBeyondTheBufferStaysInside) {
  Chord chord{};
  chord[0] = 120;
  for (int i = 1; i < 50; ++i) chord[i] = static_cast<std::int8_t>(i);
  StepRow steps{};
  std::string text;
  EXPECT_EQ(chord_pattern(chord, steps, text), 48);
  EXPECT_EQ(steps[48], 1);
}

TEST(HarmonyNormalise, Examples) {
  struct Case {
    Chord chord;
    std::vector<int> result;
  };
  const Case cases[] = {
      {chord_of({47, 40, 44}), {40, 44, 47}},
      {chord_of({40, 40, 52, 64, 76}), {40, 52}},
      {chord_of({40, 64, 67}), {40, 52, 55}},
      {chord_of({36, 48, 60, 64}), {36, 48, 52}},
      {chord_of({40, 40, 44}), {40, 44}},
      {chord_of({36, 48, 52, 55}), {36, 48, 52, 55}},
      // A note folded down onto the note just taken goes with it.
      {chord_of({36, 57, 45}), {36, 45}},
      {Chord{}, {}},
  };
  for (const auto& c : cases) {
    Chord chord = c.chord;
    Chord scratch;
    scratch.fill(5);
    const int k = normalise_chord(chord, scratch);
    SCOPED_TRACE(::testing::PrintToString(notes_of(c.chord)));
    EXPECT_EQ(k, static_cast<int>(c.result.size()));
    EXPECT_EQ(notes_of(chord), c.result);
    EXPECT_EQ(notes_of(scratch), c.result);
    EXPECT_TRUE(
        std::all_of(scratch.begin() + 1 + k, scratch.end(), [](std::int8_t v) { return v == 0; }));
  }
}

// Chords as chord texts give them: up to 18 notes, each 34..61.
TEST(HarmonyNormalise, ChordsFromTextsComeOutSortedAndDistinct) {
  std::mt19937 random(1234);
  std::uniform_int_distribution<int> note(34, 61), size(1, 18);
  for (int round = 0; round < 5000; ++round) {
    Chord chord{};
    chord[0] = static_cast<std::int8_t>(size(random));
    std::set<int> classes;
    int lowest = 127;
    for (int i = 1; i <= chord[0]; ++i) {
      chord[i] = static_cast<std::int8_t>(note(random));
      classes.insert(chord[i] % 12);
      lowest = std::min<int>(lowest, chord[i]);
    }
    const Chord given = chord;
    Chord scratch{};
    const int k = normalise_chord(chord, scratch);
    SCOPED_TRACE(::testing::PrintToString(notes_of(given)));
    ASSERT_GE(k, 1);
    ASSERT_EQ(chord[0], k);
    ASSERT_EQ(chord[1], lowest);
    std::set<int> result_classes;
    for (int i = 1; i <= k; ++i) {
      if (i > 1) {
        ASSERT_GT(chord[i], chord[i - 1]);
      }
      ASSERT_LE(chord[i], lowest + 20);
      ASSERT_EQ(chord[i], scratch[i]);
      result_classes.insert(chord[i] % 12);
    }
    ASSERT_EQ(result_classes, classes) << "no pitch class lost or added";
    ASSERT_TRUE(std::all_of(chord.begin() + 1 + k, chord.end(), [](std::int8_t v) {
      return v == 0;
    })) << "the notes end with zeros";
    Chord again = chord;
    ASSERT_EQ(normalise_chord(again, scratch), k);
    ASSERT_EQ(again, chord) << "a normal form stays as it is";
  }
}

TEST(HarmonyNormalise, EndsOnAnyFullChord) {
  std::mt19937 random(99);
  std::uniform_int_distribution<int> note(-128, 127);
  for (int round = 0; round < 2000; ++round) {
    Chord chord{};
    // Notes in every element, more than the operation is meant for.
    for (int i = 1; i < 50; ++i) {
      int v = note(random);
      chord[i] = static_cast<std::int8_t>(v == 0 ? 1 : v);
    }
    chord[0] = 49;
    Chord scratch{};
    const int k = normalise_chord(chord, scratch);
    ASSERT_GE(k, 1);
    ASSERT_LE(k, 49);
    ASSERT_EQ(chord[0], k);
  }
}

}  // namespace
}  // namespace velk0
