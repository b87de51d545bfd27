#include "platform/posix/media/playable_midi_file.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <queue>
#include <utility>

#include "platform/posix/media/midi_track_reader.h"
#include "platform/posix/midi/smf_writer.h"

namespace velk0::platform::posix {
namespace {

constexpr unsigned kSysex = 0xF0, kMeta = 0xFF;
// The player counts ticks in an int: what comes later is out of its reach.
constexpr std::uint64_t kLastTick = 0x7FFFFFFF;
// The longest wait a variable-length quantity holds, 28 bits; a longer one
// goes through markers, which the player reads as nothing but their wait.
constexpr std::uint32_t kLongestWait = 0x0FFFFFFF;
// A file of one track (format 0) up to its ticks per quarter note, and the
// start of a track chunk, its length to come.
constexpr char kFileStart[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
constexpr char kTrackStart[] = {'M', 'T', 'r', 'k', 0, 0, 0, 0};
constexpr char kMarker[] = {'\xFF', 0x06, 0};
constexpr char kTrackEnd[] = {'\xFF', 0x2F, 0};

// Where the tracks are, in a complete file.
struct Layout {
  std::uint32_t division = 0;
  std::vector<std::pair<std::size_t, std::size_t>> tracks;  // each one's data: from, to
};

std::optional<Layout> complete_layout(const std::vector<char>& b) {
  if (b.size() < kChunkHeader + 6 || !is_chunk(b, 0, "MThd")) return std::nullopt;
  const std::uint32_t header = read_be(b, 4, 4);
  if (header < 6 || header > b.size() - kChunkHeader) return std::nullopt;
  const std::uint32_t format = read_be(b, 8, 2), tracks = read_be(b, 10, 2);
  Layout layout;
  layout.division = read_be(b, 12, 2);
  if (format > 2 || tracks == 0 || layout.division == 0 || (layout.division & 0x8000) != 0)
    return std::nullopt;
  std::size_t at = kChunkHeader + header;
  while (layout.tracks.size() < tracks) {
    if (b.size() - at < kChunkHeader) return std::nullopt;
    const std::uint32_t length = read_be(b, at + 4, 4);
    if (length > b.size() - at - kChunkHeader) return std::nullopt;
    if (is_chunk(b, at, "MTrk"))
      layout.tracks.emplace_back(at + kChunkHeader, at + kChunkHeader + length);
    at += kChunkHeader + length;
  }
  return layout;
}

// The lengths the player requires of the meta events it reads: tempo, SMPTE
// offset, time signature, key signature.
constexpr std::pair<unsigned, std::size_t> kMetaLengths[] = {
    {0x51, 3}, {0x54, 5}, {0x58, 4}, {0x59, 2}};

// Whether the player reads `e` without giving up on the file: a meta event
// it knows has the length it expects, and no message comes escaped.
bool player_reads(const std::vector<char>& b, const TrackReader::Event& e) {
  if (e.status <= kSysex) return true;
  if (e.status != kMeta) return false;
  const unsigned type = static_cast<unsigned char>(b[e.from]);
  for (const auto& [meta, length] : kMetaLengths)
    if (meta == type) return e.to - e.data == length;
  return true;
}

// The merged track, written as its events come.
class MergedTrack {
 public:
  explicit MergedTrack(std::vector<char>& out) : out_(out) {}
  void wait_until(std::uint64_t tick) {
    for (; tick - last_ > kLongestWait; last_ += kLongestWait) {
      put_quantity(out_, kLongestWait);
      out_.insert(out_.end(), std::begin(kMarker), std::end(kMarker));
    }
    put_quantity(out_, static_cast<std::uint32_t>(tick - last_));
    last_ = tick;
  }

 private:
  std::vector<char>& out_;
  std::uint64_t last_ = 0;
};

// Every track read at once, each event given in turn in order of time.
class TrackMerge {
 public:
  TrackMerge(const std::vector<char>& b, const Layout& layout) : b_(b) {
    readers_.reserve(layout.tracks.size());
    events_.resize(layout.tracks.size());
    for (const auto& [from, to] : layout.tracks) readers_.emplace_back(b, from, to);
    for (std::size_t track = 0; track < readers_.size(); ++track) pull(track);
  }

  // The next event of all; none once every track is over.
  std::optional<TrackReader::Event> next() {
    if (order_.empty()) return std::nullopt;
    const std::size_t track = order_.top().second;
    order_.pop();
    const TrackReader::Event event = events_[track];
    pull(track);
    return event;
  }
  // Where the last track ends (its End of Track, or its last event).
  std::uint64_t end() const { return end_; }
  bool whole() const { return whole_; }

 private:
  // Reads the track's next event the player reads, and puts it in order.
  void pull(std::size_t track) {
    while (std::optional<TrackReader::Event> e = readers_[track].next()) {
      if (e->tick > kLastTick) {
        whole_ = false;
        return;
      }
      end_ = std::max(end_, e->tick);
      if (is_track_end(b_, *e)) return;
      if (!player_reads(b_, *e)) {
        whole_ = false;
        continue;
      }
      events_[track] = *e;
      order_.emplace(e->tick, track);
      return;
    }
    if (readers_[track].broken()) whole_ = false;
  }

  using Key = std::pair<std::uint64_t, std::size_t>;  // tick, track
  const std::vector<char>& b_;
  std::vector<TrackReader> readers_;
  std::vector<TrackReader::Event> events_;  // each track's next one
  std::priority_queue<Key, std::vector<Key>, std::greater<Key>> order_;
  std::uint64_t end_ = 0;
  bool whole_ = true;
};

}  // namespace

std::optional<PlayableMidiFile> playable_midi_file(const std::vector<char>& original) {
  const std::optional<Layout> layout = complete_layout(original);
  if (!layout) return std::nullopt;
  PlayableMidiFile file;
  std::vector<char>& out = file.bytes;
  out.reserve(original.size() + std::size(kFileStart) + std::size(kTrackStart));
  out.assign(std::begin(kFileStart), std::end(kFileStart));
  out.push_back(static_cast<char>(layout->division >> 8));
  out.push_back(static_cast<char>(layout->division & 0xFF));
  const std::size_t track = out.size();
  out.insert(out.end(), std::begin(kTrackStart), std::end(kTrackStart));
  TrackMerge merge(original, *layout);
  MergedTrack merged(out);
  while (std::optional<TrackReader::Event> e = merge.next()) {
    merged.wait_until(e->tick);
    out.push_back(static_cast<char>(e->status));
    out.insert(out.end(), original.begin() + static_cast<std::ptrdiff_t>(e->from),
               original.begin() + static_cast<std::ptrdiff_t>(e->to));
    if (e->status < kSysex) ++file.messages;
  }
  merged.wait_until(merge.end());
  out.insert(out.end(), std::begin(kTrackEnd), std::end(kTrackEnd));
  write_be32(out, track + 4, static_cast<std::uint32_t>(out.size() - track - kChunkHeader));
  file.whole = merge.whole();
  return file;
}

}  // namespace velk0::platform::posix
