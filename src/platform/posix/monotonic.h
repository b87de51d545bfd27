// The monotonic clock and plain short sleeps, for the backends' own polling
// and time stamps (the program's waits go through RealClock).
#pragma once

#include <time.h>

#include <cstdint>

namespace velk0::platform::posix {

inline std::int64_t monotonic_ns() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

inline void sleep_ms(long ms) {
  timespec t{ms / 1000, (ms % 1000) * 1'000'000L};
  nanosleep(&t, nullptr);
}

}  // namespace velk0::platform::posix
