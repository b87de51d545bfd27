#include "platform/session.h"

#include <cstdlib>
#include <iostream>

#include "platform/common/cue_sounds.h"
#include "platform/common/file_writes.h"
#include "platform/common/std_files.h"
#include "platform/common/text_encoding.h"
#include "platform/console.h"
#include "platform/doubles/scripted_dialogs.h"
#include "platform/doubles/scripted_midi_inputs.h"
#include "platform/doubles/virtual_clipboard.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/system.h"

namespace velk0::platform {
namespace {

std::optional<std::string> env(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

// Decorators that ask the system, before each call that could sound, wait or
// ask, whether the user wants the program to stop.
class StopCheckedMidi : public MidiDevices {
 public:
  StopCheckedMidi(MidiDevices& inner, OsBackends& os) : inner_(inner), os_(os) {}
  unsigned count() override { return inner_.count(); }
  int notes(unsigned index) override { return inner_.notes(index); }
  std::string name(unsigned index) override { return inner_.name(index); }
  bool open(unsigned index) override {
    os_.check_stop();
    return inner_.open(index);
  }
  void send(MidiMessage message) override {
    os_.check_stop();
    inner_.send(message);
  }
  void close() override { inner_.close(); }

 private:
  MidiDevices& inner_;
  OsBackends& os_;
};

class StopCheckedMidiInputs : public MidiInputs {
 public:
  StopCheckedMidiInputs(MidiInputs& inner, OsBackends& os) : inner_(inner), os_(os) {}
  unsigned count() override { return inner_.count(); }
  std::string name(unsigned index) override { return inner_.name(index); }
  bool open(unsigned index, MidiSink& sink) override {
    os_.check_stop();
    return inner_.open(index, sink);
  }
  Awoken wait(std::optional<std::uint64_t> until_ms) override {
    os_.check_stop();
    return inner_.wait(until_ms);
  }
  void close() override { inner_.close(); }

 private:
  MidiInputs& inner_;
  OsBackends& os_;
};

// A system without MIDI inputs.
class NoMidiInputs : public MidiInputs {
 public:
  unsigned count() override { return 0; }
  std::string name(unsigned) override { return {}; }
  bool open(unsigned, MidiSink&) override { return false; }
  Awoken wait(std::optional<std::uint64_t>) override { return Awoken::quit; }
  void close() override {}
};

class StopCheckedClock : public Clock {
 public:
  StopCheckedClock(Clock& inner, OsBackends& os) : inner_(inner), os_(os) {}
  std::uint64_t now_ms() override { return inner_.now_ms(); }
  void wait_ms(std::uint32_t ms) override {
    os_.check_stop();
    inner_.wait_ms(ms);
  }

 private:
  Clock& inner_;
  OsBackends& os_;
};

class StopCheckedDialogs : public Dialogs {
 public:
  StopCheckedDialogs(Dialogs& inner, OsBackends& os) : inner_(inner), os_(os) {}
  int show(BoxStyle style, std::string_view text, std::string_view caption) override {
    os_.check_stop();
    return inner_.show(style, text, caption);
  }

 private:
  Dialogs& inner_;
  OsBackends& os_;
};

// A media file starts sounding only while no stop has been asked for.
class StopCheckedMedia : public Media {
 public:
  StopCheckedMedia(Media& inner, OsBackends& os) : inner_(inner), os_(os) {}
  unsigned open(MediaType type, std::string_view path) override {
    os_.check_stop();
    return inner_.open(type, path);
  }
  unsigned port(int& port) override { return inner_.port(port); }
  unsigned play() override {
    os_.check_stop();
    return inner_.play();
  }
  unsigned pause() override { return inner_.pause(); }
  unsigned resume() override {
    os_.check_stop();
    return inner_.resume();
  }
  unsigned seek_start() override { return inner_.seek_start(); }
  unsigned close() override { return inner_.close(); }

 private:
  Media& inner_;
  OsBackends& os_;
};

void report_trace_failure(const std::string& path) {
  print_error_line(unwritable_line("velk0", "la trace " + from_system_name(path)));
}

}  // namespace

SessionOptions SessionOptions::from_environment() {
  SessionOptions options;
  options.answers = env("VELK0_ANSWERS");
  options.virtual_clock = env("VELK0_CLOCK").value_or("") == "virtual";
  auto trace = env("VELK0_TRACE");
  if (trace && !trace->empty()) options.trace = trace;
  options.midi_in = env("VELK0_MIDI_IN");
  if (options.midi_in && options.midi_in->empty()) options.midi_in.reset();
  options.clipboard = env("VELK0_CLIPBOARD");
  if (options.clipboard) options.clipboard = environment_text(*options.clipboard);
  return options;
}

Session::Session(const SessionOptions& options, OsBackends& os) {
  if (options.virtual_clock)
    clock_ = std::make_unique<VirtualClock>();
  else
    clock_ = os.make_clock();
  open_trace(options);
  make_services(options, os);
  MidiDevices* midi = trace_ ? &trace_services() : midi_.get();
  guard_ = std::make_unique<NoteGuard>(*midi);
  // Outermost, so that what the stop request prevents is neither done nor traced.
  checked_midi_ = std::make_unique<StopCheckedMidi>(*guard_, os);
  checked_clock_ = std::make_unique<StopCheckedClock>(*platform_.clock, os);
  checked_dialogs_ = std::make_unique<StopCheckedDialogs>(*platform_.dialogs, os);
  checked_media_ = std::make_unique<StopCheckedMedia>(*platform_.media, os);
  checked_midi_in_ = std::make_unique<StopCheckedMidiInputs>(*platform_.midi_in, os);
  platform_.midi_in = checked_midi_in_.get();
  platform_.midi = checked_midi_.get();
  platform_.media = checked_media_.get();
  platform_.clock = checked_clock_.get();
  platform_.dialogs = checked_dialogs_.get();
}

void Session::open_trace(const SessionOptions& options) {
  if (options.trace_stream) {
    trace_ = std::make_unique<Trace>(*options.trace_stream, *clock_);
    return;
  }
  if (!options.trace) return;
  std::ostream* out = &std::cerr;
  if (*options.trace != "-") {
    trace_file_ = std::make_unique<TraceFile>(*options.trace);
    if (*trace_file_)
      out = trace_file_.get();
    else
      report_trace_failure(*options.trace);
  }
  // A trace that stops being written (a full disk) is reported once.
  trace_ = std::make_unique<Trace>(*out, *clock_,
                                   [path = *options.trace] { report_trace_failure(path); });
}

void Session::make_services(const SessionOptions& options, OsBackends& os) {
  if (options.answers)
    dialogs_ = std::make_unique<ScriptedDialogs>(
        *options.answers, options.box_stream ? *options.box_stream : std::cout);
  else
    dialogs_ = os.make_dialogs();
  midi_ = os.make_midi(*clock_);
  PathMapper native = [&os](std::string_view p) { return os.native_path(p); };
  sounds_ = std::make_unique<ShippedCues>(os.make_sounds(), native);
  media_ = os.make_media(*clock_);
  files_ = std::make_unique<StdFiles>(native);
  if (options.clipboard)
    clipboard_ = std::make_unique<VirtualClipboard>(*options.clipboard);
  else
    clipboard_ = os.make_clipboard();
  programs_ = os.make_programs();
  if (options.midi_in)
    midi_in_ = std::make_unique<ScriptedMidiInputs>(*options.midi_in, *clock_);
  else
    midi_in_ = os.make_midi_inputs(*clock_);
  if (!midi_in_) midi_in_ = std::make_unique<NoMidiInputs>();
  notices_ = os.make_notices();

  platform_.dialogs = dialogs_.get();
  platform_.clock = clock_.get();
  platform_.sounds = sounds_.get();
  platform_.media = media_.get();
  platform_.files = files_.get();
  platform_.clipboard = clipboard_.get();
  platform_.programs = programs_.get();
  platform_.midi_in = midi_in_.get();
  platform_.notices = notices_.get();
}

MidiDevices& Session::trace_services() {
  traced_dialogs_ = std::make_unique<TracedDialogs>(*dialogs_, *trace_);
  traced_midi_ = std::make_unique<TracedMidi>(*midi_, *trace_);
  traced_clock_ = std::make_unique<TracedClock>(*clock_, *trace_);
  traced_sounds_ = std::make_unique<TracedSounds>(*sounds_, *trace_);
  traced_media_ = std::make_unique<TracedMedia>(*media_, *trace_);
  traced_files_ = std::make_unique<TracedFiles>(*files_, *trace_);
  traced_clipboard_ = std::make_unique<TracedClipboard>(*clipboard_, *trace_);
  traced_programs_ = std::make_unique<TracedPrograms>(*programs_, *trace_);
  traced_midi_in_ = std::make_unique<TracedMidiInputs>(*midi_in_, *trace_);
  platform_.midi_in = traced_midi_in_.get();
  if (notices_) {
    traced_notices_ = std::make_unique<TracedNotices>(*notices_, *trace_);
    platform_.notices = traced_notices_.get();
  }
  platform_.dialogs = traced_dialogs_.get();
  platform_.clock = traced_clock_.get();
  platform_.sounds = traced_sounds_.get();
  platform_.media = traced_media_.get();
  platform_.files = traced_files_.get();
  platform_.clipboard = traced_clipboard_.get();
  platform_.programs = traced_programs_.get();
  return *traced_midi_;
}

void Session::shutdown() {
  if (platform_.midi_in) platform_.midi_in->close();
  if (guard_ && guard_->is_open()) guard_->close();
  if (platform_.media) platform_.media->close();
}

Session::~Session() {
  try {
    shutdown();
  } catch (...) {
    // Nothing more can be released on the way out.
  }
}

}  // namespace velk0::platform
