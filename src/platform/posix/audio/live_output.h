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
//
// That delay is the device's period, the sound kept ready, a lead and a
// margin (Pace). The rendering thread and the device's callback ask for
// real-time scheduling; where the system grants it, a busy machine no longer
// holds them back, and the sound kept ready and the lead shrink to what they
// then need. A JACK server's callback renders itself, in the server's pace,
// with nothing kept ready. A message with no time but its arrival (a
// player's key) takes no lead: it sounds at the soonest frame, and where the
// callback renders, from the start of the next cycle (a JACK server hands
// over a key with the cycle that carried it, all of a cycle's keys at once).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
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
  // Who renders: a thread of the output's own, which a busy machine may hold
  // back or which runs in real time, or the device's callback itself.
  enum class Rendering { held_back, real_time, in_callback };
  // How far ahead of the device the sound is made.
  struct Pace {
    std::size_t block;        // frames rendered at a time
    std::size_t least_ready;  // frames kept ready at least (and a period at least)
    std::int64_t lead_ns;     // see StreamTimeline
    std::int64_t margin_ns;
  };
  // The pace for a device's period: held back, the rendering keeps 512
  // frames ready at least, the lead is 25 ms and the margin 5 ms, which a
  // busy machine needs; in real time, a period ready, a lead of a period
  // (5 ms at least) and a margin of a quarter of one (1 ms at least); in the
  // callback, nothing ready, the same lead and margin.
  static Pace pace_for(unsigned period, unsigned rate, Rendering rendering);

  // Opens `device`, silent, to play the sound of `core` (made at the
  // device's rate); nothing when it does not open. Prints nothing.
  // `real_clock`, when it is the clock in use, tells the time each message
  // was meant for; otherwise a message's time is when it arrives. The
  // rendering thread, unless the callback renders, starts first, to ask for
  // real-time scheduling: the pace follows the answer. Throws std::bad_alloc
  // when no thread can be had for the rendering.
  static std::unique_ptr<LiveOutput> open(RenderCore& core, std::unique_ptr<AudioDevice> device,
                                          const RealClock* real_clock);
  // Once the engine was ready, lets the last notes ring out (see finish);
  // then stops the rendering and closes the device: the callback has stopped
  // once it returns.
  ~LiveOutput() override;
  LiveOutput(const LiveOutput&) = delete;
  LiveOutput& operator=(const LiveOutput&) = delete;

  // Starts the device and the rendering, in silence until the engine is
  // ready.
  void start();
  // The engine is ready: its sound follows.
  void engine_ready() { ready_.store(true, std::memory_order_release); }
  // Queues the event, timed as it was sent or at `when_ns`. One thread at a
  // time sends. Once the device is lost, says so once on standard error and
  // plays nothing more.
  void play(const SynthEvent& event, std::int64_t when_ns) override;
  // Lets the next piece find the device's pace anew.
  void rebase() override { timeline_->rebase(); }
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
  // takes at a time (JACK's periods go up to 8,192 frames), at least what
  // the pace asks, and renders it at most this much at a time.
  static constexpr std::size_t kMostReadyFrames = 8192;
  static constexpr std::size_t kRenderFrames = 256;
  static constexpr std::size_t kChannels = SynthEngine::kChannels;
  // Where the cue stands between the sending thread and the rendering one.
  enum CueState : int { kNoCue, kCueQueued };

  LiveOutput(RenderCore& core, std::unique_ptr<AudioDevice> device, const RealClock* real_clock);
  // Starts the rendering thread, which asks for its priority and waits.
  void start_renderer();
  // The device is open: the pace and the timeline follow its period.
  void set_pace(Rendering rendering);
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
  // The callback: the device takes `frames` frames of what is ready, or
  // rendered there and then.
  void pull(StereoOut out, std::size_t frames) override;
  void take_ready(StereoOut out, std::size_t frames);
  void render_out(StereoOut out, std::size_t frames);
  // The rendering thread, until the output stops.
  void run_renderer();
  // Whether the sound kept ready leaves no room for another block.
  bool full() const;
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
  std::atomic<std::size_t> period_{0};
  Rendering rendering_ = Rendering::held_back;
  Pace pace_{};
  std::optional<StreamTimeline> timeline_;  // once the device is open
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
  std::promise<bool> renderer_real_time_;  // whether the rendering runs in real time
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
  // Rendering thread (or callback) only.
  std::uint64_t rendered_ = 0;  // counted as the device's frames
  TimedEvent next_;
  bool has_next_ = false;
  float fade_gain_ = 1.0f;
  std::size_t cue_at_ = 0;
  std::array<float, kRenderFrames * kChannels> block_{};
};

}  // namespace velk0::platform::posix
