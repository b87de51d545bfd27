#include "platform/posix/midi/smf_recorder.h"

#include <optional>

#include "platform/common/file_writes.h"
#include "platform/common/text_encoding.h"
#include "platform/console.h"

namespace velk0::platform::posix {
namespace {

constexpr std::string_view kTrackName = "velk0";

// Writes the file at `path` whole: the messages, and `end_ms` long.
Written write_smf(const std::string& path, const std::vector<TimedMessage>& messages,
                  std::uint64_t end_ms) {
  const std::optional<std::string> bytes = smf_bytes(messages, end_ms, kTrackName);
  const WriteTarget target = write_target(path);
  if (!target.failure.empty()) return {target.failure};
  if (!bytes) return {write_failure_cause(std::make_error_code(std::errc::file_too_large))};
  return replace_file(target.path, *bytes);
}

}  // namespace

SmfRecorder::SmfRecorder(std::string path, Clock& clock) : path_(std::move(path)), clock_(clock) {
  const Written written = write_smf(path_, {}, 0);
  if (written) return;
  failed_ = true;
  print_error_line(unwritten(written)
                       .append(". Choisissez un chemin o\xF9 \xE9")
                       .append("crire avec VELK0_AUDIO=fichier.mid."));
}

std::string SmfRecorder::unwritten(const Written& written) const {
  return unwritable_line("velk0", "le fichier MIDI " + from_system_name(path_))
      .append(" : ")
      .append(written.failure);
}

void SmfRecorder::keep(MidiMessage message, std::uint64_t ms) {
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
    while (sounding_[at] > 0) keep(MidiMessage::make(MidiKind::note_off, at / 128, at % 128), ms);
}

void SmfRecorder::close(const std::bitset<16>& used) {
  const std::uint64_t ms = clock_.now_ms();
  end_notes(ms);
  for (unsigned channel = 0; channel < 16; ++channel)
    if (used.test(channel))
      keep(MidiMessage::make(MidiKind::control_change, channel, kAllNotesOff), ms);
  // A failure is said once, here, and again by the end of the run.
  (void)save(ms);
}

bool SmfRecorder::save(std::uint64_t end_ms) {
  if (failed_) return false;
  end_notes(end_ms);
  if (saved_count_ == messages_.size() && saved_end_ == end_ms) return true;  // as it stands
  const Written written = write_smf(path_, messages_, end_ms);
  if (written) {
    saved_count_ = messages_.size();
    saved_end_ = end_ms;
    return true;
  }
  failed_ = true;
  print_error_line(
      unwritten(written).append(" ; il ne garde que les notes d'avant l'\xE9").append("chec."));
  return false;
}

void SmfRecorder::end_piece(std::int64_t) {
  const std::uint64_t ms = clock_.now_ms();
  end_notes(ms);
  for (unsigned channel = 0; channel < 16; ++channel)
    if (pedal_down_.test(channel))
      keep(MidiMessage::make(MidiKind::control_change, channel, kSustainPedal), ms);
}

}  // namespace velk0::platform::posix
