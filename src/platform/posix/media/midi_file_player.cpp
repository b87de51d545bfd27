#include "platform/posix/media/midi_file_player.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "platform/posix/media/midi_file_cut.h"

namespace velk0::platform::posix {
namespace {

// Far beyond any piece: a larger file is not taken for one.
constexpr std::size_t kLargestMidiFile = 8u << 20;
// Rendering ahead goes by steps of the clock this long, and ends when the
// player has finished, when the file's last event lies this long behind
// (a note that is never released would keep the player going for ever), or
// at the longest a piece is rendered.
constexpr std::uint32_t kRenderStepMs = 100;
constexpr std::uint64_t kAfterLastEventMs = 5000;
constexpr std::uint64_t kLongestRenderMs = 30 * 60 * 1000;

constexpr unsigned kChunkHeader = 8;  // four letters and a 32-bit length
constexpr unsigned kSustainPedal = 64;

std::uint32_t be32(const std::vector<char>& b, std::size_t at) {
  auto u = [&b](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[i]));
  };
  return u(at) << 24 | u(at + 1) << 16 | u(at + 2) << 8 | u(at + 3);
}

unsigned be16(const std::vector<char>& b, std::size_t at) {
  return static_cast<unsigned>(static_cast<unsigned char>(b[at])) << 8 |
         static_cast<unsigned char>(b[at + 1]);
}

bool is_chunk(const std::vector<char>& b, std::size_t at, const char* name) {
  return std::memcmp(b.data() + at, name, 4) == 0;
}

// A header chunk FluidSynth can play (format 0 to 2, at least one track,
// ticks per quarter note) followed by every track it announces, whole.
bool complete_midi_file(const std::vector<char>& b) {
  if (b.size() < kChunkHeader + 6 || !is_chunk(b, 0, "MThd")) return false;
  const std::uint32_t header = be32(b, 4);
  if (header < 6 || header > b.size() - kChunkHeader) return false;
  const unsigned format = be16(b, 8), tracks = be16(b, 10), division = be16(b, 12);
  if (format > 2 || tracks == 0 || division == 0 || (division & 0x8000) != 0) return false;
  std::size_t at = kChunkHeader + header;
  for (unsigned found = 0; found < tracks;) {
    if (b.size() - at < kChunkHeader) return false;
    const std::uint32_t length = be32(b, at + 4);
    if (length > b.size() - at - kChunkHeader) return false;
    if (is_chunk(b, at, "MTrk")) ++found;
    at += kChunkHeader + length;
  }
  return true;
}

// Every note the file left on goes, held by the sustain pedal or not.
void let_go(Synthesizer& synth) {
  for (unsigned channel = 0; channel < 16; ++channel)
    synth.send(MidiMessage::make(MidiKind::control_change, channel, kSustainPedal));
  synth.release_all();
}

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
  bytes.shrink_to_fit();
  return complete_midi_file(bytes) ? 0 : media_error::kInvalidFile;
}

MidiFilePlayer::MidiFilePlayer(std::vector<char> bytes, std::function<Synthesizer*()> synth,
                               Clock& clock, bool render_ahead, SmfRecorder* recorder)
    : bytes_(std::move(bytes)),
      synth_(std::move(synth)),
      clock_(clock),
      render_ahead_(render_ahead || recorder),
      recorder_(recorder) {}

MidiFilePlayer::~MidiFilePlayer() {
  try {
    stop();
  } catch (...) {
    // Nothing more can be done for the piece on the way out.
  }
}

unsigned MidiFilePlayer::port(int& port) {
  port = 0;
  const bool playable = recorder_ ? recorder_->writable() : synth_() != nullptr;
  return playable ? 0 : media_error::kNoMidiPort;
}

unsigned MidiFilePlayer::play() {
  if (player_) return 0;  // already sounding
  const unsigned error = start();
  if (error == 0 && render_ahead_) render_to_end();
  return error;
}

unsigned MidiFilePlayer::pause() {
  if (player_) {
    const int played = fluid_player_get_current_tick(player_);
    tick_ = played_from_ + static_cast<std::uint32_t>(played > 0 ? played : 0);
    stop();
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
  Synthesizer* synth = recorder_ ? nullptr : synth_();
  if (recorder_ ? !recorder_->writable() : !synth) return media_error::kNoMidiPort;
  // A fresh player plays the piece from where it stopped, cut there: no
  // seek, which FluidSynth 2.3 gets wrong on a synthesizer of more than 16
  // channels (it writes past a table of 16).
  const std::vector<char> cut =
      tick_ > 0 ? midi_file_from_tick(bytes_, tick_) : std::vector<char>{};
  const std::vector<char>& piece = tick_ > 0 ? cut : bytes_;
  played_from_ = tick_;
  if (recorder_) {
    player_ = recorder_->start_player(piece, clock_.now_ms());
    return player_ ? 0 : media_error::kNotReady;
  }
  synth->catch_up();  // a piece rendered in step starts now, not at the last render
  synth->hold_output(true);
  player_ = new_fluid_player(synth->fluid());
  bool started = player_ && fluid_player_add_mem(player_, piece.data(), piece.size()) == FLUID_OK;
  started = started && fluid_player_play(player_) == FLUID_OK;
  if (!started && player_) {
    delete_fluid_player(player_);
    player_ = nullptr;
  }
  synth->hold_output(false);
  return started ? 0 : media_error::kNotReady;
}

void MidiFilePlayer::stop() {
  if (!player_) return;
  if (recorder_) {
    recorder_->stop_player(clock_.now_ms());
    player_ = nullptr;
    return;
  }
  Synthesizer* synth = synth_();
  synth->hold_output(true);
  fluid_player_stop(player_);
  delete_fluid_player(player_);
  synth->hold_output(false);
  player_ = nullptr;
  let_go(*synth);
}

void MidiFilePlayer::render_to_end() {
  if (recorder_) {
    play_to_end([this] {
      const std::uint64_t from = clock_.now_ms();
      clock_.wait_ms(kRenderStepMs);
      recorder_->run_player(clock_.now_ms() - from);
    });
    return;
  }
  Synthesizer& synth = *synth_();
  struct KeepRendering {
    Synthesizer& synth;
    explicit KeepRendering(Synthesizer& s) : synth(s) { synth.keep_rendering(true); }
    ~KeepRendering() { synth.keep_rendering(false); }
  } keep(synth);
  play_to_end([this, &synth] {
    clock_.wait_ms(kRenderStepMs);
    synth.catch_up();
  });
}

void MidiFilePlayer::play_to_end(const std::function<void()>& step) {
  std::uint64_t rendered = 0, after_last_event = 0;
  while (fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING && rendered < kLongestRenderMs &&
         after_last_event < kAfterLastEventMs) {
    const bool events_left =
        fluid_player_get_current_tick(player_) < fluid_player_get_total_ticks(player_);
    after_last_event = events_left ? 0 : after_last_event + kRenderStepMs;
    step();
    rendered += kRenderStepMs;
  }
  if (rendered >= kLongestRenderMs && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING)
    std::cerr << "velk0 : le fichier MIDI dure plus de " << kLongestRenderMs / 60000
              << " minutes ; le fichier audio s'arrête là.\n"
              << std::flush;
}

}  // namespace velk0::platform::posix
