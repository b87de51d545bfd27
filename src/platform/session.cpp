#include "platform/session.h"

#include <cstdlib>
#include <iostream>

#include "platform/cue_sounds.h"
#include "platform/dialogs_text.h"
#include "platform/std_files.h"
#include "platform/text_encoding.h"
#include "platform/virtual_clipboard.h"
#include "platform/virtual_clock.h"

namespace velk0::platform {
namespace {

std::optional<std::string> env(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

}  // namespace

SessionOptions SessionOptions::from_environment() {
  SessionOptions options;
  options.answers = env("VELK0_ANSWERS");
  options.virtual_clock = env("VELK0_CLOCK").value_or("") == "virtual";
  auto trace = env("VELK0_TRACE");
  if (trace && !trace->empty()) options.trace = trace;
  options.clipboard = env("VELK0_CLIPBOARD");
#ifndef _WIN32
  // The environment is UTF-8 here; on Windows it is already in the ANSI code page.
  if (options.clipboard) options.clipboard = from_utf8(*options.clipboard);
#endif
  return options;
}

Session::Session(const SessionOptions& options, OsBackends& os) {
  if (options.virtual_clock)
    clock_ = std::make_unique<VirtualClock>();
  else
    clock_ = os.make_clock();

  if (options.trace_stream) {
    trace_ = std::make_unique<Trace>(*options.trace_stream, *clock_);
  } else if (options.trace) {
    std::ostream* out = &std::cerr;
    if (*options.trace != "-") {
      trace_file_.open(*options.trace, std::ios::binary | std::ios::trunc);
      if (trace_file_)
        out = &trace_file_;
      else
        std::cerr << "velk0 : impossible d'écrire la trace " << *options.trace << '\n';
    }
    trace_ = std::make_unique<Trace>(*out, *clock_);
  }

  if (options.answers)
    dialogs_ = std::make_unique<ScriptedDialogs>(
        *options.answers, options.box_stream ? *options.box_stream : std::cout);
  else
    dialogs_ = os.make_dialogs();
  midi_ = os.make_midi(*clock_);
  PathMapper native = [&os](std::string_view p) { return os.native_path(p); };
  sounds_ = std::make_unique<ShippedCues>(os.make_sounds(), native);
  files_ = std::make_unique<StdFiles>(native);
  if (options.clipboard)
    clipboard_ = std::make_unique<VirtualClipboard>(*options.clipboard);
  else
    clipboard_ = os.make_clipboard();
  programs_ = os.make_programs();

  platform_.dialogs = dialogs_.get();
  platform_.clock = clock_.get();
  platform_.sounds = sounds_.get();
  platform_.files = files_.get();
  platform_.clipboard = clipboard_.get();
  platform_.programs = programs_.get();
  MidiDevices* midi = midi_.get();
  if (trace_) {
    traced_dialogs_ = std::make_unique<TracedDialogs>(*dialogs_, *trace_);
    traced_midi_ = std::make_unique<TracedMidi>(*midi_, *trace_);
    traced_clock_ = std::make_unique<TracedClock>(*clock_, *trace_);
    traced_sounds_ = std::make_unique<TracedSounds>(*sounds_, *trace_);
    traced_files_ = std::make_unique<TracedFiles>(*files_, *trace_);
    platform_.dialogs = traced_dialogs_.get();
    platform_.clock = traced_clock_.get();
    platform_.sounds = traced_sounds_.get();
    platform_.files = traced_files_.get();
    traced_clipboard_ = std::make_unique<TracedClipboard>(*clipboard_, *trace_);
    traced_programs_ = std::make_unique<TracedPrograms>(*programs_, *trace_);
    platform_.clipboard = traced_clipboard_.get();
    platform_.programs = traced_programs_.get();
    midi = traced_midi_.get();
  }
  guard_ = std::make_unique<NoteGuard>(*midi);
  platform_.midi = guard_.get();
}

void Session::shutdown() {
  if (guard_ && guard_->is_open()) guard_->close();
}

Session::~Session() { shutdown(); }

}  // namespace velk0::platform
