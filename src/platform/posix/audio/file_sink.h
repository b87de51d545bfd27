// The synthesizer's sound rendered into a WAV file in step with the
// program's clock: before each message the frames up to the clock's present
// are rendered, so a virtual clock renders a long piece in a moment and
// voices still end as they would. Silence between sounds stays as long as
// it was; after the last sound, however long the program went on, the file
// ends once the last notes have died away (below -90 dBFS), 10 ms later.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/audio/audio_sink.h"
#include "platform/posix/audio/wav_writer.h"
#include "platform/posix/synth/render_core.h"
#include "platform/posix/synth/synth_engine.h"

namespace velk0::platform::posix {

class FileSink final : public AudioSink {
 public:
  static constexpr unsigned kSampleRate = kSinkSampleRate;

  // Starts the file at `path` for `engine` (created at kSampleRate); null
  // when it cannot be written.
  static std::unique_ptr<FileSink> open(RenderCore& core, Clock& clock, const std::string& path);
  // The run closes the file and says when that fails; one torn down on the
  // way out is closed with no one left to tell.
  ~FileSink() override { static_cast<void>(close()); }

  // At the clock's present, whatever time the event carries.
  void play(const SynthEvent& event, std::int64_t when_ns) override;
  void catch_up() override;
  Written close() override;
  bool kept_part() const override { return wav_.placed(); }
  // The cue starts at the clock's present, and the clock waits its length,
  // as a run waits while a cue plays.
  void mix_cue(std::vector<float> samples) override;

 private:
  FileSink(RenderCore& core, Clock& clock) : core_(core), clock_(clock) {}
  std::uint64_t frames_at(std::uint64_t ms) const { return ms * kSampleRate / 1000; }
  void render_to(std::uint64_t frame);
  float render_block(std::size_t frames);
  void write_block(std::size_t frames, float peak);
  void add_cue(float* samples, std::size_t frames);
  void render_ending();
  void end_after_last_sound();

  RenderCore& core_;
  Clock& clock_;
  WavWriter wav_;
  bool closed_ = false;
  std::uint64_t rendered_ = 0;  // frames rendered so far, counted from the clock's start
  std::uint64_t silent_ = 0;    // frames rendered since the sound was last above -90 dBFS
  // Silence not written yet: it is only once a sound follows it.
  std::uint64_t owed_silence_ = 0;
  std::uint64_t audible_end_ = 0;  // frames of the file up to its last audible one
  std::vector<float> cue_;         // the cue that sounds, from cue_at_ on
  std::size_t cue_at_ = 0;
  std::vector<float> block_;
  std::vector<std::int16_t> pcm_;
};

}  // namespace velk0::platform::posix
