#include "platform/posix/real_clock.h"

#include <time.h>

#include <cerrno>

#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"

namespace velk0::platform::posix {
namespace {

constexpr std::int64_t kNsPerMs = 1000000;
constexpr std::int64_t kNsPerSecond = 1000000000;
// A deadline passed by more than this is stale: the program did something
// else in between (a box, a file), and the next wait starts from now.
constexpr std::int64_t kCatchUpNs = 50 * kNsPerMs;

timespec from_ns(std::int64_t ns) {
  timespec t{};
  t.tv_sec = static_cast<time_t>(ns / kNsPerSecond);
  t.tv_nsec = static_cast<long>(ns % kNsPerSecond);
  return t;
}

}  // namespace

RealClock::RealClock() : start_ns_(monotonic_ns()), deadlines_(kCatchUpNs) {}

std::uint64_t RealClock::now_ms() {
  std::int64_t elapsed = monotonic_ns() - start_ns_;
  return elapsed > 0 ? static_cast<std::uint64_t>(elapsed / kNsPerMs) : 0;
}

void RealClock::wait_ms(std::uint32_t ms) {
  throw_if_interrupted();
  std::int64_t now = monotonic_ns();
  deadline_ns_ = static_cast<std::int64_t>(
      deadlines_.next(static_cast<std::uint64_t>(now), static_cast<std::uint64_t>(ms) * kNsPerMs));
  const timespec deadline = from_ns(deadline_ns_);
  for (;;) {
    int result = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
    if (result == 0) break;
    if (result != EINTR) break;
    throw_if_interrupted();
  }
}

std::int64_t RealClock::present_ns() const {
  std::int64_t now = monotonic_ns();
  return now >= deadline_ns_ && now - deadline_ns_ <= kCatchUpNs ? deadline_ns_ : now;
}

}  // namespace velk0::platform::posix
