#include "platform/posix/wave_device.h"

#include "platform/posix/interrupt.h"
#include "platform/posix/quiet_stderr.h"

namespace velk0::platform::posix {
namespace {

constexpr Uint16 kBufferFrames = 1024;

}  // namespace

unsigned WaveDevice::open(const std::string& native_path, bool silent,
                          std::unique_ptr<MediaDevice>& device) {
  std::unique_ptr<WaveDevice> wave(new WaveDevice);
  SDL_AudioSpec format{};
  if (!SDL_LoadWAV(native_path.c_str(), &format, &wave->samples_, &wave->length_))
    return media_error::kInvalidFile;
  if (!silent) {
    wave->audio_ = std::make_unique<SdlAudio>();
    if (!wave->audio_->ready()) return media_error::kNoWaveOutput;
    format.samples = kBufferFrames;
    format.callback = nullptr;
    QuietStderr quiet;
    SignalsHeld held;
    // Nothing obtained: SDL converts the file's format to the output's.
    wave->output_ = SDL_OpenAudioDevice(nullptr, 0, &format, nullptr, 0);
    if (wave->output_ == 0) return media_error::kNoWaveOutput;
  }
  device = std::move(wave);
  return 0;
}

WaveDevice::~WaveDevice() {
  if (output_ != 0) SDL_CloseAudioDevice(output_);
  if (samples_) SDL_FreeWAV(samples_);
}

unsigned WaveDevice::port(int&) { return media_error::kUnsupported; }

unsigned WaveDevice::play() {
  if (output_ == 0) return 0;
  if (!queued_) {
    if (SDL_QueueAudio(output_, samples_, length_) != 0) return media_error::kNoWaveOutput;
    queued_ = true;
  }
  SDL_PauseAudioDevice(output_, 0);
  return 0;
}

unsigned WaveDevice::pause() {
  if (output_ != 0) SDL_PauseAudioDevice(output_, 1);
  return 0;
}

unsigned WaveDevice::resume() {
  if (output_ != 0 && queued_) SDL_PauseAudioDevice(output_, 0);
  return 0;
}

unsigned WaveDevice::seek_start() {
  if (output_ != 0) {
    SDL_PauseAudioDevice(output_, 1);
    SDL_ClearQueuedAudio(output_);
  }
  queued_ = false;
  return 0;
}

}  // namespace velk0::platform::posix
