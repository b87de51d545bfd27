#include "platform/posix/midi/smf_recorder.h"

#include <iostream>

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

std::uint32_t channel_word(unsigned status, unsigned data1, unsigned data2) {
  return status | (data1 & 0x7F) << 8 | (data2 & 0x7F) << 16;
}

// The short message of one of the player's events; 0 for anything else
// (the file's own meta events, its tempo, are the player's business).
std::uint32_t event_word(fluid_midi_event_t* event) {
  const unsigned type = static_cast<unsigned>(fluid_midi_event_get_type(event));
  if (channel_message_length(type) == 0) return 0;
  const unsigned status = (type & 0xF0) | (fluid_midi_event_get_channel(event) & 0x0F);
  const auto first = static_cast<unsigned>(fluid_midi_event_get_key(event));
  if ((type & 0xF0) == 0xE0) return channel_word(status, first, first >> 7);
  return channel_word(status, first, static_cast<unsigned>(fluid_midi_event_get_value(event)));
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

void SmfRecorder::send(std::uint32_t word, std::uint64_t ms) {
  const unsigned status = word & 0xFF;
  if (failed_ || channel_message_length(status) == 0) return;
  messages_.push_back({ms, word});
  const unsigned kind = status & 0xF0, channel = status & 0x0F;
  std::uint16_t& count = sounding_[channel * 128 + ((word >> 8) & 0x7F)];
  const bool velocity = (word >> 16 & 0x7F) != 0;
  if (kind == 0x90 && velocity && count < UINT16_MAX) ++count;
  if ((kind == 0x80 || (kind == 0x90 && !velocity)) && count > 0) --count;
  if (kind == 0xB0 && (word >> 8 & 0x7F) == kSustainPedal) pedal_down_[channel] = velocity;
}

void SmfRecorder::end_notes(std::uint64_t ms) {
  for (unsigned at = 0; at < sounding_.size(); ++at)
    while (sounding_[at] > 0) send(channel_word(0x80 | at / 128, at % 128, 0), ms);
}

void SmfRecorder::close(std::uint64_t ms, const std::bitset<16>& used) {
  end_notes(ms);
  for (unsigned channel = 0; channel < 16; ++channel)
    if (used.test(channel)) send(channel_word(0xB0 | channel, kAllNotesOff, 0), ms);
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
    if (pedal_down_.test(channel)) send(channel_word(0xB0 | channel, kSustainPedal, 0), now_ms);
}

int SmfRecorder::take_event(void* recorder, fluid_midi_event_t* event) {
  auto& self = *static_cast<SmfRecorder*>(recorder);
  if (const std::uint32_t word = event_word(event)) self.send(word, self.player_ms_);
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
