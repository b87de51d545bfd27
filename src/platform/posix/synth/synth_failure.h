// Why the embedded synthesizer cannot play, told in one plain line on
// standard error beside the program's own message: what failed, and what to
// do about it.
#pragma once

#include <string>
#include <string_view>

namespace velk0::platform::posix {

enum class SynthFailure {
  none,
  soundfont_missing,     // no file at the SoundFont's path
  soundfont_unreadable,  // a file that cannot be read, or is no SoundFont
  no_audio_output,       // no sound server (or device) answers
  no_jack_server,        // JACK was asked for, and no JACK server runs
  rate_unplayable,       // the JACK server runs at a rate FluidSynth cannot render at
  wav_unwritable,        // the WAV file cannot be created
  out_of_memory,         // memory ran out while the SoundFont was read
};

// Thrown once the out-of-memory line has been printed: the program cannot go
// on, and ends with kCannotGoOnStatus (as it does when memory runs out, or
// the sound server never answers, while the synthesizer starts).
struct OutOfMemory {};
constexpr int kCannotGoOnStatus = 1;

// Whether memory can still be had (a few megabytes more): when a failure
// comes with none left, memory ran out.
bool memory_left();

// The line, in French (the program's bytes); empty for `none`.
std::string failure_line(SynthFailure failure, std::string_view soundfont,
                         std::string_view wav_path);

// The line that says the WAV file could not be written, and why (`cause`,
// the program's bytes): `kept_part` when it holds the sound up to the
// failure, else it was not made.
std::string write_failure_line(std::string_view wav_path, std::string_view cause, bool kept_part);

}  // namespace velk0::platform::posix
