// The FluidSynth instance inside the embedded synthesizer: its settings, its
// SoundFont, and the messages it plays. Where its sound goes, and when each
// message takes effect, is decided by whoever renders it (Synthesizer for a
// file, LiveOutput for the speakers).
#pragma once

#include <fluidsynth.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/midi_message.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {

// Silences FluidSynth's own log, which would otherwise print English lines on
// standard error: the program's own line says what failed. Safe from any
// thread, and done once for the whole run; called before any of the
// library's objects is made (the synthesizer's, a MIDI file's player).
void silence_fluidsynth_log();

// One thing for the synthesizer to do.
struct SynthEvent {
  enum class Kind : std::uint8_t {
    message,        // a short MIDI message, `message`
    all_notes_off,  // every note on every channel is let go
  };
  Kind kind = Kind::message;
  MidiMessage message;
};

class SynthEngine {
 public:
  static constexpr int kChannels = 2;  // interleaved stereo
  // At the start the drum channel has no program until it is given one: its
  // first note needs a program change (to 0, the standard kit) before it.
  static constexpr int kDrumChannel = 9;
  // -90 dBFS: a rendered sample below it is silence (a 16-bit file holds
  // nothing but its last bit).
  static constexpr float kSilence = 3.1623e-5f;

  // The largest magnitude among `frames` frames of interleaved stereo.
  static float peak(const float* samples, std::size_t frames);
  // Whether FluidSynth renders at `rate` frames a second (8,000 to 96,000).
  static bool renders_at(unsigned rate) { return rate >= 8000 && rate <= 96000; }
  // Whether applying `event` chooses a program, and so may read samples
  // (see preload).
  static bool reads_samples(const SynthEvent& event);

  SynthEngine() = default;
  ~SynthEngine();
  SynthEngine(const SynthEngine&) = delete;
  SynthEngine& operator=(const SynthEngine&) = delete;

  // Creates the synthesizer and loads the SoundFont: none, or why it cannot
  // play (soundfont_unreadable or out_of_memory). Only the samples of the
  // programs in use are read, when a program is first chosen. Should
  // FluidSynth fault for want of memory while it reads (it does not check
  // every allocation), the program ends with the out-of-memory line.
  SynthFailure create(unsigned sample_rate, const std::string& soundfont);

  fluid_synth_t* fluid() { return synth_; }
  int polyphony();
  int active_voices();
  void apply(const SynthEvent& event);
  // Reads now, on the calling thread, the samples `event` will need once
  // applied, so that applying it later never waits for the disk.
  void preload(const SynthEvent& event);
  // Renders `frames` frames of interleaved stereo. Each event applied before
  // takes effect at the start of the synthesizer's next internal block, at
  // most 64 frames later.
  void render(float* samples, std::size_t frames);

 private:
  void start_programs();
  void preload_program(int channel, int program);

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
};

}  // namespace velk0::platform::posix
