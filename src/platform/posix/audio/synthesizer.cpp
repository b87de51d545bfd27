#include "platform/posix/audio/synthesizer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"
#include "platform/posix/quiet_stderr.h"

namespace velk0::platform::posix {
namespace {

constexpr int kChannels = SynthEngine::kChannels;
constexpr std::size_t kRenderFrames = 1024;
constexpr float kSilence = SynthEngine::kSilence;
// Silent this long with no voice left, the sound has ended: the reverb has
// died away too, and silence can be written without asking the synthesizer.
constexpr std::uint64_t kEndedMs = 100;
// A file goes on after the last message until the sound has ended, for at
// most this long, and closes on this much silence.
constexpr std::uint64_t kLongestEndingMs = 5000;
constexpr std::uint64_t kClosingSilenceMs = 10;
// On the way out, the last notes' release is let ring for at most this long.
constexpr int kLastReleaseMs = 300;

// A sound server that takes the connection and never answers (stopped, or
// short of memory as the program is) would keep the start waiting for ever:
// past this long the program says why it cannot play, and ends.
constexpr auto kLongestStart = std::chrono::seconds(5);

class StartDeadline {
 public:
  explicit StartDeadline(const std::string& soundfont)
      : no_memory_(failure_line(SynthFailure::out_of_memory, soundfont, "")),
        no_server_(failure_line(SynthFailure::no_audio_output, soundfont, "")) {
    try {
      watch_ = std::thread([this] { watch(); });
    } catch (const std::system_error&) {
      // No thread to be had: the start goes on unwatched.
    }
  }
  ~StartDeadline() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      started_ = true;
    }
    changed_.notify_all();
    if (watch_.joinable()) watch_.join();
  }
  StartDeadline(const StartDeadline&) = delete;
  StartDeadline& operator=(const StartDeadline&) = delete;

 private:
  void watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (changed_.wait_for(lock, kLongestStart, [this] { return started_; })) return;
    const std::string& line = memory_left() ? no_server_ : no_memory_;
    ssize_t ignored = write(QuietStderr::real_stderr(), line.data(), line.size());
    (void)ignored;
    _exit(kCannotGoOnStatus);
  }

  std::string no_memory_, no_server_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool started_ = false;
  std::thread watch_;
};

std::int16_t to_pcm(float sample) {
  float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
  return static_cast<std::int16_t>(std::lround(scaled));
}

}  // namespace

SynthStart Synthesizer::start(const SynthConfig& config, Clock& clock,
                              const RealClock* real_clock) {
  struct stat info {};
  if (config.soundfont.empty() || stat(config.soundfont.c_str(), &info) != 0)
    return {nullptr, SynthFailure::soundfont_missing};
  std::unique_ptr<Synthesizer> synth(new Synthesizer(clock, real_clock, config.output));
  SynthFailure failure = config.output == AudioOutput::system ? synth->start_live(config.soundfont)
                                                              : synth->start_in_step(config);
  if (failure != SynthFailure::none) return {nullptr, failure};
  synth->playing_ = true;
  return {std::move(synth), SynthFailure::none};
}

SynthFailure Synthesizer::start_live(const std::string& soundfont) {
  SynthFailure loaded = SynthFailure::none;
  {
    // The SoundFont readers complain on standard error about a file they
    // cannot read; the program's own message says the synthesizer cannot play.
    QuietStderr quiet;
    SignalsHeld held;
    StartDeadline deadline(soundfont);
    auto load = [&] { loaded = engine_.create(LiveOutput::kSampleRate, soundfont); };
    std::thread reader;
    try {
      reader = std::thread(load);
    } catch (const std::system_error&) {
      load();  // no thread to be had: one thing after the other
    }
    // The device runs in silence meanwhile: the sound server has settled
    // by the time the first note comes.
    try {
      live_ = LiveOutput::open(engine_);
      if (live_) live_->start();
    } catch (const std::bad_alloc&) {
      live_.reset();
      loaded = SynthFailure::out_of_memory;
    }
    if (reader.joinable()) reader.join();
  }
  if (loaded != SynthFailure::none) return loaded;
  if (!live_) return SynthFailure::no_audio_output;
  live_->engine_ready();
  return SynthFailure::none;
}

SynthFailure Synthesizer::start_in_step(const SynthConfig& config) {
  {
    QuietStderr quiet;
    SynthFailure loaded = engine_.create(kFileSampleRate, config.soundfont);
    if (loaded != SynthFailure::none) return loaded;
  }
  if (output_ == AudioOutput::file && !wav_.open(config.wav_path, kFileSampleRate, kChannels))
    return SynthFailure::wav_unwritable;
  rendered_ = frames_at(clock_.now_ms());
  silent_ = frames_at(kEndedMs);
  block_.resize(kRenderFrames * kChannels);
  pcm_.resize(kRenderFrames * kChannels);
  return SynthFailure::none;
}

