// A run written into a Standard MIDI File: the bytes of a small one, and a
// run read back by FluidSynth's own MIDI file player, which must sound as the
// WAV render of the same run does.
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/doubles/virtual_clock.h"
#include "platform/posix/media/media.h"
#include "platform/posix/midi/midi_devices.h"
#include "platform/posix/midi/smf_writer.h"
#include "scratch_folder.h"
#include "sound_files.h"

namespace velk0::platform::posix {
namespace {

namespace fs = std::filesystem;

using velk0::testing::kAudible;
using velk0::testing::kRate;
using velk0::testing::kSoundFont;
using velk0::testing::kSoundFonts;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The left channel of a 16-bit stereo WAV file.
std::vector<std::int16_t> wav_left(const fs::path& path) {
  const std::string b = read_file(path);
  std::vector<std::int16_t> left;
  for (std::size_t at = 44; at + 1 < b.size(); at += 4)
    left.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(b[at]) |
                                             static_cast<unsigned char>(b[at + 1]) << 8));
  return left;
}

// The left channel of `mid` as FluidSynth's player renders it on its own.
std::vector<std::int16_t> fluid_render(const fs::path& mid, const char* soundfont,
                                       int& total_ticks) {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.gain", 1.4);
  fluid_synth_t* synth = new_fluid_synth(settings);
  fluid_synth_sfload(synth, soundfont, 1);
  fluid_player_t* player = new_fluid_player(synth);
  fluid_player_add(player, mid.c_str());
  fluid_player_play(player);
  std::vector<std::int16_t> left, block(128);
  for (int tail = 0; tail < 3 * kRate / 64;) {
    fluid_synth_write_s16(synth, 64, block.data(), 0, 2, block.data(), 1, 2);
    for (std::size_t i = 0; i < block.size(); i += 2) left.push_back(block[i]);
    if (fluid_player_get_status(player) != FLUID_PLAYER_PLAYING) ++tail;
  }
  total_ticks = fluid_player_get_total_ticks(player);
  delete_fluid_player(player);
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  return left;
}

// The first sample at or above kAudible from `from_ms` on, in ms; -1 if none.
double onset_ms(const std::vector<std::int16_t>& left, int from_ms) {
  for (std::size_t at = static_cast<std::size_t>(from_ms) * kRate / 1000; at < left.size(); ++at)
    if (std::abs(int{left[at]}) >= kAudible) return static_cast<double>(at) * 1000 / kRate;
  return -1;
}

class MidiFileTest : public ::testing::Test {
 protected:
  velk0::testing::ScratchFolder scratch_{"velk0-smf"};
  const fs::path& dir_ = scratch_.path();
};

TEST_F(MidiFileTest, ASmallRunIsWrittenByteForByte) {
  const fs::path mid = dir_ / "small.mid";
  {
    VirtualClock clock;
    PosixMidi midi({kSoundFont, AudioOutput::none, ""}, clock, nullptr, mid.string());
    ASSERT_TRUE(midi.open(0));
    midi.send(MidiMessage{0xC1, 5, 0});  // program 5 on channel 2
    clock.wait_ms(100);
    midi.send(MidiMessage{0x91, 60, 100});
    clock.wait_ms(200);
    midi.send(MidiMessage{0x81, 60, 64});
    midi.send(MidiMessage{0x99, 36, 127});  // never released by the run
    clock.wait_ms(700);
    midi.close();
    clock.wait_ms(500);
    EXPECT_TRUE(midi.complete_output());
  }
  const std::string track(
      "\x00\xFF\x03\x05velk0\x00\xFF\x51\x03\x0F\x42\x40"
      "\x00\xC1\x05\x64\x91\x3C\x64\x81\x48\x81\x3C\x40\x00\x99\x24\x7F"
      "\x85\x3C\x89\x24\x00\x00\xB1\x7B\x00\x00\xB9\x7B\x00\x83\x74\xFF\x2F\x00",
      50);
  const std::string header("MThd\0\0\0\x06\0\0\0\x01\x03\xE8MTrk\0\0\0\x32", 22);
  EXPECT_EQ(read_file(mid), header + track);
  // A silence longer than a delta-time can hold is carried by empty text events.
  const auto longest = smf_bytes({{0x10000005, 0x90}}, 0, "");
  ASSERT_TRUE(longest);
  EXPECT_NE(longest->find(std::string("\xFF\xFF\xFF\x7F\xFF\x01\x00\x06\x90\x00\x00", 11)),
            std::string::npos);
}

