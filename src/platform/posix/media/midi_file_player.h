// A MIDI file played on the embedded synthesizer by FluidSynth's own MIDI
// file player. The player moves on as the synthesizer renders: live, the
// audio output renders on its own while the program waits in a box; when the
// sound goes to a WAV file, playing renders the piece to its end at once, in
// step with the program's clock, as if the user had listened to its end
// before answering; with no output at all, nothing is rendered. When the run
// is written to a MIDI file, the piece plays on the recorder instead, ahead
// like a WAV file, and what its player sends is kept there.
//
// Each start makes a new player, given the file cut at the position to play
// from, so pausing and resuming never rely on a player being stopped and
// started again, nor on its seeking.
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/audio/synthesizer.h"
#include "platform/posix/media/media.h"
#include "platform/posix/midi/smf_recorder.h"

namespace velk0::platform::posix {

class MidiFilePlayer : public MediaDevice {
 public:
  // Reads the regular file `native_path` whole and checks its chunks: 0, or
  // the error code of a file that is not a complete MIDI file.
  static unsigned load(const std::string& native_path, std::vector<char>& bytes);

  // `synth` starts the synthesizer on first use (null when it cannot play);
  // `render_ahead` when the sound goes to a file; `recorder`, when not null,
  // takes the piece's messages in the synthesizer's place.
  MidiFilePlayer(std::vector<char> bytes, std::function<Synthesizer*()> synth, Clock& clock,
                 bool render_ahead, SmfRecorder* recorder = nullptr);
  // Stops the piece and lets every note go.
  ~MidiFilePlayer() override;
  MidiFilePlayer(const MidiFilePlayer&) = delete;
  MidiFilePlayer& operator=(const MidiFilePlayer&) = delete;

  // 0, the synthesizer, when it can play.
  unsigned port(int& port) override;
  unsigned play() override;
  unsigned pause() override;
  unsigned resume() override;
  unsigned seek_start() override;

 private:
  unsigned start();
  void stop();
  void render_to_end();
  void play_to_end(const std::function<void()>& step);

  std::vector<char> bytes_;
  std::function<Synthesizer*()> synth_;
  Clock& clock_;
  bool render_ahead_;
  SmfRecorder* recorder_;
  fluid_player_t* player_ = nullptr;
  std::uint32_t tick_ = 0;         // where the next start plays from, in the file's ticks
  std::uint32_t played_from_ = 0;  // where the present player started
};

}  // namespace velk0::platform::posix
