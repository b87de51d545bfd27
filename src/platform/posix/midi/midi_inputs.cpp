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
#include "platform/posix/midi/sequencer_ports.h"
#include "platform/posix/monotonic.h"
#include "platform/posix/quiet_stderr.h"

namespace velk0::platform::posix {
namespace {

constexpr const char* kClient = "velk0-ecoute";
constexpr const char* kPort = "entree";
constexpr std::int64_t kLookEveryNs = 500'000'000;

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
    for (auto& in : ins_) in.reset();
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
  // ALSA's ports, then JACK's, as the outputs are listed; a sequencer that
  // starts with no port yet is kept, so that ports that appear later are
  // found.
  const RtMidi::Api apis[] = {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
  for (std::size_t i = 0; i < ins_.size(); ++i) {
    need_memory_for_ports();
    try {
      ins_[i] = std::make_unique<RtMidiIn>(apis[i], kClient);
      // Called only while a port is open; set once for every opening.
      ins_[i]->setCallback(&PosixMidiInputs::on_message, this);
    } catch (const RtMidiError&) {
      ins_[i].reset();  // this sequencer is not there
    }
  }
}

std::vector<PosixMidiInputs::Port> PosixMidiInputs::ports() {
  std::vector<Port> found;
  find_ports();
  QuietStderr quiet;
  for (const auto& in : ins_) {
    if (!in) continue;
    need_memory_for_ports();
    try {
      const unsigned count = in->getPortCount();
      for (unsigned i = 0; i < count; ++i) found.push_back({in->getPortName(i), in.get(), i});
    } catch (const RtMidiError&) {
    }
  }
  return found;
}

unsigned PosixMidiInputs::count() { return static_cast<unsigned>(ports().size()); }

std::string PosixMidiInputs::name(unsigned index) {
  const std::vector<Port> found = ports();
  return index < found.size() ? from_utf8(found[index].name) : std::string();
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

bool PosixMidiInputs::open_port(const Port& port) {
  close_port();
  need_memory_for_ports();
  QuietStderr quiet;
  SignalsHeld held;
  try {
    port.in->openPort(port.index, kPort);
  } catch (const RtMidiError&) {
    return false;
  }
  return port.in->isPortOpen();
}

bool PosixMidiInputs::open(unsigned index, MidiSink& sink) {
  close();
  const std::vector<Port> found = ports();
  if (index >= found.size() || wake_[0] < 0 || !open_port(found[index])) return false;
  for (Arrival stale; queue_.pop(stale);) {
  }
  sink_ = &sink;
  port_ = found[index].name;
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
  const std::vector<Port> now = ports();
  const auto same = [this](const Port& port) {
    return lasting_name(port.name) == lasting_name(port_);
  };
  const auto found = std::find_if(now.begin(), now.end(), same);
  if (!lost_ && found == now.end()) {
    lost_ = true;
    sink_->port_lost();
    return true;
  }
  if (lost_ && found != now.end() && open_port(*found)) {
    lost_ = false;
    port_ = found->name;
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

void PosixMidiInputs::close_port() {
  QuietStderr quiet;
  for (const auto& in : ins_) {
    try {
      if (in && in->isPortOpen()) in->closePort();
    } catch (const RtMidiError&) {
    }
  }
}

void PosixMidiInputs::close() {
  keys_.reset();
  sink_ = nullptr;
  close_port();
  for (Arrival arrival; queue_.pop(arrival);) {
  }
}

}  // namespace velk0::platform::posix
