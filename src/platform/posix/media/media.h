// The media devices of a POSIX system: a MIDI file plays on MIDI device 0 (the
// embedded synthesizer, or the MIDI file the run is written into) through
// FluidSynth's own MIDI file player, a wave file on the system's audio output
// through SDL. Failed steps return the error codes the
// Windows media control interface gives for the same failures, so that a
// trace reads alike on both systems.
#pragma once

#include <memory>
#include <string>

#include "platform/common/std_files.h"
#include "platform/platform.h"
#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/audio/synthesizer.h"

namespace velk0::platform::posix {

class PosixMidi;

namespace media_error {
constexpr unsigned kUnsupported = 274;   // the device has no such step
constexpr unsigned kFileNotFound = 275;  // no file of that name
constexpr unsigned kNotReady = 276;      // no device open
constexpr unsigned kInvalidFile = 296;   // not a file of the device's kind
constexpr unsigned kNoWaveOutput = 326;  // no audio output for a wave file
constexpr unsigned kNoMidiPort = 343;    // device 0 cannot play
}  // namespace media_error

// One open device; each step returns 0 or an error code.
class MediaDevice {
 public:
  virtual ~MediaDevice() = default;
  virtual unsigned port(int& port) = 0;
  virtual unsigned play() = 0;
  virtual unsigned pause() = 0;
  virtual unsigned resume() = 0;
  virtual unsigned seek_start() = 0;
};

class PosixMedia : public Media {
 public:
  // MIDI files play on `midi`'s device 0, rendered in step with `clock`
  // when its sound goes to a file; `output` also says whether wave files
  // can be heard at all, and `mix`, when given, takes their sound into the
  // file.
  PosixMedia(PosixMidi& midi, Clock& clock, AudioOutput output, PathMapper native_path,
             CueRender mix = {});
  ~PosixMedia() override;

  unsigned open(MediaType type, std::string_view system_path) override;
  unsigned port(int& port) override;
  unsigned play() override;
  unsigned pause() override;
  unsigned resume() override;
  unsigned seek_start() override;
  unsigned close() override;

 private:
  PosixMidi& midi_;
  Clock& clock_;
  AudioOutput output_;
  PathMapper native_path_;
  CueRender mix_;
  std::unique_ptr<MediaDevice> device_;
};

}  // namespace velk0::platform::posix
