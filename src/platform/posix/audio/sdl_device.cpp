#include "platform/posix/audio/sdl_device.h"

#include <new>

#include "platform/posix/interrupt.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/synth/synth_engine.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {

bool SdlDevice::open(SoundSource& source) {
  audio_ = std::make_unique<SdlAudio>();
  if (audio_->ready()) {
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(kSinkSampleRate);
    wanted.format = AUDIO_F32SYS;
    wanted.channels = SynthEngine::kChannels;
    wanted.samples = kBufferFrames;
    wanted.callback = &SdlDevice::fill;
    wanted.userdata = &source;
    QuietStderr quiet;
    SignalsHeld held;
    // Nothing obtained: SDL converts to whatever the device plays, and the
    // callback always gets 44.1 kHz stereo floats, as many as it asked for.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  }
  if (device_ != 0) return true;
  // A run under a memory limit says so, not that no sound server answers.
  if (sdl_lacked_memory() || !memory_left()) throw std::bad_alloc{};
  return false;
}

void SdlDevice::prioritize_renderer() {
  // As SDL asks for its own audio thread, which rendered before: on a busy
  // machine a lesser priority lets the ready sound run out.
  SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
}

void SdlDevice::fill(void* source, std::uint8_t* stream, int bytes) {
  auto* samples = reinterpret_cast<float*>(stream);
  const std::size_t frames = static_cast<std::size_t>(bytes) / (2 * sizeof(float));
  static_cast<SoundSource*>(source)->pull({samples, samples + 1, 2}, frames);
}

}  // namespace velk0::platform::posix
