// The sequencer's output ports, through one of its interfaces: ALSA's
// sequencer (AlsaPorts, through RtMidi) or JACK (JackOutput). A port says
// nothing of how many notes it plays at once; what a channel still holds is
// let go before the port closes.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/posix/midi/midi_ports.h"

namespace velk0::platform::posix {

class SequencerPorts : public MidiPorts {
 public:
  // Simultaneous notes reported for a port, which does not say.
  static constexpr int kNotes = 16;

  int notes(unsigned index) override { return index < count() ? kNotes : 0; }
  void send(MidiMessage message) override;
  // Sends All Notes Off to the channels `used`, then closes the port.
  void close(const std::bitset<16>& used) override;

 protected:
  // Sends the bytes of one message to the open port; one that cannot be
  // sent (the port went away) is simply not heard.
  virtual void send_bytes(const unsigned char* bytes, std::size_t length) = 0;
  virtual void close_port() = 0;
};

// The sequencer's client libraries, which every call on the ports may start
// again (JACK's, with no server, at each call), do not check every block of
// memory they ask for and crash when one is refused: without a few megabytes
// to spare, memory has run out (std::bad_alloc) before they are called.
void need_memory_for_ports();

// The interfaces of the sequencer that start here, each as a client of the
// program's own named `client`: ALSA's, then JACK's (when a JACK server
// runs). An interface that starts with no port yet is kept, so that ports
// that appear later are found.
std::vector<std::unique_ptr<MidiPorts>> join_sequencer(const char* client);

}  // namespace velk0::platform::posix
