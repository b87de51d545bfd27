#include "platform/posix/midi/midi_devices.h"

#include "platform/posix/midi/sequencer_ports.h"
#include "platform/posix/midi/smf_recorder.h"
#include "platform/posix/midi/synthesizer_port.h"

namespace velk0::platform::posix {

PosixMidi::PosixMidi(SynthConfig config, Clock& clock, const RealClock* real_clock,
                     const std::string& midi_file, Sequencer sequencer)
    : join_(sequencer ? std::move(sequencer) : [] { return join_sequencer("velk0"); }) {
  // Device 0 is chosen here, once.
  if (!midi_file.empty()) {
    first_ = std::make_unique<SmfRecorder>(midi_file, clock);
  } else {
    auto synth = std::make_unique<SynthesizerPort>(std::move(config), clock, real_clock);
    synth_ = synth.get();
    first_ = std::move(synth);
  }
}

PosixMidi::~PosixMidi() {
  try {
    close();
    (void)complete_output();  // said, when it failed; the entry asked first
  } catch (...) {
    // Nothing more can be done for the device on the way out.
  }
}

Synthesizer* PosixMidi::synthesizer() { return synth_ ? synth_->synthesizer() : nullptr; }

const std::vector<std::unique_ptr<MidiPorts>>& PosixMidi::sequencer() {
  if (!joined_) {
    joined_ = true;
    sequencer_ = join_();
  }
  return sequencer_;
}

MidiPorts* PosixMidi::find(unsigned& index) {
  if (index == 0) return first_.get();
  index -= 1;
  for (const auto& ports : sequencer()) {
    const unsigned count = ports->count();
    if (index < count) return ports.get();
    index -= count;
  }
  return nullptr;
}

unsigned PosixMidi::count() {
  unsigned count = 1;
  for (const auto& ports : sequencer()) count += ports->count();
  return count;
}

int PosixMidi::notes(unsigned index) {
  MidiPorts* ports = find(index);
  return ports ? ports->notes(index) : 0;
}

std::string PosixMidi::name(unsigned index) {
  MidiPorts* ports = find(index);
  return ports ? ports->name(index) : std::string();
}

bool PosixMidi::open(unsigned index) {
  close();
  channels_used_.reset();
  MidiPorts* ports = find(index);
  if (!ports || !ports->open(index)) return false;
  open_ = ports;
  return true;
}

MidiPorts* PosixMidi::sending(MidiMessage message) {
  if (open_ && message.kind() == MidiKind::note_on) channels_used_.set(message.channel());
  return open_;
}

void PosixMidi::send(MidiMessage message) {
  if (MidiPorts* ports = sending(message)) ports->send(message);
}

void PosixMidi::send_played(MidiMessage message) {
  if (MidiPorts* ports = sending(message)) ports->send_played(message);
}

void PosixMidi::close() {
  if (!open_) return;
  open_->close(channels_used_);
  open_ = nullptr;
}

}  // namespace velk0::platform::posix
