// What a run sends to the MIDI output, kept and written into a Standard MIDI
// File instead of being played: each message at the millisecond the clock
// gave when it was sent. The file takes its name whole (through a temporary
// file) when the recorder starts, each time the device closes and once the
// run is over, so that a run cut short leaves a whole file of what was sent
// up to then.
//
// Device 0 when the run is written into a MIDI file, in the synthesizer's
// place. A MIDI file the run plays is kept as the messages its player sends,
// each at its millisecond, like the others.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/midi/midi_ports.h"
#include "platform/posix/midi/smf_writer.h"

namespace velk0::platform::posix {

class SmfRecorder final : public PiecePort {
 public:
  // Simultaneous notes reported for the file, which has no limit.
  static constexpr int kNotes = 256;

  // Writes an empty file at `path` at once; when that fails standard error
  // has said why, in one French line, and nothing is kept. Each message is
  // kept at the millisecond `clock` gives when it comes.
  SmfRecorder(std::string path, Clock& clock);
  SmfRecorder(const SmfRecorder&) = delete;
  SmfRecorder& operator=(const SmfRecorder&) = delete;

  int notes(unsigned index) override { return index == 0 && !failed_ ? kNotes : 0; }
  bool open(unsigned index) override { return index == 0 && !failed_; }
  void send(MidiMessage message) override { keep(message, clock_.now_ms()); }
  // Every note still on ends, All Notes Off goes to the channels `used`, and
  // the file is written.
  void close(const std::bitset<16>& used) override;

  // Ahead, as fast as the messages come.
  Pace pace() const override { return Pace::ahead; }
  void play(MidiMessage message, std::int64_t) override { keep(message, clock_.now_ms()); }
  void catch_up() override {}
  // The notes the piece left on end, its pedals go up.
  void end_piece(std::int64_t) override;
  std::string_view rendered_into() const override {
    return "MIDI \xE9"
           "crit";
  }
  // Writes the file, as long as the run, every note ended.
  bool complete() override { return save(clock_.now_ms()); }

 private:
  void keep(MidiMessage message, std::uint64_t ms);
  void end_notes(std::uint64_t ms);
  // Writes the file, `end_ms` long, every note ended; false when it could not
  // be written, after one French line on standard error (the first time).
  bool save(std::uint64_t end_ms);
  // The start of the line that says the file could not be written, and why.
  std::string unwritten(const Written& written) const;

  std::string path_;
  Clock& clock_;
  bool failed_ = false;
  std::vector<TimedMessage> messages_;
  std::size_t saved_count_ = SIZE_MAX;              // the file as last written: its messages
  std::uint64_t saved_end_ = 0;                     // and its length
  std::array<std::uint16_t, 16 * 128> sounding_{};  // note-ons not yet ended, per channel and key
  std::bitset<16> pedal_down_;
};

}  // namespace velk0::platform::posix
