#include "platform/posix/audio/live_output.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <new>
#include <system_error>

#include "platform/console.h"
#include "platform/posix/audio/real_time.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"

namespace velk0::platform::posix {
namespace {

constexpr float kFadeSeconds = 0.01f;
// On the way out, the last notes' release is let ring for at most this long.
constexpr int kLastReleaseMs = 300;
// How long a full queue is waited on before the device counts as stalled.
constexpr int kStallMs = 200;
// The rendering thread looks again this often when it has nothing to do.
constexpr auto kIdleWait = std::chrono::milliseconds(10);
// The callback copies the ready sound out this many frames at a time.
constexpr std::size_t kPullFrames = 256;
// The pace of a rendering thread that a busy machine may hold back.
constexpr std::size_t kLeastReadyFrames = 512;
constexpr std::int64_t kLeadNs = 25'000'000;
constexpr std::int64_t kMarginNs = 5'000'000;
// The pace of one that runs in real time: at least these.
constexpr std::size_t kLeastBlockFrames = 64;
constexpr std::int64_t kLeastLeadNs = 5'000'000;
constexpr std::int64_t kLeastMarginNs = 1'000'000;

}  // namespace

LiveOutput::Pace LiveOutput::pace_for(unsigned period, unsigned rate, Rendering rendering) {
  if (rendering == Rendering::held_back)
    return {kRenderFrames, kLeastReadyFrames, kLeadNs, kMarginNs};
  const std::int64_t period_ns = std::int64_t{period} * 1'000'000'000 / std::max(rate, 1u);
  const std::size_t block = std::clamp<std::size_t>(period, kLeastBlockFrames, kRenderFrames);
  const std::size_t ready = rendering == Rendering::in_callback ? 0 : block;
  return {block, ready, std::max(period_ns, kLeastLeadNs), std::max(period_ns / 4, kLeastMarginNs)};
}

LiveOutput::LiveOutput(RenderCore& core, std::unique_ptr<AudioDevice> device,
                       const RealClock* real_clock)
    : core_(core), device_(std::move(device)), real_clock_(real_clock), rate_(device_->rate()) {}

std::unique_ptr<LiveOutput> LiveOutput::open(RenderCore& core, std::unique_ptr<AudioDevice> device,
                                             const RealClock* real_clock) {
  std::unique_ptr<LiveOutput> live(new LiveOutput(core, std::move(device), real_clock));
  Rendering rendering = Rendering::in_callback;
  if (!live->device_->renders_in_callback()) {
    std::future<bool> real_time = live->renderer_real_time_.get_future();
    live->start_renderer();
    rendering = real_time.get() ? Rendering::real_time : Rendering::held_back;
  }
  if (!live->device_->open(*live)) return nullptr;
  live->set_pace(rendering);
  return live;
}

LiveOutput::~LiveOutput() {
  if (ready_.load()) finish(kLastReleaseMs);
  // The callback may still run a while, in silence.
  stopping_.store(true);
  pulled_.release();
  if (renderer_.joinable()) renderer_.join();
  device_.reset();
}

void LiveOutput::start_renderer() {
  try {
    renderer_ = std::thread([this] { run_renderer(); });
  } catch (const std::system_error&) {
    throw std::bad_alloc{};  // a thread is refused for want of memory
  }
}

void LiveOutput::set_pace(Rendering rendering) {
  rendering_ = rendering;
  period_.store(device_->period());
  pace_ = pace_for(device_->period(), rate_, rendering);
  timeline_.emplace(rate_, device_->period() + static_cast<unsigned>(ready_frames()), pace_.lead_ns,
                    pace_.margin_ns);
}

std::size_t LiveOutput::ready_frames() const {
  if (rendering_ == Rendering::in_callback) return 0;
  return std::clamp<std::size_t>(period_.load(std::memory_order_relaxed), pace_.least_ready,
                                 kMostReadyFrames);
}

bool LiveOutput::full() const {
  return ready_sound_.size() + pace_.block * kChannels > ready_frames() * kChannels;
}

void LiveOutput::start() {
  // A callback that renders comes at its server's pace, never in a burst to
  // fill buffers ahead: the origin need not start a period back.
  const std::int64_t burst_ns =
      rendering_ == Rendering::in_callback
          ? static_cast<std::int64_t>(period_.load() * 1'000'000'000 / rate_)
          : 0;
  timeline_->start(monotonic_ns() + burst_ns);
  device_->start();
}

bool LiveOutput::lost() {
  const std::string_view line = device_->lost();
  if (line.empty()) return false;
  if (!said_lost_) print_error_line(line);
  said_lost_ = true;
  return true;
}

bool LiveOutput::push(const TimedEvent& timed) {
  for (int waited = 0; !queue_.push(timed); ++waited) {
    if (stalled_ || waited >= kStallMs) {
      stalled_ = true;  // a device that stopped pulling: drop rather than hang
      return false;
    }
    sleep_ms(1);
  }
  stalled_ = false;
  return true;
}

void LiveOutput::play(const SynthEvent& event, std::int64_t when_ns) {
  if (lost()) return;
  // A key's message is placed at its arrival alone: at the soonest frame
  // (frame 0: the next rendered).
  const bool key = when_ns == kPlayedNow;
  if (key) {
    when_ns = monotonic_ns();
  } else if (when_ns == kSentNow) {
    when_ns = real_clock_ ? real_clock_->present_ns() : monotonic_ns();
  }
  if (SynthEngine::reads_samples(event)) {
    std::lock_guard<std::mutex> lock(loading_);
    core_.engine().preload(event);
  }
  const std::uint64_t frame = !key ? timeline_->frame_at(when_ns)
                              : rendering_ == Rendering::in_callback
                                  ? 0
                                  : timeline_->soonest_frame(when_ns);
  last_frame_ = std::max(frame, last_frame_);
  push({last_frame_, event});
}

void LiveOutput::mix_cue(std::vector<float> samples) {
  if (samples.empty() || lost()) return;
  // The cue before it is still being rendered only after a signal or a
  // stall: this one is not heard.
  if (cue_state_.load(std::memory_order_acquire) != kNoCue) return;
  const std::uint64_t frames = samples.size() / kChannels;
  cue_ = std::move(samples);
  cue_state_.store(kCueQueued, std::memory_order_release);
  const long longest_ms = ms_in(frames + ready_frames()) + kStallMs;
  for (long waited = 0; cue_state_.load(std::memory_order_acquire) != kNoCue; waited += 5) {
    if (interrupt_requested() || lost() || waited >= longest_ms) return;
    sleep_ms(5);
  }
  // Its last frames are on their way through the device.
  sleep_ms(ms_in(ready_frames() + 2 * period_.load()));
}

void LiveOutput::finish(int ring_ms) {
  if (lost()) return;
  // A piece that ended plays to its end; one cut short by a signal falls
  // silent at once.
  if (!interrupt_requested()) {
    const std::uint64_t played = played_.load();
    const long due_ms = ms_in(last_frame_ > played ? last_frame_ - played : 0);
    for (long waited = 0; played_.load() < last_frame_ && waited < due_ms + kStallMs; waited += 5) {
      if (lost()) return;
      sleep_ms(5);
    }
    for (int waited = 0; !silent_.load() && waited < ring_ms; waited += 10) sleep_ms(10);
  }
  fading_.store(true);
  for (int waited = 0; !faded_.load() && waited < kStallMs; waited += 5) sleep_ms(5);
  // What is ready and what the device still holds is near silence: let it
  // play out.
  if (!lost()) sleep_ms(ms_in(2 * period_.load() + ready_frames()));
}

void LiveOutput::pull(StereoOut out, std::size_t frames) {
  const std::uint64_t played = played_.load(std::memory_order_relaxed);
  period_.store(frames, std::memory_order_relaxed);
  timeline_->callback(monotonic_ns(), played);
  if (rendering_ == Rendering::in_callback) {
    render_out(out, frames);
    played_.store(played + frames, std::memory_order_release);
    return;
  }
  take_ready(out, frames);
  played_.store(played + frames, std::memory_order_release);
  pulled_.release();
}

void LiveOutput::take_ready(StereoOut out, std::size_t frames) {
  std::array<float, kPullFrames * kChannels> run;
  std::size_t got = 0;
  while (got < frames) {
    const std::size_t wanted = std::min(frames - got, kPullFrames);
    const std::size_t taken = ready_sound_.pop_run(run.data(), wanted * kChannels) / kChannels;
    for (std::size_t i = 0; i < taken; ++i, ++got) {
      out.left[got * out.step] = run[2 * i];
      out.right[got * out.step] = run[2 * i + 1];
    }
    if (taken < wanted) break;
  }
  if (got < frames) {
    for (std::size_t i = got; i < frames; ++i) out.left[i * out.step] = out.right[i * out.step] = 0;
    skipped_.fetch_add(frames - got, std::memory_order_relaxed);
  }
}

// Silent, without a frame rendered, until the engine is ready.
void LiveOutput::render_out(StereoOut out, std::size_t frames) {
  const bool ready = ready_.load(std::memory_order_acquire);
  for (std::size_t got = 0; got < frames;) {
    const std::size_t run = std::min(frames - got, kRenderFrames);
    if (ready) {
      render(block_.data(), run);
    } else {
      std::fill_n(block_.begin(), run * kChannels, 0.0f);
      rendered_ += run;
    }
    for (std::size_t i = 0; i < run; ++i, ++got) {
      out.left[got * out.step] = block_[2 * i];
      out.right[got * out.step] = block_[2 * i + 1];
    }
  }
}

void LiveOutput::run_renderer() {
  const bool real_time = device_->prioritize_renderer();
  renderer_real_time_.set_value(real_time);
  bool callback_raised = false;
  std::int64_t awake_since = monotonic_ns();
  while (!stopping_.load(std::memory_order_relaxed)) {
    if (!callback_raised && played_.load(std::memory_order_acquire) > 0) {
      device_->prioritize_callback();
      callback_raised = true;
    }
    if (!ready_.load(std::memory_order_acquire) || full()) {
      (void)pulled_.try_acquire_for(kIdleWait);
      awake_since = monotonic_ns();
      continue;
    }
    // Real-time scheduling may be lent for a bounded stretch of work at a
    // time (see real_time.h): a rendering that falls behind sleeps a moment.
    if (real_time && monotonic_ns() - awake_since > kLongestRunNs) {
      sleep_ms(1);
      awake_since = monotonic_ns();
    }
    rendered_ += skipped_.exchange(0, std::memory_order_relaxed);
    render(block_.data(), pace_.block);
    ready_sound_.push_run(block_.data(), pace_.block * kChannels);
  }
}

void LiveOutput::apply_due(float* samples, std::size_t frames, std::size_t& done) {
  std::unique_lock<std::mutex> lock(loading_, std::try_to_lock);
  if (!lock.owns_lock()) return;  // the events wait for the next buffer
  while (done < frames) {
    if (!has_next_) has_next_ = queue_.pop(next_);
    if (!has_next_) return;
    if (next_.frame >= rendered_ + frames) return;
    if (next_.frame > rendered_ + done) {
      std::size_t until = static_cast<std::size_t>(next_.frame - rendered_);
      core_.voices(samples, done, until);
      done = until;
    }
    core_.apply(next_.event);
    has_next_ = false;
  }
}

void LiveOutput::render(float* samples, std::size_t frames) {
  std::size_t done = 0;
  apply_due(samples, frames, done);
  core_.voices(samples, done, frames);
  core_.finish(samples, frames);
  if (cue_state_.load(std::memory_order_acquire) == kCueQueued) add_cue(samples, frames);
  if (fading_.load(std::memory_order_relaxed)) fade(samples, frames);
  rendered_ += frames;
  silent_.store(SynthEngine::peak(samples, frames) < SynthEngine::kSilence,
                std::memory_order_relaxed);
}

// The cue joins the music past the limiter, as a cue joins it in a sound
// server.
void LiveOutput::add_cue(float* samples, std::size_t frames) {
  const std::size_t count = std::min(frames * kChannels, cue_.size() - cue_at_);
  std::transform(samples, samples + count, cue_.begin() + static_cast<std::ptrdiff_t>(cue_at_),
                 samples, std::plus<float>());
  cue_at_ += count;
  if (cue_at_ < cue_.size()) return;
  cue_at_ = 0;
  cue_state_.store(kNoCue, std::memory_order_release);
}

void LiveOutput::fade(float* samples, std::size_t frames) {
  const float step = 1.0f / (kFadeSeconds * static_cast<float>(rate_));
  for (std::size_t i = 0; i < frames; ++i) {
    fade_gain_ = std::max(0.0f, fade_gain_ - step);
    samples[2 * i] *= fade_gain_;
    samples[2 * i + 1] *= fade_gain_;
  }
  if (fade_gain_ == 0.0f) faded_.store(true, std::memory_order_relaxed);
}

}  // namespace velk0::platform::posix
