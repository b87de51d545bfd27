#include "platform/posix/synth/synth_engine.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <new>
#include <optional>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/console.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/synth/soundfont_file.h"

namespace velk0::platform::posix {
namespace {

constexpr int kMidiChannels = 16;
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

// FluidSynth says so in its log when an allocation fails.
std::atomic<bool> g_memory_ran_out{false};

extern "C" void note_memory_failure(int, const char* message, void*) {
  if (message && std::strstr(message, "memory")) g_memory_ran_out.store(true);
}

// While samples or records are read (counted, for the threads that read),
// a fault with no memory left prints this line and ends the program; any
// other fault goes to the handler that was there before.
std::atomic<int> g_reading{0};
std::array<char, 512> g_out_of_memory_line{};
std::size_t g_out_of_memory_size = 0;
// A fault, or glib's end when an allocation fails: an abort, or a trap (a
// SoundFont that FluidSynth's own readers fail on goes on to libinstpatch's,
// which allocates through glib).
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGABRT, SIGTRAP};
std::array<struct sigaction, std::size(kFaultSignals)> g_previous{};

extern "C" void on_fault(int signal) {
  if (g_reading.load() > 0 && !memory_left()) {
    ssize_t ignored =
        write(QuietStderr::real_stderr(), g_out_of_memory_line.data(), g_out_of_memory_size);
    (void)ignored;
    _exit(kCannotGoOnStatus);
  }
  // The faulting instruction runs again (abort raises again), under the
  // previous handler; a trap instruction does not, so it is raised anew.
  for (std::size_t i = 0; i < std::size(kFaultSignals); ++i)
    if (kFaultSignals[i] == signal) sigaction(signal, &g_previous[i], nullptr);
  if (signal == SIGTRAP) raise(SIGTRAP);
}

void watch_faults(const std::string& soundfont) {
  const std::string line =
      error_line_bytes(failure_line(SynthFailure::out_of_memory, soundfont, ""));
  g_out_of_memory_size = std::min(line.size(), g_out_of_memory_line.size());
  std::copy_n(line.begin(), g_out_of_memory_size, g_out_of_memory_line.begin());
  static std::once_flag installed;
  std::call_once(installed, [] {
    struct sigaction action {};
    action.sa_handler = on_fault;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;  // a fault may be a stack worn out by a library's recursion
    for (std::size_t i = 0; i < std::size(kFaultSignals); ++i)
      sigaction(kFaultSignals[i], &action, &g_previous[i]);
  });
}

// The stack the fault handler runs on, for the thread that reads (kept for
// the thread's life).
constexpr std::size_t kFaultStackBytes = 64u << 10;

void give_thread_a_fault_stack() {
  stack_t current{};
  if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
  void* memory =
      mmap(nullptr, kFaultStackBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return;
  stack_t stack{};
  stack.ss_sp = memory;
  stack.ss_size = kFaultStackBytes;
  if (sigaltstack(&stack, nullptr) != 0) munmap(memory, kFaultStackBytes);
}

class Reading {
 public:
  Reading() {
    give_thread_a_fault_stack();
    g_reading.fetch_add(1);
  }
  ~Reading() { g_reading.fetch_sub(1); }
  Reading(const Reading&) = delete;
  Reading& operator=(const Reading&) = delete;
};

SynthFailure failed_load() {
  return g_memory_ran_out.load() || !memory_left() ? SynthFailure::out_of_memory
                                                   : SynthFailure::soundfont_unreadable;
}

}  // namespace

void silence_fluidsynth_log() {
  static std::once_flag done;
  std::call_once(done, [] {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
      fluid_set_log_function(level, nullptr, nullptr);
    // An allocation that fails is still noted.
    fluid_set_log_function(FLUID_PANIC, note_memory_failure, nullptr);
    fluid_set_log_function(FLUID_ERR, note_memory_failure, nullptr);
  });
}

SynthEngine::~SynthEngine() {
  if (synth_) delete_fluid_synth(synth_);
  if (settings_) delete_fluid_settings(settings_);
}

SynthFailure SynthEngine::create(unsigned sample_rate, const std::string& soundfont) {
  try {
    silence_fluidsynth_log();
    watch_faults(soundfont);
    g_memory_ran_out.store(false);
    Reading reading;
    ask_huge_pages_for_heap();
    settings_ = new_fluid_settings();
    if (!settings_) return failed_load();
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
    if (!synth_) return failed_load();
    // Tried before the loaders the synthesizer has of its own, which still
    // read what this one cannot.
    if (fluid_sfloader_t* loader = new_soundfont_loader(settings_))
      fluid_synth_add_sfloader(synth_, loader);
    if (fluid_synth_sfload(synth_, soundfont.c_str(), 0) == FLUID_FAILED) return failed_load();
    start_programs();
    return SynthFailure::none;
  } catch (const std::bad_alloc&) {
    return SynthFailure::out_of_memory;
  }
}

// Programs and controllers as a General MIDI instrument starts with them. The
// drum channel is left without its kit until its first note (see
// SynthEngine::kDrumChannel): the kit is as large as the piano, and most
// pieces never use it.
void SynthEngine::start_programs() {
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
  // Choosing a program may read its samples.
  std::optional<Reading> reading;
  if (reads_samples(event)) reading.emplace();
  if (event.kind == SynthEvent::Kind::all_notes_off) {
    fluid_synth_all_notes_off(synth_, -1);
    return;
  }
  const MidiMessage message = event.message.seven_bit();
  const int channel = static_cast<int>(message.channel());
  const int data1 = message.data1, data2 = message.data2;
  if (message.is_note_off()) {
    fluid_synth_noteoff(synth_, channel, data1);
    return;
  }
  switch (message.kind()) {
    case MidiKind::note_on:
      fluid_synth_noteon(synth_, channel, data1, data2);
      break;
    case MidiKind::key_pressure:
      fluid_synth_key_pressure(synth_, channel, data1, data2);
      break;
    case MidiKind::control_change:
      fluid_synth_cc(synth_, channel, data1, data2);
      break;
    case MidiKind::program_change:
      fluid_synth_program_change(synth_, channel, data1);
      break;
    case MidiKind::channel_pressure:
      fluid_synth_channel_pressure(synth_, channel, data1);
      break;
    case MidiKind::pitch_bend:
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
  return event.kind == SynthEvent::Kind::message &&
         event.message.kind() == MidiKind::program_change;
}

void SynthEngine::preload(const SynthEvent& event) {
  if (!reads_samples(event)) return;
  Reading reading;
  const MidiMessage change = event.message.seven_bit();
  preload_program(static_cast<int>(change.channel()), change.data1);
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
