// Reading a MIDI file's bytes: its chunks, and the events of a track one at
// a time as the file gives them, each with its status byte written out,
// running status or not, and its tick counted from the track's start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velk0::platform::posix {

constexpr std::size_t kChunkHeader = 8;  // four letters and a 32-bit length

// The big-endian number of `size` bytes at `at`.
std::uint32_t read_be(const std::vector<char>& bytes, std::size_t at, std::size_t size);
// Writes `value` over the four bytes at `at`, big-endian.
void write_be32(std::vector<char>& bytes, std::size_t at, std::uint32_t value);
// Whether the chunk at `at` is named `name` (four letters).
bool is_chunk(const std::vector<char>& bytes, std::size_t at, const char* name);

class TrackReader {
 public:
  // The events between `at` and `end` of `bytes` (the track chunk's data).
  TrackReader(const std::vector<char>& bytes, std::size_t at, std::size_t end)
      : b_(bytes), at_(at), end_(end) {}

  struct Event {
    std::uint64_t tick;
    unsigned status;
    std::size_t from, to;  // the bytes after the status byte
    std::size_t data;      // where the event's data starts, after a length or a meta type
  };

  // The next event; none once the track's bytes are over, after its End of
  // Track, or at bytes that make no whole event (see broken()).
  std::optional<Event> next();
  // Whether reading stopped at bytes that make no whole event: a quantity of
  // more than four bytes, data with no status to run on, a status of no
  // event a file can hold, an event cut short by the end of the track.
  bool broken() const { return broken_; }

 private:
  unsigned byte(std::size_t at) const { return static_cast<unsigned char>(b_[at]); }
  std::optional<std::uint32_t> quantity();
  std::optional<Event> stop();

  const std::vector<char>& b_;
  std::size_t at_, end_;
  std::uint64_t tick_ = 0;
  unsigned running_ = 0;
  bool ended_ = false;
  bool broken_ = false;
};

// Whether `event` is the End of Track meta event.
bool is_track_end(const std::vector<char>& bytes, const TrackReader::Event& event);

}  // namespace velk0::platform::posix
