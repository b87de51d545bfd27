// The synthesizer's sound, made one way whichever sink takes it: the engine's
// voices, each event applied on its frame, and the limiter last. A sink only
// says when the frames are wanted and where they go.
#pragma once

#include <cstddef>

#include "platform/posix/synth/limiter.h"
#include "platform/posix/synth/synth_engine.h"

namespace velk0::platform::posix {

class RenderCore {
 public:
  RenderCore(SynthEngine& engine, unsigned sample_rate) : engine_(engine), limiter_(sample_rate) {}
  RenderCore(const RenderCore&) = delete;
  RenderCore& operator=(const RenderCore&) = delete;

  SynthEngine& engine() { return engine_; }
  // Renders the voices into frames [from, until) of a block of interleaved
  // stereo samples.
  void voices(float* block, std::size_t from, std::size_t until) {
    engine_.render(block + from * SynthEngine::kChannels, until - from);
  }
  // An event on the frame the voices have reached.
  void apply(const SynthEvent& event) { engine_.apply(event); }
  // The block's last stage, once every frame of it is rendered.
  void finish(float* block, std::size_t frames) { limiter_.process(block, frames); }

 private:
  SynthEngine& engine_;
  Limiter limiter_;
};

}  // namespace velk0::platform::posix
