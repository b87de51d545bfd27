#include "platform/posix/audio/file_sink.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <new>

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

std::int16_t to_pcm(float sample) {
  float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
  return static_cast<std::int16_t>(std::lround(scaled));
}

// Frames of the block after its last audible one.
std::uint64_t quiet_tail(const std::vector<float>& block, std::size_t frames) {
  std::size_t end = frames * kChannels;
  while (end > 0 && std::fabs(block[end - 1]) < kSilence) --end;
  return frames - (end + kChannels - 1) / kChannels;
}

}  // namespace

std::unique_ptr<FileSink> FileSink::open(RenderCore& core, Clock& clock, const std::string& path) {
  std::unique_ptr<FileSink> sink(new FileSink(core, clock));
  if (!sink->wav_.open(path, kSampleRate, kChannels)) {
    sink->closed_ = true;  // nothing to end
    return nullptr;
  }
  sink->rendered_ = sink->frames_at(clock.now_ms());
  sink->silent_ = sink->frames_at(kEndedMs);
  sink->block_.resize(kRenderFrames * kChannels);
  sink->pcm_.resize(kRenderFrames * kChannels);
  return sink;
}

Written FileSink::close() {
  if (closed_) return {};
  closed_ = true;
  try {
    render_ending();
    end_after_last_sound();
  } catch (const std::bad_alloc&) {
    // Memory ran out for the ending: the file ends where it stands.
  }
  return wav_.close();
}

// Renders the next frames into the block and its 16-bit copy; returns their
// peak.
float FileSink::render_block(std::size_t frames) {
  float* out = block_.data();
  core_.voices(out, 0, frames);
  core_.finish(out, frames);
  add_cue(out, frames);
  std::transform(out, out + frames * kChannels, pcm_.begin(), to_pcm);
  return SynthEngine::peak(out, frames);
}

void FileSink::render_to(std::uint64_t frame) {
  while (rendered_ < frame) {
    std::uint64_t left = frame - rendered_;
    if (silent_ >= frames_at(kEndedMs) && core_.engine().active_voices() == 0 && cue_.empty()) {
      owed_silence_ += left;
      rendered_ = frame;
      silent_ += left;
      return;
    }
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kRenderFrames));
    float peak = render_block(n);
    silent_ = peak < kSilence ? silent_ + n : 0;
    write_block(n, peak);
    rendered_ += n;
  }
}

// Writes the first frames of the block, after the silence before them.
void FileSink::write_block(std::size_t frames, float peak) {
  wav_.append_silence(owed_silence_);
  owed_silence_ = 0;
  wav_.append(pcm_.data(), frames);
  if (peak >= kSilence) audible_end_ = wav_.frames() - quiet_tail(block_, frames);
}

// The file ends a short silence after its last audible frame; a file that
// never sounded keeps the silence it was given.
void FileSink::end_after_last_sound() {
  if (audible_end_ == 0) {
    wav_.append_silence(owed_silence_);
  } else {
    wav_.cut_to(audible_end_ + frames_at(kClosingSilenceMs));
  }
  owed_silence_ = 0;
}

// After the last message: the sound until it has ended, kept in memory, and
// written up to a short silence after its last audible frame.
void FileSink::render_ending() {
  std::vector<std::int16_t> ending;
  std::uint64_t audible_end = 0;  // frames of the ending up to its last audible one
  std::uint64_t rendered = 0;
  while (rendered < frames_at(kLongestEndingMs) &&
         (rendered < audible_end + frames_at(kEndedMs) || core_.engine().active_voices() > 0)) {
    float peak = render_block(kRenderFrames);
    ending.insert(ending.end(), pcm_.begin(), pcm_.end());
    rendered += kRenderFrames;
    if (peak >= kSilence) audible_end = rendered - quiet_tail(block_, kRenderFrames);
  }
  std::uint64_t closing = frames_at(kClosingSilenceMs);
  std::uint64_t keep =
      audible_end > 0 ? audible_end + closing : (silent_ >= closing ? 0 : closing - silent_);
  keep = std::min({keep, rendered, frames_at(kLongestEndingMs)});
  if (keep == 0) return;
  wav_.append_silence(owed_silence_);
  owed_silence_ = 0;
  if (audible_end > 0) audible_end_ = wav_.frames() + audible_end;
  wav_.append(ending.data(), static_cast<std::size_t>(keep));
}

// The cue joins the music past the limiter, as it joins it live in the
// sound server.
void FileSink::add_cue(float* samples, std::size_t frames) {
  const std::size_t count = std::min(frames * kChannels, cue_.size() - cue_at_);
  std::transform(samples, samples + count, cue_.begin() + static_cast<std::ptrdiff_t>(cue_at_),
                 samples, std::plus<float>());
  cue_at_ += count;
  if (cue_at_ == cue_.size()) {
    cue_.clear();
    cue_at_ = 0;
  }
}

void FileSink::mix_cue(std::vector<float> samples) {
  if (closed_ || samples.empty()) return;
  render_to(frames_at(clock_.now_ms()));
  const std::uint64_t frames = samples.size() / kChannels;
  cue_ = std::move(samples);
  cue_at_ = 0;
  clock_.wait_ms(static_cast<std::uint32_t>((frames * 1000 + kSampleRate - 1) / kSampleRate));
  catch_up();
}

void FileSink::catch_up() {
  if (closed_) return;
  render_to(frames_at(clock_.now_ms()));
  wav_.finish();
}

void FileSink::play(const SynthEvent& event, std::int64_t /*when_ns*/) {
  if (closed_) return;
  render_to(frames_at(clock_.now_ms()));
  core_.apply(event);
}

}  // namespace velk0::platform::posix
