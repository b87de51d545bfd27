// The sequencer's ports under ALSA, through RtMidi.
#pragma once

#include <memory>
#include <string>

#include "platform/posix/midi/sequencer_ports.h"

class RtMidiOut;

namespace velk0::platform::posix {

class AlsaPorts final : public SequencerPorts {
 public:
  // A client of ALSA's sequencer named `client`; null when the sequencer is
  // not there.
  static std::unique_ptr<AlsaPorts> join(const char* client);
  ~AlsaPorts() override;
  AlsaPorts(const AlsaPorts&) = delete;
  AlsaPorts& operator=(const AlsaPorts&) = delete;

  unsigned count() override;
  std::string name(unsigned index) override;
  bool open(unsigned index) override;

 protected:
  void send_bytes(const unsigned char* bytes, std::size_t length) override;
  void close_port() override;

 private:
  AlsaPorts(std::unique_ptr<RtMidiOut> out, const char* client);
  std::unique_ptr<RtMidiOut> out_;
  std::string client_;
};

}  // namespace velk0::platform::posix
