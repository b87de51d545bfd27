// Naming the keys held on a keyboard, in any voicing.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "harmony/held_chord.h"
#include "harmony/naming_table.h"

namespace velk0 {
namespace {

void for_each_entry(const std::function<void(const naming::NamedPattern&)>& f) {
  for (int n = 2; n <= 5; ++n)
    for (const naming::DegreeLine& line : naming::lines_for(n))
      for (const naming::NamedPattern& entry : line.patterns) f(entry);
}

// An entry's notes in semitones above its bass, and their pitch classes.
std::vector<int> offsets(std::string_view pattern) {
  std::vector<int> out = {0};
  std::istringstream steps{std::string(pattern)};
  for (int step; steps >> step;) out.push_back(out.back() + step);
  return out;
}
unsigned classes(const std::vector<int>& notes) {
  unsigned out = 0;
  for (int n : notes) out |= 1u << (n % 12);
  return out;
}

// Every entry, as written and from random basses with its upper notes moved
// by octaves (so reordered) and doubled, has one name: its own, or where
// other entries hold the same pitch classes, one of theirs.
TEST(HarmonyHeldChord, EveryEntryKeepsItsNameInAnyVoicing) {
  std::map<unsigned, std::set<std::string_view>> names_of;
  for_each_entry([&](const auto& e) { names_of[classes(offsets(e.pattern))].insert(e.name); });
  std::mt19937 random(30);
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  int entries = 0;
  for_each_entry([&](const naming::NamedPattern& e) {
    ++entries;
    SCOPED_TRACE(std::string(e.pattern));
    const std::vector<int> notes = offsets(e.pattern);
    const auto& names = names_of[classes(notes)];
    std::string_view name;
    for (int voicing = 0; voicing < 9; ++voicing) {
      const int bass = voicing == 0 ? 48 : pick(21, 60);
      // As written first; then an upper note of the bass's pitch class lies
      // an octave up at least.
      const auto place = [&](int note) {
        if (voicing == 0) return static_cast<std::size_t>(bass + note);
        return static_cast<std::size_t>(bass + note % 12 + 12 * pick(note % 12 ? 0 : 1, 3));
      };
      KeySet keys;
      keys.set(static_cast<std::size_t>(bass));
      for (std::size_t i = 1; i < notes.size(); ++i) keys.set(place(notes[i]));
      for (int doubled = voicing ? pick(0, 3) : 0; doubled > 0; --doubled)
        keys.set(place(notes[static_cast<std::size_t>(pick(0, 4)) % notes.size()]));
      if (voicing == 0) name = held_chord_name(keys);
      EXPECT_EQ(held_chord_name(keys), name) << keys;
    }
    EXPECT_TRUE(names.count(name) && (names.size() > 1 || name == e.name)) << name;
  });
  EXPECT_EQ(entries, 200);
}

}  // namespace
}  // namespace velk0
