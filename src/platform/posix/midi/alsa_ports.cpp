#include "platform/posix/midi/alsa_ports.h"

#include <RtMidi.h>

#include <vector>

#include "platform/common/text_encoding.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/quiet_stderr.h"

namespace velk0::platform::posix {

std::unique_ptr<AlsaPorts> AlsaPorts::join(const char* client) {
  try {
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, client);
    return std::unique_ptr<AlsaPorts>(new AlsaPorts(std::move(out), client));
  } catch (const RtMidiError&) {
    return nullptr;  // ALSA's sequencer is not there
  }
}

AlsaPorts::AlsaPorts(std::unique_ptr<RtMidiOut> out, const char* client)
    : out_(std::move(out)), client_(client) {}

AlsaPorts::~AlsaPorts() = default;

unsigned AlsaPorts::count() {
  need_memory_for_ports();
  QuietStderr quiet;
  try {
    return out_->getPortCount();
  } catch (const RtMidiError&) {
    return 0;
  }
}

std::string AlsaPorts::name(unsigned index) {
  if (index >= count()) return {};
  need_memory_for_ports();
  QuietStderr quiet;
  try {
    return from_utf8(out_->getPortName(index));
  } catch (const RtMidiError&) {
    return {};
  }
}

bool AlsaPorts::open(unsigned index) {
  if (index >= count()) return false;
  need_memory_for_ports();
  QuietStderr quiet;
  SignalsHeld held;
  try {
    out_->openPort(index, client_);
  } catch (const RtMidiError&) {
    return false;
  }
  return out_->isPortOpen();
}

void AlsaPorts::send_bytes(const unsigned char* bytes, std::size_t length) {
  const std::vector<unsigned char> message(bytes, bytes + length);
  try {
    out_->sendMessage(&message);
  } catch (const RtMidiError&) {
  }
}

void AlsaPorts::close_port() { out_->closePort(); }

}  // namespace velk0::platform::posix
