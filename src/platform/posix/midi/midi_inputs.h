// The MIDI inputs of a POSIX system: the sequencer's ports that a keyboard
// plays into, ALSA's (through RtMidi) when ALSA lists any, else JACK's
// (through RtMidi too: its JACK input connects within the server before
// openPort returns, so that the first message sent after the opening comes
// in, unlike its JACK output, see jack_output.h).
//
// Messages come in on the library's thread (JACK's process thread, or
// ALSA's), which stamps them on the clock and queues them without a lock
// or a wait; the waiting thread is woken through a pipe and hands them on.
// While an input is open, the port's presence is looked at twice a second:
// a keyboard unplugged is told to the sink, and so is its return (a port of
// the same name, whatever numbers ALSA gives it), which is then listened to.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/audio/spsc_queue.h"
#include "platform/posix/terminal/typed_keys.h"

class RtMidiIn;

namespace velk0::platform::posix {

class PosixMidiInputs : public MidiInputs {
 public:
  explicit PosixMidiInputs(Clock& clock);
  ~PosixMidiInputs() override;
  PosixMidiInputs(const PosixMidiInputs&) = delete;
  PosixMidiInputs& operator=(const PosixMidiInputs&) = delete;

  unsigned count() override;
  // A port's name as the sequencer gives it, in the program's own bytes.
  std::string name(unsigned index) override;
  bool open(unsigned index, MidiSink& sink) override;
  // Also watches the terminal's keys (see TypedKeys) and the stop request
  // (throws Interrupted).
  Awoken wait(std::optional<std::uint64_t> until_ms) override;
  void close() override;

 private:
  struct Arrival {
    MidiMessage message;
    std::uint64_t ms = 0;
  };
  static void on_message(double, std::vector<unsigned char>* bytes, void* self);
  // Looks, once, for the sequencer (ALSA's or JACK's).
  void find_ports();
  // The names of the ports now, in the sequencer's own bytes.
  std::vector<std::string> port_names();
  bool open_port(unsigned index);
  // Hands the sink what came; false when nothing did.
  bool hand_on();
  // Looks whether the open port went away or came back, when it is time to;
  // true when the sink was told.
  bool watch_port();
  // Waits on the wake-up pipe, the keys and the stop request (throws
  // Interrupted), at most `timeout_ms`.
  enum class Slept { timed_out, woken, quit };
  Slept sleep(int timeout_ms);

  Clock& clock_;
  bool ports_tried_ = false;
  std::unique_ptr<RtMidiIn> in_;
  SpscQueue<Arrival, 4096> queue_;
  std::atomic<unsigned> dropped_{0};
  int wake_[2] = {-1, -1};
  MidiSink* sink_ = nullptr;
  std::string port_;  // the open port's name
  bool lost_ = false;
  std::int64_t next_look_ns_ = 0;
  std::unique_ptr<TypedKeys> keys_;
};

}  // namespace velk0::platform::posix
