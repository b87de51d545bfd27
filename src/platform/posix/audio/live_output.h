// The synthesizer's sound on the system's audio output, through SDL (PipeWire,
// PulseAudio or ALSA, whichever answers). A rendering thread of its own keeps
// a device buffer of sound ready ahead of the device; SDL's callback only
// copies them out, so that nothing the synthesizer does (FluidSynth takes
// memory as it renders) happens on the audio thread. Each event reaches the
// rendering thread through a queue with the frame at which it belongs
// (StreamTimeline), and the sound is rendered up to that frame before the
// event is applied: the sound keeps the spacing the program gave its
// messages, a fixed delay later, whatever the size of the device's buffers
// and whenever the callback runs.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>

#include "platform/posix/audio/audio_sink.h"
#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/audio/spsc_queue.h"
#include "platform/posix/audio/stream_timeline.h"
#include "platform/posix/real_clock.h"
#include "platform/posix/synth/render_core.h"
#include "platform/posix/synth/synth_engine.h"

namespace velk0::platform::posix {

class LiveOutput final : public AudioSink {
 public:
  static constexpr unsigned kSampleRate = kSinkSampleRate;

  // Opens the default output device, paused, to play `engine`; nothing when
  // no device opens. Prints nothing. `real_clock`, when it is the clock in
  // use, tells the time each message was meant for; otherwise a message's
  // time is when it arrives.
  static std::unique_ptr<LiveOutput> open(RenderCore& core, const RealClock* real_clock);
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
  // time sends.
  void play(const SynthEvent& event, std::int64_t when_ns) override;
  // Lets the next piece find the device's pace anew.
  void rebase() override { timeline_.rebase(); }

 private:
  struct TimedEvent {
    std::uint64_t frame = 0;
    SynthEvent event;
  };
  // Far more than a device's buffer ever holds.
  static constexpr std::size_t kQueueCapacity = 4096;
  // The rendering thread keeps this much sound ready for the device (as much
  // as it takes at a time), rendered this much at a time.
  static constexpr std::size_t kReadyFrames = 1024;
  static constexpr std::size_t kRenderFrames = 256;
  static constexpr std::size_t kChannels = SynthEngine::kChannels;

  LiveOutput(RenderCore& core, const RealClock* real_clock, unsigned buffer_frames);
  // Waits until the device has taken every queued event, lets the sound ring
  // until it falls silent or `ring_ms` have passed, and fades out what is
  // left; after an interruption, only fades out.
  void finish(int ring_ms);
  static void fill(void* self, std::uint8_t* stream, int bytes);
  // The callback: the device takes `frames` frames of what is ready.
  void pull(float* samples, std::size_t frames);
  // The rendering thread, until the output stops.
  void run_renderer();
  void render(float* samples, std::size_t frames);
  void apply_due(float* samples, std::size_t frames, std::size_t& done);
  void fade(float* samples, std::size_t frames);
  bool push(const TimedEvent& timed);

  RenderCore& core_;
  const RealClock* real_clock_;
  unsigned buffer_frames_;
  std::uint32_t device_ = 0;
  StreamTimeline timeline_;
  SpscQueue<TimedEvent, kQueueCapacity> queue_;
  // Held while samples are read on the sending thread; the rendering then
  // goes on without applying events, rather than wait for the disk. The
  // rendering thread only ever tries it.
  std::mutex loading_;
  // The rendered sound, interleaved, between the rendering thread and the
  // callback.
  SpscQueue<float, (kReadyFrames + kRenderFrames) * kChannels> ready_sound_;
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
  std::unique_ptr<SdlAudio> audio_;
  // Sending thread only.
  std::uint64_t last_frame_ = 0;
  bool stalled_ = false;
  // Rendering thread only.
  std::uint64_t rendered_ = 0;  // counted as the device's frames
  TimedEvent next_;
  bool has_next_ = false;
  float fade_gain_ = 1.0f;
  std::array<float, kRenderFrames * kChannels> block_{};
};

}  // namespace velk0::platform::posix
