// Puts the platform together from the system's backends and the environment:
// scripted answers (VELK0_ANSWERS), virtual clock (VELK0_CLOCK=virtual),
// trace (VELK0_TRACE=PATH, or - for standard error), virtual clipboard
// (VELK0_CLIPBOARD=TEXT) and a keyboard played from a script
// (VELK0_MIDI_IN=PATH).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/common/note_guard.h"
#include "platform/doubles/trace.h"
#include "platform/doubles/trace_file.h"
#include "platform/platform.h"

namespace velk0::platform {

// What each system supplies.
class OsBackends {
 public:
  virtual ~OsBackends() = default;
  virtual std::unique_ptr<Dialogs> make_dialogs() = 0;
  virtual std::unique_ptr<Clock> make_clock() = 0;
  // The MIDI devices; `clock` is the clock in use (a synthesizer that renders
  // to a file renders in step with it).
  virtual std::unique_ptr<MidiDevices> make_midi(Clock& clock) = 0;
  virtual std::unique_ptr<SoundCues> make_sounds() = 0;
  // The media devices; made after the MIDI devices, whose synthesizer they
  // may share.
  virtual std::unique_ptr<Media> make_media(Clock& clock) = 0;
  virtual std::unique_ptr<Clipboard> make_clipboard() = 0;
  virtual std::unique_ptr<Programs> make_programs() = 0;
  virtual std::string native_path(std::string_view system_path) = 0;
  // The MIDI inputs, their arrival times read on `clock`; null: none.
  virtual std::unique_ptr<MidiInputs> make_midi_inputs(Clock&) { return nullptr; }
  // The desktop's notices, when the program's lines have no terminal to be
  // read in and a desktop can show them; null otherwise.
  virtual std::unique_ptr<Notices> make_notices() { return nullptr; }
  // Throws when the user has asked the program to stop (a signal). Called
  // before a MIDI device opens, before each MIDI message, each wait and each
  // box, so that nothing more sounds or waits once the request is made.
  virtual void check_stop() {}
  // Once nothing more plays: completes what the run wrote besides its files
  // (the WAV file of its sound); false when that could not be written, after
  // one French line on standard error.
  [[nodiscard]] virtual bool complete_output() { return true; }
};

struct SessionOptions {
  std::optional<std::string> answers;
  bool virtual_clock = false;
  std::optional<std::string> trace;
  // The text of a virtual clipboard, in the program's bytes (nothing: the
  // system's clipboard).
  std::optional<std::string> clipboard;
  // The script of a keyboard that stands for the MIDI inputs (a path).
  std::optional<std::string> midi_in;
  // Where the trace and the printed boxes go instead (tests).
  std::ostream* trace_stream = nullptr;
  std::ostream* box_stream = nullptr;
  static SessionOptions from_environment();
};

class Session {
 public:
  Session(const SessionOptions& options, OsBackends& os);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Platform& platform() { return platform_; }
  // Releases every sounding note and closes the device and any media
  // device; safe to call twice.
  void shutdown();

 private:
  // The trace the options ask for, if any.
  void open_trace(const SessionOptions& options);
  // The services, from the backends or the doubles the options choose.
  void make_services(const SessionOptions& options, OsBackends& os);
  // Puts the trace around every service; the traced MIDI devices.
  MidiDevices& trace_services();

  std::unique_ptr<Clock> clock_;
  std::unique_ptr<TraceFile> trace_file_;
  std::unique_ptr<Trace> trace_;
  std::unique_ptr<Dialogs> dialogs_, traced_dialogs_;
  std::unique_ptr<MidiDevices> midi_, traced_midi_, checked_midi_;
  std::unique_ptr<NoteGuard> guard_;
  std::unique_ptr<Clock> traced_clock_, checked_clock_;
  std::unique_ptr<Dialogs> checked_dialogs_;
  std::unique_ptr<Media> checked_media_;
  std::unique_ptr<SoundCues> sounds_, traced_sounds_;
  // After the MIDI devices: a media device may play on their synthesizer.
  std::unique_ptr<Media> media_, traced_media_;
  std::unique_ptr<Files> files_, traced_files_;
  std::unique_ptr<Clipboard> clipboard_, traced_clipboard_;
  std::unique_ptr<Programs> programs_, traced_programs_;
  std::unique_ptr<MidiInputs> midi_in_, traced_midi_in_, checked_midi_in_;
  std::unique_ptr<Notices> notices_, traced_notices_;
  Platform platform_;
};

}  // namespace velk0::platform
