// A keyboard played from a script (VELK0_MIDI_IN=PATH), so that a program
// that listens can be run through the trace: on the virtual clock its waits
// take no time, on the real one they last as the script says.
//
// The script is UTF-8 text, one item a line; blank lines and what follows a
// '#' are skipped:
//   input NAME          an input of that name (the first is input 0, ...)
//   MS S D [D]          a message of two or three bytes (decimal), MS
//                       milliseconds after the input was opened
//   MS unplug           the port goes away; MS replug: it comes back
//   MS key q            q typed in the terminal (MS key escape: Escape)
// Every input plays the same script. Times go forward only: a time smaller
// than the one before is taken as that one. Once the script is over, nothing
// more comes, and a wait with no time limit ends as q does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velk0::platform {

class ScriptedMidiInputs : public MidiInputs {
 public:
  // Reads the script; a file that cannot be read, or a line that means
  // nothing, is one French line on standard error (the lines that can be
  // read still play).
  ScriptedMidiInputs(const std::string& path, Clock& clock);

  unsigned count() override { return static_cast<unsigned>(names_.size()); }
  std::string name(unsigned index) override;
  bool open(unsigned index, MidiSink& sink) override;
  Awoken wait(std::optional<std::uint64_t> until_ms) override;
  void close() override { sink_ = nullptr; }

 private:
  enum class Kind { message, unplug, replug, quit };
  struct Event {
    std::uint64_t ms = 0;
    Kind kind = Kind::message;
    MidiMessage message;
  };
  // Reads one line of the script; false when it means nothing.
  bool read_line(std::string_view line);
  // Lets the clock reach `ms` (no earlier than it is).
  void wait_until(std::uint64_t ms);

  Clock& clock_;
  std::vector<std::string> names_;
  std::vector<Event> events_;
  MidiSink* sink_ = nullptr;
  std::uint64_t opened_at_ = 0;
  std::size_t next_ = 0;
};

}  // namespace velk0::platform
