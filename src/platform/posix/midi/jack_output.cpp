#include "platform/posix/midi/jack_output.h"

#include <jack/midiport.h>

#include <cerrno>

#include "platform/common/text_encoding.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"
#include "platform/posix/quiet_stderr.h"

namespace velk0::platform::posix {
namespace {

// Room for a thousand short messages, each behind its length byte.
constexpr std::size_t kQueueBytes = 4096;
constexpr std::size_t kLongestMessage = 3;
constexpr std::int64_t kLongestWaitNs = 1'000'000'000;

}  // namespace

std::unique_ptr<JackOutput> JackOutput::join(const char* client) {
  std::unique_ptr<JackOutput> out(new JackOutput);
  out->client_ = jack_client_open(client, JackNoStartServer, nullptr);
  if (!out->client_) return nullptr;
  out->port_ =
      jack_port_register(out->client_, client, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  out->queue_ = jack_ringbuffer_create(kQueueBytes);
  if (!out->port_ || !out->queue_) return nullptr;
  jack_on_shutdown(out->client_, &JackOutput::shutdown, out.get());
  if (jack_set_process_callback(out->client_, &JackOutput::process, out.get()) != 0 ||
      jack_activate(out->client_) != 0)
    return nullptr;
  return out;
}

JackOutput::~JackOutput() {
  if (client_) {
    close_port();
    jack_deactivate(client_);
    jack_client_close(client_);
  }
  if (queue_) jack_ringbuffer_free(queue_);
}

std::vector<std::string> JackOutput::port_names() const {
  std::vector<std::string> names;
  if (server_gone_) return names;
  const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  if (!ports) return names;
  for (const char** port = ports; *port; ++port) names.emplace_back(*port);
  jack_free(ports);
  return names;
}

unsigned JackOutput::count() { return static_cast<unsigned>(port_names().size()); }

std::string JackOutput::name(unsigned index) {
  need_memory_for_ports();
  const std::vector<std::string> names = port_names();
  return index < names.size() ? from_utf8(names[index]) : std::string();
}

bool JackOutput::open(unsigned index) {
  need_memory_for_ports();
  QuietStderr quiet;
  SignalsHeld held;
  close_port();
  const std::vector<std::string> names = port_names();
  if (server_gone_ || index >= names.size()) return false;
  const int refused = jack_connect(client_, jack_port_name(port_), names[index].c_str());
  if (refused != 0 && refused != EEXIST) return false;
  connected_to_ = names[index];
  // The first cycle that has begun since may still run without the connection.
  if (wait_cycles(2)) return true;
  close_port();
  return false;
}

void JackOutput::send_bytes(const unsigned char* bytes, std::size_t length) {
  if (connected_to_.empty() || server_gone_ || length == 0 || length > kLongestMessage) return;
  if (jack_ringbuffer_write_space(queue_) < 1 + length) return;
  const auto size = static_cast<char>(length);
  jack_ringbuffer_write(queue_, &size, 1);
  jack_ringbuffer_write(queue_, reinterpret_cast<const char*>(bytes), length);
}

void JackOutput::close_port() {
  if (connected_to_.empty()) return;
  const std::int64_t deadline = monotonic_ns() + kLongestWaitNs;
  while (jack_ringbuffer_read_space(queue_) > 0 && !server_gone_ && monotonic_ns() < deadline)
    sleep_ms(1);
  // The cycle that took the last message may still be running: once the one
  // after it has begun, every client has read that message.
  wait_cycles(2);
  if (!server_gone_) jack_disconnect(client_, jack_port_name(port_), connected_to_.c_str());
  connected_to_.clear();
}

bool JackOutput::wait_cycles(std::uint64_t count) const {
  const std::uint64_t until = cycles_.load(std::memory_order_acquire) + count;
  const std::int64_t deadline = monotonic_ns() + kLongestWaitNs;
  while (cycles_.load(std::memory_order_acquire) < until) {
    if (server_gone_ || monotonic_ns() >= deadline) return false;
    sleep_ms(1);
  }
  return true;
}

int JackOutput::process(jack_nframes_t frames, void* self) {
  auto& out = *static_cast<JackOutput*>(self);
  void* buffer = jack_port_get_buffer(out.port_, frames);
  jack_midi_clear_buffer(buffer);
  out.pass_queued(buffer);
  out.cycles_.fetch_add(1, std::memory_order_release);
  return 0;
}

void JackOutput::pass_queued(void* buffer) {
  char size = 0;
  while (jack_ringbuffer_peek(queue_, &size, 1) == 1) {
    const auto length = static_cast<std::size_t>(size);
    if (jack_ringbuffer_read_space(queue_) < 1 + length) return;  // still being written
    // All at the cycle's first frame, in the order they were sent.
    jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, length);
    if (!event) return;  // the cycle's buffer is full: the rest goes in the next one
    jack_ringbuffer_read_advance(queue_, 1);
    jack_ringbuffer_read(queue_, reinterpret_cast<char*>(event), length);
  }
}

void JackOutput::shutdown(void* self) { static_cast<JackOutput*>(self)->server_gone_ = true; }

}  // namespace velk0::platform::posix
