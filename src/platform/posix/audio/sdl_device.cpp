#include "platform/posix/audio/sdl_device.h"

#include <new>

#include "platform/posix/audio/real_time.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/synth/synth_engine.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {

bool SdlDevice::open(SoundSource& source) {
  audio_ = std::make_unique<SdlAudio>();
  source_ = &source;
  if (audio_->ready()) {
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(kSinkSampleRate);
    wanted.format = AUDIO_F32SYS;
    wanted.channels = SynthEngine::kChannels;
    wanted.samples = buffer_frames_;
    wanted.callback = &SdlDevice::fill;
    wanted.userdata = this;
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

bool SdlDevice::prioritize_renderer() {
  // Real time where granted; else as SDL asks for its own audio thread (the
  // highest nice level): on a busy machine a lesser priority lets the ready
  // sound run out.
  if (real_time(this_thread(), kRendererPriority)) {
    buffer_frames_ = kRealTimeBufferFrames;
    return true;
  }
  SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
  return false;
}

// SDL asks only for the highest nice level for its audio thread.
void SdlDevice::prioritize_callback() {
  const pid_t thread = callback_thread_.load(std::memory_order_relaxed);
  if (thread != 0) real_time(thread, kCallbackPriority);
}

void SdlDevice::fill(void* self, std::uint8_t* stream, int bytes) {
  auto& device = *static_cast<SdlDevice*>(self);
  // Its thread, once (a system call that takes nothing and waits for nothing).
  if (device.callback_thread_.load(std::memory_order_relaxed) == 0)
    device.callback_thread_.store(this_thread(), std::memory_order_relaxed);
  auto* samples = reinterpret_cast<float*>(stream);
  const std::size_t frames = static_cast<std::size_t>(bytes) / (2 * sizeof(float));
  device.source_->pull({samples, samples + 1, 2}, frames);
}

}  // namespace velk0::platform::posix
