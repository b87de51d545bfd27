// A 16-bit PCM WAV file written as it grows. The RIFF sizes are brought up to
// date by `finish()` (and on destruction), so the file is complete each time
// the device closes, even if the program is later stopped.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace velk0::platform::posix {

class WavWriter {
 public:
  ~WavWriter();
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Creates (or empties) the file; false when it cannot be written.
  bool open(const std::string& path, unsigned sample_rate, unsigned channels);
  // Appends `frames` frames of interleaved samples.
  void append(const std::int16_t* samples, std::size_t frames);
  void append_silence(std::uint64_t frames);
  // Writes the sizes into the header and flushes.
  void finish();
  std::uint64_t frames() const { return frames_; }

 private:
  void write_header();
  std::FILE* file_ = nullptr;
  unsigned sample_rate_ = 0;
  unsigned channels_ = 0;
  std::uint64_t frames_ = 0;
};

}  // namespace velk0::platform::posix
