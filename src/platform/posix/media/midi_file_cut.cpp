#include "platform/posix/media/midi_file_cut.h"

#include <algorithm>
#include <cstddef>

#include "platform/posix/media/midi_track_reader.h"
#include "platform/posix/midi/smf_writer.h"

namespace velk0::platform::posix {
namespace {

bool is_note(unsigned status) { return status < 0xB0; }  // note off, note on, key pressure

void cut_track(const std::vector<char>& b, std::size_t at, std::size_t end, std::uint32_t tick,
               std::vector<char>& out) {
  const std::size_t header = out.size();
  out.insert(out.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
  TrackReader reader(b, at, end);
  std::uint64_t last = tick;  // the tick of the last event written, from `tick` on
  bool ended = false;
  while (auto e = reader.next()) {
    if (e->tick <= tick && is_note(e->status)) continue;
    const std::uint64_t when = std::max<std::uint64_t>(e->tick, tick);
    // A variable-length number holds 28 bits: a longer wait is cut to that.
    put_quantity(out, static_cast<std::uint32_t>(std::min<std::uint64_t>(when - last, 0x0FFFFFFF)));
    last = when;
    out.push_back(static_cast<char>(e->status));
    out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(e->from),
               b.begin() + static_cast<std::ptrdiff_t>(e->to));
    if ((ended = is_track_end(b, *e))) break;
  }
  if (!ended) out.insert(out.end(), {0, '\xFF', 0x2F, 0});
  write_be32(out, header + 4, static_cast<std::uint32_t>(out.size() - header - kChunkHeader));
}

}  // namespace

std::vector<char> midi_file_from_tick(const std::vector<char>& whole, std::uint32_t tick) {
  std::vector<char> out;
  std::size_t at = 0;
  while (whole.size() - at >= kChunkHeader) {
    const std::size_t length = read_be(whole, at + 4, 4);
    if (length > whole.size() - at - kChunkHeader) break;
    const std::size_t end = at + kChunkHeader + length;
    if (at != 0 && is_chunk(whole, at, "MTrk"))
      cut_track(whole, at + kChunkHeader, end, tick, out);
    else
      out.insert(out.end(), whole.begin() + static_cast<std::ptrdiff_t>(at),
                 whole.begin() + static_cast<std::ptrdiff_t>(end));
    at = end;
  }
  return out;
}

}  // namespace velk0::platform::posix
