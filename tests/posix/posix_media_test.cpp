// MIDI and wave files on POSIX: what the devices accept, a MIDI file rendered
// by the embedded synthesizer, and nothing left sounding when one stops.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/doubles/virtual_clock.h"
#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/media/media.h"
#include "platform/posix/media/midi_file_player.h"
#include "platform/posix/media/wave_device.h"
#include "platform/posix/midi/midi_devices.h"
#include "scratch_folder.h"
#include "sound_files.h"

namespace velk0::platform::posix {
namespace {

namespace fs = std::filesystem;

using velk0::testing::kAudible;
using velk0::testing::kRate;
using velk0::testing::kSoundFont;

std::string be(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

// A format 0 file at 480 ticks a quarter note and 120 beats a minute: each
// note lasts 500 ms; the last is never released when `hold_last`; the first
// comes after a rest of `rest_quarters` quarter notes (at most 15).
std::string midi_file(const std::vector<int>& notes, bool hold_last = false,
                      int rest_quarters = 0) {
  std::string track;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const auto note = static_cast<char>(notes[i]);
    const int rest = i == 0 ? rest_quarters * 480 : 0;  // as a two-byte variable length
    track += static_cast<char>(0x80 | rest >> 7);
    track += static_cast<char>(rest & 0x7F);
    track += std::string("\x90", 1) + note + '\x64';
    if (!hold_last || i + 1 < notes.size()) track += std::string("\x83\x60\x80", 3) + note + '\0';
  }
  track += std::string("\x00\xFF\x2F\x00", 4);
  return "MThd" + be(6, 4) + be(0, 2) + be(1, 2) + be(480, 2) + "MTrk" + be(track.size(), 4) +
         track;
}

// A second of a 440 Hz square wave, 8-bit mono.
std::string wave_file() {
  std::string data;
  for (int i = 0; i < 8000; ++i) data += static_cast<char>((i / 9) % 2 ? 0xC0 : 0x40);
  auto le = [](std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
  };
  return "RIFF" + le(36 + data.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
         le(8000, 4) + le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(data.size(), 4) + data;
}

// Largest sample of a 16-bit stereo WAV file between two times.
int wav_peak(const fs::path& path, int from_ms, int to_ms) {
  std::ifstream in(path, std::ios::binary);
  std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int peak = 0;
  const std::size_t from = 44 + static_cast<std::size_t>(from_ms) * kRate / 1000 * 4;
  const std::size_t to = 44 + static_cast<std::size_t>(to_ms) * kRate / 1000 * 4;
  for (std::size_t at = from; at + 1 < std::min(to, b.size()); at += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(b[at]) |
                                                  static_cast<unsigned char>(b[at + 1]) << 8);
    peak = std::max(peak, std::abs(int{sample}));
  }
  return peak;
}

class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kSoundFont)) << "the General MIDI SoundFont is not installed";
  }

  std::string file(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).string();
  }
  std::function<std::string(std::string_view)> same_path() {
    return [](std::string_view p) { return std::string(p); };
  }

  velk0::testing::ScratchFolder scratch_{"velk0-media"};
  const fs::path& dir_ = scratch_.path();
  VirtualClock clock_;
};

TEST_F(MediaTest, OnlyACompleteMidiFileOpens) {
  const std::string whole = midi_file({60, 62});
  mkfifo((dir_ / "fifo.mid").c_str(), 0600);
  struct Case {
    std::string path;
    unsigned error;
  } cases[] = {
      {file("good.mid", whole), 0},
      {(dir_ / "absent.mid").string(), media_error::kFileNotFound},
      {file("text.mid", "do re mi\n"), media_error::kInvalidFile},
      {file("empty.mid", ""), media_error::kInvalidFile},
      {file("header.mid", std::string("MThd\0\0", 6)), media_error::kInvalidFile},
      {file("track.mid", whole.substr(0, whole.size() - 3)), media_error::kInvalidFile},
      {file("smpte.mid", whole.substr(0, 12) + "\xE7\x28" + whole.substr(14)),
       media_error::kInvalidFile},
      {dir_.string(), media_error::kInvalidFile},
      {(dir_ / "fifo.mid").string(), media_error::kInvalidFile},  // must not block
  };
  PosixMidi midi({kSoundFont, AudioOutput::none, ""}, clock_);
  PosixMedia media(midi, clock_, AudioOutput::none, same_path());
  for (const auto& c : cases)
    EXPECT_EQ(media.open(MediaType::sequencer, c.path), c.error) << c.path;
}

