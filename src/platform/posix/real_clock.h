// The clock of a real run: monotonic time, and waits that end on absolute
// deadlines. A run of waits with messages sent between them keeps its total
// length: each deadline follows on from the previous one rather than from
// the moment the wait was asked for.
#pragma once

#include <cstdint>

#include "platform/common/deadlines.h"
#include "platform/platform.h"

namespace velk0::platform::posix {

class RealClock : public Clock {
 public:
  RealClock();
  std::uint64_t now_ms() override;
  // Throws Interrupted when a signal asks the program to stop.
  void wait_ms(std::uint32_t ms) override;
  // The moment (monotonic clock, ns) the program means by now: the end of the
  // wait just over while the program acts on it, however late the system
  // woke it, or the present after a longer pause.
  std::int64_t present_ns() const;

 private:
  std::int64_t start_ns_ = 0;     // monotonic clock, ns
  std::int64_t deadline_ns_ = 0;  // the end of the last wait
  Deadlines deadlines_;
};

}  // namespace velk0::platform::posix
