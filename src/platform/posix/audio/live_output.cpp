#include "platform/posix/audio/live_output.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <new>
#include <system_error>

#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {
namespace {

// Frames the device pulls at a time: the sound follows an event about this
// long after it was sent, plus what is kept ready and the sound server's own
// buffer. Smaller buffers leave the sound server short on a busy machine.
constexpr Uint16 kDeviceBufferFrames = 1024;
constexpr float kFadeSeconds = 0.01f;
// On the way out, the last notes' release is let ring for at most this long.
constexpr int kLastReleaseMs = 300;
// How long a full queue is waited on before the device counts as stalled.
constexpr int kStallMs = 200;
// The rendering thread looks again this often when it has nothing to do.
constexpr auto kIdleWait = std::chrono::milliseconds(10);

// No output: nullptr when none is to be had, std::bad_alloc when memory ran
// out on the way (a run under a memory limit says so, not that no sound
// server answers).
std::unique_ptr<LiveOutput> failed_open() {
  if (sdl_lacked_memory() || !memory_left()) throw std::bad_alloc{};
  return nullptr;
}

}  // namespace

LiveOutput::LiveOutput(RenderCore& core, const RealClock* real_clock, unsigned buffer_frames)
    : core_(core),
      real_clock_(real_clock),
      buffer_frames_(buffer_frames),
      timeline_(kSampleRate, buffer_frames + static_cast<unsigned>(kReadyFrames)) {}

std::unique_ptr<LiveOutput> LiveOutput::open(RenderCore& core, const RealClock* real_clock) {
  auto audio = std::make_unique<SdlAudio>();
  if (!audio->ready()) return failed_open();
  std::unique_ptr<LiveOutput> live(new LiveOutput(core, real_clock, kDeviceBufferFrames));
  live->audio_ = std::move(audio);
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(kSampleRate);
  wanted.format = AUDIO_F32SYS;
  wanted.channels = SynthEngine::kChannels;
  wanted.samples = kDeviceBufferFrames;
  wanted.callback = &LiveOutput::fill;
  wanted.userdata = live.get();
  {
    QuietStderr quiet;
    SignalsHeld held;
    // Nothing obtained: SDL converts to whatever the device plays, and the
    // callback always gets 44.1 kHz stereo floats, as many as it asked for.
    live->device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  }
  if (live->device_ == 0) return failed_open();
  return live;
}

LiveOutput::~LiveOutput() {
  if (ready_.load()) finish(kLastReleaseMs);
  close_output(device_);
  stopping_.store(true);
  pulled_.release();
  if (renderer_.joinable()) renderer_.join();
}

void LiveOutput::start() {
  timeline_.start(monotonic_ns());
  try {
    renderer_ = std::thread([this] { run_renderer(); });
  } catch (const std::system_error&) {
    throw std::bad_alloc{};  // a thread is refused for want of memory
  }
  SDL_PauseAudioDevice(device_, 0);
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
  if (when_ns == kSentNow) when_ns = real_clock_ ? real_clock_->present_ns() : monotonic_ns();
  if (SynthEngine::reads_samples(event)) {
    std::lock_guard<std::mutex> lock(loading_);
    core_.engine().preload(event);
  }
  last_frame_ = std::max(timeline_.frame_at(when_ns), last_frame_);
  push({last_frame_, event});
}

void LiveOutput::finish(int ring_ms) {
  // A piece that ended plays to its end; one cut short by a signal falls
  // silent at once.
  if (!interrupt_requested()) {
    long due_ms = static_cast<long>(
        (last_frame_ > played_.load() ? last_frame_ - played_.load() : 0) * 1000 / kSampleRate);
    for (long waited = 0; played_.load() < last_frame_ && waited < due_ms + kStallMs; waited += 5)
      sleep_ms(5);
    for (int waited = 0; !silent_.load() && waited < ring_ms; waited += 10) sleep_ms(10);
  }
  fading_.store(true);
  for (int waited = 0; !faded_.load() && waited < kStallMs; waited += 5) sleep_ms(5);
  // What is ready and what the device still holds is near silence: let it
  // play out.
  sleep_ms(static_cast<long>((2 * buffer_frames_ + kReadyFrames) * 1000 / kSampleRate));
}

void LiveOutput::fill(void* self, std::uint8_t* stream, int bytes) {
  auto* live = static_cast<LiveOutput*>(self);
  std::size_t frames = static_cast<std::size_t>(bytes) / (kChannels * sizeof(float));
  live->pull(reinterpret_cast<float*>(stream), frames);
}

void LiveOutput::pull(float* samples, std::size_t frames) {
  const std::uint64_t played = played_.load(std::memory_order_relaxed);
  timeline_.callback(monotonic_ns(), played);
  const std::size_t got = ready_sound_.pop_run(samples, frames * kChannels) / kChannels;
  if (got < frames) {
    std::fill(samples + got * kChannels, samples + frames * kChannels, 0.0f);
    skipped_.fetch_add(frames - got, std::memory_order_relaxed);
  }
  played_.store(played + frames, std::memory_order_release);
  pulled_.release();
}

void LiveOutput::run_renderer() {
  // As SDL asks for its own audio thread, which rendered before: on a busy
  // machine a lesser priority lets the ready sound run out.
  SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
  while (!stopping_.load(std::memory_order_relaxed)) {
    const bool full = ready_sound_.size() + block_.size() > kReadyFrames * kChannels;
    if (full || !ready_.load(std::memory_order_acquire)) {
      (void)pulled_.try_acquire_for(kIdleWait);
      continue;
    }
    rendered_ += skipped_.exchange(0, std::memory_order_relaxed);
    render(block_.data(), kRenderFrames);
    ready_sound_.push_run(block_.data(), block_.size());
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
  if (fading_.load(std::memory_order_relaxed)) fade(samples, frames);
  rendered_ += frames;
  silent_.store(SynthEngine::peak(samples, frames) < SynthEngine::kSilence,
                std::memory_order_relaxed);
}

void LiveOutput::fade(float* samples, std::size_t frames) {
  const float step = 1.0f / (kFadeSeconds * kSampleRate);
  for (std::size_t i = 0; i < frames; ++i) {
    fade_gain_ = std::max(0.0f, fade_gain_ - step);
    samples[2 * i] *= fade_gain_;
    samples[2 * i + 1] *= fade_gain_;
  }
  if (fade_gain_ == 0.0f) faded_.store(true, std::memory_order_relaxed);
}

}  // namespace velk0::platform::posix
