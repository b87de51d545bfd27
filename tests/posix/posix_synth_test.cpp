#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/doubles/virtual_clock.h"
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
constexpr int kQuiet = 60;
// 16-bit sample magnitudes at some levels.
constexpr int kMinus12Dbfs = 8231;
constexpr int kMinus3Dbfs = 23197;
constexpr int kMinusHalfDbfs = 30934;
constexpr int kMinus90Dbfs = 1;
// A message takes effect at the synthesizer's next 64-frame block; a piano
// note's first samples are silent for a few more frames.
constexpr int kBlockFrames = 64;
constexpr int kLeadInFrames = 8;

MidiMessage note_on(int note, unsigned channel = 0) {
  return MidiMessage::make(MidiKind::note_on, channel, static_cast<unsigned>(note), 127);
}
MidiMessage note_off(int note, unsigned channel = 0) {
  return MidiMessage::make(MidiKind::note_off, channel, static_cast<unsigned>(note));
}

std::uint32_t u32(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
         static_cast<unsigned char>(b[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t u16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

struct Wav {
  std::uint32_t riff_size = 0, rate = 0, byte_rate = 0, data_size = 0;
  std::uint16_t format = 0, channels = 0, bits = 0;
  std::size_t file_size = 0;
  std::vector<std::int16_t> samples;  // interleaved stereo

  std::size_t frames() const { return samples.size() / 2; }
  // Largest sample magnitude between two times.
  int peak(int from_ms, int to_ms) const {
    int peak = 0;
    std::size_t from = static_cast<std::size_t>(from_ms) * kRate / 1000 * 2;
    std::size_t to = std::min(samples.size(), static_cast<std::size_t>(to_ms) * kRate / 1000 * 2);
    for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
    return peak;
  }
  int peak() const { return peak(0, static_cast<int>(frames() * 1000 / kRate) + 1); }
  // The first frame at or after `from` that is not silent.
  std::size_t first_sound(std::size_t from) const {
    for (std::size_t i = from * 2; i < samples.size(); ++i)
      if (samples[i] != 0) return i / 2;
    return frames();
  }
};

Wav read_wav(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Wav wav;
  wav.file_size = b.size();
  if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 8, "WAVEfmt ") != 0 ||
      b.compare(36, 4, "data") != 0)
    return wav;
  wav.riff_size = u32(b, 4);
  wav.format = u16(b, 20);
  wav.channels = u16(b, 22);
  wav.rate = u32(b, 24);
  wav.byte_rate = u32(b, 28);
  wav.bits = u16(b, 34);
  wav.data_size = u32(b, 40);
  for (std::size_t at = 44; at + 1 < b.size(); at += 2)
    wav.samples.push_back(static_cast<std::int16_t>(u16(b, at)));
  return wav;
}

// Everything written on standard error while it lives.
class StderrCapture {
 public:
  explicit StderrCapture(const fs::path& file) : file_(file) {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDERR_FILENO);
    close(fd);
  }
  std::string finish() {
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    std::ifstream in(file_);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

 private:
  fs::path file_;
  int saved_ = -1;
};

class SynthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kSoundFont)) << kSoundFont << " is not installed";
  }

  virtual const char* soundfont() const { return kSoundFont; }
  SynthConfig to_file() const { return {soundfont(), AudioOutput::file, wav_path().string()}; }
  fs::path wav_path() const { return dir_ / "out.wav"; }

  // Plays each note for `ms` on device 0 and closes it.
  void play(PosixMidi& midi, const std::vector<int>& notes, std::uint32_t ms) {
    ASSERT_TRUE(midi.open(0));
    for (int note : notes) {
      midi.send(note_on(note));
      clock_.wait_ms(ms);
      midi.send(note_off(note));
    }
    midi.close();
  }

  velk0::testing::ScratchFolder scratch_{"velk0-synth"};
  const fs::path& dir_ = scratch_.path();
  VirtualClock clock_;
};

