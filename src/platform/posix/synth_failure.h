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
  wav_unwritable,        // the WAV file cannot be created
};

// The line, in French (UTF-8) and with its newline; empty for `none`.
std::string failure_line(SynthFailure failure, std::string_view soundfont,
                         std::string_view wav_path);

// The line that says the WAV file could not be written, and why (UTF-8):
// `kept_part` when it holds the sound up to the failure, else it was not made.
std::string write_failure_line(std::string_view wav_path, std::string_view cause, bool kept_part);

}  // namespace velk0::platform::posix
