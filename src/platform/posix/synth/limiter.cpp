#include "platform/posix/synth/limiter.h"

#include <algorithm>
#include <cmath>

namespace velk0::platform::posix {
namespace {

// Longer than the period of the lowest note, so that a steady tone is not
// pulled down and let up again within each of its cycles.
constexpr double kHoldSeconds = 0.05;
constexpr double kReleaseSeconds = 0.3;

}  // namespace

Limiter::Limiter(unsigned sample_rate)
    : hold_frames_(static_cast<std::size_t>(kHoldSeconds * sample_rate)),
      release_(static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * sample_rate)))) {}

void Limiter::process(float* samples, std::size_t frames) {
  for (std::size_t i = 0; i < frames; ++i) {
    float* frame = samples + 2 * i;
    float peak = std::max(std::fabs(frame[0]), std::fabs(frame[1]));
    if (held_ > 0)
      --held_;
    else if (gain_ < 1.0f)
      gain_ = std::min(1.0f, gain_ + (1.0f - gain_) * release_);
    if (peak * gain_ > kCeiling) {
      gain_ = kCeiling / peak;
      held_ = hold_frames_;
    }
    frame[0] *= gain_;
    frame[1] *= gain_;
  }
}

}  // namespace velk0::platform::posix
