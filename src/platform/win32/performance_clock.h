// Monotonic time from the performance counter. Waits run against absolute
// deadlines: a wait that follows the previous one closely starts where that
// one was due to end, so the time spent sending messages does not add up.
#pragma once

#include <cstdint>

#include "platform/common/deadlines.h"
#include "platform/platform.h"

namespace velk0::platform::win32 {

class PerformanceClock : public Clock {
 public:
  PerformanceClock();
  std::uint64_t now_ms() override;
  void wait_ms(std::uint32_t ms) override;
  // Microseconds since the clock was made.
  std::uint64_t now_us();

 private:
  std::int64_t frequency_ = 1;
  std::int64_t start_ = 0;
  Deadlines deadlines_;
};

}  // namespace velk0::platform::win32
