// A MIDI file read through FluidSynth's own MIDI file player, a millisecond
// at a time, on a synthesizer of its own that makes no sound: the player
// hands over each short message it would play, with the millisecond it falls
// on. Whoever walks the file decides where and when the messages sound, so
// the player never runs inside an audio output's callback.
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/midi_message.h"

namespace velk0::platform::posix {

class MidiFileWalk {
 public:
  // Takes a message and the millisecond of the piece it falls on.
  using Take = std::function<void(MidiMessage, std::uint64_t)>;

  MidiFileWalk() = default;
  ~MidiFileWalk();
  MidiFileWalk(const MidiFileWalk&) = delete;
  MidiFileWalk& operator=(const MidiFileWalk&) = delete;

  // Starts over on `piece` (a whole MIDI file, copied): false when FluidSynth
  // cannot read it.
  bool start(const std::vector<char>& piece);
  // Moves on one millisecond, handing its messages to `take`; false once the
  // piece has ended (nothing more comes).
  bool step(const Take& take);
  // Milliseconds walked, and where that is in the file's ticks.
  std::uint64_t elapsed_ms() const { return elapsed_ms_; }
  std::uint32_t tick() const;
  // Whether the file holds events past the present.
  bool events_left() const;

 private:
  static int take_event(void* walk, fluid_midi_event_t* event);
  void end();

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;
  const Take* take_ = nullptr;  // while stepping
  std::uint64_t elapsed_ms_ = 0;
  int total_ticks_ = 0;  // the piece's length, once the player has read it
};

}  // namespace velk0::platform::posix
