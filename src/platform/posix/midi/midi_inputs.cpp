#include "platform/posix/midi/midi_inputs.h"

#include <RtMidi.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "platform/common/text_encoding.h"
#include "platform/console.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {
namespace {

constexpr const char* kClient = "velk0-ecoute";
constexpr const char* kPort = "entree";
constexpr std::int64_t kLookEveryNs = 500'000'000;

// The sequencer's client libraries crash when memory is refused them (see
// midi_devices.cpp): without some to spare, memory has run out before.
void need_memory_for_ports() {
  if (!memory_left()) throw std::bad_alloc{};
}

// A port's name without the numbers ALSA gives its client and port ("20:0"),
// which may change when the keyboard is plugged in again.
std::string_view lasting_name(std::string_view name) {
  const std::size_t space = name.rfind(' ');
  if (space == name.npos) return name;
  const std::string_view numbers = name.substr(space + 1);
  const std::size_t colon = numbers.find(':');
  if (colon == numbers.npos || colon == 0 || colon + 1 == numbers.size() ||
      numbers.find_first_not_of("0123456789:") != numbers.npos)
    return name;
  return name.substr(0, space);
}

}  // namespace

PosixMidiInputs::PosixMidiInputs(Clock& clock) : clock_(clock) {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
}

PosixMidiInputs::~PosixMidiInputs() {
  try {
    close();
    QuietStderr quiet;
    in_.reset();
  } catch (...) {
    // Nothing more can be let go on the way out.
  }
  for (int fd : wake_)
    if (fd >= 0) ::close(fd);
}

void PosixMidiInputs::find_ports() {
  if (ports_tried_) return;
  ports_tried_ = true;
  QuietStderr quiet;
  SignalsHeld held;
  need_memory_for_ports();
  try {
    in_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClient);
    if (in_->getPortCount() == 0) {
      // Failing ALSA's ports, JACK's; failing those, the first of the two
      // that starts, so that ports that appear later are still found.
      need_memory_for_ports();
      auto jack = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, kClient);
      if (jack->getPortCount() > 0) in_ = std::move(jack);
    }
  } catch (const RtMidiError&) {
    in_.reset();  // ALSA's sequencer is not there
  }
  try {
    if (!in_) in_ = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, kClient);
    // Called only while a port is open; set once for every opening.
    in_->setCallback(&PosixMidiInputs::on_message, this);
  } catch (const RtMidiError&) {
    in_.reset();
  }
}

std::vector<std::string> PosixMidiInputs::port_names() {
  std::vector<std::string> names;
  find_ports();
  if (!in_) return names;
  need_memory_for_ports();
  QuietStderr quiet;
  try {
    const unsigned count = in_->getPortCount();
    for (unsigned i = 0; i < count; ++i) names.push_back(in_->getPortName(i));
  } catch (const RtMidiError&) {
  }
  return names;
}

unsigned PosixMidiInputs::count() { return static_cast<unsigned>(port_names().size()); }

std::string PosixMidiInputs::name(unsigned index) {
  const std::vector<std::string> names = port_names();
  return index < names.size() ? from_utf8(names[index]) : std::string();
}

