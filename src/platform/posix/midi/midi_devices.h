// The MIDI output devices of a POSIX system: device 0 is the embedded
// synthesizer, or the MIDI file the run is written into in its place;
// devices 1 and up are the sequencer's output ports, ALSA's then JACK's.
#pragma once

#include <bitset>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/audio/synthesizer.h"
#include "platform/posix/midi/midi_ports.h"

namespace velk0::platform::posix {

class SynthesizerPort;

class PosixMidi : public MidiDevices {
 public:
  // The sequencer's ports, asked for when a port's number or the list is
  // first asked for (see join_sequencer).
  using Sequencer = std::function<std::vector<std::unique_ptr<MidiPorts>>()>;

  // `real_clock`: `clock` itself when it is the real one (see Synthesizer).
  // `midi_file`: the MIDI file device 0 writes, in the synthesizer's place.
  PosixMidi(SynthConfig config, Clock& clock, const RealClock* real_clock = nullptr,
            const std::string& midi_file = {}, Sequencer sequencer = {});
  ~PosixMidi() override;

  unsigned count() override;
  int notes(unsigned index) override;
  // A port's name as the sequencer gives it, in the program's own bytes.
  std::string name(unsigned index) override;
  bool open(unsigned index) override;
  // Does nothing while no device is open.
  void send(MidiMessage message) override;
  void send_played(MidiMessage message) override;
  void close() override;

  // Device 0, on which the MIDI files play too.
  PiecePort& piece_port() { return *first_; }
  // The embedded synthesizer, started on first use and kept for the whole
  // run; null when it cannot play (and then standard error has said why,
  // once) or when device 0 is a MIDI file. Throws OutOfMemory when memory
  // ran out while the SoundFont was read.
  Synthesizer* synthesizer();

  // Once nothing more plays: completes the WAV or MIDI file the sound goes
  // to. False when that file could not be written, after one French line on
  // standard error (for a file that could not even be made, the line came
  // when device 0 started).
  [[nodiscard]] bool complete_output() { return first_->complete(); }

 private:
  // The kind of ports that holds device `index`, and its number there; null
  // when there is no such device.
  MidiPorts* find(unsigned& index);
  const std::vector<std::unique_ptr<MidiPorts>>& sequencer();
  // The ports of the open device, which `message` is about to reach (its
  // channel noted when it starts a note); null while none is open.
  MidiPorts* sending(MidiMessage message);

  std::unique_ptr<PiecePort> first_;
  SynthesizerPort* synth_ = nullptr;  // first_, when it is the synthesizer
  Sequencer join_;
  bool joined_ = false;
  std::vector<std::unique_ptr<MidiPorts>> sequencer_;
  MidiPorts* open_ = nullptr;  // the kind of ports whose port is open
  std::bitset<16> channels_used_;
};

}  // namespace velk0::platform::posix
