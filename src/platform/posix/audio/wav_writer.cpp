#include "platform/posix/audio/wav_writer.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/common/file_writes.h"
#include "platform/common/wav_header.h"

namespace velk0::platform::posix {
namespace {

void put_u16(unsigned char* at, std::uint16_t value) {
  at[0] = static_cast<unsigned char>(value & 0xFF);
  at[1] = static_cast<unsigned char>(value >> 8);
}

}  // namespace

// A file the run left open (torn down on the way out) is closed as whole as
// it can be, with no one left to tell.
WavWriter::~WavWriter() { static_cast<void>(close()); }

bool WavWriter::open(const std::string& path, unsigned sample_rate, unsigned channels) {
  static_cast<void>(close());  // the sink opens one file only
  // Through a symbolic link, the file it points to is written.
  const WriteTarget target = write_target(path);
  if (!target.failure.empty()) return false;
  path_ = target.path;
  temporary_ = temporary_beside(path_);
  file_ = std::fopen(temporary_.c_str(), "wbxe");  // a new file, closed on exec
  if (!file_) return false;
  sample_rate_ = sample_rate;
  channels_ = channels;
  frames_ = 0;
  error_.clear();
  placed_ = false;
  whole_bytes_ = 0;
  write_header();
  check(std::fflush(file_) == 0);
  return !error_;
}

void WavWriter::check(bool written) {
  if (!written && !error_) error_ = last_system_error();
}

void WavWriter::write_header() {
  const auto header = wav_header(sample_rate_, channels_, frames_ * channels_ * kWavBytesPerSample);
  check(std::fwrite(header.data(), 1, header.size(), file_) == header.size());
}

void WavWriter::append(const std::int16_t* samples, std::size_t frames) {
  if (!file_ || error_ || frames == 0) return;
  std::size_t count = frames * channels_;
  std::vector<unsigned char> bytes(count * kWavBytesPerSample);
  for (std::size_t i = 0; i < count; ++i)
    put_u16(&bytes[i * kWavBytesPerSample], static_cast<std::uint16_t>(samples[i]));
  check(std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size());
  frames_ += frames;
}

void WavWriter::append_silence(std::uint64_t frames) {
  if (!file_ || error_) return;
  constexpr std::size_t kChunkFrames = 4096;
  std::vector<std::int16_t> zeros(kChunkFrames * channels_, 0);
  while (frames > 0) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(frames, kChunkFrames));
    append(zeros.data(), n);
    frames -= n;
  }
}

void WavWriter::cut_to(std::uint64_t frames) {
  if (!file_ || error_ || frames >= frames_) return;
  check(std::fflush(file_) == 0);
  const std::uint64_t bytes = kWavHeaderBytes + frames * channels_ * kWavBytesPerSample;
  check(!error_ && ftruncate(fileno(file_), static_cast<off_t>(bytes)) == 0 &&
        std::fseek(file_, 0, SEEK_END) == 0);
  if (!error_) frames_ = frames;
}

void WavWriter::finish() {
  if (!file_ || error_) return;
  check(std::fflush(file_) == 0);
  long end = std::ftell(file_);
  check(end >= 0 && std::fseek(file_, 0, SEEK_SET) == 0);
  if (error_) return;
  write_header();
  check(std::fseek(file_, end, SEEK_SET) == 0 && std::fflush(file_) == 0);
  if (!error_ && !placed_) {
    error_ = rename_onto(temporary_, path_);
    placed_ = !error_;
  }
  if (!error_) whole_bytes_ = end;
}

Written WavWriter::close() {
  if (!file_) return {};
  finish();
  // What came after the last whole state goes.
  if (error_ && placed_) {
    const bool cut = ftruncate(fileno(file_), whole_bytes_) == 0;
    static_cast<void>(cut);  // if not, the sizes in the header still hold
  }
  check(std::fclose(file_) == 0);
  file_ = nullptr;
  if (!error_) return {};
  std::error_code ignored;
  if (!placed_) std::filesystem::remove(temporary_, ignored);
  return {write_failure_cause(error_)};
}

}  // namespace velk0::platform::posix
