#include "platform/posix/synthesizer.h"

#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <iostream>

#include "platform/posix/interrupt.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/sdl_audio.h"
#include "platform/text_encoding.h"

namespace velk0::platform::posix {
namespace {

constexpr int kChannels = 2;
// Small enough that a note sent now is heard about 10 ms later.
constexpr Uint16 kDeviceBufferFrames = 512;
constexpr std::size_t kRenderFrames = 1024;
// Once no voice has sounded for this long the reverb has died away too, and
// silence can be written without asking the synthesizer for it.
constexpr std::uint64_t kTailMs = 3000;
// On the way out, the last notes' release is let ring for at most this long.
constexpr int kLastReleaseMs = 300;

void silence_library_log() {
  static bool done = false;
  if (done) return;
  done = true;
  for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
    fluid_set_log_function(level, nullptr, nullptr);
}

std::int16_t to_pcm(float sample) {
  float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
  return static_cast<std::int16_t>(std::lround(scaled));
}

}  // namespace

std::unique_ptr<Synthesizer> Synthesizer::start(const SynthConfig& config, Clock& clock) {
  silence_library_log();
  if (config.soundfont.empty() || access(config.soundfont.c_str(), R_OK) != 0) return nullptr;
  std::unique_ptr<Synthesizer> synth(new Synthesizer(clock, config.output));

  switch (config.output) {
    case AudioOutput::system: {
      synth->audio_ = std::make_unique<SdlAudio>();
      if (!synth->audio_->ready()) return nullptr;
      SDL_AudioSpec want{}, have{};
      want.freq = static_cast<int>(kFileSampleRate);
      want.format = AUDIO_F32SYS;
      want.channels = kChannels;
      want.samples = kDeviceBufferFrames;
      want.callback = &Synthesizer::fill;
      want.userdata = synth.get();
      {
        QuietStderr quiet;
        SignalsHeld held;
        synth->device_ =
            SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
      }
      if (synth->device_ == 0) return nullptr;
      // The device starts paused: nothing is pulled before the synthesizer exists.
      if (!synth->create(static_cast<unsigned>(have.freq), config.soundfont)) return nullptr;
      SDL_PauseAudioDevice(synth->device_, 0);
      break;
    }
    case AudioOutput::file:
      if (!synth->wav_.open(config.wav_path, kFileSampleRate, kChannels)) {
        std::cerr << "velk0 : impossible d'écrire le fichier audio " << config.wav_path << '\n';
        return nullptr;
      }
      [[fallthrough]];
    case AudioOutput::none:
      if (!synth->create(kFileSampleRate, config.soundfont)) return nullptr;
      synth->rendered_ = synth->frames_at(clock.now_ms());
      synth->quiet_ = synth->frames_at(kTailMs);
      synth->block_.resize(kRenderFrames * kChannels);
      synth->pcm_.resize(kRenderFrames * kChannels);
      synth->in_step_ = true;
      break;
  }
  return synth;
}

bool Synthesizer::create(unsigned sample_rate, const std::string& soundfont) {
  // The SoundFont readers complain on standard error about a file they
  // cannot read; the program's own message says the synthesizer cannot play.
  QuietStderr quiet;
  sample_rate_ = sample_rate;
  settings_ = new_fluid_settings();
  if (!settings_) return false;
  fluid_settings_setnum(settings_, "synth.sample-rate", static_cast<double>(sample_rate));
  synth_ = new_fluid_synth(settings_);
  if (!synth_) return false;
  return fluid_synth_sfload(synth_, soundfont.c_str(), 1) != FLUID_FAILED;
}

Synthesizer::~Synthesizer() {
  if (device_ != 0) {
    // Let the last notes' release ring briefly rather than cut it off.
    for (int waited = 0; synth_ && waited < kLastReleaseMs; waited += 10) {
      if (fluid_synth_get_active_voice_count(synth_) == 0) break;
      timespec t{0, 10 * 1000000L};
      nanosleep(&t, nullptr);
    }
    SDL_CloseAudioDevice(device_);  // the callback has stopped once this returns
  } else {
    catch_up();
  }
  if (synth_) delete_fluid_synth(synth_);
  if (settings_) delete_fluid_settings(settings_);
}

int Synthesizer::polyphony() { return fluid_synth_get_polyphony(synth_); }

void Synthesizer::fill(void* self, std::uint8_t* stream, int bytes) {
  auto* synth = static_cast<Synthesizer*>(self);
  int frames = bytes / static_cast<int>(kChannels * sizeof(float));
  float* out = reinterpret_cast<float*>(stream);
  if (fluid_synth_write_float(synth->synth_, frames, out, 0, kChannels, out, 1, kChannels) !=
      FLUID_OK)
    std::fill_n(stream, bytes, 0);
}

std::uint64_t Synthesizer::frames_at(std::uint64_t ms) const { return ms * sample_rate_ / 1000; }

void Synthesizer::render_to(std::uint64_t frame) {
  while (rendered_ < frame) {
    std::uint64_t left = frame - rendered_;
    if (fluid_synth_get_active_voice_count(synth_) > 0) {
      quiet_ = 0;
    } else if (quiet_ >= frames_at(kTailMs) && !keep_rendering_) {
      if (output_ == AudioOutput::file) wav_.append_silence(left);
      rendered_ = frame;
      return;
    }
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kRenderFrames));
    float* out = block_.data();
    fluid_synth_write_float(synth_, static_cast<int>(n), out, 0, kChannels, out, 1, kChannels);
    if (output_ == AudioOutput::file) {
      for (std::size_t i = 0; i < n * kChannels; ++i) pcm_[i] = to_pcm(block_[i]);
      wav_.append(pcm_.data(), n);
    }
    rendered_ += n;
    quiet_ += n;
  }
}

void Synthesizer::catch_up() {
  if (!in_step_) return;
  render_to(frames_at(clock_.now_ms()));
  if (output_ == AudioOutput::file) wav_.finish();
}

void Synthesizer::send(std::uint32_t word) {
  if (in_step_) render_to(frames_at(clock_.now_ms()));
  int status = static_cast<int>(word & 0xFF);
  int data1 = static_cast<int>((word >> 8) & 0x7F);
  int data2 = static_cast<int>((word >> 16) & 0x7F);
  int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(synth_, channel, data1);
      break;
    case 0x90:
      if (data2 == 0)
        fluid_synth_noteoff(synth_, channel, data1);
      else
        fluid_synth_noteon(synth_, channel, data1, data2);
      break;
    case 0xA0:
      fluid_synth_key_pressure(synth_, channel, data1, data2);
      break;
    case 0xB0:
      fluid_synth_cc(synth_, channel, data1, data2);
      break;
    case 0xC0:
      fluid_synth_program_change(synth_, channel, data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(synth_, channel, data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7));
      break;
    default:
      break;  // system messages: the synthesizer has no use for them
  }
}

void Synthesizer::release_all() {
  if (in_step_) render_to(frames_at(clock_.now_ms()));
  fluid_synth_all_notes_off(synth_, -1);
}

void Synthesizer::hold_output(bool held) {
  if (device_ == 0) return;
  if (held)
    SDL_LockAudioDevice(device_);
  else
    SDL_UnlockAudioDevice(device_);
}

void Synthesizer::reset_programs() {
  if (in_step_) render_to(frames_at(clock_.now_ms()));
  fluid_synth_system_reset(synth_);
}

}  // namespace velk0::platform::posix