void PosixMidiInputs::on_message(double, std::vector<unsigned char>* bytes, void* self) {
  auto& inputs = *static_cast<PosixMidiInputs*>(self);
  if (!bytes || bytes->empty() || bytes->size() > 3) return;
  MidiMessage message{(*bytes)[0], 0, 0};
  if (bytes->size() > 1) message.data1 = (*bytes)[1];
  if (bytes->size() > 2) message.data2 = (*bytes)[2];
  if (message.length() != bytes->size()) return;  // no channel message
  if (!inputs.queue_.push({message.seven_bit(), inputs.clock_.now_ms()})) {
    inputs.dropped_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  const char byte = 1;
  // Non-blocking: a pipe that holds bytes already wakes the waiting thread.
  ssize_t ignored = write(inputs.wake_[1], &byte, 1);
  (void)ignored;
}

bool PosixMidiInputs::open_port(unsigned index) {
  need_memory_for_ports();
  QuietStderr quiet;
  SignalsHeld held;
  try {
    if (in_->isPortOpen()) in_->closePort();
    in_->openPort(index, kPort);
  } catch (const RtMidiError&) {
    return false;
  }
  return in_->isPortOpen();
}

bool PosixMidiInputs::open(unsigned index, MidiSink& sink) {
  close();
  const std::vector<std::string> names = port_names();
  if (index >= names.size() || wake_[0] < 0 || !open_port(index)) return false;
  for (Arrival stale; queue_.pop(stale);) {
  }
  sink_ = &sink;
  port_ = names[index];
  lost_ = false;
  next_look_ns_ = monotonic_ns() + kLookEveryNs;
  keys_ = std::make_unique<TypedKeys>(STDIN_FILENO);
  return true;
}

bool PosixMidiInputs::hand_on() {
  bool handed = false;
  for (Arrival arrival; queue_.pop(arrival);) {
    if (sink_) sink_->received(arrival.message, arrival.ms);
    handed = true;
  }
  if (const unsigned dropped = dropped_.exchange(0)) {
    print_error_line("velk0 : " + std::to_string(dropped) +
                     " messages du clavier perdus, arriv\xE9s plus vite qu'ils n'ont pu \xEAtre "
                     "lus");
  }
  return handed;
}

bool PosixMidiInputs::watch_port() {
  if (!sink_ || monotonic_ns() < next_look_ns_) return false;
  next_look_ns_ = monotonic_ns() + kLookEveryNs;
  const std::vector<std::string> names = port_names();
  const auto same = [this](const std::string& name) {
    return lasting_name(name) == lasting_name(port_);
  };
  const auto found = std::find_if(names.begin(), names.end(), same);
  if (!lost_ && found == names.end()) {
    lost_ = true;
    sink_->port_lost();
    return true;
  }
  if (lost_ && found != names.end() && open_port(static_cast<unsigned>(found - names.begin()))) {
    lost_ = false;
    port_ = *found;
    sink_->port_back();
    return true;
  }
  return false;
}

PosixMidiInputs::Slept PosixMidiInputs::sleep(int timeout_ms) {
  pollfd fds[3] = {
      {wake_[0], POLLIN, 0}, {interrupt_fd(), POLLIN, 0}, {keys_ ? keys_->fd() : -1, POLLIN, 0}};
  const int ready = poll(fds, 3, timeout_ms);
  if (ready == 0) return Slept::timed_out;
  if (ready < 0) return Slept::woken;  // a signal: looked at by the caller
  if (fds[1].revents & POLLIN) throw_if_interrupted();
  if (fds[0].revents & POLLIN) {
    char drained[64];
    while (read(wake_[0], drained, sizeof drained) > 0) {
    }
  }
  if ((fds[2].revents & (POLLIN | POLLHUP)) && keys_->quit_typed()) return Slept::quit;
  return Slept::woken;
}

Awoken PosixMidiInputs::wait(std::optional<std::uint64_t> until_ms) {
  for (;;) {
    throw_if_interrupted();
    if (hand_on() || watch_port()) return Awoken::handed;
    const std::uint64_t now = clock_.now_ms();
    if (until_ms && now >= *until_ms) return Awoken::due;
    std::int64_t look_ms = sink_ ? (next_look_ns_ - monotonic_ns()) / 1'000'000 + 1 : -1;
    if (look_ms == 0 || look_ms < -1) look_ms = 1;
    const bool until_first =
        until_ms && (look_ms < 0 || static_cast<std::int64_t>(*until_ms - now) <= look_ms);
    const int timeout =
        static_cast<int>(until_first ? static_cast<std::int64_t>(*until_ms - now) : look_ms);
    const Slept slept = sleep(timeout);
    if (slept == Slept::quit) return Awoken::quit;
    // So does a clock that does not move while the system waits (the
    // virtual one) come to the time asked for.
    if (slept == Slept::timed_out && until_first) return Awoken::due;
  }
}

void PosixMidiInputs::close() {
  keys_.reset();
  sink_ = nullptr;
  if (in_ && in_->isPortOpen()) {
    QuietStderr quiet;
    try {
      in_->closePort();
    } catch (const RtMidiError&) {
    }
  }
  for (Arrival arrival; queue_.pop(arrival);) {
  }
}

}  // namespace velk0::platform::posix
