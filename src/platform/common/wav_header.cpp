#include "platform/common/wav_header.h"

#include <algorithm>
#include <limits>

namespace velk0::platform {
namespace {

void put_le(unsigned char* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::array<unsigned char, kWavHeaderBytes> wav_header(unsigned sample_rate, unsigned channels,
                                                      std::uint64_t data_bytes) {
  const auto data = static_cast<std::uint32_t>(std::min<std::uint64_t>(
      data_bytes, std::numeric_limits<std::uint32_t>::max() - kWavHeaderBytes));
  std::array<unsigned char, kWavHeaderBytes> header{};
  unsigned char* at = header.data();
  std::copy_n("RIFF", 4, at);
  put_le(at + 4, data + kWavHeaderBytes - 8, 4);
  std::copy_n("WAVEfmt ", 8, at + 8);
  put_le(at + 16, 16, 4);  // size of the format chunk
  put_le(at + 20, 1, 2);   // PCM
  put_le(at + 22, channels, 2);
  put_le(at + 24, sample_rate, 4);
  put_le(at + 28, sample_rate * channels * kWavBytesPerSample, 4);  // bytes a second
  put_le(at + 32, channels * kWavBytesPerSample, 2);                // bytes a frame
  put_le(at + 34, kWavBytesPerSample * 8, 2);                       // bits a sample
  std::copy_n("data", 4, at + 36);
  put_le(at + 40, data, 4);
  return header;
}

}  // namespace velk0::platform
