#include "platform/posix/media/midi_file_cut.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "platform/posix/midi/smf_writer.h"

namespace velk0::platform::posix {
namespace {

constexpr std::size_t kChunkHeader = 8;  // four letters and a 32-bit length

std::uint32_t be32(const std::vector<char>& b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

void put_be32(std::vector<char>& out, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<char>(v >> (24 - 8 * i) & 0xFF);
}

// Reads a track's events one at a time; each event is handed back with its
// status byte written out, running status or not.
class TrackReader {
 public:
  TrackReader(const std::vector<char>& b, std::size_t at, std::size_t end)
      : b_(b), at_(at), end_(end) {}

  struct Event {
    std::uint32_t tick;
    unsigned status;
    std::size_t from, to;  // the bytes after the status byte
  };

  std::optional<Event> next() {
    auto delta = varlen();
    if (!delta || at_ >= end_) return std::nullopt;
    tick_ += *delta;
    unsigned status = byte(at_);
    if (status >= 0x80) {
      ++at_;
    } else if (running_ == 0) {
      return std::nullopt;  // data with no status to run on
    } else {
      status = running_;
    }
    const std::size_t from = at_;
    if (status == 0xFF) {
      if (at_++ >= end_) return std::nullopt;  // the meta event's type
    }
    std::size_t length = 0;
    if (status >= 0xF0) {
      auto n = varlen();
      if (!n) return std::nullopt;
      length = *n;
      running_ = 0;
    } else {
      length = (status & 0xE0) == 0xC0 ? 1 : 2;  // programs and channel pressure: one byte
      running_ = status;
    }
    if (length > end_ - at_) return std::nullopt;
    at_ += length;
    return Event{tick_, status, from, at_};
  }

 private:
  unsigned byte(std::size_t at) const { return static_cast<unsigned char>(b_[at]); }
  std::optional<std::uint32_t> varlen() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4 && at_ < end_; ++i) {
      const unsigned c = byte(at_++);
      v = v << 7 | (c & 0x7F);
      if ((c & 0x80) == 0) return v;
    }
    return std::nullopt;
  }

  const std::vector<char>& b_;
  std::size_t at_, end_;
  std::uint32_t tick_ = 0;
  unsigned running_ = 0;
};

bool is_note(unsigned status) { return status < 0xB0; }  // note off, note on, key pressure
bool is_track_end(const std::vector<char>& b, unsigned status, std::size_t from) {
  return status == 0xFF && static_cast<unsigned char>(b[from]) == 0x2F;
}

void cut_track(const std::vector<char>& b, std::size_t at, std::size_t end, std::uint32_t tick,
               std::vector<char>& out) {
  const std::size_t header = out.size();
  out.insert(out.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
  TrackReader reader(b, at, end);
  std::uint32_t last = tick;  // the tick of the last event written, from `tick` on
  bool ended = false;
  while (auto e = reader.next()) {
    if (e->tick <= tick && is_note(e->status)) continue;
    const std::uint32_t when = e->tick > tick ? e->tick : tick;
    // A variable-length number holds 28 bits: a longer wait is cut to that.
    put_quantity(out, std::min<std::uint32_t>(when - last, 0x0FFFFFFF));
    last = when;
    out.push_back(static_cast<char>(e->status));
    out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(e->from),
               b.begin() + static_cast<std::ptrdiff_t>(e->to));
    if ((ended = is_track_end(b, e->status, e->from))) break;
  }
  if (!ended) out.insert(out.end(), {0, '\xFF', 0x2F, 0});
  put_be32(out, header + 4, static_cast<std::uint32_t>(out.size() - header - kChunkHeader));
}

}  // namespace

std::vector<char> midi_file_from_tick(const std::vector<char>& whole, std::uint32_t tick) {
  std::vector<char> out;
  std::size_t at = 0;
  while (whole.size() - at >= kChunkHeader) {
    const std::size_t length = be32(whole, at + 4);
    if (length > whole.size() - at - kChunkHeader) break;
    const std::size_t end = at + kChunkHeader + length;
    if (at != 0 && std::equal(whole.begin() + static_cast<std::ptrdiff_t>(at),
                              whole.begin() + static_cast<std::ptrdiff_t>(at) + 4, "MTrk"))
      cut_track(whole, at + kChunkHeader, end, tick, out);
    else
      out.insert(out.end(), whole.begin() + static_cast<std::ptrdiff_t>(at),
                 whole.begin() + static_cast<std::ptrdiff_t>(end));
    at = end;
  }
  return out;
}

}  // namespace velk0::platform::posix
