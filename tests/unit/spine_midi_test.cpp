#include <gtest/gtest.h>

#include "commands/dialogue.h"
#include "core/messages.h"
#include "core/settings.h"
#include "midi/midi_out.h"
#include "test_platform.h"

namespace velk0 {
namespace {

using testing::Midi;

class MidiOutTest : public testing::PlatformTest {};

TEST(MidiMessage, DecodesKindChannelNotesAndLength) {
  using platform::MidiKind;
  using platform::MidiMessage;
  struct Case {
    MidiMessage message;
    MidiKind kind;
    unsigned channel;
    bool on, off;
    std::size_t length;
  };
  const Case cases[] = {
      {{0x93, 60, 1}, MidiKind::note_on, 3, true, false, 3},
      {{0x9F, 60, 0}, MidiKind::note_on, 15, false, true, 3},  // velocity 0 ends the note
      {{0x80, 60, 64}, MidiKind::note_off, 0, false, true, 3},
      {{0xC9, 5, 0}, MidiKind::program_change, 9, false, false, 2},
      {{0xD1, 5, 0}, MidiKind::channel_pressure, 1, false, false, 2},
      {{0xE2, 0, 64}, MidiKind::pitch_bend, 2, false, false, 3},
      {{0xF8, 0, 0}, MidiKind::system, 8, false, false, 0},
      {{0x3C, 0, 0}, MidiKind{0x30}, 12, false, false, 0},  // a data byte starts nothing
  };
  for (const Case& c : cases) {
    const MidiMessage& m = c.message;
    EXPECT_EQ(m.kind(), c.kind) << int{m.status};
    EXPECT_EQ(m.channel(), c.channel) << int{m.status};
    EXPECT_EQ(m.is_note_on(), c.on) << int{m.status};
    EXPECT_EQ(m.is_note_off(), c.off) << int{m.status};
    EXPECT_EQ(m.length(), c.length) << int{m.status};
    EXPECT_EQ(MidiMessage::from_word(m.word()), m) << int{m.status};
  }
  EXPECT_EQ((MidiMessage{0x90, 60, 127}).word(), 0x007F3C90u);
}

TEST_F(MidiOutTest, ChannelMessagesCarryTheChannelAndVelocity) {
  note_on(state(), 60);
  note_off(state(), 60);
  program_change(state(), 0);
  settings().vol = 60;
  note_on(state(), 62);
  EXPECT_EQ(midi(),
            (std::vector<Midi>{{0x91, 60, 127}, {0x81, 60, 0}, {0xC1, 0, 0}, {0x91, 62, 60}}));
}

TEST_F(MidiOutTest, NeverSendsADataByteAbove127NorAChannelAbove15) {
  settings().canal = 17;
  settings().vol = 300;
  note_on(state(), -1);     // folded up by octaves: 11
  note_off(state(), -128);  // 4
  program_change(state(), 200);
  settings().vol = -5;
  note_on(state(), 127);
  EXPECT_EQ(midi(),
            (std::vector<Midi>{{0x91, 11, 127}, {0x81, 4, 0}, {0xC1, 72, 0}, {0x91, 127, 0}}));
  for (const Midi& m : midi()) {
    EXPECT_LT(m[1], 128);
    EXPECT_LT(m[2], 128);
  }
}

TEST_F(MidiOutTest, TrackOctaveRecordsTheTruncatedOctave) {
  struct Case {
    int note, octave;
  } cases[] = {{61, 5}, {11, 0}, {-5, 0}, {-13, -1}, {127, 10}, {36, 3}};
  for (const auto& c : cases) {
    EXPECT_EQ(track_octave(settings(), c.note), static_cast<std::int8_t>(c.note));
    EXPECT_EQ(settings().octa, c.octave) << c.note;
  }
}

TEST_F(MidiOutTest, WaitDurationTurnsValuesIntoMilliseconds) {
  struct Case {
    std::uint32_t value;
    int tempo;
    std::uint32_t ms;
  } cases[] = {
      {0, 60, 1000},    {4000, 0, 1000},  {3, 60, 4000},    {4000, 60, 1000},
      {4000, 120, 500}, {1000, 60, 4000}, {1000, 40, 4000}, {8000, 120, 250},
      {2666, 60, 1500}, {12000, 60, 333}, {4000, -1, 0},
  };
  std::vector<int> expected;
  for (const auto& c : cases) {
    settings().tempo = c.tempo;
    EXPECT_EQ(wait_duration(state(), c.value), c.ms) << c.value << " at " << c.tempo;
    expected.push_back(static_cast<int>(c.ms));
  }
  EXPECT_EQ(waits(), expected);
}

TEST_F(MidiOutTest, OpeningResetsThePlaybackFields) {
  start("", {256, 16, 32});
  settings().tempo = 90;
  settings().canal = 4;
  settings().arma = "f+";
  settings().voix = 2;
  loop_settings().device_index = 2;
  EXPECT_TRUE(open_midi_device(state()));
  EXPECT_EQ(midi_out().device_notes, 32);
  EXPECT_EQ(settings().tempo, 60);
  EXPECT_EQ(settings().canal, 1);
  EXPECT_EQ(settings().arma, "");
  EXPECT_EQ(settings().mesure, 0);
  EXPECT_EQ(settings().voix, 2);  // not a playback field
  ASSERT_EQ(events("open").size(), 1u);
  EXPECT_EQ(testing::number(events("open")[0], "device"), 2);
  EXPECT_EQ(testing::number(events("open")[0], "notes"), 32);
  // Opening a device does not count them: a system may have to look for its
  // ports to count them.
  EXPECT_EQ(midi_devices().counted(), 0);
}

TEST_F(MidiOutTest, ADeviceThatCannotPlayIsReportedAndChangesNothing) {
  struct Case {
    std::vector<int> devices;
    int index;
  } cases[] = {{{}, 0}, {{0}, 0}, {{256}, 3}, {{256}, -1}};
  for (const auto& c : cases) {
    start("", c.devices);
    settings().tempo = 90;
    loop_settings().device_index = c.index;
    EXPECT_FALSE(open_midi_device(state()));
    EXPECT_EQ(settings().tempo, 90);
    check_midi_device(state());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, kNoMidiMessage);
    EXPECT_EQ(boxes()[0].style, "info");
  }
}

TEST_F(MidiOutTest, MessagesBeforeAnyOpeningReachNoDevice) {
  program_change(state(), 0);
  ASSERT_EQ(events("midi").size(), 1u);
  EXPECT_NE(events("midi")[0].find("\"device\":null"), std::string::npos);
}

TEST_F(MidiOutTest, ClosingReleasesNotesStillSounding) {
  open_midi_device(state());
  note_on(state(), 60);
  note_on(state(), 64);
  note_off(state(), 60);
  close_midi_device(state());
  EXPECT_EQ(midi(),
            (std::vector<Midi>{{0x91, 60, 127}, {0x91, 64, 127}, {0x81, 60, 0}, {0x81, 64, 0}}));
  EXPECT_EQ(events("close").size(), 1u);
}

class MessagesTest : public testing::PlatformTest {};

TEST_F(MessagesTest, ShowResultFollowsTheShowLevel) {
  for (int level : {0, 1, 2}) {
    start();
    loop_settings().show_level = level;
    EXPECT_EQ(show_result(state(), "", ""), level);
    EXPECT_EQ(boxes().size(), level == 1 ? 1u : 0u);
  }
}

TEST_F(MessagesTest, EmptyBoxesAreNotShown) {
  EXPECT_EQ(show_info(*services().dialogs, "", ""), 0);
  EXPECT_EQ(ask_choice(*services().dialogs, "", ""), 0);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(MessagesTest, ScriptedAnswersAreTakenInOrder) {
  start("o, y n  a c x");
  std::vector<int> answers;
  for (int i = 0; i < 7; ++i) {
    answers.push_back(ask_choice(*services().dialogs, "t", "c"));
    EXPECT_EQ(show_info(*services().dialogs, "t", "c"), 1);  // information boxes take no letter
  }
  EXPECT_EQ(answers, (std::vector<int>{6, 6, 7, 2, 2, 2, 2}));
  EXPECT_EQ(boxes().size(), 14u);
  EXPECT_EQ(printed().substr(0, 4), "c\nt\n");
}

TEST_F(MessagesTest, TraceLinesHaveTheirKeysInOrder) {
  start("n");
  ask_choice(*services().dialogs,
             "oui=suivant non=pr\xE9"
             "c\xE9"
             "dent",
             "mesure");
  EXPECT_EQ(lines().at(0),
            "{\"t\":0,\"ev\":\"box\",\"style\":\"choice\",\"text\":\"oui=suivant "
            "non=pr\xC3\xA9"
            "c\xC3\xA9"
            "dent\",\"caption\":\"mesure\",\"answer\":7}");
}

}  // namespace
}  // namespace velk0
