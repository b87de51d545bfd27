// The embedded General MIDI synthesizer (FluidSynth) and where its sound goes:
// the system's audio output, a WAV file, or nowhere (see audio_sink.h). The
// sink is picked once, when it starts; the synthesizer then renders the same
// way for each.
//
// To the speakers (the system's audio output, or a JACK server), each message
// is played at the moment the program sent it, a fixed delay later
// (LiveOutput), at the device's rate. A file is rendered in step with the
// program's clock (FileSink). With no output at all the SoundFont is still
// loaded (a dry run fails as a real one would) but nothing is synthesized.
//
// Either way a message takes effect at the synthesizer's first 64-frame block
// that starts at or after its time (within 1.5 ms), and the sound passes a
// limiter before it leaves.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/audio/audio_sink.h"
#include "platform/posix/real_clock.h"
#include "platform/posix/synth/render_core.h"
#include "platform/posix/synth/synth_engine.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {

enum class AudioOutput { system, file, none };
// Where the sound of AudioOutput::system goes: the system's audio output
// (through SDL), or a JACK server.
enum class LiveDevice { sdl, jack };

struct SynthConfig {
  std::string soundfont;
  AudioOutput output = AudioOutput::system;
  std::string wav_path;               // for AudioOutput::file
  LiveDevice live = LiveDevice::sdl;  // for AudioOutput::system
};

class Synthesizer;

struct SynthStart {
  std::unique_ptr<Synthesizer> synth;  // null when it cannot play
  SynthFailure failure = SynthFailure::none;
};

class Synthesizer {
 public:
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
  // Plays one short message, at `when_ns` (monotonic clock) when that is
  // given and the sound goes to the speakers, else at the present.
  void send(MidiMessage message, std::int64_t when_ns = kSentNow);
  // Lets every note go (All Notes Off on every channel).
  void release_all(std::int64_t when_ns = kSentNow);
  // Renders up to the clock's present and completes the file.
  void catch_up();
  // Once nothing more plays: renders the last notes' ending and puts the
  // file under its name (done with no file). Nothing sounds after it.
  Written close_file();
  // After close_file() failed: whether the file holds the sound up to the
  // last time the device closed before the failure (else it was not made).
  bool file_kept_part() const { return sink_->kept_part(); }
  // The device opens for a new piece: the sound to the speakers takes its
  // pace anew. Programs and controllers stay as the last piece left them, as
  // on a MIDI instrument, which an opening does not reset: an instrument
  // chosen before a piece plays it, and the piece sounds as its MIDI file
  // (VELK0_AUDIO=PATH.mid) does in a sequencer.
  void begin_piece() { sink_->rebase(); }

  // The FluidSynth instance, for what the tests read of it.
  fluid_synth_t* fluid() { return engine_.fluid(); }

  // A sound cue (interleaved stereo at kSinkSampleRate) mixed into the sound
  // when it goes to a file or a JACK server (see AudioSink).
  void mix_cue(std::vector<float> samples);

 private:
  Synthesizer() = default;
  SynthFailure start_sink(const SynthConfig& config, Clock& clock, const RealClock* real_clock);
  SynthFailure start_live(const SynthConfig& config, const RealClock* real_clock);
  SynthFailure start_file(const SynthConfig& config, Clock& clock);
  SynthFailure start_silent(const std::string& soundfont);
  void play(const SynthEvent& event, std::int64_t when_ns) { sink_->play(event, when_ns); }

  SynthEngine engine_;
  unsigned rate_ = kSinkSampleRate;  // the sink's, which the engine renders at
  std::optional<RenderCore> core_;   // made once the rate is known
  std::unique_ptr<AudioSink> sink_;  // where the sound goes, once started
  bool drum_kit_chosen_ = false;     // since the start
};

}  // namespace velk0::platform::posix
