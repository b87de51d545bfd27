// The system's audio output (PipeWire, PulseAudio or ALSA, whichever answers)
// under the live output, through SDL: 44.1 kHz stereo floats, pulled a device
// buffer at a time (SDL converts them to whatever the device plays), 256
// frames where the rendering runs in real time, 1,024 where it does not.
#pragma once

#include <SDL.h>

#include <atomic>
#include <memory>

#include "platform/posix/audio/audio_device.h"
#include "platform/posix/audio/audio_sink.h"
#include "platform/posix/audio/sdl_audio.h"

namespace velk0::platform::posix {

class SdlDevice final : public AudioDevice {
 public:
  SdlDevice() = default;
  ~SdlDevice() override { close_output(device_); }
  SdlDevice(const SdlDevice&) = delete;
  SdlDevice& operator=(const SdlDevice&) = delete;

  unsigned rate() const override { return kSinkSampleRate; }
  unsigned period() const override { return buffer_frames_; }
  // Opens the default output device, paused. Prints nothing.
  bool open(SoundSource& source) override;
  void start() override { SDL_PauseAudioDevice(device_, 0); }
  bool prioritize_renderer() override;
  void prioritize_callback() override;

 private:
  // Frames the device pulls at a time: the sound follows an event about this
  // long after it was sent, plus what is kept ready and the sound server's
  // own buffer. A rendering thread that a busy machine may hold back needs
  // the longer buffer; one that runs in real time keeps up with the shorter
  // (the device's callback then runs in real time too).
  static constexpr Uint16 kBufferFrames = 1024;
  static constexpr Uint16 kRealTimeBufferFrames = 256;

  static void fill(void* self, std::uint8_t* stream, int bytes);

  std::unique_ptr<SdlAudio> audio_;
  SDL_AudioDeviceID device_ = 0;
  SoundSource* source_ = nullptr;
  Uint16 buffer_frames_ = kBufferFrames;
  std::atomic<pid_t> callback_thread_{0};  // once the callback has run
};

}  // namespace velk0::platform::posix