// Notes apart enough for each to start from silence, from the run itself
// and from a MIDI file it plays (one note after a rest of 500 ms).
void a_run(PosixMidi& midi, PosixMedia& media, Clock& clock, const std::string& song) {
  for (std::uint32_t at : {0u, 1537u}) {
    ASSERT_TRUE(midi.open(0));
    clock.wait_ms(at);
    midi.send(MidiMessage{0x90, 60, 110});
    clock.wait_ms(120);
    midi.send(MidiMessage{0x80, 60, 0});
    midi.close();
    clock.wait_ms(1500);
  }
  ASSERT_EQ(media.open(MediaType::sequencer, song), 0u);
  ASSERT_EQ(media.play(), 0u);
  media.close();
  clock.wait_ms(1000);
}

// Measured with each SoundFont.
class MidiFileSound : public velk0::testing::MeasuredWith<MidiFileTest> {};

INSTANTIATE_TEST_SUITE_P(SoundFonts, MidiFileSound, ::testing::ValuesIn(kSoundFonts),
                         velk0::testing::soundfont_name);

TEST_P(MidiFileSound, FluidSynthReadsTheFileBackAsTheWavRenderSoundsIt) {
  const std::string song = (dir_ / "song.mid").string();
  std::ofstream(song, std::ios::binary) << std::string(
      "MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0\x0E\x83\x60\x90\x3C\x6E\x83\x60\x80\x3C\0"
      "\0\xFF\x2F\0",
      36);
  const fs::path wav = dir_ / "run.wav", mid = dir_ / "run.mid";
  VirtualClock wav_clock, mid_clock;
  {
    PosixMidi midi({GetParam(), AudioOutput::file, wav.string()}, wav_clock);
    PosixMedia media(midi, wav_clock, AudioOutput::file,
                     [](std::string_view p) { return std::string(p); });
    a_run(midi, media, wav_clock, song);
  }
  {
    PosixMidi midi({GetParam(), AudioOutput::none, ""}, mid_clock, nullptr, mid.string());
    PosixMedia media(midi, mid_clock, AudioOutput::none,
                     [](std::string_view p) { return std::string(p); });
    a_run(midi, media, mid_clock, song);
    EXPECT_TRUE(midi.complete_output());
  }
  int total_ticks = 0;
  const std::vector<std::int16_t> heard = wav_left(wav),
                                  read = fluid_render(mid, GetParam(), total_ticks);
  EXPECT_EQ(static_cast<std::uint64_t>(total_ticks), mid_clock.now_ms());  // one tick a ms
  // Each note at its time after the first, as in the WAV render: within the
  // block that plays it. FluidSynth's player, which plays the piece into the
  // WAV file too, starts it up to two blocks late there.
  const double block_ms = 64.0 * 1000 / kRate;
  const double read_first = onset_ms(read, 0), heard_first = onset_ms(heard, 0);
  for (int at : {1537 + 1620, 4777 + 500}) {
    const double read_at = onset_ms(read, at - 200) - read_first;
    EXPECT_GE(read_at, at - 0.1);
    EXPECT_LT(read_at, at + block_ms);
    const double late = at > 4777 ? 2 * block_ms : 0.0;
    EXPECT_NEAR(read_at, onset_ms(heard, at - 200) - heard_first, block_ms + late) << at << " ms";
  }
}

}  // namespace
}  // namespace velk0::platform::posix