TEST_F(MediaTest, AMidiFileRendersWholeIntoTheWavFileAndAgainFromTheStart) {
  const fs::path wav = dir_ / "out.wav";
  {
    PosixMidi midi({kSoundFont, AudioOutput::file, wav.string()}, clock_);
    PosixMedia media(midi, clock_, AudioOutput::file, same_path());
    ASSERT_EQ(media.open(MediaType::sequencer, file("song.mid", midi_file({60, 64, 67, 72}))), 0u);
    int port = -1;
    EXPECT_EQ(media.port(port), 0u);
    EXPECT_EQ(port, 0);
    EXPECT_EQ(media.play(), 0u);
    const std::uint64_t first = clock_.now_ms();
    EXPECT_GE(first, 2000u);  // four notes of 500 ms, and their release
    EXPECT_LT(first, 8000u);
    EXPECT_EQ(media.seek_start(), 0u);
    EXPECT_EQ(media.play(), 0u);
    EXPECT_NEAR(static_cast<double>(clock_.now_ms()), 2.0 * first, 200.0);
    EXPECT_EQ(media.close(), 0u);
  }
  for (int at = 0; at < 2000; at += 500)
    EXPECT_GT(wav_peak(wav, at, at + 400), kAudible) << "note at " << at << " ms";
}

// The first sample at or above kAudible from `from_ms` on, in ms; -1 if none.
double onset_ms(const fs::path& path, int from_ms) {
  std::ifstream in(path, std::ios::binary);
  std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t at = 44 + static_cast<std::size_t>(from_ms) * kRate / 1000 * 4;
       at + 1 < b.size(); at += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(b[at]) |
                                                  static_cast<unsigned char>(b[at + 1]) << 8);
    if (std::abs(int{sample}) >= kAudible) return static_cast<double>(at - 44) / 4 * 1000 / kRate;
  }
  return -1;
}

// Paused, resumed, started again from the start, in any order: the piece goes
// on where it stopped, its programs kept, and every note rings at its time.
TEST_F(MediaTest, APausedMidiFileResumesWhereItStopped) {
  const fs::path wav = dir_ / "out.wav";
  std::string song = midi_file({60, 64, 67, 72});  // a note each 500 ms
  // An organ, chosen before the first note, must still play after a resume.
  song.insert(22, std::string("\0\xC0\x13", 3));
  song[21] = static_cast<char>(song[21] + 3);
  {
    PosixMidi midi({kSoundFont, AudioOutput::file, wav.string()}, clock_);
    std::vector<char> bytes(song.begin(), song.end());
    MidiFilePlayer player(
        bytes, [&midi] { return midi.synthesizer(); }, clock_, false);
    midi.synthesizer()->keep_rendering(true);  // silence too, as the live output does
    auto listen = [&](int ms) {
      clock_.wait_ms(static_cast<std::uint32_t>(ms));
      midi.synthesizer()->catch_up();
    };
    auto program = [&midi] {
      int font = 0, bank = 0, preset = -1;
      fluid_synth_get_program(midi.synthesizer()->fluid(), 0, &font, &bank, &preset);
      return preset;
    };
    // Paused at 750 ms of the piece, resumed at 3750: 67 comes 250 ms later.
    EXPECT_EQ(player.play(), 0u);
    listen(750);
    EXPECT_EQ(player.pause(), 0u);
    midi.synthesizer()->send(MidiMessage{0xC0, 0, 0});  // another program meanwhile
    listen(3000);
    EXPECT_EQ(player.resume(), 0u);
    listen(300);
    EXPECT_EQ(program(), 0x13);
    EXPECT_EQ(player.pause(), 0u);  // at 1050 of the piece
    EXPECT_EQ(player.pause(), 0u);
    listen(3000);
    EXPECT_EQ(player.resume(), 0u);  // 72 comes 450 ms later, at 7500
    listen(2550);
    EXPECT_EQ(player.seek_start(), 0u);
    EXPECT_EQ(player.resume(), 0u);  // from the start at 9600
    listen(1000);
  }
  // Each note rings as long after its time as the first did: within a block.
  const double attack = onset_ms(wav, 0);
  EXPECT_LT(wav_peak(wav, 3000, 3990), kAudible);
  EXPECT_NEAR(onset_ms(wav, 3000) - 4000, attack, 1.5);
  EXPECT_LT(wav_peak(wav, 6000, 7490), kAudible);
  EXPECT_NEAR(onset_ms(wav, 6000) - 7500, attack, 1.5);
  EXPECT_LT(wav_peak(wav, 9000, 9590), kAudible);
  EXPECT_NEAR(onset_ms(wav, 9000) - 9600, attack, 1.5);
}

