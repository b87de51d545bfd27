#include "platform/posix/midi/smf_writer.h"

#include <algorithm>
#include <limits>

namespace velk0::platform::posix {
namespace {

constexpr unsigned kTicksPerQuarter = 1000;
constexpr std::uint32_t kMicrosecondsPerQuarter = 1'000'000;
// The longest delta-time four bytes of variable-length quantity can hold; a
// longer silence goes in steps carried by empty text events.
constexpr std::uint64_t kLongestDelta = 0x0FFF'FFFF;

void put_be(std::string& out, std::uint64_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void put_delta(std::string& track, std::uint64_t delta) {
  for (; delta > kLongestDelta; delta -= kLongestDelta) {
    put_quantity(track, static_cast<std::uint32_t>(kLongestDelta));
    track.append("\xFF\x01\x00", 3);
  }
  put_quantity(track, static_cast<std::uint32_t>(delta));
}

std::string track_events(const std::vector<TimedMessage>& messages, std::uint64_t end_ms,
                         std::string_view name) {
  std::string track;
  track.append("\x00\xFF\x03", 3);
  put_quantity(track, static_cast<std::uint32_t>(std::min<std::size_t>(name.size(), 0xFFFF)));
  track.append(name.substr(0, 0xFFFF));
  track.append("\x00\xFF\x51\x03", 4);
  put_be(track, kMicrosecondsPerQuarter, 3);
  std::uint64_t at = 0;
  for (const TimedMessage& timed : messages) {
    const std::size_t length = timed.message.length();
    if (length == 0) continue;
    const std::uint64_t ms = std::max(timed.ms, at);
    put_delta(track, ms - at);
    at = ms;
    const MidiMessage read = timed.message.seven_bit();
    const char bytes[] = {static_cast<char>(read.status), static_cast<char>(read.data1),
                          static_cast<char>(read.data2)};
    track.append(bytes, length);
  }
  put_delta(track, std::max(end_ms, at) - at);
  track.append("\xFF\x2F\x00", 3);
  return track;
}

}  // namespace

std::optional<std::string> smf_bytes(const std::vector<TimedMessage>& messages,
                                     std::uint64_t end_ms, std::string_view track_name) {
  const std::string track = track_events(messages, end_ms, track_name);
  if (track.size() > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  std::string file("MThd\x00\x00\x00\x06\x00\x00\x00\x01", 12);
  put_be(file, kTicksPerQuarter, 2);
  file.append("MTrk");
  put_be(file, track.size(), 4);
  return file + track;
}

}  // namespace velk0::platform::posix
