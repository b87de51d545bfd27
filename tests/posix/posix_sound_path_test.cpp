// The pieces of the live sound path that need no real device: where the
// messages land in the stream the device pulls, the limiter at its end, and
// the output over a device whose callback renders (as JACK's), run by the
// test.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "platform/posix/audio/audio_sink.h"
#include "platform/posix/audio/live_output.h"
#include "platform/posix/audio/stream_timeline.h"
#include "platform/posix/synth/limiter.h"
#include "platform/posix/synth/render_core.h"
#include "sound_files.h"

namespace velk0::platform::posix {
namespace {

constexpr unsigned kRate = 44100;
constexpr unsigned kBuffer = 512;
constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kBufferNs = std::int64_t{kBuffer} * 1'000'000'000 / kRate;

// How a device asks for its buffers: the time of its k-th call.
struct DeviceCase {
  const char* name;
  std::int64_t (*call_at)(std::int64_t k);
  // Largest change of spacing between two messages sent 62 ms apart, in frames.
  std::int64_t spacing_slack;
  // Whether the threads run in real time (the pace: see LiveOutput), and the
  // longest a message may then wait for the callback that takes its frame.
  bool real_time;
  std::int64_t most_delay_ms;
};

StreamTimeline timeline_for(bool real_time) {
  const LiveOutput::Pace pace = LiveOutput::pace_for(
      kBuffer, kRate,
      real_time ? LiveOutput::Rendering::real_time : LiveOutput::Rendering::held_back);
  return StreamTimeline(
      kRate, kBuffer + static_cast<unsigned>(std::max(pace.least_ready, std::size_t{kBuffer})),
      pace.lead_ns, pace.margin_ns);
}

void PrintTo(const DeviceCase& c, std::ostream* out) { *out << c.name; }

// A jitter of up to 4 ms, the same on every run.
std::int64_t jitter(std::int64_t k) { return (k * 7919 % 41) * kMs / 10; }

std::int64_t steady(std::int64_t k) { return k * kBufferNs; }
std::int64_t jittery(std::int64_t k) { return k * kBufferNs + jitter(k); }
// A device whose clock runs 0.05 % fast calls earlier and earlier.
std::int64_t fast_clock(std::int64_t k) { return k * kBufferNs * 9995 / 10000 + jitter(k); }
// 0.15 % fast (a sound server's null sink runs near that): past the lead
// within seconds.
std::int64_t faster_clock(std::int64_t k) { return k * kBufferNs * 9985 / 10000 + jitter(k); }

const DeviceCase kDevices[] = {
    {"Steady", steady, 1, false, 54},
    // Two buffers filled at once, then the regular pace.
    {"BurstAtStart", [](std::int64_t k) { return k < 2 ? k * kMs / 10 : (k - 1) * kBufferNs; }, 1,
     false, 54},
    {"Jittery", jittery, 1, false, 57},
    // One call 15 ms earlier than any before, within the piece's lead: the
    // piece slips after it, by at most 1/500 of the 62 ms between two
    // messages, to have its whole lead again.
    {"OneEarlyCall", [](std::int64_t k) { return k * kBufferNs - (k == 200 ? 15 * kMs : 0); }, 6,
     false, 70},
    {"FastClock", fast_clock, 6, false, 57},
    // The threads in real time: a delay of about three buffers and a margin.
    {"RealTimeSteady", steady, 1, true, 38},
    {"RealTimeJittery", jittery, 1, true, 42},
    {"RealTimeFastClock", fast_clock, 6, true, 42},
    {"RealTimeFasterClock", faster_clock, 6, true, 42},
};

class Timeline : public ::testing::TestWithParam<DeviceCase> {};

// Messages every 62 ms for ten seconds, sent between the device's calls, in a
// piece that begins once the device has run a moment (as the device opens
// for it, the timeline is rebased).
TEST_P(Timeline, MessagesKeepTheirSpacingAndArriveBeforeTheirFrame) {
  const std::int64_t start = 1'000'000'000'000;
  StreamTimeline timeline = timeline_for(GetParam().real_time);
  timeline.start(start);
  std::int64_t k = 0;
  auto run_until = [&](std::int64_t t) {
    while (start + GetParam().call_at(k) <= t)
      timeline.callback(start + GetParam().call_at(k), k * kBuffer), ++k;
  };
  run_until(start + 100 * kMs);
  timeline.rebase();
  std::vector<std::uint64_t> frames;
  std::int64_t most_delay = 0;
  for (std::int64_t sent = start + 101 * kMs; sent < start + 10'000 * kMs; sent += 62 * kMs) {
    run_until(sent);
    std::uint64_t frame = timeline.frame_at(sent);
    // The first call after the message renders from frame k x buffer on.
    EXPECT_GE(frame, static_cast<std::uint64_t>(k) * kBuffer) << "sent at " << (sent - start) / kMs;
    const auto call = static_cast<std::int64_t>(frame / kBuffer);
    most_delay = std::max(most_delay, start + GetParam().call_at(call) - sent);
    frames.push_back(frame);
  }
  EXPECT_LE(most_delay, GetParam().most_delay_ms * kMs);
  const std::int64_t spacing = 62 * kRate / 1000;
  for (std::size_t i = 1; i < frames.size(); ++i) {
    std::int64_t gap = static_cast<std::int64_t>(frames[i] - frames[i - 1]);
    EXPECT_LE(std::llabs(gap - spacing), GetParam().spacing_slack) << "message " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, Timeline, ::testing::ValuesIn(kDevices),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TimelineTest, ARebaseShedsTheDelayOfADeviceThatRunsSlow) {
  const std::int64_t start = 1'000'000'000'000;
  // 0.1 % slow: after a minute the calls come 60 ms later than the frames say.
  auto call_at = [&](std::int64_t k) { return start + k * kBufferNs * 1001 / 1000; };
  StreamTimeline timeline = timeline_for(false);
  timeline.start(start);
  std::int64_t k = 0;
  auto run_until = [&](std::int64_t t) {
    while (call_at(k) <= t) timeline.callback(call_at(k), k * kBuffer), ++k;
  };
  // How long after it was sent a message is rendered, in ms.
  auto delay_ms = [&](std::int64_t sent) {
    std::int64_t frame = static_cast<std::int64_t>(timeline.frame_at(sent));
    std::int64_t rendered_at = call_at(frame / kBuffer) + (frame % kBuffer) * 1'000'000'000 / kRate;
    return (rendered_at - sent) / kMs;
  };
  const std::int64_t later = start + 60'000 * kMs;
  run_until(later);
  EXPECT_GT(delay_ms(later), 60);
  timeline.rebase();
  // A buffer taken, one ready, the margin and the lead.
  const LiveOutput::Pace pace =
      LiveOutput::pace_for(kBuffer, kRate, LiveOutput::Rendering::held_back);
  EXPECT_LE(delay_ms(later), (2 * kBufferNs + pace.margin_ns + pace.lead_ns) / kMs + 1);
  EXPECT_GE(delay_ms(later), 0);
}

// A sound server that takes the first buffer, then lets the device wait
// 1.7 s before it asks at its regular pace (a null sink that had rendered
// ahead does): a key half a second later waits for the pace as it now is.
TEST(TimelineTest, AKeyWaitsOnlyForTheDevicesPresentPace) {
  const std::int64_t start = 1'000'000'000'000;
  auto call_at = [&](std::int64_t k) { return start + (k == 0 ? 0 : 1'700 * kMs + k * kBufferNs); };
  StreamTimeline timeline = timeline_for(true);
  timeline.start(start);
  std::int64_t k = 0;
  const std::int64_t key = start + 2'200 * kMs + kBufferNs / 3;
  while (call_at(k) <= key) timeline.callback(call_at(k), k * kBuffer), ++k;
  const std::uint64_t frame = timeline.soonest_frame(key);
  EXPECT_GE(frame, static_cast<std::uint64_t>(k) * kBuffer);
  const std::int64_t taken_at = call_at(static_cast<std::int64_t>(frame / kBuffer));
  // The buffer the device takes, the one kept ready and the margin.
  EXPECT_LE(taken_at - key, 3 * kBufferNs);
}

// A sine wave of `amplitude` on both channels.
std::vector<float> sine(float amplitude, double seconds) {
  std::vector<float> samples(static_cast<std::size_t>(seconds * kRate) * 2);
  for (std::size_t i = 0; i < samples.size() / 2; ++i)
    samples[2 * i] = samples[2 * i + 1] =
        amplitude * static_cast<float>(std::sin(2 * M_PI * 220.0 * static_cast<double>(i) / kRate));
  return samples;
}

float peak(const std::vector<float>& samples, std::size_t from_frame = 0) {
  float peak = 0;
  for (std::size_t i = 2 * from_frame; i < samples.size(); ++i)
    peak = std::max(peak, std::fabs(samples[i]));
  return peak;
}

TEST(LimiterTest, LeavesOrdinaryLevelsAloneAndHoldsLoudOnesBelowTheCeiling) {
  Limiter limiter(kRate);
  std::vector<float> quiet = sine(0.5f, 1.0), untouched = quiet;
  limiter.process(quiet.data(), quiet.size() / 2);
  EXPECT_EQ(quiet, untouched);

  std::vector<float> loud = sine(4.0f, 1.0);
  limiter.process(loud.data(), loud.size() / 2);
  EXPECT_LE(peak(loud), Limiter::kCeiling * (1 + 1e-6f));
  // Steady, it is brought down to the ceiling, not far below.
  EXPECT_GT(peak(loud, kRate / 2), 0.95f * Limiter::kCeiling);

  // Once the loud passage is over, the gain comes back.
  std::vector<float> after = sine(0.5f, 3.0);
  limiter.process(after.data(), after.size() / 2);
  EXPECT_GT(peak(after, 2 * kRate), 0.49f);
}

// A device that renders in its callback, as a JACK server's client does,
// which the test calls period by period.
class CallbackDevice final : public AudioDevice {
 public:
  static constexpr unsigned kPeriod = 256;
  unsigned rate() const override { return kRate; }
  unsigned period() const override { return kPeriod; }
  bool renders_in_callback() const override { return true; }
  bool open(SoundSource& source) override {
    source_ = &source;
    return true;
  }
  void start() override {}

  // The server goes on, a cycle a millisecond, until the device is gone (as
  // a JACK server stops calling once the client closes).
  ~CallbackDevice() override {
    closed_.store(true);
    if (server_.joinable()) server_.join();
  }
  void run_server() {
    server_ = std::thread([this] {
      while (!closed_.load()) {
        cycle();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }

  // One cycle: its frames' loudest sample.
  float cycle() {
    std::vector<float> left(kPeriod), right(kPeriod);
    source_->pull({left.data(), right.data(), 1}, kPeriod);
    float loudest = 0;
    for (float v : left) loudest = std::max(loudest, std::fabs(v));
    return loudest;
  }

 private:
  SoundSource* source_ = nullptr;
  std::atomic<bool> closed_{false};
  std::thread server_;
};

struct KeyCase {
  const char* name;
  std::int64_t when_ns;  // how the note-on is timed
  // The first cycle, after the one running as it is sent, that may sound it,
  // and the last.
  int soonest_cycle;
  int latest_cycle;
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.name; }

// A player's key is heard from the next cycle on; a piece's message keeps
// its lead (a period past the soonest frame, itself a quarter period on),
// whenever the cycles come.
const KeyCase kKeyCases[] = {
    {"KeyPlayed", kPlayedNow, 1, 1},
    {"PieceMessage", kSentNow, 2, 8},
};

class KeyToSound : public ::testing::TestWithParam<KeyCase> {};

constexpr float kHeard = 0.001f;  // -60 dBFS

// Measured with TimGM6mb's piano (the first test SoundFont).
TEST_P(KeyToSound, ANoteSoundsFromTheCycleItsTimingGivesIt) {
  SynthEngine engine;
  ASSERT_EQ(engine.create(kRate, velk0::testing::kSoundFont), SynthFailure::none);
  RenderCore core(engine, kRate);
  auto owned = std::make_unique<CallbackDevice>();
  CallbackDevice& device = *owned;
  std::unique_ptr<LiveOutput> live = LiveOutput::open(core, std::move(owned), nullptr);
  ASSERT_TRUE(live);
  live->start();
  live->engine_ready();
  for (int i = 0; i < 8; ++i) EXPECT_LT(device.cycle(), kHeard);
  live->play({SynthEvent::Kind::message, MidiMessage::make(MidiKind::note_on, 0, 60, 127)},
             GetParam().when_ns);
  int first = 0;
  for (int k = 1; k <= 8 && first == 0; ++k)
    if (device.cycle() >= kHeard) first = k;
  EXPECT_GE(first, GetParam().soonest_cycle);
  EXPECT_LE(first, GetParam().latest_cycle);
  // The server goes on while the output lets the note ring out and closes.
  device.run_server();
  live.reset();
}

INSTANTIATE_TEST_SUITE_P(Timing, KeyToSound, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velk0::platform::posix
