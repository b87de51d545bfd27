// The embedded General MIDI synthesizer (FluidSynth) and where its sound goes:
// the system's audio output, a WAV file, or nowhere.
//
// To the speakers, each message is played at the moment the program sent it,
// a fixed delay later (LiveOutput). For a file the sound is rendered in step
// with the program's clock: before each message the frames up to the clock's
// present are rendered, so a virtual clock renders a long piece in a moment
// and voices still end as they would. A file then ends once the last notes
// have died away. With no output at all the SoundFont is still loaded (a dry
// run fails as a real one would) but nothing is synthesized.
//
// Either way a message takes effect at the synthesizer's first 64-frame block
// that starts at or after its time (within 1.5 ms), and the sound passes a
// limiter before it leaves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/audio/limiter.h"
#include "platform/posix/audio/live_output.h"
#include "platform/posix/audio/synth_engine.h"
#include "platform/posix/audio/synth_failure.h"
#include "platform/posix/audio/wav_writer.h"
#include "platform/posix/real_clock.h"

namespace velk0::platform::posix {

enum class AudioOutput { system, file, none };

struct SynthConfig {
  std::string soundfont;
  AudioOutput output = AudioOutput::system;
  std::string wav_path;  // for AudioOutput::file
};

class Synthesizer;

struct SynthStart {
  std::unique_ptr<Synthesizer> synth;  // null when it cannot play
  SynthFailure failure = SynthFailure::none;
};

class Synthesizer {
 public:
  static constexpr unsigned kFileSampleRate = 44100;

  // The synthesizer with its SoundFont loaded and its output started, or why
  // it cannot play. Prints nothing. With the system's output, the SoundFont is
  // read while the device opens. `real_clock`, when it is the clock in use,
  // tells the time each message was meant for; otherwise a message's time is
  // when it arrives.
  static SynthStart start(const SynthConfig& config, Clock& clock,
                          const RealClock* real_clock = nullptr);
  ~Synthesizer();
  Synthesizer(const Synthesizer&) = delete;
  Synthesizer& operator=(const Synthesizer&) = delete;

  int polyphony();
  // Plays one short message (status in the low byte).
  void send(std::uint32_t word);
  // Lets every note go (All Notes Off on every channel).
  void release_all();
  // Renders up to the clock's present and completes the file.
  void catch_up();
  // Once nothing more plays: renders the last notes' ending and puts the
  // file under its name. Empty when done (or with no file), otherwise why the
  // file could not be written (French, the program's bytes). Nothing sounds
  // after it.
  std::string close_file();
  // After close_file() failed: whether the file holds the sound up to the
  // last time the device closed before the failure (else it was not made).
  bool file_kept_part() const { return wav_.placed(); }
  // Back to the programs a freshly opened device has (program 0 everywhere,
  // drums on channel 10), as each opening promises.
  void reset_programs();

  // For FluidSynth's MIDI file player, which plays on this synthesizer: the
  // synthesizer itself; a hold on the audio output while a player is made or
  // deleted (its timer runs in the output's thread); and silence rendered in
  // full while a player plays, since it only moves on as frames are rendered.
  fluid_synth_t* fluid() { return engine_.fluid(); }
  void hold_output(bool held);
  void keep_rendering(bool on) { keep_rendering_ = on; }

 private:
  Synthesizer(Clock& clock, const RealClock* real_clock, AudioOutput output)
      : clock_(clock), real_clock_(real_clock), output_(output) {}
  SynthFailure start_live(const std::string& soundfont);
  SynthFailure start_in_step(const SynthConfig& config);
  void play(const SynthEvent& event);
  std::uint64_t frames_at(std::uint64_t ms) const;
  void render_to(std::uint64_t frame);
  float render_block(std::size_t frames);
  void render_ending();

  Clock& clock_;
  const RealClock* real_clock_;
  AudioOutput output_;
  bool playing_ = false;      // started
  bool file_closed_ = false;  // close_file() has run
  SynthEngine engine_;
  std::unique_ptr<LiveOutput> live_;  // the system's output
  bool drum_kit_chosen_ = false;      // since the last reset
  // A file or nowhere: rendered on demand, in step with the clock.
  WavWriter wav_;
  Limiter limiter_{kFileSampleRate};
  std::uint64_t rendered_ = 0;   // frames rendered so far, counted from the clock's start
  std::uint64_t silent_ = 0;     // frames rendered since the sound was last above -90 dBFS
  bool keep_rendering_ = false;  // a MIDI file plays: render even the silence
  std::vector<float> block_;
  std::vector<std::int16_t> pcm_;
};

}  // namespace velk0::platform::posix
