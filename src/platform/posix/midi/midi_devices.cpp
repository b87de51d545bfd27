#include "platform/posix/midi/midi_devices.h"

#include <RtMidi.h>

#include <iostream>
#include <new>
#include <vector>

#include "platform/common/text_encoding.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/midi/jack_output.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/synth/synth_failure.h"

namespace velk0::platform::posix {
namespace {

constexpr unsigned char kAllNotesOff = 123;

// The sequencer's client libraries, which every call on the ports may start
// again (JACK's, with no server, at each call), do not check every block of
// memory they ask for and crash when one is refused: without a few megabytes
// to spare, memory has run out before they are called.
void need_memory_for_ports() {
  if (!memory_left()) throw std::bad_alloc{};
}

}  // namespace

PosixMidi::PosixMidi(SynthConfig config, Clock& clock, const RealClock* real_clock,
                     const std::string& midi_file)
    : config_(std::move(config)), clock_(clock), real_clock_(real_clock) {
  if (!midi_file.empty()) recorder_ = std::make_unique<SmfRecorder>(midi_file);
}

PosixMidi::~PosixMidi() {
  try {
    close();
    complete_output();
  } catch (...) {
    // Nothing more can be done for the device on the way out.
  }
}

bool PosixMidi::complete_output() {
  if (recorder_) return recorder_->save(clock_.now_ms());
  if (!synth_) return !output_failed_;
  std::string failure = synth_->close_file();
  if (!failure.empty()) {
    std::cerr << write_failure_line(config_.wav_path, to_utf8(failure), synth_->file_kept_part())
              << std::flush;
    output_failed_ = true;
  }
  return !output_failed_;
}

Synthesizer* PosixMidi::synth() {
  if (!synth_tried_) {
    synth_tried_ = true;
    SynthStart started = Synthesizer::start(config_, clock_, real_clock_);
    synth_ = std::move(started.synth);
    output_failed_ = started.failure == SynthFailure::wav_unwritable;
    std::cerr << failure_line(started.failure, config_.soundfont, config_.wav_path) << std::flush;
    if (started.failure == SynthFailure::out_of_memory) throw OutOfMemory{};
  }
  return synth_.get();
}

void PosixMidi::find_ports() {
  if (ports_tried_) return;
  ports_tried_ = true;
  QuietStderr quiet;
  SignalsHeld held;
  // ALSA's ports when it lists some; failing that, JACK's; failing that, the
  // first of the two that starts, so ports that appear later are still found.
  need_memory_for_ports();
  try {
    alsa_ = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "velk0");
    if (alsa_->getPortCount() > 0) return;
  } catch (const RtMidiError&) {
    alsa_.reset();  // ALSA's sequencer is not there
  }
  need_memory_for_ports();
  jack_ = JackOutput::join("velk0");
  if (jack_ && (!alsa_ || !jack_->port_names().empty()))
    alsa_.reset();
  else
    jack_.reset();
}

unsigned PosixMidi::port_count() {
  find_ports();
  if (jack_) return static_cast<unsigned>(jack_->port_names().size());
  if (!alsa_) return 0;
  need_memory_for_ports();
  QuietStderr quiet;
  try {
    return alsa_->getPortCount();
  } catch (const RtMidiError&) {
    return 0;
  }
}

unsigned PosixMidi::count() { return 1 + port_count(); }

int PosixMidi::notes(unsigned index) {
  if (index == 0 && recorder_) return recorder_->writable() ? SmfRecorder::kNotes : 0;
  if (index == 0) {
    Synthesizer* s = synth();
    return s ? s->polyphony() : 0;
  }
  return index - 1 < port_count() ? kPortNotes : 0;
}

std::string PosixMidi::name(unsigned index) {
  if (index == 0) return kSynthesizerName;
  if (index - 1 >= port_count()) return {};
  need_memory_for_ports();
  if (jack_) {
    const std::vector<std::string> names = jack_->port_names();
    return index - 1 < names.size() ? from_utf8(names[index - 1]) : std::string();
  }
  QuietStderr quiet;
  try {
    return from_utf8(alsa_->getPortName(index - 1));
  } catch (const RtMidiError&) {
    return {};
  }
}

bool PosixMidi::open(unsigned index) {
  close();
  channels_used_.reset();
  if (index == 0 && recorder_) {
    if (!recorder_->writable()) return false;
    open_ = 0;
    return true;
  }
  if (index == 0) {
    if (!synth()) return false;
    synth_->begin_piece();
    open_ = 0;
    return true;
  }
  if (index - 1 >= port_count()) return false;
  need_memory_for_ports();
  QuietStderr quiet;
  SignalsHeld held;
  if (jack_) {
    const std::vector<std::string> names = jack_->port_names();
    if (index - 1 >= names.size() || !jack_->open(names[index - 1])) return false;
  } else {
    try {
      alsa_->openPort(index - 1, "velk0");
    } catch (const RtMidiError&) {
      return false;
    }
    if (!alsa_->isPortOpen()) return false;
  }
  open_ = index;
  return true;
}

void PosixMidi::send(MidiMessage message) {
  if (!open_) return;
  if (message.kind() == MidiKind::note_on) channels_used_.set(message.channel());
  if (*open_ == 0 && recorder_) {
    recorder_->send(message, clock_.now_ms());
    return;
  }
  if (*open_ == 0) {
    synth_->send(message);
    return;
  }
  const std::size_t length = message.length();
  if (length == 0) return;
  const MidiMessage read = message.seven_bit();
  std::vector<unsigned char> bytes = {read.status, read.data1, read.data2};
  bytes.resize(length);
  send_to_port(bytes);
}

void PosixMidi::send_to_port(const std::vector<unsigned char>& bytes) {
  // A port that went away: the note is simply not heard.
  if (jack_) {
    jack_->send(bytes.data(), bytes.size());
    return;
  }
  try {
    alsa_->sendMessage(&bytes);
  } catch (const RtMidiError&) {
  }
}

void PosixMidi::close() {
  if (!open_) return;
  if (*open_ == 0 && recorder_) {
    recorder_->close(clock_.now_ms(), channels_used_);
  } else if (*open_ == 0) {
    synth_->release_all();
    synth_->catch_up();
  } else {
    // Whatever a channel still holds is let go before the port closes.
    for (unsigned channel = 0; channel < 16; ++channel) {
      if (channels_used_.test(channel))
        send_to_port({static_cast<unsigned char>(0xB0 | channel), kAllNotesOff, 0});
    }
    QuietStderr quiet;
    if (jack_)
      jack_->close();
    else
      alsa_->closePort();
  }
  open_.reset();
}

}  // namespace velk0::platform::posix
