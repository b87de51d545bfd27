#include "platform/posix/midi/smf_recorder.h"

#include <iostream>
#include <optional>

#include "platform/common/file_writes.h"
#include "platform/common/text_encoding.h"

namespace velk0::platform::posix {
namespace {

constexpr std::string_view kTrackName = "velk0";
// FluidSynth renders in blocks of 64 frames and moves its player on once a
// block: at this rate a block is one millisecond, so each of the player's
// messages comes at its own millisecond.
constexpr double kPlayerRate = 64000;
constexpr int kBlockFrames = 64;

constexpr unsigned kSustainPedal = 64;
constexpr unsigned kAllNotesOff = 123;

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

SmfRecorder::SmfRecorder(std::string path) : path_(std::move(path)) {
  const WriteTarget target = write_target(path_);
  std::string failure = target.failure;
  if (failure.empty()) {
    const std::optional<std::string> bytes = smf_bytes({}, 0, kTrackName);
    failure = replace_file(target.path, *bytes);
  }
  if (failure.empty()) return;
  failed_ = true;
  std::cerr << "velk0 : impossible d'écrire le fichier MIDI " << path_ << " : " << to_utf8(failure)
            << ". Choisissez un chemin où écrire avec VELK0_AUDIO=fichier.mid.\n"
            << std::flush;
}

SmfRecorder::~SmfRecorder() { delete_player(); }

void SmfRecorder::send(MidiMessage message, std::uint64_t ms) {
  if (failed_ || message.length() == 0) return;
  messages_.push_back({ms, message});
  const MidiMessage read = message.seven_bit();
  std::uint16_t& count = sounding_[read.channel() * 128 + read.data1];
  if (read.is_note_on() && count < UINT16_MAX) ++count;
  if (read.is_note_off() && count > 0) --count;
  if (read.kind() == MidiKind::control_change && read.data1 == kSustainPedal)
    pedal_down_[read.channel()] = read.data2 != 0;
}

void SmfRecorder::end_notes(std::uint64_t ms) {
  for (unsigned at = 0; at < sounding_.size(); ++at)
    while (sounding_[at] > 0) send(MidiMessage::make(MidiKind::note_off, at / 128, at % 128), ms);
}

void SmfRecorder::close(std::uint64_t ms, const std::bitset<16>& used) {
  end_notes(ms);
  for (unsigned channel = 0; channel < 16; ++channel)
    if (used.test(channel))
      send(MidiMessage::make(MidiKind::control_change, channel, kAllNotesOff), ms);
  save(ms);
}

bool SmfRecorder::save(std::uint64_t end_ms) {
  if (failed_) return false;
  end_notes(end_ms);
  if (saved_count_ == messages_.size() && saved_end_ == end_ms) return true;  // as it stands
  const std::optional<std::string> bytes = smf_bytes(messages_, end_ms, kTrackName);
  const WriteTarget target = write_target(path_);
  std::string failure = target.failure;
  if (failure.empty())
    failure = bytes ? replace_file(target.path, *bytes)
                    : write_failure_cause(std::make_error_code(std::errc::file_too_large));
  if (failure.empty()) {
    saved_count_ = messages_.size();
    saved_end_ = end_ms;
    return true;
  }
  failed_ = true;
  std::cerr << "velk0 : impossible d'écrire le fichier MIDI " << path_ << " : " << to_utf8(failure)
            << " ; il ne garde que les notes d'avant l'échec.\n"
            << std::flush;
  return false;
}

fluid_player_t* SmfRecorder::start_player(const std::vector<char>& piece, std::uint64_t now_ms) {
  delete_player();
  player_settings_ = new_fluid_settings();
  if (!player_settings_) return nullptr;
  fluid_settings_setnum(player_settings_, "synth.sample-rate", kPlayerRate);
  player_synth_ = new_fluid_synth(player_settings_);
  player_ = player_synth_ ? new_fluid_player(player_synth_) : nullptr;
  bool started =
      player_ && fluid_player_set_playback_callback(player_, take_event, this) == FLUID_OK;
  started = started && fluid_player_add_mem(player_, piece.data(), piece.size()) == FLUID_OK;
  started = started && fluid_player_play(player_) == FLUID_OK;
  if (!started) delete_player();
  player_ms_ = now_ms;
  return player_;
}

void SmfRecorder::run_player(std::uint64_t ms) {
  float left[kBlockFrames], right[kBlockFrames];
  for (; player_ && ms > 0; --ms, ++player_ms_)
    fluid_synth_write_float(player_synth_, kBlockFrames, left, 0, 1, right, 0, 1);
}

void SmfRecorder::stop_player(std::uint64_t now_ms) {
  if (!player_) return;
  delete_player();
  end_notes(now_ms);
  for (unsigned channel = 0; channel < 16; ++channel)
    if (pedal_down_.test(channel))
      send(MidiMessage::make(MidiKind::control_change, channel, kSustainPedal), now_ms);
}

int SmfRecorder::take_event(void* recorder, fluid_midi_event_t* event) {
  auto& self = *static_cast<SmfRecorder*>(recorder);
  if (const std::optional<MidiMessage> message = event_message(event))
    self.send(*message, self.player_ms_);
  return FLUID_OK;
}

void SmfRecorder::delete_player() {
  if (player_) {
    fluid_player_stop(player_);
    delete_fluid_player(player_);
  }
  if (player_synth_) delete_fluid_synth(player_synth_);
  if (player_settings_) delete_fluid_settings(player_settings_);
  player_ = nullptr;
  player_synth_ = nullptr;
  player_settings_ = nullptr;
}

}  // namespace velk0::platform::posix
