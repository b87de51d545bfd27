// Consecutive waits measured against absolute deadlines, so that the time
// spent sending messages between them does not lengthen a piece: a wait asked
// for soon after the previous deadline starts from that deadline; after a
// longer pause (a box, a file) it starts from now.
#pragma once

#include <cstdint>

namespace velk0::platform {

class Deadlines {
 public:
  // `catch_up`: how far behind the previous deadline still counts as soon,
  // in the unit of the times given to next().
  explicit Deadlines(std::uint64_t catch_up) : catch_up_(catch_up) {}

  // The end of a wait of `length` asked for at `now`.
  std::uint64_t next(std::uint64_t now, std::uint64_t length) {
    std::uint64_t base = has_previous_ && now <= previous_ + catch_up_ ? previous_ : now;
    previous_ = base + length;
    has_previous_ = true;
    return previous_;
  }

 private:
  std::uint64_t catch_up_;
  std::uint64_t previous_ = 0;
  bool has_previous_ = false;
};

}  // namespace velk0::platform
