// The 44-byte header of a 16-bit PCM WAV file: the one layout both the sound
// cues and the synthesizer's WAV files are written with.
#pragma once

#include <array>
#include <cstdint>

namespace velk0::platform {

inline constexpr std::uint32_t kWavHeaderBytes = 44;
inline constexpr unsigned kWavBytesPerSample = 2;

// The header of a file holding `data_bytes` bytes of samples. Past 4 GiB the
// sizes no longer fit: the largest the format allows is written instead.
std::array<unsigned char, kWavHeaderBytes> wav_header(unsigned sample_rate, unsigned channels,
                                                      std::uint64_t data_bytes);

}  // namespace velk0::platform