// The tests that measure the sound, with each SoundFont.
class SynthSound : public velk0::testing::MeasuredWith<SynthTest> {
 protected:
  const char* soundfont() const override { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(SoundFonts, SynthSound, ::testing::ValuesIn(kSoundFonts),
                         velk0::testing::soundfont_name);

TEST_F(SynthTest, TheSynthesizerReportsItsPolyphony) {
  PosixMidi midi({kSoundFont, AudioOutput::none, ""}, clock_);
  EXPECT_GE(midi.count(), 1u);
  EXPECT_EQ(midi.notes(0), 256);
  EXPECT_EQ(midi.notes(midi.count()), 0);
  EXPECT_FALSE(midi.open(midi.count()));
}

TEST_P(SynthSound, AFileHoldsTheNotesInStepWithTheClockAndTheirRelease) {
  {
    PosixMidi midi(to_file(), clock_);
    play(midi, {48, 50, 52, 53, 55, 57, 59, 60}, 1000);
  }
  Wav wav = read_wav(wav_path());
  EXPECT_EQ(wav.format, 1);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.rate, 44100u);
  EXPECT_EQ(wav.bits, 16);
  EXPECT_EQ(wav.byte_rate, 44100u * 4);
  EXPECT_EQ(wav.data_size, wav.frames() * 4);
  EXPECT_EQ(wav.riff_size, wav.data_size + 36);
  EXPECT_EQ(wav.file_size, wav.data_size + 44u);
  for (int second = 0; second < 8; ++second)
    EXPECT_GT(wav.peak(second * 1000, second * 1000 + 500), kAudible) << "note " << second;
  // A melody at full velocity is neither faint nor near clipping.
  EXPECT_GE(wav.peak(), kMinus12Dbfs);
  EXPECT_LE(wav.peak(), kMinus3Dbfs);
  // The last note-off came at 8 s: the file goes on while its release sounds,
  // for at most 5 s, and ends in silence.
  EXPECT_GT(wav.frames(), 8u * kRate);
  EXPECT_LE(wav.frames(), 13u * kRate);
  EXPECT_GT(wav.peak(8000, 8100), kQuiet);
  int length_ms = static_cast<int>(wav.frames() * 1000 / kRate);
  EXPECT_LE(wav.peak(length_ms - 10, length_ms + 1), kMinus90Dbfs);
}

TEST_P(SynthSound, EachMessageTakesEffectWithinABlockOfItsTime) {
  // Notes far enough apart that each starts from silence.
  const std::vector<std::uint32_t> starts_ms = {0, 2001, 4003, 6007, 8011};
  {
    PosixMidi midi(to_file(), clock_);
    ASSERT_TRUE(midi.open(0));
    for (std::uint32_t at : starts_ms) {
      clock_.wait_ms(at - static_cast<std::uint32_t>(clock_.now_ms()));
      midi.send(note_on(60));
      clock_.wait_ms(100);
      midi.send(note_off(60));
    }
    midi.close();
  }
  Wav wav = read_wav(wav_path());
  for (std::uint32_t at : starts_ms) {
    std::size_t exact = static_cast<std::size_t>(at) * kRate / 1000;
    std::size_t heard = wav.first_sound(exact > 0 ? exact - 1 : 0);
    EXPECT_GE(heard, exact) << "note at " << at << " ms";
    EXPECT_LT(heard, exact + kBlockFrames + kLeadInFrames) << "note at " << at << " ms";
  }
}

TEST_P(SynthSound, AThickChordAtFullVolumeStaysBelowFullScale) {
  {
    PosixMidi midi(to_file(), clock_);
    ASSERT_TRUE(midi.open(0));
    midi.send(MidiMessage{0xC0, 48, 0});  // strings
    const std::vector<int> chord = {36, 40, 43, 48, 52, 55, 60, 64, 67, 72};
    for (int note : chord) midi.send(note_on(note));
    clock_.wait_ms(4000);
    for (int note : chord) midi.send(note_off(note));
    midi.close();
  }
  Wav wav = read_wav(wav_path());
  EXPECT_LE(wav.peak(), kMinusHalfDbfs);
  EXPECT_GE(wav.peak(), kMinus3Dbfs);
}

TEST_P(SynthSound, AnInstrumentChosenBeforeAnOpeningPlaysOnAfterIt) {
  // The device keeps its programs from one opening to the next, as a MIDI
  // instrument does: a note on channel 2 with the trumpet just chosen, the
  // same note in the next opening, then in an opening after one that chose
  // the piano; four seconds each.
  constexpr unsigned kTrumpet = 56, kPiano = 0;
  {
    PosixMidi midi(to_file(), clock_);
    auto played = [&](std::optional<unsigned> program) {
      ASSERT_TRUE(midi.open(0));
      if (program) midi.send(MidiMessage::make(MidiKind::program_change, 1, *program));
      midi.send(note_on(60, 1));
      clock_.wait_ms(1000);
      midi.send(note_off(60, 1));
      clock_.wait_ms(3000);
      midi.close();
    };
    played(kTrumpet);
    played(std::nullopt);
    ASSERT_TRUE(midi.open(0));
    midi.send(MidiMessage::make(MidiKind::program_change, 1, kPiano));
    midi.close();
    played(std::nullopt);
  }
  Wav wav = read_wav(wav_path());
  ASSERT_GE(wav.frames(), 9u * kRate);
  // Compared by their loudness a quarter of a second at a time while the note
  // sounds: the synthesizer places events on its own blocks, so the samples
  // themselves are shifted, and so is the steep end of the release.
  int unlike = 0;
  for (int at = 0; at <= 1000; at += 250) {
    const int trumpet = wav.peak(at, at + 250), tolerance = 50 + trumpet / 10;
    EXPECT_NEAR(wav.peak(4000 + at, 4250 + at), trumpet, tolerance) << "at " << at << " ms";
    if (std::abs(wav.peak(8000 + at, 8250 + at) - trumpet) > tolerance) ++unlike;
  }
  EXPECT_GT(wav.peak(0, 1000), kAudible);
  EXPECT_GE(unlike, 4) << "the piano sounds as the trumpet";
}

TEST_P(SynthSound, ChannelTenPlaysTheDrumKitAfterEachOpening) {
  // A closed hi-hat is over in a moment; a piano's F#2 held as long is not.
  constexpr MidiMessage kHiHat{0x99, 42, 127};
  {
    PosixMidi midi(to_file(), clock_);
    for (int opening = 0; opening < 2; ++opening) {
      ASSERT_TRUE(midi.open(0));
      midi.send(kHiHat);
      clock_.wait_ms(1500);
      midi.send(MidiMessage{0x89, 42, 0});
      midi.close();
    }
  }
  Wav wav = read_wav(wav_path());
  for (int at : {0, 1500}) {
    EXPECT_GT(wav.peak(at, at + 200), kAudible) << "opening at " << at << " ms";
    EXPECT_LT(wav.peak(at + 1000, at + 1500), wav.peak(at, at + 200) / 20) << at << " ms";
  }
}

TEST_P(SynthSound, ARestIsSilentAndTheNoteAfterItSoundsOnTime) {
  {
    PosixMidi midi(to_file(), clock_);
    ASSERT_TRUE(midi.open(0));
    midi.send(note_on(60));
    clock_.wait_ms(300);
    midi.send(note_off(60));
    clock_.wait_ms(4700);
    midi.send(note_on(64));
    clock_.wait_ms(500);
    midi.send(note_off(64));
    midi.close();
  }
  Wav wav = read_wav(wav_path());
  EXPECT_GE(wav.frames(), 5500u * 44100 / 1000);
  EXPECT_GT(wav.peak(0, 300), kAudible);
  EXPECT_LT(wav.peak(4000, 5000), kQuiet);
  EXPECT_GT(wav.peak(5000, 5100), kAudible);
}

TEST_P(SynthSound, TheFileIsCompleteAtEachCloseAndGoesOnAfterIt) {
  PosixMidi midi(to_file(), clock_);
  play(midi, {60}, 1000);
  Wav first = read_wav(wav_path());
  EXPECT_EQ(first.frames(), 44100u);
  EXPECT_EQ(first.data_size, first.frames() * 4);

  clock_.wait_ms(1000);  // closed meanwhile: the time still passes in the file
  play(midi, {62}, 500);
  Wav second = read_wav(wav_path());
  EXPECT_EQ(second.frames(), 2500u * 44100 / 1000);
  EXPECT_EQ(second.data_size, second.frames() * 4);
  EXPECT_GT(second.peak(2000, 2500), kAudible);
}

TEST_P(SynthSound, NothingReachesAClosedDevice) {
  {
    PosixMidi midi(to_file(), clock_);
    ASSERT_TRUE(midi.open(0));
    midi.close();
    midi.send(note_on(60));
    clock_.wait_ms(1000);
    ASSERT_TRUE(midi.open(0));
    midi.close();
  }
  Wav wav = read_wav(wav_path());
  EXPECT_EQ(wav.frames(), 44100u);
  EXPECT_LT(wav.peak(0, 1000), kQuiet);
}

TEST_P(SynthSound, ClosingLetsGoOfANoteLeftOn) {
  {
    PosixMidi midi(to_file(), clock_);
    ASSERT_TRUE(midi.open(0));
    midi.send(note_on(60));  // an organ would hold this for ever
    midi.send(MidiMessage{0xC0, 19, 0});
    midi.send(note_on(64));
    clock_.wait_ms(500);
    midi.close();
    clock_.wait_ms(4500);
    ASSERT_TRUE(midi.open(0));
    midi.close();
  }
  // Held for ever, the notes would sound to the end of the file, 5 s on; let
  // go, the file ends with their release, whatever time passed after it.
  Wav wav = read_wav(wav_path());
  EXPECT_GT(wav.peak(0, 500), kAudible);
  EXPECT_LT(wav.frames(), 4u * 44100);
}

TEST_F(SynthTest, WithNoOutputAPieceTakesNoRealTimeAndNothingIsSynthesized) {
  auto start = std::chrono::steady_clock::now();
  PosixMidi midi({kSoundFont, AudioOutput::none, ""}, clock_);
  std::vector<int> notes;
  for (int i = 0; i < 60; ++i) notes.push_back(48 + i % 24);
  play(midi, notes, 1000);  // one minute of music
  EXPECT_EQ(clock_.now_ms(), 60000u);
  auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(spent).count(), 10000);
  // A note sent reaches no voice of the synthesizer.
  ASSERT_TRUE(midi.open(0));
  midi.send(note_on(60));
  EXPECT_EQ(fluid_synth_get_active_voice_count(midi.synthesizer()->fluid()), 0);
  midi.close();
}

