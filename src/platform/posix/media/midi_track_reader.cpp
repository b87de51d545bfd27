#include "platform/posix/media/midi_track_reader.h"

#include <cstring>

namespace velk0::platform::posix {
namespace {

constexpr unsigned kSysex = 0xF0, kEscape = 0xF7, kMeta = 0xFF;
constexpr unsigned kTrackEnd = 0x2F;

// Data bytes after the status of a channel message: programs and channel
// pressure take one, the others two.
std::size_t channel_data(unsigned status) { return (status & 0xE0) == 0xC0 ? 1 : 2; }

}  // namespace

std::uint32_t read_be(const std::vector<char>& bytes, std::size_t at, std::size_t size) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < size; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

void write_be32(std::vector<char>& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

bool is_chunk(const std::vector<char>& bytes, std::size_t at, const char* name) {
  return std::memcmp(bytes.data() + at, name, 4) == 0;
}

std::optional<TrackReader::Event> TrackReader::next() {
  if (ended_ || broken_ || at_ >= end_) return std::nullopt;
  const std::optional<std::uint32_t> delta = quantity();
  if (!delta || at_ >= end_) return stop();
  tick_ += *delta;
  unsigned status = byte(at_);
  if (status >= 0x80) {
    ++at_;
  } else if (running_ == 0) {
    return stop();  // data with no status to run on
  } else {
    status = running_;
  }
  const std::size_t from = at_;
  std::size_t length = 0;
  if (status < kSysex) {
    length = channel_data(status);
    running_ = status;
  } else if (status == kSysex || status == kEscape || status == kMeta) {
    if (status == kMeta && at_++ >= end_) return stop();  // the meta event's type
    const std::optional<std::uint32_t> n = quantity();
    if (!n) return stop();
    length = *n;
    running_ = 0;
  } else {
    return stop();  // a system message, which has no place in a file
  }
  if (length > end_ - at_) return stop();
  const std::size_t data = status < kSysex ? from : at_;
  at_ += length;
  const Event event{tick_, status, from, at_, data};
  ended_ = is_track_end(b_, event);
  return event;
}

bool is_track_end(const std::vector<char>& bytes, const TrackReader::Event& event) {
  return event.status == kMeta && static_cast<unsigned char>(bytes[event.from]) == kTrackEnd;
}

std::optional<std::uint32_t> TrackReader::quantity() {
  std::uint32_t v = 0;
  for (int i = 0; i < 4 && at_ < end_; ++i) {
    const unsigned c = byte(at_++);
    v = v << 7 | (c & 0x7F);
    if ((c & 0x80) == 0) return v;
  }
  return std::nullopt;
}

std::optional<TrackReader::Event> TrackReader::stop() {
  broken_ = true;
  return std::nullopt;
}

}  // namespace velk0::platform::posix
