// The MIDI output devices of a POSIX system: device 0 is the embedded
// synthesizer, devices 1 and up the sequencer's output ports (ALSA, JACK).
// When the run is written to a MIDI file, device 0 is that file's recorder.
#pragma once

#include <bitset>
#include <memory>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/audio/synthesizer.h"
#include "platform/posix/midi/smf_recorder.h"

class RtMidiOut;

namespace velk0::platform::posix {

class JackOutput;

class PosixMidi : public MidiDevices {
 public:
  // Simultaneous notes reported for a sequencer port, which does not say.
  static constexpr int kPortNotes = 16;

  // `real_clock`: `clock` itself when it is the real one (see Synthesizer).
  // `midi_file`: the MIDI file device 0 writes, in the synthesizer's place.
  PosixMidi(SynthConfig config, Clock& clock, const RealClock* real_clock = nullptr,
            const std::string& midi_file = {});
  ~PosixMidi() override;

  // The name of device 0, the embedded synthesizer.
  static constexpr const char* kSynthesizerName = "synth\xE9tiseur int\xE9gr\xE9";

  unsigned count() override;
  int notes(unsigned index) override;
  // A port's name as the sequencer gives it, in the program's own bytes.
  std::string name(unsigned index) override;
  bool open(unsigned index) override;
  // Does nothing while no device is open.
  void send(MidiMessage message) override;
  void close() override;

  // The embedded synthesizer, started on first use and kept for the whole
  // run (MIDI files play on it too); null when it cannot play, and then
  // standard error has said why, once. Throws OutOfMemory when memory ran
  // out while the SoundFont was read.
  Synthesizer* synthesizer() { return synth(); }
  // Device 0 when the run is written to a MIDI file, else null.
  SmfRecorder* recorder() { return recorder_.get(); }

  // Once nothing more plays: completes the WAV or MIDI file the sound goes
  // to. False when that file could not be written, after one French line on standard
  // error (for a file that could not even be made, the line came when the
  // synthesizer started).
  bool complete_output();

 private:
  Synthesizer* synth();
  // Looks, once, for the sequencer's output ports.
  void find_ports();
  unsigned port_count();
  // Sends one message to the open port.
  void send_to_port(const std::vector<unsigned char>& bytes);

  SynthConfig config_;
  Clock& clock_;
  const RealClock* real_clock_;
  bool synth_tried_ = false;
  std::unique_ptr<Synthesizer> synth_;
  std::unique_ptr<SmfRecorder> recorder_;
  bool output_failed_ = false;  // the WAV file was not written
  bool ports_tried_ = false;
  // The sequencer's output ports, from ALSA (through RtMidi) or from JACK;
  // both null on a machine without a sequencer.
  std::unique_ptr<RtMidiOut> alsa_;
  std::unique_ptr<JackOutput> jack_;
  std::optional<unsigned> open_;
  std::bitset<16> channels_used_;
};

}  // namespace velk0::platform::posix
