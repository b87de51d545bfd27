#include "platform/posix/audio/sdl_audio.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/common/case_folding.h"
#include "platform/posix/audio/audio_sink.h"
#include "platform/posix/file_kind.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"
#include "platform/posix/quiet_stderr.h"

namespace velk0::platform::posix {
namespace {

constexpr Uint16 kWaveBufferFrames = 1024;

}  // namespace

SdlAudio::SdlAudio() {
  // The program handles its own signals, and names itself to the sound server.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "velk0");
  SDL_SetHint(SDL_HINT_APP_NAME, "velk0");
  QuietStderr quiet;
  SignalsHeld held;
  ready_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

SdlAudio::~SdlAudio() {
  if (ready_ && !interrupt_requested()) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void close_output(SDL_AudioDeviceID device) {
  if (device == 0) return;
  if (interrupt_requested())
    SDL_PauseAudioDevice(device, 1);
  else
    SDL_CloseAudioDevice(device);
}

bool sdl_lacked_memory() {
  const std::string error = lower_ascii(SDL_GetError());
  for (std::string_view said :
       {"out of memory", "create audio thread", "resources to create thread"})
    if (error.find(said) != std::string::npos) return true;
  return false;
}

SDL_AudioDeviceID open_wave_output(const SdlAudio& audio, SDL_AudioSpec& format) {
  if (!audio.ready()) return 0;
  format.samples = kWaveBufferFrames;
  format.callback = nullptr;
  QuietStderr quiet;
  SignalsHeld held;
  // Nothing obtained: SDL converts the file's format to the output's.
  return SDL_OpenAudioDevice(nullptr, 0, &format, nullptr, 0);
}

std::vector<float> to_stereo(const SDL_AudioSpec& format, const Uint8* samples, Uint32 length,
                             int rate) {
  std::vector<float> stereo;
  SDL_AudioCVT cvt{};
  if (SDL_BuildAudioCVT(&cvt, format.format, format.channels, format.freq, AUDIO_F32SYS, 2, rate) >=
          0 &&
      length <= static_cast<Uint32>(INT_MAX / std::max(cvt.len_mult, 1))) {
    std::vector<Uint8> buffer(static_cast<std::size_t>(length) * std::max(cvt.len_mult, 1));
    std::copy_n(samples, length, buffer.begin());
    cvt.buf = buffer.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) == 0) {
      stereo.resize(static_cast<std::size_t>(cvt.len_cvt) / sizeof(float));
      std::memcpy(stereo.data(), buffer.data(), stereo.size() * sizeof(float));
    }
  }
  return stereo;
}

std::vector<float> load_stereo(const std::string& path, int rate) {
  SDL_AudioSpec format{};
  Uint8* samples = nullptr;
  Uint32 length = 0;
  // Only a regular file: a FIFO would never let the load return.
  if (file_kind(path) != FileKind::regular ||
      !SDL_LoadWAV(path.c_str(), &format, &samples, &length))
    return {};
  std::vector<float> stereo = to_stereo(format, samples, length, rate);
  SDL_FreeWAV(samples);
  return stereo;
}

CueFile SdlSoundCues::play(std::string_view system_path) {
  if (silent_) return {};
  std::string path = native_path_(system_path);
  if (render_) {
    std::vector<float> samples = load_stereo(path, static_cast<int>(kSinkSampleRate));
    if (!samples.empty()) render_(std::move(samples));
    throw_if_interrupted();  // a live output cut the cue short
    return {};
  }
  SDL_AudioSpec format{};
  Uint8* samples = nullptr;
  Uint32 length = 0;
  // Only a regular file: a FIFO would never let the load return.
  if (file_kind(path) != FileKind::regular ||
      !SDL_LoadWAV(path.c_str(), &format, &samples, &length)) {
    if (bell_) bell_();
    return {};
  }

  SdlAudio audio;
  const SDL_AudioDeviceID device = open_wave_output(audio, format);
  bool interrupted = false;
  if (device != 0) {
    if (SDL_QueueAudio(device, samples, length) == 0) {
      SDL_PauseAudioDevice(device, 0);
      while (SDL_GetQueuedAudioSize(device) > 0 && !(interrupted = interrupt_requested()))
        sleep_ms(10);
      // The last buffer has left the queue but is still being played.
      if (!interrupted && format.freq > 0) sleep_ms(1000L * format.samples / format.freq + 30);
    }
    close_output(device);
  }
  SDL_FreeWAV(samples);
  if (interrupted) throw Interrupted{};
  return {};
}

}  // namespace velk0::platform::posix
