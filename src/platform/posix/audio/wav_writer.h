// A 16-bit PCM WAV file written as it grows. It starts as a temporary file
// beside its name and takes that name at the first `finish()` (each time the
// device closes), which brings the RIFF sizes up to date: the file of that
// name is then a whole WAV file each time the device closes, even if the
// program is later stopped. A write that fails leaves the file as the last
// `finish()` left it (or as it was before, when none came), never cut short.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/platform.h"

namespace velk0::platform::posix {

class WavWriter {
 public:
  ~WavWriter();
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Starts the file; false when it cannot be written (a folder that is not
  // there, a name that is a folder or a device...).
  bool open(const std::string& path, unsigned sample_rate, unsigned channels);
  // Appends `frames` frames of interleaved samples. After a failed write
  // nothing more is written.
  void append(const std::int16_t* samples, std::size_t frames);
  void append_silence(std::uint64_t frames);
  // Drops every frame past the first `frames` (none when it holds no more).
  void cut_to(std::uint64_t frames);
  std::uint64_t frames() const { return frames_; }
  // Writes the sizes into the header and flushes.
  void finish();
  // Completes the file (done when no file was open).
  Written close();
  // Whether the file has taken its name: after a failure, it then holds the
  // sound up to the last `finish()` before it.
  bool placed() const { return placed_; }

 private:
  void write_header();
  void check(bool written);
  std::FILE* file_ = nullptr;
  std::filesystem::path path_, temporary_;
  std::error_code error_;  // the first failed write
  bool placed_ = false;    // renamed from the temporary file
  long whole_bytes_ = 0;   // the file's size at the last finish()
  unsigned sample_rate_ = 0;
  unsigned channels_ = 0;
  std::uint64_t frames_ = 0;
};

}  // namespace velk0::platform::posix
