// Where MIDI messages go: one kind of destination and the ports it has, as
// RtMidi has a class for each of its interfaces. The embedded synthesizer and
// the MIDI file a run is written into each have one port, device 0; the
// sequencer has a port for each output that ALSA or JACK lists. PosixMidi
// puts them one after the other and numbers them, one port open at a time.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/midi_message.h"

namespace velk0::platform::posix {

class MidiPorts {
 public:
  virtual ~MidiPorts() = default;

  // How many ports it has now.
  virtual unsigned count() = 0;
  // The name of port `index` as the system gives it, in the program's own
  // bytes ("" when there is no such port).
  virtual std::string name(unsigned index) = 0;
  // Simultaneous notes port `index` reports; 0 when it cannot play or is not
  // there.
  virtual int notes(unsigned index) = 0;
  // Opens port `index`; false when it cannot be opened.
  virtual bool open(unsigned index) = 0;
  // Sends one short message to the open port.
  virtual void send(MidiMessage message) = 0;
  // Lets every note of the open port go, then closes it. `used`: the
  // channels that had a note-on since it opened.
  virtual void close(const std::bitset<16>& used) = 0;
};

// Device 0, which the MIDI files named as arguments play on too: the embedded
// synthesizer, or the MIDI file the run is written into in its place.
class PiecePort : public MidiPorts {
 public:
  // The name of device 0, whichever it is.
  static constexpr const char* kName = "synth\xE9tiseur int\xE9gr\xE9";

  unsigned count() final { return 1; }
  std::string name(unsigned index) final { return index == 0 ? kName : ""; }
  bool playable() { return notes(0) > 0; }

  // How a piece plays on it: sent live, each message a little ahead of its
  // moment, from a thread of the player's own; rendered to its end at once,
  // in step with the clock, into the file the sound goes to; or not at all.
  enum class Pace { live, ahead, silent };
  virtual Pace pace() const = 0;
  // A message of a piece, open or not: at `when_ns` (monotonic clock) when
  // the pace is live, else at the present (kSentNow).
  virtual void play(MidiMessage message, std::int64_t when_ns) = 0;
  // Brings the output up to the clock's present, before a piece is rendered
  // ahead from there.
  virtual void catch_up() = 0;
  // A piece stops: the notes it left on end, its pedals go up, at `when_ns`
  // (live) or at the present.
  virtual void end_piece(std::int64_t when_ns) = 0;
  // The kind of file a piece rendered ahead is written into, as a line names
  // it after "le fichier": "audio", "MIDI \xE9crit" (the program's bytes).
  virtual std::string_view rendered_into() const = 0;

  // Once nothing more plays: completes the file the run is written into, if
  // any. False when that file could not be written, after one French line on
  // standard error (the first time).
  [[nodiscard]] virtual bool complete() = 0;
};

}  // namespace velk0::platform::posix
