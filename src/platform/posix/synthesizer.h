// The embedded General MIDI synthesizer (FluidSynth) and where its sound goes:
// the system's audio output, a WAV file, or nowhere. For a file or nowhere
// the sound is rendered in step with the program's clock: before each message
// the frames up to the clock's present are rendered, so a virtual clock
// renders a long piece in a moment and voices still end as they would.
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/sdl_audio.h"
#include "platform/posix/wav_writer.h"

namespace velk0::platform::posix {

enum class AudioOutput { system, file, none };

struct SynthConfig {
  std::string soundfont;
  AudioOutput output = AudioOutput::system;
  std::string wav_path;  // for AudioOutput::file
};

class Synthesizer {
 public:
  static constexpr unsigned kFileSampleRate = 44100;

  // The synthesizer with its SoundFont loaded and its output started;
  // nothing when either fails. Prints nothing.
  static std::unique_ptr<Synthesizer> start(const SynthConfig& config, Clock& clock);
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
  // Back to the programs a freshly opened device has (program 0 everywhere,
  // drums on channel 10), as each opening promises.
  void reset_programs();

  // For FluidSynth's MIDI file player, which plays on this synthesizer: the
  // synthesizer itself; a hold on the audio output while a player is made or
  // deleted (its timer runs in the output's thread); and silence rendered in
  // full while a player plays, since it only moves on as frames are rendered.
  fluid_synth_t* fluid() { return synth_; }
  void hold_output(bool held);
  void keep_rendering(bool on) { keep_rendering_ = on; }

 private:
  Synthesizer(Clock& clock, AudioOutput output) : clock_(clock), output_(output) {}
  bool create(unsigned sample_rate, const std::string& soundfont);
  std::uint64_t frames_at(std::uint64_t ms) const;
  void render_to(std::uint64_t frame);
  static void fill(void* self, std::uint8_t* stream, int bytes);

  Clock& clock_;
  AudioOutput output_;
  unsigned sample_rate_ = kFileSampleRate;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  std::unique_ptr<SdlAudio> audio_;
  std::uint32_t device_ = 0;  // SDL audio device
  WavWriter wav_;
  bool in_step_ = false;        // rendered on demand, in step with the clock
  std::uint64_t rendered_ = 0;  // frames rendered so far, counted from the clock's start
  std::uint64_t quiet_ = 0;     // frames rendered since the last voice ended
  bool keep_rendering_ = false;
  std::vector<float> block_;
  std::vector<std::int16_t> pcm_;
};

}  // namespace velk0::platform::posix
