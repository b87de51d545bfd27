// A fixed-size queue between one thread that pushes and one that pops, which
// neither locks nor allocates: the audio callback never waits on it.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace velk0::platform::posix {

template <class T, std::size_t Capacity>
class SpscQueue {
 public:
  // False when the queue is full.
  bool push(const T& item) {
    std::size_t tail = tail_.load(std::memory_order_relaxed);
    std::size_t next = (tail + 1) % kSlots;
    if (next == head_.load(std::memory_order_acquire)) return false;
    items_[tail] = item;
    tail_.store(next, std::memory_order_release);
    return true;
  }

  // False when the queue is empty.
  bool pop(T& item) {
    std::size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    item = items_[head];
    head_.store((head + 1) % kSlots, std::memory_order_release);
    return true;
  }

 private:
  static constexpr std::size_t kSlots = Capacity + 1;
  std::array<T, kSlots> items_{};
  std::atomic<std::size_t> head_{0};
  std::atomic<std::size_t> tail_{0};
};

}  // namespace velk0::platform::posix
