#include "harmony/chord_listener.h"

#include "harmony/held_chord.h"

namespace velk0 {

std::optional<std::string> ChordListener::take(platform::MidiMessage message,
                                               std::uint64_t now_ms) {
  std::optional<std::string> settled = line_due(now_ms);
  if (keys_.take(message)) settles_at_ = now_ms + kSettleMs;
  return settled;
}

std::optional<std::string> ChordListener::line_due(std::uint64_t now_ms) {
  if (!settles_at_ || now_ms < *settles_at_) return std::nullopt;
  settles_at_.reset();
  std::string line = held_chord_line(keys_.pitched());
  if (line == said_) return std::nullopt;
  said_ = line;
  if (line.empty()) return std::nullopt;
  return line;
}

}  // namespace velk0
