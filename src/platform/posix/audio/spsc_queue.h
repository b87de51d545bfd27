// A fixed-size queue between one thread that pushes and one that pops, which
// neither locks nor allocates: the audio callback never waits on it. Items go
// one at a time (events) or by runs (samples).
#pragma once

#include <algorithm>
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

  // Pushes as many of `count` items as there is room for; returns how many.
  std::size_t push_run(const T* items, std::size_t count) {
    std::size_t tail = tail_.load(std::memory_order_relaxed);
    const std::size_t head = head_.load(std::memory_order_acquire);
    count = std::min(count, (head + kSlots - tail - 1) % kSlots);
    for (std::size_t i = 0; i < count; ++i) items_[(tail + i) % kSlots] = items[i];
    tail_.store((tail + count) % kSlots, std::memory_order_release);
    return count;
  }

  // Pops up to `count` items into `out`; returns how many.
  std::size_t pop_run(T* out, std::size_t count) {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t tail = tail_.load(std::memory_order_acquire);
    count = std::min(count, (tail + kSlots - head) % kSlots);
    for (std::size_t i = 0; i < count; ++i) out[i] = items_[(head + i) % kSlots];
    head_.store((head + count) % kSlots, std::memory_order_release);
    return count;
  }

  // Items in the queue (from either thread: at least this many, or at most).
  std::size_t size() const {
    return (tail_.load(std::memory_order_acquire) + kSlots -
            head_.load(std::memory_order_acquire)) %
           kSlots;
  }

 private:
  static constexpr std::size_t kSlots = Capacity + 1;
  std::array<T, kSlots> items_{};
  std::atomic<std::size_t> head_{0};
  std::atomic<std::size_t> tail_{0};
};

}  // namespace velk0::platform::posix
