// Device 0 as the embedded synthesizer: started on first use and kept for the
// whole run, the MIDI files' pieces playing on it too. Opening it starts a new
// piece; closing it lets every note go and brings the sound up to the present.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/posix/audio/synthesizer.h"
#include "platform/posix/midi/midi_ports.h"

namespace velk0::platform::posix {

class SynthesizerPort final : public PiecePort {
 public:
  // `real_clock`: `clock` itself when it is the real one (see Synthesizer).
  SynthesizerPort(SynthConfig config, Clock& clock, const RealClock* real_clock);

  int notes(unsigned index) override;
  bool open(unsigned index) override;
  void send(MidiMessage message) override;
  void close(const std::bitset<16>& used) override;

  // Live to the system's output, ahead into a WAV file, not at all with none.
  Pace pace() const override;
  void play(MidiMessage message, std::int64_t when_ns) override;
  void catch_up() override;
  void end_piece(std::int64_t when_ns) override;
  std::string_view rendered_into() const override { return "audio"; }
  // Completes the WAV file the sound goes to.
  bool complete() override;

  // The synthesizer, started on first use; null when it cannot play, and
  // then standard error has said why, once. Throws OutOfMemory when memory
  // ran out while the SoundFont was read.
  Synthesizer* synthesizer();

 private:
  SynthConfig config_;
  Clock& clock_;
  const RealClock* real_clock_;
  bool tried_ = false;
  std::unique_ptr<Synthesizer> synth_;
  bool file_failed_ = false;  // the WAV file was not written
};

}  // namespace velk0::platform::posix
