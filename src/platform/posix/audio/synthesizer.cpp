#include "platform/posix/audio/synthesizer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "platform/console.h"
#include "platform/posix/audio/file_sink.h"
#include "platform/posix/audio/jack_device.h"
#include "platform/posix/audio/live_output.h"
#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/audio/sdl_device.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/quiet_stderr.h"

namespace velk0::platform::posix {
namespace {

// A sound server that takes the connection and never answers (stopped, or
// short of memory as the program is) would keep the start waiting for ever:
// past this long the program says why it cannot play, and ends.
constexpr auto kLongestStart = std::chrono::seconds(5);

class StartDeadline {
 public:
  StartDeadline(const std::string& soundfont, SynthFailure unreachable)
      : no_memory_(error_line_bytes(failure_line(SynthFailure::out_of_memory, soundfont, ""))),
        no_server_(error_line_bytes(failure_line(unreachable, soundfont, ""))) {
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

// The live device asked for, not open yet; null when it is a JACK server and
// none runs.
std::unique_ptr<AudioDevice> live_device(LiveDevice device) {
  if (device == LiveDevice::jack) return JackDevice::join();
  return std::make_unique<SdlDevice>();
}

}  // namespace

SynthStart Synthesizer::start(const SynthConfig& config, Clock& clock,
                              const RealClock* real_clock) {
  struct stat info {};
  if (config.soundfont.empty() || stat(config.soundfont.c_str(), &info) != 0)
    return {nullptr, SynthFailure::soundfont_missing};
  std::unique_ptr<Synthesizer> synth(new Synthesizer);
  SynthFailure failure = synth->start_sink(config, clock, real_clock);
  if (failure != SynthFailure::none) return {nullptr, failure};
  return {std::move(synth), SynthFailure::none};
}

// The one place that tells the outputs apart.
SynthFailure Synthesizer::start_sink(const SynthConfig& config, Clock& clock,
                                     const RealClock* real_clock) {
  switch (config.output) {
    case AudioOutput::system:
      return start_live(config, real_clock);
    case AudioOutput::file:
      return start_file(config, clock);
    case AudioOutput::none:
      break;
  }
  return start_silent(config.soundfont);
}

SynthFailure Synthesizer::start_live(const SynthConfig& config, const RealClock* real_clock) {
  const SynthFailure unreachable = config.live == LiveDevice::jack ? SynthFailure::no_jack_server
                                                                   : SynthFailure::no_audio_output;
  SynthFailure loaded = SynthFailure::none;
  bool short_of_memory = false;
  std::unique_ptr<LiveOutput> live;
  auto open = [&](std::unique_ptr<AudioDevice> device) {
    try {
      live = LiveOutput::open(*core_, std::move(device), real_clock);
      if (live) live->start();
    } catch (const std::bad_alloc&) {
      live.reset();
      short_of_memory = true;
    }
  };
  {
    // The SoundFont readers complain on standard error about a file they
    // cannot read; the program's own message says the synthesizer cannot play.
    QuietStderr quiet;
    SignalsHeld held;
    StartDeadline deadline(config.soundfont, unreachable);
    std::unique_ptr<AudioDevice> device = live_device(config.live);
    if (!device) return unreachable;
    rate_ = device->rate();
    if (!SynthEngine::renders_at(rate_)) return SynthFailure::rate_unplayable;
    core_.emplace(engine_, rate_);
    auto load = [&] { loaded = engine_.create(rate_, config.soundfont); };
    std::thread reader;
    try {
      reader = std::thread(load);
    } catch (const std::system_error&) {
      load();  // no thread to be had: one thing after the other
    }
    // The device runs in silence meanwhile: the sound server has settled
    // by the time the first note comes.
    open(std::move(device));
    if (reader.joinable()) reader.join();
    // A device refused while the SoundFont was being read may have lacked
    // the memory the reading held then: asked again, it says why.
    if (!live && !short_of_memory && loaded == SynthFailure::none)
      if (device = live_device(config.live); device && device->rate() == rate_)
        open(std::move(device));
  }
  if (short_of_memory) return SynthFailure::out_of_memory;
  if (loaded != SynthFailure::none) return loaded;
  if (!live) return unreachable;
  live->engine_ready();
  sink_ = std::move(live);
  return SynthFailure::none;
}

SynthFailure Synthesizer::start_file(const SynthConfig& config, Clock& clock) {
  if (SynthFailure loaded = start_silent(config.soundfont); loaded != SynthFailure::none)
    return loaded;
  sink_ = FileSink::open(*core_, clock, config.wav_path);
  return sink_ ? SynthFailure::none : SynthFailure::wav_unwritable;
}

SynthFailure Synthesizer::start_silent(const std::string& soundfont) {
  QuietStderr quiet;
  rate_ = FileSink::kSampleRate;
  core_.emplace(engine_, rate_);
  SynthFailure loaded = engine_.create(rate_, soundfont);
  if (loaded == SynthFailure::none) sink_ = std::make_unique<NoSink>();
  return loaded;
}

Synthesizer::~Synthesizer() = default;

Written Synthesizer::close_file() { return sink_->close(); }

int Synthesizer::polyphony() { return engine_.polyphony(); }

void Synthesizer::catch_up() { sink_->catch_up(); }

void Synthesizer::send(MidiMessage message, std::int64_t when_ns) {
  const bool drums = static_cast<int>(message.channel()) == SynthEngine::kDrumChannel;
  if (drums && message.kind() == MidiKind::program_change) {
    drum_kit_chosen_ = true;
  } else if (drums && message.kind() == MidiKind::note_on && !drum_kit_chosen_) {
    // the standard kit
    play({SynthEvent::Kind::message,
          MidiMessage::make(MidiKind::program_change, SynthEngine::kDrumChannel)},
         when_ns);
    drum_kit_chosen_ = true;
  }
  play({SynthEvent::Kind::message, message}, when_ns);
}

void Synthesizer::release_all(std::int64_t when_ns) {
  play({SynthEvent::Kind::all_notes_off, {}}, when_ns);
}

void Synthesizer::mix_cue(std::vector<float> samples) {
  const std::size_t bytes = samples.size() * sizeof(float);
  if (rate_ != kSinkSampleRate && bytes <= INT_MAX) {
    SDL_AudioSpec format{};
    format.freq = static_cast<int>(kSinkSampleRate);
    format.format = AUDIO_F32SYS;
    format.channels = SynthEngine::kChannels;
    samples = to_stereo(format, reinterpret_cast<const Uint8*>(samples.data()),
                        static_cast<Uint32>(bytes), static_cast<int>(rate_));
  }
  sink_->mix_cue(std::move(samples));
}

}  // namespace velk0::platform::posix
