#include "platform/posix/audio/jack_device.h"

#include <jack/thread.h>
#include <pthread.h>

#include <algorithm>

#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"
#include "platform/posix/quiet_stderr.h"

namespace velk0::platform::posix {
namespace {

constexpr const char* kClientName = "velk0";
constexpr std::array<const char*, 2> kPortNames = {"gauche", "droite"};
// Longer than JACK's longest period (8,192 frames at 8 kHz), with room for a
// busy machine.
constexpr std::int64_t kLongestCycleNs = 1'500'000'000;

// The library's own messages (a server that cannot be reached, a socket
// that closed) would come on standard error from its threads, in English.
void say_nothing(const char*) {}

}  // namespace

std::unique_ptr<JackDevice> JackDevice::join() {
  jack_set_error_function(say_nothing);
  jack_set_info_function(say_nothing);
  std::unique_ptr<JackDevice> device(new JackDevice);
  {
    QuietStderr quiet;
    SignalsHeld held;
    device->client_ = jack_client_open(kClientName, JackNoStartServer, nullptr);
  }
  if (!device->client_) return nullptr;
  device->rate_ = jack_get_sample_rate(device->client_);
  device->period_.store(jack_get_buffer_size(device->client_));
  return device;
}

JackDevice::~JackDevice() {
  if (!client_) return;
  let_go_of_source();
  // The server would keep the client waiting for ever once it no longer runs
  // its cycles (it was stopped, or hangs): the client is then left as it is,
  // for the server to let go once the program has ended. Otherwise it leaves
  // now, even after a signal: a server that waits on each client's cycle
  // (jackd -S) could no longer run once a client had gone without a word.
  if (active_ && !gone_.load() && !cycling()) return;
  QuietStderr quiet;
  if (active_ && !gone_.load()) jack_deactivate(client_);
  jack_client_close(client_);
}

bool JackDevice::cycling() const {
  const std::uint64_t seen = cycles_.load(std::memory_order_relaxed);
  const std::int64_t deadline = monotonic_ns() + kLongestCycleNs;
  while (cycles_.load(std::memory_order_relaxed) == seen) {
    if (gone_.load() || monotonic_ns() >= deadline) return false;
    sleep_ms(1);
  }
  return true;
}

bool JackDevice::open(SoundSource& source) {
  source_ = &source;
  for (std::size_t i = 0; i < ports_.size(); ++i) {
    ports_[i] =
        jack_port_register(client_, kPortNames[i], JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (!ports_[i]) return false;
  }
  jack_on_info_shutdown(client_, &JackDevice::shut_down, this);
  return jack_set_process_callback(client_, &JackDevice::process, this) == 0 &&
         jack_set_buffer_size_callback(client_, &JackDevice::period_changed, this) == 0 &&
         jack_set_sample_rate_callback(client_, &JackDevice::rate_changed, this) == 0;
}

void JackDevice::start() {
  hold_.store(kPlaying);
  {
    QuietStderr quiet;
    SignalsHeld held;
    active_ = jack_activate(client_) == 0;
  }
  if (active_)
    connect_to_playback();
  else
    gone_.store(true, std::memory_order_release);  // the server turned the client away
}

void JackDevice::connect_to_playback() {
  const char** playback = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                         JackPortIsPhysical | JackPortIsInput);
  if (!playback) return;
  if (playback[0]) {
    const char* right = playback[1] ? playback[1] : playback[0];
    QuietStderr quiet;
    jack_connect(client_, jack_port_name(ports_[0]), playback[0]);
    jack_connect(client_, jack_port_name(ports_[1]), right);
  }
  jack_free(playback);
}

void JackDevice::prioritize_renderer() {
  if (!jack_is_realtime(client_)) return;
  const int priority = jack_client_real_time_priority(client_);
  if (priority > 1) jack_acquire_real_time_scheduling(pthread_self(), priority - 1);
}

std::string_view JackDevice::lost() const {
  if (gone_.load(std::memory_order_acquire))
    return "velk0 : le serveur JACK s'est arr\xEAt\xE9 ou a d\xE9"
           "connect\xE9 velk0 ; la suite n'est plus entendue.";
  if (other_rate_.load(std::memory_order_acquire))
    return "velk0 : le serveur JACK a chang\xE9 de fr\xE9quence ; la suite n'est plus "
           "entendue.";
  return {};
}

void JackDevice::let_go_of_source() {
  // A callback that is pulling finishes first: it takes no lock and waits
  // for nothing, so it never takes long.
  for (int expected = kPlaying; !hold_.compare_exchange_weak(expected, kSilent);
       expected = kPlaying) {
    if (expected == kSilent) return;
    sleep_ms(1);
  }
}

int JackDevice::process(jack_nframes_t frames, void* self) {
  auto& device = *static_cast<JackDevice*>(self);
  device.cycles_.fetch_add(1, std::memory_order_relaxed);
  auto* left = static_cast<float*>(jack_port_get_buffer(device.ports_[0], frames));
  auto* right = static_cast<float*>(jack_port_get_buffer(device.ports_[1], frames));
  int expected = kPlaying;
  // Sound made for another rate would play at the wrong pitch and pace.
  if (!device.other_rate_.load(std::memory_order_relaxed) &&
      device.hold_.compare_exchange_strong(expected, kPulling, std::memory_order_acquire)) {
    device.source_->pull({left, right, 1}, frames);
    device.hold_.store(kPlaying, std::memory_order_release);
  } else {
    std::fill_n(left, frames, 0.0f);
    std::fill_n(right, frames, 0.0f);
  }
  return 0;
}

int JackDevice::period_changed(jack_nframes_t frames, void* self) {
  static_cast<JackDevice*>(self)->period_.store(frames, std::memory_order_relaxed);
  return 0;
}

int JackDevice::rate_changed(jack_nframes_t rate, void* self) {
  auto& device = *static_cast<JackDevice*>(self);
  if (rate != device.rate_) device.other_rate_.store(true, std::memory_order_release);
  return 0;
}

void JackDevice::shut_down(jack_status_t, const char*, void* self) {
  static_cast<JackDevice*>(self)->gone_.store(true, std::memory_order_release);
}

}  // namespace velk0::platform::posix