struct UnableCase {
  const char* name;
  SynthConfig config;
  const char* expected_stderr;  // a part of its only line
};

void PrintTo(const UnableCase& c, std::ostream* out) { *out << c.name; }

class UnableToPlay : public SynthTest, public ::testing::WithParamInterface<UnableCase> {};

TEST_P(UnableToPlay, DeviceZeroReportsNoNotes) {
  StderrCapture err(dir_ / "stderr");
  VirtualClock clock;
  clock.wait_ms(1000);  // time has passed before the first use
  {
    PosixMidi midi(GetParam().config, clock);
    EXPECT_GE(midi.count(), 1u);
    EXPECT_EQ(midi.notes(0), 0);
    EXPECT_FALSE(midi.open(0));
    midi.send(note_on(60));  // nowhere to go, and no harm done
    midi.close();
  }
  // One line for the whole run, that says what failed and what to do.
  std::string printed = err.finish();
  EXPECT_NE(printed.find(GetParam().expected_stderr), std::string::npos) << printed;
  EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;
  EXPECT_NE(printed.find("VELK0_"), std::string::npos) << printed;
}

INSTANTIATE_TEST_SUITE_P(
    Causes, UnableToPlay,
    ::testing::Values(UnableCase{"MissingSoundFont",
                                 {"/nonexistent/none.sf2", AudioOutput::none, ""},
                                 "introuvable : /nonexistent/none.sf2. "},
                      UnableCase{"NoSoundFontNamed", {"", AudioOutput::none, ""}, "introuvable"},
                      UnableCase{"NotASoundFont",
                                 {"/etc/hostname", AudioOutput::none, ""},
                                 "illisible : /etc/hostname. "},
                      UnableCase{"UnwritableFile",
                                 {kSoundFont, AudioOutput::file, "/nonexistent/dir/out.wav"},
                                 "impossible d'\xC3\xA9"
                                 "crire le fichier audio /nonexistent/dir/out.wav. "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SynthTest, ASoundFontCutShortIsUnreadable) {
  // Its records would lie past the end of the file.
  fs::path cut = dir_ / "cut.sf2";
  std::string bytes(fs::file_size(kSoundFont) / 2, '\0');
  std::ifstream(kSoundFont, std::ios::binary).read(bytes.data(), std::streamsize(bytes.size()));
  std::ofstream(cut, std::ios::binary) << bytes;
  StderrCapture err(dir_ / "stderr");
  VirtualClock clock;
  {
    PosixMidi midi({cut.string(), AudioOutput::none, ""}, clock);
    EXPECT_EQ(midi.notes(0), 0);
  }
  std::string printed = err.finish();
  EXPECT_NE(printed.find("illisible : " + cut.string()), std::string::npos) << printed;
}

TEST_F(SynthTest, TheSystemOutputStartsOrSaysWhyNot) {
  // Whether this machine has sound or not, the sound libraries print nothing;
  // without sound, one line says so.
  StderrCapture err(dir_ / "stderr");
  VirtualClock clock;
  int notes = -1;
  {
    PosixMidi midi({kSoundFont, AudioOutput::system, ""}, clock);
    midi.count();
    notes = midi.notes(0);
    if (notes > 0) play(midi, {60}, 0);
  }
  std::string printed = err.finish();
  if (notes == 256)
    EXPECT_EQ(printed, "");
  else
    EXPECT_EQ(printed.rfind("velk0 : aucun serveur de son joignable", 0), 0u) << printed;
  EXPECT_TRUE(notes == 0 || notes == 256) << notes;
}

}  // namespace
}  // namespace velk0::platform::posix
