// The sequencer's ports under JACK: a client of the program's own, with one
// MIDI output port that is connected to the chosen input port while the
// device is open.
//
// JACK carries messages only in its process cycles, and a connection takes
// part in them only from a cycle that begins after it was made. So opening
// waits until such a cycle has begun, and closing until the cycle that
// carried the last message has ended; each wait lasts a second at most,
// should the server stop running its cycles. Messages reach the process
// thread through a queue that takes no lock.
#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/midi/sequencer_ports.h"

namespace velk0::platform::posix {

class JackOutput final : public SequencerPorts {
 public:
  // Joins the JACK server that runs under the name `client` (no server is
  // started); null when none runs or the client cannot be made.
  static std::unique_ptr<JackOutput> join(const char* client);
  ~JackOutput() override;
  JackOutput(const JackOutput&) = delete;
  JackOutput& operator=(const JackOutput&) = delete;

  // The server's MIDI input ports, named in full ("client:port").
  unsigned count() override;
  std::string name(unsigned index) override;
  // Connects to the input port `index`, closing any other connection first;
  // false when the server refuses it or runs no cycle.
  bool open(unsigned index) override;

 protected:
  // Queues one short message for the next cycle. One that cannot be queued
  // (nothing open, the server gone, the queue full) is not heard.
  void send_bytes(const unsigned char* bytes, std::size_t length) override;
  // Lets every queued message go out, then disconnects.
  void close_port() override;

 private:
  JackOutput() = default;
  // The full names of the server's MIDI input ports, as JACK gives them.
  std::vector<std::string> port_names() const;
  static int process(jack_nframes_t frames, void* self);
  static void shutdown(void* self);
  void pass_queued(void* buffer);
  // Waits until `count` more cycles have begun; false after a second.
  bool wait_cycles(std::uint64_t count) const;

  jack_client_t* client_ = nullptr;
  jack_port_t* port_ = nullptr;
  jack_ringbuffer_t* queue_ = nullptr;
  std::string connected_to_;
  std::atomic<std::uint64_t> cycles_{0};
  std::atomic<bool> server_gone_{false};
};

}  // namespace velk0::platform::posix
