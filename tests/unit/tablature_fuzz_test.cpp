// Random texts through both readers, the key-signature rewrite and the player:
// whatever the bytes, the lists and texts stay within their limits.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/settings.h"
#include "tablature/notation.h"
#include "tablature/player.h"
#include "test_platform.h"

namespace velk0 {
namespace {

class TablatureFuzzTest : public testing::PlatformTest {};

// Mostly the notation's own characters, so that the texts reach deep into the
// readers, with any byte mixed in.
std::string random_text(std::mt19937& rng) {
  static const std::string alphabet = "abcdefgpABCDEFG+-*0.><o123456789t|\r\nimnlst()[]{}: ;/\xE1v";
  std::uniform_int_distribution<int> length(0, 2600);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> percent(0, 99);
  std::string text;
  const int n = length(rng) * (percent(rng) < 80 ? 1 : 0) + percent(rng);
  for (int i = 0; i < n; ++i) {
    const int p = percent(rng);
    if (p < 8)
      text += static_cast<char>(byte(rng));
    else if (p < 10)
      text += "ia";  // key signatures and their restarts
    else
      text += alphabet[static_cast<std::size_t>(pick(rng))];
  }
  return text;
}

void expect_within_limits(const PlaySettings& s, const std::string& text) {
  EXPECT_LE(s.arma.size(), kSettingCapacity) << text;
}

TEST_F(TablatureFuzzTest, RandomTextsStayWithinLimits) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> percent(0, 99);
  for (int round = 0; round < 1500; ++round) {
    const std::string text = random_text(rng);
    if (percent(rng) < 30) settings().arma = random_text(rng).substr(0, 40);

    Notes notes{};
    Durations durations{};
    parse_tablature(state(), text, notes, durations);
    ASSERT_LE(durations[0], static_cast<std::uint32_t>(kListCapacity)) << text;
    expect_within_limits(settings(), text);

    NoteList list;
    read_tablature(state(), text, Reader::kPlaying, list.notes, list.durations, &list.articulations,
                   &list.marks, nullptr);
    ASSERT_LE(list.durations[0], static_cast<std::uint32_t>(kListCapacity)) << text;
    EXPECT_EQ(list.marks[0], static_cast<std::uint8_t>(list.durations[0]));
    expect_within_limits(settings(), text);

    std::string copy = text, out;
    apply_key_signature(settings(), copy, out);
    ASSERT_LE(copy.size(), kTextCapacity);
    ASSERT_LE(out.size(), kTextCapacity);
    expect_within_limits(settings(), text);

    if (round % 50 == 0) {
      // Played with a short range, every second time with announcements.
      std::string collected;
      start("oooooooooooooooooooonoa");
      const bool by_measure = round % 100 != 0;
      play_tablature(state(), text, by_measure ? "mn" : "", 1, 20, collected, list);
      EXPECT_LE(collected.size(), kTextCapacity);
      if (!by_measure) {
        EXPECT_LE(list.durations[0], 20u);
      }
      for (const testing::Midi& m : midi()) {
        EXPECT_LT(m[1], 128);
        EXPECT_LT(m[2], 128);
      }
    }
  }
}

}  // namespace
}  // namespace velk0
