// A MIDI file played on device 0 (the embedded synthesizer, or the MIDI file
// the run is written into). FluidSynth's own MIDI file player reads it, a
// millisecond at a time, away from the sound (see MidiFileWalk), and its
// messages go to the port each at its moment, at the port's pace: live, a
// thread of its own sends them a little ahead of their time while the
// program waits in a box; into a file, playing renders the piece to its end
// at once, in step with the program's clock, as if the user had listened to
// its end before answering; with no output at all, nothing plays. A signal
// stops such a render where it is (it throws Interrupted), and the file
// keeps what came.
//
// Each start walks the file anew, cut at the position to play from, so
// pausing and resuming never rely on a player being stopped and started
// again, nor on its seeking.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/media/media.h"
#include "platform/posix/media/midi_file_walk.h"
#include "platform/posix/midi/midi_ports.h"

namespace velk0::platform::posix {

class MidiFilePlayer : public MediaDevice {
 public:
  // Reads the regular file `native_path` whole into `bytes`, as the file
  // FluidSynth's player is given (see playable_midi_file.h): 0, or the error
  // code of a file that is not a complete MIDI file or of which nothing can
  // be read. When only part of it can be read, a line on standard error
  // says so, and the rest plays.
  static unsigned load(const std::string& native_path, std::vector<char>& bytes);

  // The piece plays on `port`, rendered ahead in step with `clock`.
  MidiFilePlayer(std::vector<char> bytes, PiecePort& port, Clock& clock);
  // Stops the piece and lets every note go.
  ~MidiFilePlayer() override;
  MidiFilePlayer(const MidiFilePlayer&) = delete;
  MidiFilePlayer& operator=(const MidiFilePlayer&) = delete;

  // 0, device 0, when it can play.
  unsigned port(int& port) override;
  unsigned play() override;
  unsigned pause() override;
  unsigned resume() override;
  unsigned seek_start() override;

 private:
  unsigned start();
  void stop();
  // Live: sends the messages from the feeding thread, each at its moment,
  // until the piece ends or stop() asks.
  void feed();
  // The moment (monotonic clock, ns) of the piece's millisecond `ms`, live.
  std::int64_t moment_ns(std::uint64_t ms) const;
  // Into a file: plays the piece to its end, in step with the clock.
  void render_to_end();

  std::vector<char> bytes_;
  PiecePort& port_;
  Clock& clock_;
  MidiFileWalk walk_;
  bool playing_ = false;           // started, not stopped since
  std::uint32_t tick_ = 0;         // where the next start plays from, in the file's ticks
  std::uint32_t played_from_ = 0;  // where the present walk started
  std::int64_t start_ns_ = 0;      // live: when the present walk started
  std::thread feeder_;
  std::mutex feeding_;
  std::condition_variable stop_asked_;
  bool stopping_ = false;  // under feeding_
};

}  // namespace velk0::platform::posix
