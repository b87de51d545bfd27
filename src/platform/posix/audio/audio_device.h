// The device under the live output: it pulls sound from a callback on a
// thread of its own, a period at a time, at a rate of its own. The system's
// audio output through SDL (sdl_device.h) and a JACK server (jack_device.h)
// are the two; the live output renders for either the same way.
#pragma once

#include <cstddef>
#include <string_view>

namespace velk0::platform::posix {

// Where a callback puts stereo frames: interleaved (`step` 2, `right` one
// sample after `left`) or one buffer a channel (`step` 1).
struct StereoOut {
  float* left;
  float* right;
  std::size_t step;
};

// What a device pulls its sound from.
class SoundSource {
 public:
  // From the device's callback: fills `frames` frames of `out`. Waits for no
  // lock, takes no memory and reads no file.
  virtual void pull(StereoOut out, std::size_t frames) = 0;

 protected:
  ~SoundSource() = default;
};

class AudioDevice {
 public:
  // The callback has stopped running once the device is gone (after a signal
  // asked the program to stop, it only never runs again: a sound server that
  // no longer answers is not waited for).
  virtual ~AudioDevice() = default;

  // Frames a second, known before the device opens.
  virtual unsigned rate() const = 0;
  // Frames the callback pulls at a time (at most; a JACK server may change
  // it while it runs), known once the device is open.
  virtual unsigned period() const = 0;
  // Opens the output, silent, to pull from `source`; false when none opens.
  // Throws std::bad_alloc when memory ran out on the way.
  virtual bool open(SoundSource& source) = 0;
  // The callback starts pulling.
  virtual void start() = 0;
  // Whether the callback renders the sound itself, in its server's pace,
  // with nothing kept ready ahead of it; otherwise a thread of the output's
  // own keeps the sound ready (known before the device opens).
  virtual bool renders_in_callback() const { return false; }
  // Gives the calling thread, which keeps the sound ready, the priority the
  // callback's thread needs, where the system grants it (asked before the
  // device opens, which may then take a shorter period); whether the thread
  // now runs in real time.
  virtual bool prioritize_renderer() { return false; }
  // Once the callback has run: gives its thread a real-time priority where
  // the system grants it and the device's own library asked for none.
  virtual void prioritize_callback() {}
  // Empty while the output plays; once it stopped for good (its server
  // went away, or changed its rate), the French line that says so, and the
  // callback pulls no more.
  virtual std::string_view lost() const { return {}; }
};

}  // namespace velk0::platform::posix
