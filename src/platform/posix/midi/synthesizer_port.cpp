#include "platform/posix/midi/synthesizer_port.h"

#include "platform/console.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {

SynthesizerPort::SynthesizerPort(SynthConfig config, Clock& clock, const RealClock* real_clock)
    : config_(std::move(config)), clock_(clock), real_clock_(real_clock) {}

Synthesizer* SynthesizerPort::synthesizer() {
  if (!tried_) {
    tried_ = true;
    SynthStart started = Synthesizer::start(config_, clock_, real_clock_);
    synth_ = std::move(started.synth);
    file_failed_ = started.failure == SynthFailure::wav_unwritable;
    const std::string line = failure_line(started.failure, config_.soundfont, config_.wav_path);
    if (!line.empty()) print_error_line(line);
    if (started.failure == SynthFailure::out_of_memory) throw OutOfMemory{};
  }
  return synth_.get();
}

int SynthesizerPort::notes(unsigned index) {
  Synthesizer* synth = index == 0 ? synthesizer() : nullptr;
  return synth ? synth->polyphony() : 0;
}

bool SynthesizerPort::open(unsigned index) {
  if (index != 0 || !synthesizer()) return false;
  synth_->begin_piece();
  return true;
}

void SynthesizerPort::send(MidiMessage message) { synth_->send(message); }

void SynthesizerPort::send_played(MidiMessage message) { synth_->send(message, kPlayedNow); }

void SynthesizerPort::close(const std::bitset<16>& /*used*/) {
  synth_->release_all();
  synth_->catch_up();
}

PiecePort::Pace SynthesizerPort::pace() const {
  switch (config_.output) {
    case AudioOutput::system:
      return Pace::live;
    case AudioOutput::file:
      return Pace::ahead;
    case AudioOutput::none:
      break;
  }
  return Pace::silent;
}

void SynthesizerPort::play(MidiMessage message, std::int64_t when_ns) {
  if (synth_) synth_->send(message, when_ns);
}

void SynthesizerPort::catch_up() {
  if (synth_) synth_->catch_up();
}

void SynthesizerPort::end_piece(std::int64_t when_ns) {
  if (!synth_) return;
  // Every note the piece left on goes, held by the sustain pedal or not.
  for (unsigned channel = 0; channel < 16; ++channel)
    synth_->send(MidiMessage::make(MidiKind::control_change, channel, kSustainPedal), when_ns);
  synth_->release_all(when_ns);
}

bool SynthesizerPort::complete() {
  if (!synth_) return !file_failed_;
  const Written written = synth_->close_file();
  if (!written) {
    print_error_line(
        write_failure_line(config_.wav_path, written.failure, synth_->file_kept_part()));
    file_failed_ = true;
  }
  return !file_failed_;
}

}  // namespace velk0::platform::posix
