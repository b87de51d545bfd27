// A wave file played on the system's audio output through SDL: it sounds on
// its own once playing, and pauses and resumes where it stood. When the
// program's sound goes to a WAV file, playing mixes the whole file into it,
// as if the user had listened to its end before answering; when it goes
// nowhere, the file is still checked but nothing sounds.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/posix/audio/sdl_audio.h"
#include "platform/posix/media/media.h"

namespace velk0::platform::posix {

class WaveDevice : public MediaDevice {
 public:
  // Loads the regular file `native_path` and opens an output for it: 0, or
  // the error code of a file that is not a wave file or of a machine without
  // audio output. With `silent` no output opens; `render`, when given, then
  // takes the file's sound (see CueRender).
  static unsigned open(const std::string& native_path, bool silent,
                       std::unique_ptr<MediaDevice>& device, CueRender render = {});
  ~WaveDevice() override;
  WaveDevice(const WaveDevice&) = delete;
  WaveDevice& operator=(const WaveDevice&) = delete;

  unsigned port(int& port) override;  // a wave device has none
  unsigned play() override;
  unsigned pause() override;
  unsigned resume() override;
  unsigned seek_start() override;

 private:
  WaveDevice() = default;
  CueRender render_;
  SDL_AudioSpec format_{};  // of the samples, as loaded
  std::unique_ptr<SdlAudio> audio_;
  Uint8* samples_ = nullptr;
  Uint32 length_ = 0;
  SDL_AudioDeviceID output_ = 0;  // 0 when silent
  bool queued_ = false;
};

}  // namespace velk0::platform::posix
