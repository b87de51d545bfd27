// MIDI and wave files on POSIX: what the devices accept, a MIDI file rendered
// by the embedded synthesizer, and nothing left sounding when one stops.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/doubles/virtual_clock.h"
#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/interrupt.h"
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
using velk0::testing::kSoundFonts;

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
    ASSERT_TRUE(fs::exists(kSoundFont)) << kSoundFont << " is not installed";
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

// The tests that measure the sound, with each SoundFont.
class MediaSound : public velk0::testing::MeasuredWith<MediaTest> {};

INSTANTIATE_TEST_SUITE_P(SoundFonts, MediaSound, ::testing::ValuesIn(kSoundFonts),
                         velk0::testing::soundfont_name);

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

TEST_P(MediaSound, AMidiFileRendersWholeIntoTheWavFileAndAgainFromTheStart) {
  const fs::path wav = dir_ / "out.wav";
  {
    PosixMidi midi({GetParam(), AudioOutput::file, wav.string()}, clock_);
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

// An environment variable set for the test's length.
class EnvironmentSet {
 public:
  EnvironmentSet(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~EnvironmentSet() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Organ notes of 100 ms, one each 600 ms, at 480 ticks a quarter note and
// 120 beats a minute. The drawbar organ: with either SoundFont its release
// is over well before the next note.
constexpr int kOrgan = 16;
constexpr int kOrganSpacingMs = 600;
std::string organ_file(const std::vector<int>& notes) {
  std::string track = std::string("\0\xC0", 2) + static_cast<char>(kOrgan);
  for (const int note : notes) {
    track += std::string("\0\x90", 2) + static_cast<char>(note) + '\x64';
    track += std::string("\x60\x80", 2) + static_cast<char>(note) + '\0';
    track += std::string("\x83\x60\xB0\x40\0", 5);  // 480 ticks, and the pedal up
  }
  track += std::string("\0\xFF\x2F\x00", 4);
  return "MThd" + be(6, 4) + be(0, 2) + be(1, 2) + be(480, 2) + "MTrk" + be(track.size(), 4) +
         track;
}

// Where sound starts after 50 ms of silence in a stream of stereo floats, in
// ms from its start.
std::vector<double> raw_onsets(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<float> samples;
  for (float sample; in.read(reinterpret_cast<char*>(&sample), sizeof sample);)
    samples.push_back(sample);
  const float audible = static_cast<float>(kAudible) / 32768;
  const std::size_t quiet_frames = kRate / 20;
  std::vector<double> onsets;
  std::size_t quiet = quiet_frames;
  for (std::size_t frame = 0; 2 * frame + 1 < samples.size(); ++frame) {
    const bool loud =
        std::max(std::fabs(samples[2 * frame]), std::fabs(samples[2 * frame + 1])) >= audible;
    if (loud && quiet >= quiet_frames) onsets.push_back(1000.0 * frame / kRate);
    quiet = loud ? 0 : quiet + 1;
  }
  return onsets;
}

// Live, paused and resumed as the user answers, in real time (SDL's disk
// driver keeps what the device played): each note sounds once, in its
// order, nothing sounds while paused, and the program chosen before the
// pause plays on, whatever was chosen meanwhile. Each pause and resume comes
// about 280 ms from the nearest note, so a busy machine that holds the test
// back that long still plays it as planned; how close to its time each note
// sounds is the sound benchmark's to measure.
TEST_P(MediaSound, APausedMidiFileResumesWhereItStopped) {
  const fs::path raw = dir_ / "played.raw";
  EnvironmentSet driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", raw.string());
  const std::string song = organ_file({60, 64, 67, 72});
  auto listen = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  constexpr int kFirstPauseMs = 1000, kSecondPauseMs = 700;
  {
    PosixMidi midi({GetParam(), AudioOutput::system, ""}, clock_);
    ASSERT_NE(midi.synthesizer(), nullptr);
    // The program channel 1 plays once the rendering thread, which applies
    // what was sent as it renders (later on a busy machine), has caught up.
    auto program = [&midi] {
      int font = 0, bank = 0, preset = -1;
      for (int tries = 0; tries < 100 && preset != kOrgan; ++tries) {
        if (tries > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fluid_synth_get_program(midi.synthesizer()->fluid(), 0, &font, &bank, &preset);
      }
      return preset;
    };
    MidiFilePlayer player({song.begin(), song.end()}, midi.piece_port(), clock_);
    EXPECT_EQ(player.play(), 0u);
    listen(880);  // 60 and 64 sound
    EXPECT_EQ(player.pause(), 0u);
    midi.synthesizer()->send(MidiMessage{0xC0, 0, 0});  // another program meanwhile
    listen(kFirstPauseMs);
    EXPECT_EQ(player.resume(), 0u);
    listen(560);  // 67 sounds
    EXPECT_EQ(player.pause(), 0u);
    EXPECT_EQ(player.pause(), 0u);
    listen(kSecondPauseMs);
    EXPECT_EQ(player.resume(), 0u);
    listen(900);  // 72 sounds
    EXPECT_EQ(program(), kOrgan);
  }
  const std::vector<double> onsets = raw_onsets(raw);
  ASSERT_EQ(onsets.size(), 4u);
  // Stood still while paused: the next note came the pause later.
  EXPECT_GT(onsets[2] - onsets[1], kOrganSpacingMs + kFirstPauseMs - 100);
  EXPECT_GT(onsets[3] - onsets[2], kOrganSpacingMs + kSecondPauseMs - 100);
}

TEST_P(MediaSound, ALongRestDoesNotStopThePiece) {
  // Longer than the silence after which the synthesizer stops rendering
  // sound for nothing: the file's player still moves on through it.
  const fs::path wav = dir_ / "out.wav";
  {
    PosixMidi midi({GetParam(), AudioOutput::file, wav.string()}, clock_);
    PosixMedia media(midi, clock_, AudioOutput::file, same_path());
    ASSERT_EQ(media.open(MediaType::sequencer, file("rest.mid", midi_file({60}, false, 10))), 0u);
    ASSERT_EQ(media.play(), 0u);
    EXPECT_LT(clock_.now_ms(), 15000u);
  }
  EXPECT_LT(wav_peak(wav, 0, 4900), 60);
  EXPECT_GT(wav_peak(wav, 5000, 5400), kAudible);
}

TEST_P(MediaSound, ANoteTheFileNeverReleasesStopsWithThePiece) {
  PosixMidi midi({GetParam(), AudioOutput::file, (dir_ / "out.wav").string()}, clock_);
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

// A virtual clock on which Ctrl-C comes once it has reached `at_ms`.
class CtrlCAt : public Clock {
 public:
  explicit CtrlCAt(std::uint64_t at_ms) : at_ms_(at_ms) {}
  std::uint64_t now_ms() override { return clock_.now_ms(); }
  void wait_ms(std::uint32_t ms) override {
    clock_.wait_ms(ms);
    if (!sent_ && clock_.now_ms() >= at_ms_) {
      sent_ = true;
      std::raise(SIGINT);
    }
  }

 private:
  VirtualClock clock_;
  std::uint64_t at_ms_;
  bool sent_ = false;
};

// The channel messages of a MIDI file the recorder wrote (no running
// status), as "ms status key"; "whole" last when its track ends with End of
// Track where its length says.
std::vector<std::string> recorded(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto at = [&b](std::size_t i) { return i < b.size() ? static_cast<unsigned char>(b[i]) : 0u; };
  auto quantity = [&at](std::size_t& i) {
    std::uint64_t v = 0;
    for (unsigned c = 0x80; c & 0x80; v = v << 7 | (c & 0x7F)) c = at(i++);
    return v;
  };
  std::vector<std::string> events;
  std::uint64_t ms = 0;
  for (std::size_t i = 22; i < b.size();) {
    ms += quantity(i);
    const unsigned status = at(i++);
    if (status == 0xFF) {
      const unsigned type = at(i++);
      i += quantity(i);
      const std::size_t length = at(18) << 24 | at(19) << 16 | at(20) << 8 | at(21);
      if (type == 0x2F && i == b.size() && b.size() - 22 == length) events.push_back("whole");
      continue;
    }
    events.push_back(std::to_string(ms) + ' ' + std::to_string(status) + ' ' +
                     std::to_string(at(i)));
    i += (status & 0xE0) == 0xC0 ? 1 : 2;
  }
  return events;
}

class MediaInterruptTest : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    std::signal(SIGINT, SIG_DFL);  // a test run in the background inherits it ignored
    install_interrupt_handlers();
    clear_interrupt();
  }
  void TearDown() override {
    clear_interrupt();
    std::signal(SIGINT, SIG_DFL);
  }
};

// Ctrl-C while a MIDI file renders into a WAV or a MIDI file stops the
// render there, and the file is whole, with what was rendered up to then:
// four notes of 500 ms of the ten in the piece, their endings after them.
TEST_F(MediaInterruptTest, ASignalDuringARenderLeavesAWholeFileOfWhatCame) {
  const std::string piece = file("song.mid", midi_file({60, 62, 64, 65, 67, 69, 71, 72, 74, 76}));
  for (const bool to_midi_file : {false, true}) {
    SCOPED_TRACE(to_midi_file ? "into a MIDI file" : "into a WAV file");
    clear_interrupt();
    CtrlCAt clock(1500);
    const fs::path out = dir_ / (to_midi_file ? "out.mid" : "out.wav");
    const AudioOutput output = to_midi_file ? AudioOutput::none : AudioOutput::file;
    {
      PosixMidi midi({kSoundFont, output, to_midi_file ? "" : out.string()}, clock, nullptr,
                     to_midi_file ? out.string() : "");
      PosixMedia media(midi, clock, output, same_path());
      ASSERT_EQ(media.open(MediaType::sequencer, piece), 0u);
      EXPECT_THROW(media.play(), Interrupted);
      EXPECT_EQ(clock.now_ms(), 1500u);
      media.close();
      EXPECT_TRUE(midi.complete_output());
    }
    if (to_midi_file) {
      EXPECT_EQ(recorded(out),
                (std::vector<std::string>{"0 144 60", "500 128 60", "500 144 62", "1000 128 62",
                                          "1000 144 64", "1500 128 64", "1500 144 65",
                                          "1500 128 65", "whole"}));
      continue;
    }
    const auto size = static_cast<std::uint32_t>(fs::file_size(out));
    std::ifstream in(out, std::ios::binary);
    std::uint32_t riff = 0, data = 0;  // the sizes the header gives (little-endian here)
    in.seekg(4);
    in.read(reinterpret_cast<char*>(&riff), 4);
    in.seekg(40);
    in.read(reinterpret_cast<char*>(&data), 4);
    EXPECT_EQ(riff, size - 8);
    EXPECT_EQ(data, size - 44);
    EXPECT_GT(wav_peak(out, 1500, 1600), kAudible);  // the fourth note
    // Its release, and no more: the piece had 3.5 s more to play.
    EXPECT_LT(size - 44, 6500u * kRate / 1000 * 4);
  }
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
