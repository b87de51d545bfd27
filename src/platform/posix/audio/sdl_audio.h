// The system's audio output through SDL (PipeWire, PulseAudio or ALSA,
// whichever starts), and the sound cues played on it.
#pragma once

#include <SDL.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/common/std_files.h"
#include "platform/platform.h"

namespace velk0::platform::posix {

// Holds SDL's audio subsystem while it lives. Starting it prints nothing,
// whatever the sound libraries think of a machine without sound. Once a
// signal has asked the program to stop, it is left running (see close_output).
class SdlAudio {
 public:
  SdlAudio();
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;
  bool ready() const { return ready_; }

 private:
  bool ready_ = false;
};

// Closes an output opened here. Once a signal has asked the program to stop
// it is only paused (its callback then never runs again): the sound server
// may not answer any more, and closing would wait for it.
void close_output(SDL_AudioDeviceID device);

// Whether SDL's last failure on this thread was memory or a thread it could
// not start (its stack is memory too), rather than no output to be had.
bool sdl_lacked_memory();

// Opens the system's audio output for sound in `format`, as SDL_LoadWAV gave
// it (SDL converts it to the output's own): queued rather than pulled by a
// callback, in buffers of a fixed size, both set on `format`. 0 when `audio`
// did not start or no output opens.
SDL_AudioDeviceID open_wave_output(const SdlAudio& audio, SDL_AudioSpec& format);

// Sound as SDL_LoadWAV gave it (`format`, `length` bytes), as interleaved
// stereo floats at `rate`, converted as SDL converts it for an output of that
// format; empty when SDL cannot convert it.
std::vector<float> to_stereo(const SDL_AudioSpec& format, const Uint8* samples, Uint32 length,
                             int rate);
// The regular WAV file at `path`, the same way; empty when it cannot be read
// as a WAV file.
std::vector<float> load_stereo(const std::string& path, int rate);

// Where cues go when the synthesizer's sound goes to a file or a JACK server:
// the samples as load_stereo gives them at kSinkSampleRate; returns once the
// cue has sounded (or after a signal).
using CueRender = std::function<void(std::vector<float>)>;

// Plays a WAV file to its end before returning; a missing file rings `bell`
// instead, and a machine without audio output plays nothing. When the
// synthesizer's sound goes elsewhere, so do the cues: into `render` when it
// is given (a file, a JACK server), nowhere when `silent`.
class SdlSoundCues : public SoundCues {
 public:
  SdlSoundCues(PathMapper native_path, bool silent, std::function<void()> bell = {},
               CueRender render = {})
      : native_path_(std::move(native_path)),
        silent_(silent),
        bell_(std::move(bell)),
        render_(std::move(render)) {}
  // Throws Interrupted (after stopping the sound) when a signal asks the
  // program to stop.
  CueFile play(std::string_view system_path) override;

 private:
  PathMapper native_path_;
  bool silent_;
  std::function<void()> bell_;
  CueRender render_;
};

}  // namespace velk0::platform::posix
