#include "platform/posix/real_clock.h"

#include <cerrno>

#include "platform/posix/interrupt.h"

namespace velk0::platform::posix {
namespace {

constexpr std::int64_t kNsPerMs = 1000000;
constexpr std::int64_t kNsPerSecond = 1000000000;
// A deadline passed by more than this is stale: the program did something
// else in between (a box, a file), and the next wait starts from now.
constexpr std::int64_t kCatchUpNs = 50 * kNsPerMs;

std::int64_t to_ns(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * kNsPerSecond + t.tv_nsec;
}

timespec from_ns(std::int64_t ns) {
  timespec t{};
  t.tv_sec = static_cast<time_t>(ns / kNsPerSecond);
  t.tv_nsec = static_cast<long>(ns % kNsPerSecond);
  return t;
}

timespec monotonic_now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t;
}

}  // namespace

RealClock::RealClock() : start_(monotonic_now()), deadlines_(kCatchUpNs) {}

std::uint64_t RealClock::now_ms() {
  std::int64_t elapsed = to_ns(monotonic_now()) - to_ns(start_);
  return elapsed > 0 ? static_cast<std::uint64_t>(elapsed / kNsPerMs) : 0;
}

void RealClock::wait_ms(std::uint32_t ms) {
  throw_if_interrupted();
  std::int64_t now = to_ns(monotonic_now());
  deadline_ = from_ns(static_cast<std::int64_t>(
      deadlines_.next(static_cast<std::uint64_t>(now), static_cast<std::uint64_t>(ms) * kNsPerMs)));
  for (;;) {
    int result = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline_, nullptr);
    if (result == 0) break;
    if (result != EINTR) break;
    throw_if_interrupted();
  }
}

std::int64_t RealClock::present_ns() const {
  std::int64_t now = to_ns(monotonic_now());
  std::int64_t deadline = to_ns(deadline_);
  return now >= deadline && now - deadline <= kCatchUpNs ? deadline : now;
}

}  // namespace velk0::platform::posix
