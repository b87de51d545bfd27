// The synthesizer's sound on a live device (the system's audio output through
// SDL, or a JACK server: see audio_device.h). A rendering thread of its own
// keeps a device period of sound ready ahead of the device; the device's
// callback only copies it out, so that nothing the synthesizer does
// (FluidSynth takes memory as it renders) happens on the audio thread. Each
// event reaches the rendering thread through a queue with the frame at which
// it belongs (StreamTimeline), and the sound is rendered up to that frame
// before the event is applied: the sound keeps the spacing the program gave
// its messages, a fixed delay later, whatever the device's period and rate
// and whenever the callback runs.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

#include "platform/posix/audio/audio_device.h"
#include "platform/posix/audio/audio_sink.h"
#include "platform/posix/audio/spsc_queue.h"
#include "platform/posix/audio/stream_timeline.h"
#include "platform/posix/real_clock.h"
#include "platform/posix/synth/render_core.h"
#include "platform/posix/synth/synth_engine.h"

namespace velk0::platform::posix {

class LiveOutput final : public AudioSink, private SoundSource {
 public:
  // Opens `device`, silent, to play the sound of `core` (made at the
  // device's rate); nothing when it does not open. Prints nothing.
  // `real_clock`, when it is the clock in use, tells the time each message
  // was meant for; otherwise a message's time is when it arrives.
  static std::unique_ptr<LiveOutput> open(RenderCore& core, std::unique_ptr<AudioDevice> device,
                                          const RealClock* real_clock);
  // Once the engine was ready, lets the last notes ring out (see finish);
  // then stops the rendering and closes the device: the callback has stopped
  // once it returns.
  ~LiveOutput() override;
  LiveOutput(const LiveOutput&) = delete;
  LiveOutput& operator=(const LiveOutput&) = delete;

  // Starts the device and the rendering, in silence until the engine is
  // ready. Throws std::bad_alloc when no thread can be had for the rendering.
  void start();
  // The engine is ready: its sound follows.
  void engine_ready() { ready_.store(true, std::memory_order_release); }
  // Queues the event, timed as it was sent or at `when_ns`. One thread at a
  // time sends. Once the device is lost, says so once on standard error and
  // plays nothing more.
  void play(const SynthEvent& event, std::int64_t when_ns) override;
  // Lets the next piece find the device's pace anew.
  void rebase() override { timeline_.rebase(); }
  // The cue (at the device's rate) joins the sound from the next rendered
  // frame on; returns once it has been heard, or at once after a signal.
  void mix_cue(std::vector<float> samples) override;

 private:
  struct TimedEvent {
    std::uint64_t frame = 0;
    SynthEvent event;
  };
  // Far more than a device's period ever holds.
  static constexpr std::size_t kQueueCapacity = 4096;
  // The rendering thread keeps as much sound ready for the device as it
  // takes at a time (JACK's periods go up to 8,192 frames), this much at
  // least, and renders it this much at a time.
  static constexpr std::size_t kMostReadyFrames = 8192;
  static constexpr std::size_t kLeastReadyFrames = 512;
  static constexpr std::size_t kRenderFrames = 256;
  static constexpr std::size_t kChannels = SynthEngine::kChannels;
  // Where the cue stands between the sending thread and the rendering one.
  enum CueState : int { kNoCue, kCueQueued };

  LiveOutput(RenderCore& core, std::unique_ptr<AudioDevice> device, const RealClock* real_clock);
  std::size_t ready_frames() const;
  // Frames in `ms` milliseconds, and the other way round.
  std::uint64_t frames_in(std::uint64_t ms) const { return ms * rate_ / 1000; }
  long ms_in(std::uint64_t frames) const { return static_cast<long>(frames * 1000 / rate_); }
  // Whether the device stopped for good; the first time, says so.
  bool lost();
  // Waits until the device has taken every queued event, lets the sound ring
  // until it falls silent or `ring_ms` have passed, and fades out what is
  // left; after an interruption, only fades out.
  void finish(int ring_ms);
  // The callback: the device takes `frames` frames of what is ready.
  void pull(StereoOut out, std::size_t frames) override;
  // The rendering thread, until the output stops.
  void run_renderer();
  void render(float* samples, std::size_t frames);
  void apply_due(float* samples, std::size_t frames, std::size_t& done);
  void add_cue(float* samples, std::size_t frames);
  void fade(float* samples, std::size_t frames);
  bool push(const TimedEvent& timed);

  RenderCore& core_;
  std::unique_ptr<AudioDevice> device_;
  const RealClock* real_clock_;
  unsigned rate_;
  // Frames the callback takes at a time: the device's period when it
  // opened, then as many as it last asked for.
  std::atomic<std::size_t> period_;
  StreamTimeline timeline_;
  SpscQueue<TimedEvent, kQueueCapacity> queue_;
  // Held while samples are read on the sending thread; the rendering then
  // goes on without applying events, rather than wait for the disk. The
  // rendering thread only ever tries it.
  std::mutex loading_;
  // The rendered sound, interleaved, between the rendering thread and the
  // callback.
  SpscQueue<float, (kMostReadyFrames + kRenderFrames) * kChannels> ready_sound_;
  std::counting_semaphore<> pulled_{0};  // the callback took sound
  std::thread renderer_;
  std::atomic<bool> stopping_{false};
  // Frames the device played as silence for want of sound, which the
  // rendering skips over to stay in step.
  std::atomic<std::uint64_t> skipped_{0};
  std::atomic<std::uint64_t> played_{0};  // frames the device took so far
  std::atomic<bool> ready_{false};
  std::atomic<bool> silent_{true};  // the last buffer was below -90 dBFS
  std::atomic<bool> fading_{false};
  std::atomic<bool> faded_{false};
  // The cue: written by the sending thread while no cue is queued, read by
  // the rendering thread while one is.
  std::vector<float> cue_;
  std::atomic<int> cue_state_{kNoCue};
  // Sending thread only.
  std::uint64_t last_frame_ = 0;
  bool stalled_ = false;
  bool said_lost_ = false;
  // Rendering thread only.
  std::uint64_t rendered_ = 0;  // counted as the device's frames
  TimedEvent next_;
  bool has_next_ = false;
  float fade_gain_ = 1.0f;
  std::size_t cue_at_ = 0;
  std::array<float, kRenderFrames * kChannels> block_{};
};

}  // namespace velk0::platform::posix
