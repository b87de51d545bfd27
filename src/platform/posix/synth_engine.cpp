#include "platform/posix/synth_engine.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/posix/soundfont_file.h"

namespace velk0::platform::posix {
namespace {

constexpr int kMidiChannels = 16;
constexpr int kDrumChannel = SynthEngine::kDrumChannel;
constexpr int kDrumBank = 128;
// Each MIDI channel has a silent twin past the sixteenth, on which a program
// is chosen ahead of time to have its samples read (see preload).
constexpr int kSynthChannels = 2 * kMidiChannels;
// FluidSynth's default gain is 0.2, at which a melody at full velocity
// peaks near -27 dBFS with TimGM6mb and -22 dBFS with FluidR3_GM; 17 dB more
// brings them to -10.5 and -5 dBFS. Thicker chords are left to the limiter.
constexpr double kGain = 1.4;
// Fresh memory costs a page fault for each 4 KiB page first touched, and
// reading a SoundFont touches thousands: its records are many small blocks,
// its samples a few large ones. This much of the heap that the reading thread
// is about to fill is asked for in 2 MiB pages instead; a system without them
// simply keeps the small ones.
constexpr std::size_t kSoundFontHeapBytes = 48u << 20;
constexpr std::size_t kHugePageBytes = 2u << 20;

void ask_huge_pages_for_heap() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
  // Large blocks stay in the heap, and what is freed is kept for reuse:
  // otherwise each would be a mapping of its own, given back at once.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kSoundFontHeapBytes + kHugePageBytes));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kSoundFontHeapBytes));
  void* block = std::malloc(kSoundFontHeapBytes);
  if (!block) return;
  auto start = reinterpret_cast<std::uintptr_t>(block);
  std::uintptr_t first = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  std::uintptr_t end = (start + kSoundFontHeapBytes) & ~(kHugePageBytes - 1);
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
  std::free(block);
#endif
}

void silence_library_log() {
  static bool done = false;
  if (done) return;
  done = true;
  for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
    fluid_set_log_function(level, nullptr, nullptr);
}

}  // namespace

SynthEngine::~SynthEngine() {
  if (synth_) delete_fluid_synth(synth_);
  if (settings_) delete_fluid_settings(settings_);
}

bool SynthEngine::create(unsigned sample_rate, const std::string& soundfont) {
  silence_library_log();
  ask_huge_pages_for_heap();
  settings_ = new_fluid_settings();
  if (!settings_) return false;
  fluid_settings_setnum(settings_, "synth.sample-rate", static_cast<double>(sample_rate));
  fluid_settings_setnum(settings_, "synth.gain", kGain);
  fluid_settings_setint(settings_, "synth.midi-channels", kSynthChannels);
  // Samples are read a program at a time, as programs are chosen: the piano
  // alone, for most pieces, and FluidR3_GM (148 MB) stays small in memory.
  fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
  // Locking the samples in memory made the start 15 ms longer here, and under
  // the usual limit of 8 MiB of locked memory most of a SoundFont's samples
  // stay unlocked anyway.
  fluid_settings_setint(settings_, "synth.lock-memory", 0);
  synth_ = new_fluid_synth(settings_);
  if (!synth_) return false;
  // Tried before the loaders the synthesizer has of its own, which still
  // read what this one cannot.
  if (fluid_sfloader_t* loader = new_soundfont_loader(settings_))
    fluid_synth_add_sfloader(synth_, loader);
  if (fluid_synth_sfload(synth_, soundfont.c_str(), 0) == FLUID_FAILED) return false;
  reset();
  return true;
}

// Programs and controllers as a freshly opened device has them, every voice
// cut. The drum channel is left without its kit until its first note (see
// SynthEngine::kDrumChannel): the kit is as large as the piano, and most
// pieces never use it.
void SynthEngine::reset() {
  constexpr int kResetControllers = 121;
  fluid_synth_all_sounds_off(synth_, -1);
  for (int channel = 0; channel < kMidiChannels; ++channel) {
    fluid_synth_cc(synth_, channel, kResetControllers, 0);
    if (channel == kDrumChannel) {
      fluid_synth_unset_program(synth_, channel);
    } else {
      fluid_synth_bank_select(synth_, channel, 0);
      fluid_synth_program_change(synth_, channel, 0);
    }
  }
}

int SynthEngine::polyphony() { return fluid_synth_get_polyphony(synth_); }

int SynthEngine::active_voices() { return fluid_synth_get_active_voice_count(synth_); }

void SynthEngine::apply(const SynthEvent& event) {
  if (event.kind == SynthEvent::Kind::all_notes_off) {
    fluid_synth_all_notes_off(synth_, -1);
    return;
  }
  if (event.kind == SynthEvent::Kind::reset) {
    reset();
    return;
  }
  int status = static_cast<int>(event.word & 0xFF);
  int data1 = static_cast<int>((event.word >> 8) & 0x7F);
  int data2 = static_cast<int>((event.word >> 16) & 0x7F);
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

// Samples are read when a program is chosen on a channel and kept while any
// channel holds it: choosing it first on the channel's silent twin reads them
// now, and the real change finds them in memory. The program's messages never
// select banks: the twin of the drum channel takes the drum bank, the others
// the first.
void SynthEngine::preload_program(int channel, int program) {
  int twin = channel + kMidiChannels;
  fluid_synth_bank_select(synth_, twin, channel == kDrumChannel ? kDrumBank : 0);
  fluid_synth_program_change(synth_, twin, program);
}

bool SynthEngine::reads_samples(const SynthEvent& event) {
  return event.kind == SynthEvent::Kind::reset ||
         (event.kind == SynthEvent::Kind::message && (event.word & 0xF0) == 0xC0);
}

void SynthEngine::preload(const SynthEvent& event) {
  if (!reads_samples(event)) return;
  if (event.kind == SynthEvent::Kind::reset) {
    for (int channel = 0; channel < kMidiChannels; ++channel)
      if (channel != kDrumChannel) preload_program(channel, 0);
  } else {
    preload_program(static_cast<int>(event.word & 0x0F),
                    static_cast<int>((event.word >> 8) & 0x7F));
  }
}

float SynthEngine::peak(const float* samples, std::size_t frames) {
  float peak = 0.0f;
  for (std::size_t i = 0; i < frames * kChannels; ++i) peak = std::max(peak, std::fabs(samples[i]));
  return peak;
}

void SynthEngine::render(float* samples, std::size_t frames) {
  // FluidSynth counts frames in an int: long stretches go in pieces.
  constexpr std::size_t kMostFrames = 1 << 20;
  while (frames > 0) {
    int n = static_cast<int>(std::min(frames, kMostFrames));
    if (fluid_synth_write_float(synth_, n, samples, 0, kChannels, samples, 1, kChannels) !=
        FLUID_OK)
      std::fill_n(samples, static_cast<std::size_t>(n) * kChannels, 0.0f);
    samples += static_cast<std::size_t>(n) * kChannels;
    frames -= static_cast<std::size_t>(n);
  }
}

}  // namespace velk0::platform::posix