Synthesizer::~Synthesizer() {
  if (!playing_) return;  // it never started
  if (live_) {
    live_->finish(kLastReleaseMs);
    live_.reset();  // the callback has stopped once the device is closed
    return;
  }
  close_file();
}

std::string Synthesizer::close_file() {
  if (!playing_ || live_ || file_closed_) return {};
  file_closed_ = true;
  try {
    catch_up();
    if (output_ == AudioOutput::file) render_ending();
  } catch (const std::bad_alloc&) {
    // Memory ran out for the ending: the file ends where it stands.
  }
  if (output_ != AudioOutput::file) return {};
  return wav_.close();
}

int Synthesizer::polyphony() { return engine_.polyphony(); }

std::uint64_t Synthesizer::frames_at(std::uint64_t ms) const { return ms * kFileSampleRate / 1000; }

// Renders the next frames into the block (and its 16-bit copy, for a file);
// returns their peak.
float Synthesizer::render_block(std::size_t frames) {
  float* out = block_.data();
  engine_.render(out, frames);
  limiter_.process(out, frames);
  if (output_ == AudioOutput::file)
    std::transform(out, out + frames * kChannels, pcm_.begin(), to_pcm);
  return SynthEngine::peak(out, frames);
}

void Synthesizer::render_to(std::uint64_t frame) {
  if (output_ == AudioOutput::none) {
    rendered_ = std::max(rendered_, frame);  // nobody listens: nothing is synthesized
    return;
  }
  while (rendered_ < frame) {
    std::uint64_t left = frame - rendered_;
    if (silent_ >= frames_at(kEndedMs) && engine_.active_voices() == 0 && !keep_rendering_) {
      if (output_ == AudioOutput::file) wav_.append_silence(left);
      rendered_ = frame;
      silent_ += left;
      return;
    }
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kRenderFrames));
    silent_ = render_block(n) < kSilence ? silent_ + n : 0;
    if (output_ == AudioOutput::file) wav_.append(pcm_.data(), n);
    rendered_ += n;
  }
}

// After the last message: the sound until it has ended, kept in memory, and
// written up to a short silence after its last audible frame.
void Synthesizer::render_ending() {
  std::vector<std::int16_t> ending;
  std::uint64_t audible_end = 0;  // frames of the ending up to its last audible one
  std::uint64_t rendered = 0;
  while (rendered < frames_at(kLongestEndingMs) &&
         (rendered < audible_end + frames_at(kEndedMs) || engine_.active_voices() > 0)) {
    float peak = render_block(kRenderFrames);
    ending.insert(ending.end(), pcm_.begin(), pcm_.end());
    rendered += kRenderFrames;
    if (peak >= kSilence) {
      auto last = std::find_if(block_.rbegin(), block_.rend(),
                               [](float s) { return std::fabs(s) >= kSilence; });
      audible_end = rendered - static_cast<std::uint64_t>(last - block_.rbegin()) / kChannels;
    }
  }
  std::uint64_t closing = frames_at(kClosingSilenceMs);
  std::uint64_t keep =
      audible_end > 0 ? audible_end + closing : (silent_ >= closing ? 0 : closing - silent_);
  keep = std::min({keep, rendered, frames_at(kLongestEndingMs)});
  wav_.append(ending.data(), static_cast<std::size_t>(keep));
}

void Synthesizer::catch_up() {
  if (live_ || file_closed_) return;
  render_to(frames_at(clock_.now_ms()));
  if (output_ == AudioOutput::file) wav_.finish();
}

void Synthesizer::play(const SynthEvent& event) {
  if (file_closed_) return;
  if (live_) {
    live_->send(event, real_clock_ ? real_clock_->present_ns() : monotonic_ns());
    return;
  }
  if (output_ == AudioOutput::none) return;
  render_to(frames_at(clock_.now_ms()));
  engine_.apply(event);
}

void Synthesizer::send(std::uint32_t word) {
  unsigned status = word & 0xFF;
  bool drums = (status & 0x0F) == SynthEngine::kDrumChannel;
  if (drums && (status & 0xF0) == 0xC0) {
    drum_kit_chosen_ = true;
  } else if (drums && (status & 0xF0) == 0x90 && !drum_kit_chosen_) {
    play({SynthEvent::Kind::message, 0xC0u | SynthEngine::kDrumChannel});  // the standard kit
    drum_kit_chosen_ = true;
  }
  play({SynthEvent::Kind::message, word});
}

void Synthesizer::release_all() { play({SynthEvent::Kind::all_notes_off, 0}); }

void Synthesizer::hold_output(bool held) {
  if (live_) live_->hold(held);
}

void Synthesizer::reset_programs() {
  if (live_) live_->rebase();
  play({SynthEvent::Kind::reset, 0});
  drum_kit_chosen_ = false;
}

}  // namespace velk0::platform::posix