TEST_F(MediaTest, ALongRestDoesNotStopThePiece) {
  // Longer than the silence after which the synthesizer stops rendering
  // sound for nothing: the file's player still moves on through it.
  const fs::path wav = dir_ / "out.wav";
  {
    PosixMidi midi({kSoundFont, AudioOutput::file, wav.string()}, clock_);
    PosixMedia media(midi, clock_, AudioOutput::file, same_path());
    ASSERT_EQ(media.open(MediaType::sequencer, file("rest.mid", midi_file({60}, false, 10))), 0u);
    ASSERT_EQ(media.play(), 0u);
    EXPECT_LT(clock_.now_ms(), 15000u);
  }
  EXPECT_LT(wav_peak(wav, 0, 4900), 60);
  EXPECT_GT(wav_peak(wav, 5000, 5400), kAudible);
}

TEST_F(MediaTest, ANoteTheFileNeverReleasesStopsWithThePiece) {
  PosixMidi midi({kSoundFont, AudioOutput::file, (dir_ / "out.wav").string()}, clock_);
  PosixMedia media(midi, clock_, AudioOutput::file, same_path());
  ASSERT_EQ(media.open(MediaType::sequencer, file("held.mid", midi_file({60, 64}, true))), 0u);
  ASSERT_EQ(media.play(), 0u);
  // Rendered a few seconds past the last event, not for ever.
  EXPECT_LT(clock_.now_ms(), 10000u);
  fluid_synth_t* synth = midi.synthesizer()->fluid();
  EXPECT_GT(fluid_synth_get_active_voice_count(synth), 0);
  media.close();
  clock_.wait_ms(3000);
  midi.synthesizer()->catch_up();
  EXPECT_EQ(fluid_synth_get_active_voice_count(synth), 0);
}

TEST_F(MediaTest, WithoutASynthesizerTheSequencerHasNoPort) {
  PosixMidi midi({"/nonexistent/gm.sf2", AudioOutput::none, ""}, clock_);
  PosixMedia media(midi, clock_, AudioOutput::none, same_path());
  ASSERT_EQ(media.open(MediaType::sequencer, file("song.mid", midi_file({60}))), 0u);
  int port = 0;
  EXPECT_EQ(media.port(port), media_error::kNoMidiPort);
  EXPECT_EQ(media.play(), media_error::kNoMidiPort);
}

TEST_F(MediaTest, AWaveFileOpensSilentlyWhenTheSoundGoesElsewhere) {
  PosixMidi midi({kSoundFont, AudioOutput::none, ""}, clock_);
  PosixMedia media(midi, clock_, AudioOutput::none, same_path());
  EXPECT_EQ(media.open(MediaType::waveaudio, (dir_ / "absent.wav").string()),
            media_error::kFileNotFound);
  EXPECT_EQ(media.open(MediaType::waveaudio, file("text.wav", "RIFF?")), media_error::kInvalidFile);
  EXPECT_EQ(media.play(), media_error::kNotReady);
  ASSERT_EQ(media.open(MediaType::waveaudio, file("a.wav", wave_file())), 0u);
  int port = 0;
  EXPECT_EQ(media.port(port), media_error::kUnsupported);
  for (unsigned error : {media.play(), media.pause(), media.resume(), media.seek_start()})
    EXPECT_EQ(error, 0u);
  EXPECT_EQ(media.close(), 0u);
}

TEST_F(MediaTest, AMissingCueRingsTheBell) {
  int rings = 0;
  auto bell = [&rings] { ++rings; };
  SdlSoundCues heard(same_path(), false, bell), silent(same_path(), true, bell);
  heard.play((dir_ / "absent.wav").string());
  EXPECT_EQ(rings, 1);
  silent.play((dir_ / "absent.wav").string());
  EXPECT_EQ(rings, 1);
}

}  // namespace
}  // namespace velk0::platform::posix
