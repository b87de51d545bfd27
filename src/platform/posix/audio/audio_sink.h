// Where the embedded synthesizer's sound goes: a live device, the system's
// audio output or a JACK server (LiveOutput), a WAV file (FileSink), or
// nowhere. The synthesizer picks one
// when it starts and from then on only hands it what to play.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/synth/synth_engine.h"

namespace velk0::platform::posix {

// The rate of the WAV file and of the system's audio output (SDL converts it
// to the device's), at which sound cues are handed over; a JACK server plays
// at its own.
inline constexpr unsigned kSinkSampleRate = 44100;
// An event's time when it has none of its own: the moment it is played.
inline constexpr std::int64_t kSentNow = INT64_MIN;

class AudioSink {
 public:
  virtual ~AudioSink() = default;

  // Plays `event` at the present moment; to the speakers, at `when_ns`
  // (monotonic clock) unless that is kSentNow.
  virtual void play(const SynthEvent& event, std::int64_t when_ns) = 0;
  // Brings what was heard up to the present (a file: rendered, and whole on
  // disk).
  virtual void catch_up() {}
  // Nothing more plays: the sound is put in its place.
  virtual Written close() { return {}; }
  // After close() failed: whether the sound up to an earlier moment was kept.
  virtual bool kept_part() const { return false; }
  // A new piece starts: the output may take its pace anew.
  virtual void rebase() {}
  // A sound cue (interleaved stereo at the sink's rate) mixed with the music
  // from the present on, at its own level; returns once it has sounded. A
  // file and a JACK server take it; through SDL, cues have an output of
  // their own.
  virtual void mix_cue(std::vector<float> /*samples*/) {}
};

// Nowhere: nothing is synthesized.
class NoSink final : public AudioSink {
 public:
  void play(const SynthEvent&, std::int64_t) override {}
};

}  // namespace velk0::platform::posix
