#include "platform/win32/performance_clock.h"

#include <windows.h>

#include <algorithm>

namespace velk0::platform::win32 {
namespace {

constexpr std::uint64_t kMicrosecondsPerSecond = 1000000;
// A deadline passed by more than this is stale: the program did something
// else in between (a box, a file), and the next wait starts from now.
constexpr std::uint64_t kCatchUpUs = 50000;

}  // namespace

PerformanceClock::PerformanceClock() : deadlines_(kCatchUpUs) {
  LARGE_INTEGER value;
  if (QueryPerformanceFrequency(&value) && value.QuadPart > 0) frequency_ = value.QuadPart;
  QueryPerformanceCounter(&value);
  start_ = value.QuadPart;
}

std::uint64_t PerformanceClock::now_us() {
  LARGE_INTEGER value;
  QueryPerformanceCounter(&value);
  std::int64_t ticks = value.QuadPart - start_;
  if (ticks <= 0) return 0;
  auto t = static_cast<std::uint64_t>(ticks);
  auto f = static_cast<std::uint64_t>(frequency_);
  // Split so that the product cannot overflow however long the program runs.
  return t / f * kMicrosecondsPerSecond + t % f * kMicrosecondsPerSecond / f;
}

std::uint64_t PerformanceClock::now_ms() { return now_us() / 1000; }

void PerformanceClock::wait_ms(std::uint32_t ms) {
  const std::uint64_t deadline = deadlines_.next(now_us(), static_cast<std::uint64_t>(ms) * 1000);
  for (;;) {
    std::uint64_t now = now_us();
    if (now >= deadline) break;
    // At most a second at a time: a length near 2^32 ms must never reach
    // Sleep as INFINITE.
    std::uint64_t remaining_ms = std::min<std::uint64_t>((deadline - now + 999) / 1000, 1000);
    Sleep(static_cast<DWORD>(remaining_ms));
  }
}

}  // namespace velk0::platform::win32
