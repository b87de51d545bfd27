#include "platform/posix/media/midi_file_player.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>

#include "platform/common/text_encoding.h"
#include "platform/console.h"
#include "platform/posix/audio/audio_sink.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/media/midi_file_cut.h"
#include "platform/posix/media/playable_midi_file.h"
#include "platform/posix/monotonic.h"

namespace velk0::platform::posix {
namespace {

// Far beyond any piece: a larger file is not taken for one.
constexpr std::size_t kLargestMidiFile = 8u << 20;
// Rendering ahead ends when the player has finished, when the file's last
// event lies this long behind (a note that is never released would keep the
// player going for ever), or at the longest a piece is rendered.
constexpr std::uint64_t kAfterLastEventMs = 5000;
constexpr std::uint64_t kLongestRenderMs = 30 * 60 * 1000;

// Live, each message is sent this long before its moment: the feeding
// thread may wake late on a busy machine, and the sound still comes on time.
constexpr std::int64_t kSendAheadNs = 40'000'000;
constexpr std::int64_t kNsPerMs = 1'000'000;

}  // namespace

unsigned MidiFilePlayer::load(const std::string& native_path, std::vector<char>& bytes) {
  bytes.clear();
  std::FILE* in = std::fopen(native_path.c_str(), "rbe");  // not inherited by other programs
  if (!in) return media_error::kInvalidFile;
  // One byte more than the largest file tells a larger one.
  bytes.resize(kLargestMidiFile + 1);
  const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), in);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed || size == 0 || size > kLargestMidiFile) return media_error::kInvalidFile;
  bytes.resize(size);
  std::optional<PlayableMidiFile> playable = playable_midi_file(bytes);
  bytes.clear();
  // A file of which nothing can be read is no MIDI file.
  if (!playable || (!playable->whole && playable->messages == 0)) return media_error::kInvalidFile;
  if (!playable->whole)
    print_error_line("velk0 : une partie du fichier MIDI " + from_system_name(native_path) +
                     " ne peut \xEAtre lue ; le reste est jou\xE9.");
  bytes = std::move(playable->bytes);
  return 0;
}

MidiFilePlayer::MidiFilePlayer(std::vector<char> bytes, PiecePort& port, Clock& clock)
    : bytes_(std::move(bytes)), port_(port), clock_(clock) {}

MidiFilePlayer::~MidiFilePlayer() {
  try {
    stop();
  } catch (...) {
    // Nothing more can be done for the piece on the way out.
  }
}

unsigned MidiFilePlayer::port(int& port) {
  port = 0;
  return port_.playable() ? 0 : media_error::kNoMidiPort;
}

unsigned MidiFilePlayer::play() {
  if (playing_) return 0;  // already sounding
  return start();
}

unsigned MidiFilePlayer::pause() {
  if (playing_) {
    stop();
    tick_ = played_from_ + walk_.tick();
  }
  return 0;
}

unsigned MidiFilePlayer::resume() { return play(); }

unsigned MidiFilePlayer::seek_start() {
  stop();
  tick_ = 0;
  return 0;
}

unsigned MidiFilePlayer::start() {
  if (!port_.playable()) return media_error::kNoMidiPort;
  // A fresh walk plays the piece from where it stopped, cut there: no seek,
  // which FluidSynth 2.3 gets wrong.
  const std::vector<char> cut =
      tick_ > 0 ? midi_file_from_tick(bytes_, tick_) : std::vector<char>{};
  if (!walk_.start(tick_ > 0 ? cut : bytes_)) return media_error::kNotReady;
  played_from_ = tick_;
  playing_ = true;
  if (port_.pace() == PiecePort::Pace::ahead) {
    port_.catch_up();  // the piece starts now, not at the last render
    render_to_end();
  } else if (port_.pace() == PiecePort::Pace::live) {
    stopping_ = false;
    start_ns_ = monotonic_ns();
    try {
      feeder_ = std::thread([this] { feed(); });
    } catch (const std::system_error&) {
      playing_ = false;
      return media_error::kNotReady;
    }
  }
  return 0;
}

void MidiFilePlayer::stop() {
  if (!playing_) return;
  // Live, what was sent ahead still sounds: the notes go where the piece
  // stopped being sent.
  std::int64_t when_ns = kSentNow;
  if (feeder_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(feeding_);
      stopping_ = true;
    }
    stop_asked_.notify_all();
    feeder_.join();
    when_ns = moment_ns(walk_.elapsed_ms());
  }
  playing_ = false;
  port_.end_piece(when_ns);
}

std::int64_t MidiFilePlayer::moment_ns(std::uint64_t ms) const {
  return start_ns_ + static_cast<std::int64_t>(ms) * kNsPerMs;
}

void MidiFilePlayer::feed() {
  const MidiFileWalk::Take send = [this](MidiMessage message, std::uint64_t ms) {
    port_.play(message, moment_ns(ms));
  };
  std::unique_lock<std::mutex> lock(feeding_);
  while (!stopping_) {
    const std::int64_t early_ns = moment_ns(walk_.elapsed_ms()) - kSendAheadNs - monotonic_ns();
    if (early_ns > 0) {
      stop_asked_.wait_for(lock, std::chrono::nanoseconds(early_ns));
      continue;
    }
    if (!walk_.step(send)) return;
  }
}

void MidiFilePlayer::render_to_end() {
  const std::uint64_t start_ms = clock_.now_ms();
  auto wait_until = [this, start_ms](std::uint64_t ms) {
    const std::uint64_t now = clock_.now_ms();
    if (start_ms + ms > now) clock_.wait_ms(static_cast<std::uint32_t>(start_ms + ms - now));
  };
  const MidiFileWalk::Take take = [this, &wait_until](MidiMessage message, std::uint64_t ms) {
    wait_until(ms);
    port_.play(message, kSentNow);
  };
  std::uint64_t after_last_event = 0;
  bool more = true;
  while (walk_.elapsed_ms() < kLongestRenderMs && after_last_event < kAfterLastEventMs &&
         (more = walk_.step(take))) {
    // A signal stops the piece where it is, and the file keeps what came.
    throw_if_interrupted();
    after_last_event = walk_.events_left() ? 0 : after_last_event + 1;
  }
  wait_until(walk_.elapsed_ms());
  if (more && walk_.elapsed_ms() >= kLongestRenderMs)
    print_error_line("velk0 : le fichier MIDI dure plus de " +
                     std::to_string(kLongestRenderMs / 60000) + " minutes ; le fichier " +
                     std::string(port_.rendered_into()) + " s'arr\xEAte l\xE0.");
}

}  // namespace velk0::platform::posix
