// Where a message sent at a given moment belongs in the stream of frames an
// audio device pulls from its callback. Each call of the callback tells when
// it ran and how many frames came before it; from these comes the origin, the
// moment the stream's frame 0 would have been asked for, kept at or before
// every call seen (less a margin for the calls' jitter). A message sent at T
// then could come as soon as frame (T - origin) x rate + one buffer: by the
// time the callback renders that frame, the message has always arrived. The
// origin moves back when a call comes earlier than any before, and is
// measured anew between pieces (`rebase`), which follows a device whose clock
// runs slow and sheds a delay that is no longer needed.
//
// The frames of a piece keep the spacing of the messages' times to the frame,
// whatever the origin does: the first message of a piece is placed a lead
// later than it could come, and each one after it as far from the first as
// its time is. A device whose clock runs fast against the system's (a sound
// card's by a few hundredths of a percent, a sound server's null sink by
// almost a tenth) calls earlier and earlier, and the origin moves back: once
// a message comes within the lead of its soonest frame, the piece slips
// later, by at most 1/500 of the time since the message before (a sixteenth
// at 240 stretched by an eighth of a millisecond, which no ear tells), until
// it has its lead again. Only should a message then come before its soonest
// frame (the origin moved back faster than that), or over two leads after
// it, does the piece take its place anew from that message on. The lead and
// the margin follow the device's period (see LiveOutput).
//
// `callback` runs on the audio thread, the others on the sending thread.
#pragma once

#include <atomic>
#include <climits>
#include <cstdint>

namespace velk0::platform::posix {

class StreamTimeline {
 public:
  // `buffer_frames`: the frames the callback takes at a time and those kept
  // ready ahead of it.
  StreamTimeline(unsigned sample_rate, unsigned buffer_frames, std::int64_t lead_ns,
                 std::int64_t margin_ns);
  // The device starts pulling at `now_ns`. Its first calls may come in a
  // burst, to fill its buffers: the origin starts a buffer and a margin back.
  void start(std::int64_t now_ns);
  // From the callback: it runs at `now_ns`, `rendered` frames after frame 0.
  void callback(std::int64_t now_ns, std::uint64_t rendered);
  // Sets the origin from the calls of the last second or two alone (from
  // those seen so far, early on; nothing changes before the first).
  void rebase();
  // The frame at which a message of a piece sent at `when_ns` belongs.
  std::uint64_t frame_at(std::int64_t when_ns);
  // The soonest frame a message sent at `when_ns` may have, as the device's
  // calls of the last second or two place it: that of a message timed by its
  // arrival alone (a player's key), which the piece's frames leave as they
  // are. Neither a device that stopped calling a while (a sound server may
  // leave its first call alone for a second or more), nor a clock that
  // drifts from the system's, holds it back; a key whose frame is already
  // rendered sounds from the next block.
  std::uint64_t soonest_frame(std::int64_t when_ns) const;

 private:
  // A piece slips at most by the time since the message before over this.
  static constexpr std::int64_t kSlipDivisor = 500;
  // Calls are remembered by their earliest origin over windows this long.
  static constexpr std::int64_t kWindowNs = 1'000'000'000;
  // Past a device's longest period (8,192 frames at 44.1 kHz): a call this
  // much later than those of the windows comes after a stop.
  static constexpr std::int64_t kResumedNs = 250'000'000;
  static constexpr std::int64_t kUnknown = INT64_MIN;

  // The soonest frame of a message sent at `when_ns`, the stream's frame 0
  // asked for at `origin_ns`.
  std::uint64_t soonest_after(std::int64_t origin_ns, std::int64_t when_ns) const;
  std::int64_t frames_to_ns(std::uint64_t frames) const;
  std::uint64_t ns_to_frames(std::int64_t ns) const;

  unsigned rate_;
  unsigned buffer_frames_;
  std::int64_t lead_ns_;
  std::int64_t margin_ns_;
  std::atomic<std::int64_t> origin_ns_{0};
  std::atomic<std::int64_t> recent_ns_{kUnknown};  // earliest origin of recent calls
  // Callback only: the earliest origins of the current and previous windows.
  std::int64_t window_start_ns_ = 0;
  std::int64_t window_min_ns_ = 0;
  std::int64_t previous_min_ns_ = 0;
  bool seen_ = false;
  // Sending thread only: the message the piece's frames count from.
  bool anchored_ = false;
  std::int64_t anchor_ns_ = 0;
  std::int64_t last_ns_ = 0;  // the latest message's time
  std::uint64_t anchor_frame_ = 0;
};

}  // namespace velk0::platform::posix
