#include "platform/posix/media/midi_file_walk.h"

#include <optional>

#include "platform/posix/synth/synth_engine.h"

namespace velk0::platform::posix {
namespace {

// FluidSynth renders in blocks of 64 frames and moves its player on once a
// block: at this rate a block is one millisecond, so each of the player's
// messages comes at its own millisecond.
constexpr double kWalkRate = 64000;
constexpr int kBlockFrames = 64;

// The short message of one of the player's events; none for anything else
// (the file's own meta events, its tempo, are the player's business).
std::optional<MidiMessage> event_message(fluid_midi_event_t* event) {
  const MidiMessage type{static_cast<std::uint8_t>(fluid_midi_event_get_type(event))};
  if (type.length() == 0) return std::nullopt;
  const auto channel = static_cast<unsigned>(fluid_midi_event_get_channel(event));
  const auto first = static_cast<unsigned>(fluid_midi_event_get_key(event));
  const unsigned second = type.kind() == MidiKind::pitch_bend
                              ? first >> 7
                              : static_cast<unsigned>(fluid_midi_event_get_value(event));
  return MidiMessage::make(type.kind(), channel, first & 0x7F, second & 0x7F);
}

}  // namespace

MidiFileWalk::~MidiFileWalk() { end(); }

bool MidiFileWalk::start(const std::vector<char>& piece) {
  end();
  silence_fluidsynth_log();
  settings_ = new_fluid_settings();
  if (!settings_) return false;
  fluid_settings_setnum(settings_, "synth.sample-rate", kWalkRate);
  // Nothing sounds here: effects would only cost time each millisecond.
  fluid_settings_setint(settings_, "synth.reverb.active", 0);
  fluid_settings_setint(settings_, "synth.chorus.active", 0);
  synth_ = new_fluid_synth(settings_);
  player_ = synth_ ? new_fluid_player(synth_) : nullptr;
  bool started =
      player_ && fluid_player_set_playback_callback(player_, take_event, this) == FLUID_OK;
  started = started && fluid_player_add_mem(player_, piece.data(), piece.size()) == FLUID_OK;
  started = started && fluid_player_play(player_) == FLUID_OK;
  if (!started) end();
  return started;
}

bool MidiFileWalk::step(const Take& take) {
  if (!player_ || fluid_player_get_status(player_) != FLUID_PLAYER_PLAYING) return false;
  float left[kBlockFrames], right[kBlockFrames];
  take_ = &take;
  fluid_synth_write_float(synth_, kBlockFrames, left, 0, 1, right, 0, 1);
  take_ = nullptr;
  // The player reads the piece in its first millisecond; counting its ticks
  // goes through every event, so it is done once.
  if (elapsed_ms_++ == 0) total_ticks_ = fluid_player_get_total_ticks(player_);
  return true;
}

std::uint32_t MidiFileWalk::tick() const {
  const int tick = player_ ? fluid_player_get_current_tick(player_) : 0;
  return static_cast<std::uint32_t>(tick > 0 ? tick : 0);
}

bool MidiFileWalk::events_left() const {
  return player_ && fluid_player_get_current_tick(player_) < total_ticks_;
}

int MidiFileWalk::take_event(void* walk, fluid_midi_event_t* event) {
  auto& self = *static_cast<MidiFileWalk*>(walk);
  if (self.take_)
    if (const std::optional<MidiMessage> message = event_message(event))
      (*self.take_)(*message, self.elapsed_ms_);
  return FLUID_OK;
}

void MidiFileWalk::end() {
  if (player_) {
    fluid_player_stop(player_);
    delete_fluid_player(player_);
  }
  if (synth_) delete_fluid_synth(synth_);
  if (settings_) delete_fluid_settings(settings_);
  player_ = nullptr;
  synth_ = nullptr;
  settings_ = nullptr;
  elapsed_ms_ = 0;
  total_ticks_ = 0;
}

}  // namespace velk0::platform::posix
