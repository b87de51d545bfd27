#include "platform/posix/midi/sequencer_ports.h"

#include <new>

#include "platform/posix/interrupt.h"
#include "platform/posix/midi/alsa_ports.h"
#include "platform/posix/midi/jack_output.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {
void SequencerPorts::send(MidiMessage message) {
  const std::size_t length = message.length();
  if (length == 0) return;
  const MidiMessage read = message.seven_bit();
  const unsigned char bytes[] = {read.status, read.data1, read.data2};
  send_bytes(bytes, length);
}

void SequencerPorts::close(const std::bitset<16>& used) {
  for (unsigned channel = 0; channel < 16; ++channel) {
    if (!used.test(channel)) continue;
    const unsigned char bytes[] = {static_cast<unsigned char>(0xB0 | channel),
                                   static_cast<unsigned char>(kAllNotesOff), 0};
    send_bytes(bytes, sizeof bytes);
  }
  QuietStderr quiet;
  close_port();
}

void need_memory_for_ports() {
  if (!memory_left()) throw std::bad_alloc{};
}

std::vector<std::unique_ptr<MidiPorts>> join_sequencer(const char* client) {
  QuietStderr quiet;
  SignalsHeld held;
  std::vector<std::unique_ptr<MidiPorts>> joined;
  need_memory_for_ports();
  if (auto alsa = AlsaPorts::join(client)) joined.push_back(std::move(alsa));
  need_memory_for_ports();
  if (auto jack = JackOutput::join(client)) joined.push_back(std::move(jack));
  return joined;
}

}  // namespace velk0::platform::posix
