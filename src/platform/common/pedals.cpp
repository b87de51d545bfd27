#include "platform/common/pedals.h"

namespace velk0::platform {

void Pedals::take(MidiMessage read) {
  if (read.kind() != MidiKind::control_change) return;
  const unsigned channel = read.channel();
  const bool down = read.data2 >= kPedalDown;
  if (read.data1 == kSustainPedal) sustain_[channel] = down;
  if (read.data1 == kSostenutoPedal) sostenuto_[channel] = down;
  if (read.data1 == kResetControllers) sustain_[channel] = sostenuto_[channel] = false;
}

}  // namespace velk0::platform
