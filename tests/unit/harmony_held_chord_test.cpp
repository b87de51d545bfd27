// Naming the keys held on a keyboard, in any voicing, once they have settled.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "harmony/chord_listener.h"
#include "harmony/held_chord.h"
#include "harmony/naming_table.h"

namespace velk0 {
namespace {

using platform::MidiKind;
using platform::MidiMessage;

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

struct Event {
  std::uint64_t ms;
  MidiMessage message;
};

// "0 +60 +64, 300 -60 =64 +36:9 P": at each time, key on (+), off (-) or on
// at velocity 0 (=), on channel 0 or the one after ':'; the sustain pedal
// down (P) or up (p).
std::vector<Event> events(const std::string& script) {
  std::vector<Event> out;
  std::istringstream groups(script);
  for (std::string group; std::getline(groups, group, ',');) {
    std::istringstream words(group);
    std::uint64_t ms = 0;
    words >> ms;
    for (char sign; words >> sign;) {
      const bool pedal = sign == 'P' || sign == 'p';
      unsigned key = 64, channel = 0;
      if (!pedal) words >> key;
      if (words.peek() == ':') words.ignore() >> channel;
      MidiKind kind = sign == '-' ? MidiKind::note_off : MidiKind::note_on;
      if (pedal) kind = MidiKind::control_change;
      unsigned value = sign == '+' ? 90 : 0;
      if (sign == 'P') value = 127;
      out.push_back({ms, MidiMessage::make(kind, channel, key, value)});
    }
  }
  return out;
}

// The caller's loop: what settled is named before each message is taken
// (unless it reads its messages late), and what settles after the last.
std::vector<std::string> listen(ChordListener& listener, const std::string& script, bool late) {
  std::vector<std::string> heard;
  const auto say = [&](std::uint64_t ms, std::optional<std::string> line) {
    if (line) heard.push_back(std::to_string(ms) + " " + *line);
  };
  const auto name_settled = [&](std::uint64_t until) {
    while (listener.settles_at() && *listener.settles_at() <= until) {
      const std::uint64_t at = *listener.settles_at();
      EXPECT_FALSE(listener.line_due(at - 1)) << "named before it settled";
      say(at, listener.line_due(at));
    }
  };
  for (const Event& e : events(script)) {
    if (!late) name_settled(e.ms);
    say(e.ms, listener.take(e.message, e.ms));
  }
  name_settled(UINT64_MAX);
  return heard;
}

TEST(HarmonyChordListener, NamesEachSettledChordOnce) {
  const std::string major = "majeur : o5 c e g";
  const struct {
    const char* label;
    std::string script;
    std::vector<std::string> lines;  // "ms line"
    bool late = false;               // the caller reads each message before naming
  } cases[] = {
      {"rolled, spread", "0 +48, 60 +55, 120 +64, 180 +72", {"260 majeur : o4 c g >e >c"}},
      {"held; a key added and taken off quickly; released",
       "0 +60 +64 +67, 300 +71, 340 -71, 1000 =60, 1010 -64, 1020 -67",
       {"80 " + major}},
      {"struck again after a release, not after a quick one",
       "0 +60 +64 +67, 500 -60 -64 -67, 700 +60 +64 +67, 1000 -67, 1030 +67",
       {"80 " + major, "780 " + major}},
      {"interval, doubled", "0 +60 +69 +72", {"80 sixte : o5 c a >c"}},
      {"interval, compound", "0 +24 +100", {"80 tierce majeure : o2 c >>>>>>e"}},
      {"octaves", "0 +36 +48 +60", {"80 octave : o3 c >c >c"}},
      {"one key, lowest and highest", "0 +0, 100 -0, 200 +127 +61:9", {"80 o0 c", "280 o10 g"}},
      {"not in the table", "0 +60 +61 +62", {"80 non trait\x82 : o5 c c+ d"}},
      {"a key held on two channels", "0 +60 +60:1 +64 +67, 200 -60:1", {"80 " + major}},
      {"drums not named", "0 +36:9 +38:9, 200 +60 +64 +67", {"280 " + major}},
      {"the pedal keeps the sound, not the name",
       "0 P +60 +64 +67, 300 -60 -64, 400 +62",
       {"80 " + major, "380 o5 g", "480 quarte : o5 d g"}},
      {"read late",
       "0 +60, 10 +64, 20 +67, 500 -60",
       {"500 " + major, "580 tierce mineure : o5 e g"},
       true},
      // Where entries share their pitch classes: the fewest notes, the root
      // in the bass, the narrowest.
      {"spread seventh", "0 +48 +58 +64 +67", {"80 7 : o4 c a+ >e g"}},
      {"ninth", "0 +48 +52 +55 +58 +62", {"80 majeur 9 : o4 c e g a+ >d"}},
      {"sharp ninth", "0 +60 +63 +64 +67 +70", {"80 majeur 9 di\x8Ase : o5 c d+ e g a+"}},
      {"six nine", "0 +48 +52 +57 +62 +67", {"80 6 9 : o4 c e a >d g"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ChordListener listener;
    EXPECT_EQ(listen(listener, c.script, c.late), c.lines);
  }

  // What the keyboard left sounding is silenced: the pedal lifted, then the
  // keys still down released.
  ChordListener listener;
  listen(listener, "0 P +62:2 +67, 10 P:3 +70:3, 20 -70:3 =67", false);
  const auto lifted = [](unsigned channel) {
    return MidiMessage::make(MidiKind::control_change, channel, 64, 0);
  };
  EXPECT_EQ(listener.keys().silencing(),
            (std::vector<MidiMessage>{lifted(0), lifted(3),
                                      MidiMessage::make(MidiKind::note_off, 2, 62)}));
}

}  // namespace
}  // namespace velk0
