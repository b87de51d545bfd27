#pragma once

#include "platform/platform.h"

namespace velk0::platform {

// A clock that only moves when the program waits: waits return at once.
class VirtualClock : public Clock {
 public:
  std::uint64_t now_ms() override { return now_; }
  void wait_ms(std::uint32_t ms) override { now_ += ms; }

 private:
  std::uint64_t now_ = 0;
};

}  // namespace velk0::platform
