// The last stage of the synthesizer's sound, on its way to the speakers or a
// file: a peak limiter. Each sample that would pass the ceiling lowers the
// gain at once, just enough; the gain then holds a moment and comes back
// slowly. Ordinary playing never reaches the ceiling and passes untouched; a
// thick chord at full volume is brought down instead of clipping.
#pragma once

#include <cstddef>

namespace velk0::platform::posix {

class Limiter {
 public:
  // The highest sample magnitude that leaves it: -1 dBFS.
  static constexpr float kCeiling = 0.891f;

  explicit Limiter(unsigned sample_rate);
  // Limits `frames` frames of interleaved stereo samples in place.
  void process(float* samples, std::size_t frames);

 private:
  float gain_ = 1.0f;
  std::size_t hold_frames_;
  std::size_t held_ = 0;  // frames left before the gain may rise again
  float release_;         // share of the way back to 1 made each frame
};

}  // namespace velk0::platform::posix
