// The trace: one JSON object per line for every platform event, in order.
// It is the contract for end-to-end tests and a user's dry run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "platform/platform.h"

namespace velk0::platform {

class Trace {
 public:
  // `on_failure` is called once, when a line cannot be written; nothing more
  // is written after that.
  Trace(std::ostream& out, Clock& clock, std::function<void()> on_failure = {})
      : out_(out), clock_(clock), on_failure_(std::move(on_failure)) {}
  // `answer` is 0 for a box that a request to stop cut short.
  void box(BoxStyle style, std::string_view text, std::string_view caption, int answer);
  void open(unsigned device, int notes);
  void close();
  void midi(std::optional<unsigned> device, platform::MidiMessage message);
  void wait(std::uint32_t ms);
  void sound(std::string_view path);
  void file(std::string_view op, std::string_view path, int chars);
  // One step of a media device: the opening names the type and the file, a
  // failed step its error code, the port status the port.
  void media(std::string_view op, unsigned error, std::string_view extra = {});
  // The clipboard: its text read (nothing when it could not be opened),
  // opened as its owner, emptied, or written.
  void clipboard_read(const std::optional<std::string>& text);
  void clipboard_open(bool ok);
  void clipboard_empty();
  void clipboard_write(std::string_view text, bool ok);
  void exec(std::string_view command, bool started);
  // A MIDI input: opened (with its name), closed, its port lost or back, the
  // listening ended by a key; a message it received, at `at` ms.
  void input(std::string_view op, std::string_view extra = {});
  void heard(platform::MidiMessage message, std::uint64_t at);
  void notice(std::string_view text, bool shown);

 private:
  void line(const std::string& body);
  std::ostream& out_;
  Clock& clock_;
  std::function<void()> on_failure_;
  bool failed_ = false;
};

// Decorators that write each call to the trace and pass it on. A box left by
// an exception (a request to stop) is still traced, with answer 0.
class TracedDialogs : public Dialogs {
 public:
  TracedDialogs(Dialogs& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  int show(BoxStyle style, std::string_view text, std::string_view caption) override;

 private:
  Dialogs& inner_;
  Trace& trace_;
};

class TracedMidi : public MidiDevices {
 public:
  TracedMidi(MidiDevices& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  unsigned count() override { return inner_.count(); }
  int notes(unsigned index) override { return inner_.notes(index); }
  std::string name(unsigned index) override { return inner_.name(index); }
  bool open(unsigned index) override;
  void send(platform::MidiMessage message) override;
  void close() override;

 private:
  MidiDevices& inner_;
  Trace& trace_;
  std::optional<unsigned> device_;
};

class TracedClock : public Clock {
 public:
  TracedClock(Clock& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  std::uint64_t now_ms() override { return inner_.now_ms(); }
  void wait_ms(std::uint32_t ms) override;

 private:
  Clock& inner_;
  Trace& trace_;
};

class TracedSounds : public SoundCues {
 public:
  TracedSounds(SoundCues& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  CueFile play(std::string_view path) override;

 private:
  SoundCues& inner_;
  Trace& trace_;
};

class TracedMedia : public Media {
 public:
  TracedMedia(Media& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  unsigned open(MediaType type, std::string_view path) override;
  unsigned port(int& port) override;
  unsigned play() override;
  unsigned pause() override;
  unsigned resume() override;
  unsigned seek_start() override;
  // Traced only when a device was open.
  unsigned close() override;

 private:
  unsigned step(std::string_view op, unsigned error);
  Media& inner_;
  Trace& trace_;
  bool open_ = false;
};

class TracedFiles : public Files {
 public:
  TracedFiles(Files& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  std::optional<TextPage> read_text(std::string_view path, int page) override;
  // Traced as one read, of the characters handed on.
  bool read_stream(std::string_view path,
                   const std::function<bool(std::string_view)>& take) override;
  Written write_text(std::string_view path, std::string_view text) override;

 private:
  Files& inner_;
  Trace& trace_;
};

class TracedClipboard : public Clipboard {
 public:
  TracedClipboard(Clipboard& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  std::optional<std::string> read_text() override;
  bool open_as_owner(bool empty) override;
  bool write_text(std::string_view text) override;

 private:
  Clipboard& inner_;
  Trace& trace_;
};

class TracedPrograms : public Programs {
 public:
  TracedPrograms(Programs& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  bool start(std::string_view command_line) override;

 private:
  Programs& inner_;
  Trace& trace_;
};

class TracedMidiInputs : public MidiInputs {
 public:
  TracedMidiInputs(MidiInputs& inner, Trace& trace) : inner_(inner), trace_(trace), sink_(*this) {}
  unsigned count() override { return inner_.count(); }
  std::string name(unsigned index) override { return inner_.name(index); }
  bool open(unsigned index, MidiSink& sink) override;
  // Each message is traced as it is handed on.
  Awoken wait(std::optional<std::uint64_t> until_ms) override;
  // Traced only when an input was open.
  void close() override;

 private:
  // The sink the inner inputs hand on to: it traces, then passes on.
  class TracingSink : public MidiSink {
   public:
    explicit TracingSink(TracedMidiInputs& owner) : owner_(owner) {}
    void received(MidiMessage message, std::uint64_t ms) override;
    void port_lost() override;
    void port_back() override;

   private:
    TracedMidiInputs& owner_;
  };
  MidiInputs& inner_;
  Trace& trace_;
  TracingSink sink_;
  MidiSink* outer_ = nullptr;
};

class TracedNotices : public Notices {
 public:
  TracedNotices(Notices& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  bool show(std::string_view text) override;

 private:
  Notices& inner_;
  Trace& trace_;
};

}  // namespace velk0::platform
