#include "platform/posix/media/wave_device.h"

#include "platform/posix/audio/audio_sink.h"

namespace velk0::platform::posix {

unsigned WaveDevice::open(const std::string& native_path, bool silent,
                          std::unique_ptr<MediaDevice>& device, CueRender render) {
  std::unique_ptr<WaveDevice> wave(new WaveDevice);
  wave->render_ = std::move(render);
  if (!SDL_LoadWAV(native_path.c_str(), &wave->format_, &wave->samples_, &wave->length_))
    return media_error::kInvalidFile;
  if (!silent) {
    SDL_AudioSpec format = wave->format_;
    wave->audio_ = std::make_unique<SdlAudio>();
    wave->output_ = open_wave_output(*wave->audio_, format);
    if (wave->output_ == 0) return media_error::kNoWaveOutput;
  }
  device = std::move(wave);
  return 0;
}

WaveDevice::~WaveDevice() {
  close_output(output_);
  if (samples_) SDL_FreeWAV(samples_);
}

unsigned WaveDevice::port(int&) { return media_error::kUnsupported; }

unsigned WaveDevice::play() {
  if (output_ == 0) {
    if (render_ && !queued_)
      render_(to_stereo(format_, samples_, length_, static_cast<int>(kSinkSampleRate)));
    queued_ = true;
    return 0;
  }
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
