#include "platform/posix/audio/stream_timeline.h"

#include <algorithm>

namespace velk0::platform::posix {
namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

}  // namespace

StreamTimeline::StreamTimeline(unsigned sample_rate, unsigned buffer_frames, std::int64_t lead_ns,
                               std::int64_t margin_ns)
    : rate_(sample_rate), buffer_frames_(buffer_frames), lead_ns_(lead_ns), margin_ns_(margin_ns) {}

std::int64_t StreamTimeline::frames_to_ns(std::uint64_t frames) const {
  return static_cast<std::int64_t>(frames * kNsPerSecond / rate_);
}

std::uint64_t StreamTimeline::ns_to_frames(std::int64_t ns) const {
  return ns > 0 ? static_cast<std::uint64_t>(ns) * rate_ / kNsPerSecond : 0;
}

void StreamTimeline::start(std::int64_t now_ns) {
  anchored_ = false;
  origin_ns_.store(now_ns - frames_to_ns(buffer_frames_) - margin_ns_, std::memory_order_relaxed);
}

void StreamTimeline::callback(std::int64_t now_ns, std::uint64_t rendered) {
  std::int64_t origin = now_ns - frames_to_ns(rendered);
  // A device that stopped calling a while and calls again (a sound server
  // that held it back): its calls before no longer tell its pace.
  const bool resumed = seen_ && origin - std::min(window_min_ns_, previous_min_ns_) > kResumedNs;
  if (!seen_ || resumed || now_ns - window_start_ns_ >= kWindowNs) {
    previous_min_ns_ = seen_ && !resumed ? window_min_ns_ : origin;
    window_min_ns_ = origin;
    window_start_ns_ = now_ns;
    seen_ = true;
  } else {
    window_min_ns_ = std::min(window_min_ns_, origin);
  }
  recent_ns_.store(std::min(window_min_ns_, previous_min_ns_), std::memory_order_relaxed);
  std::int64_t lowest = origin - margin_ns_;
  std::int64_t current = origin_ns_.load(std::memory_order_relaxed);
  while (lowest < current &&
         !origin_ns_.compare_exchange_weak(current, lowest, std::memory_order_relaxed)) {
  }
}

void StreamTimeline::rebase() {
  std::int64_t recent = recent_ns_.load(std::memory_order_relaxed);
  if (recent != kUnknown) origin_ns_.store(recent - margin_ns_, std::memory_order_relaxed);
  anchored_ = false;
}

std::uint64_t StreamTimeline::soonest_after(std::int64_t origin_ns, std::int64_t when_ns) const {
  return ns_to_frames(when_ns - origin_ns) + buffer_frames_;
}

std::uint64_t StreamTimeline::soonest_frame(std::int64_t when_ns) const {
  const std::int64_t recent = recent_ns_.load(std::memory_order_relaxed);
  return soonest_after(
      recent == kUnknown ? origin_ns_.load(std::memory_order_relaxed) : recent - margin_ns_,
      when_ns);
}

std::uint64_t StreamTimeline::frame_at(std::int64_t when_ns) {
  const std::uint64_t soonest = soonest_after(origin_ns_.load(std::memory_order_relaxed), when_ns);
  const std::uint64_t lead = ns_to_frames(lead_ns_);
  if (anchored_ && when_ns >= anchor_ns_) {
    std::uint64_t frame = anchor_frame_ + ns_to_frames(when_ns - anchor_ns_);
    // The device took its frames earlier than the lead allowed for: the
    // piece slips after it, no faster than the pace that hides it.
    if (frame < soonest + lead && when_ns > last_ns_) {
      const std::uint64_t slip =
          std::min(soonest + lead - frame, ns_to_frames((when_ns - last_ns_) / kSlipDivisor));
      anchor_frame_ += slip;
      frame += slip;
    }
    last_ns_ = std::max(last_ns_, when_ns);
    if (frame >= soonest && frame <= soonest + 2 * lead) return frame;
  }
  anchored_ = true;
  anchor_ns_ = last_ns_ = when_ns;
  anchor_frame_ = soonest + lead;
  return anchor_frame_;
}

}  // namespace velk0::platform::posix
