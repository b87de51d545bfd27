// The small interfaces through which the program reaches the operating system.
// Core code only ever talks to these; each system supplies real backends, and
// the scripted answers, virtual clock and trace make the whole program testable.
//
// Every text that crosses these interfaces is in the program's own bytes
// (Windows-1252, with the code page 850 bytes 0x82 and 0x8A where chord names
// use them); backends convert at the edge.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/midi_message.h"

namespace velk0::platform {

// Message box styles, with the Windows style values they stand for.
enum class BoxStyle {
  ok = 0,      // OK button, no icon
  choice = 3,  // Yes/No/Cancel, no icon
  info = 64,   // OK button with the information icon
};

// Box results, as the Windows message box returns them.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Shows one modal box and returns its answer.
  virtual int show(BoxStyle style, std::string_view text, std::string_view caption) = 0;
};

class MidiDevices {
 public:
  virtual ~MidiDevices() = default;
  // Number of MIDI output devices.
  virtual unsigned count() = 0;
  // Simultaneous notes the device reports (0: it cannot play, or there is
  // no device of that index).
  virtual int notes(unsigned index) = 0;
  // The name the system gives the device ("" when it has none).
  virtual std::string name(unsigned index) = 0;
  // Opens the device; false when it cannot be opened (or is not there).
  virtual bool open(unsigned index) = 0;
  // Sends one short message to the open device.
  virtual void send(MidiMessage message) = 0;
  // Closes the open device, if any.
  virtual void close() = 0;
};

// What an open MIDI input hands on, in the order it came, on the thread that
// waits for it (MidiInputs::wait).
class MidiSink {
 public:
  virtual ~MidiSink() = default;
  // A channel message the input received, at `ms` on the clock (seven-bit
  // data bytes).
  virtual void received(MidiMessage message, std::uint64_t ms) = 0;
  // The input's port went away (a keyboard unplugged), or came back under
  // the same name and is listened to again.
  virtual void port_lost() = 0;
  virtual void port_back() = 0;
};

// Why a wait on a MIDI input ended.
enum class Awoken {
  handed,  // the sink was handed what came
  due,     // the time asked for came first
  quit,    // the user asked to end: q or Escape typed in the terminal
};

// The MIDI inputs: the keyboards played into the program.
class MidiInputs {
 public:
  virtual ~MidiInputs() = default;
  virtual unsigned count() = 0;
  // The name the system gives the input ("" when it has none).
  virtual std::string name(unsigned index) = 0;
  // Opens input `index`, closing any other, for `sink`, which must outlive
  // the opening; false when it cannot be opened (or is not there).
  virtual bool open(unsigned index, MidiSink& sink) = 0;
  // Waits until something comes from the open input, a key ends the
  // listening, or the clock reaches `until_ms` (nothing: no limit), then
  // hands the sink everything that came meanwhile, in order.
  virtual Awoken wait(std::optional<std::uint64_t> until_ms) = 0;
  // Closes the open input, if any: nothing more is handed on.
  virtual void close() = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the program started.
  virtual std::uint64_t now_ms() = 0;
  // Blocks for the given number of milliseconds.
  virtual void wait_ms(std::uint32_t ms) = 0;
};

// What became of a write: done, or why not. Every writer returns it, and
// its caller looks at it.
struct [[nodiscard]] Written {
  std::string failure;  // in French, in the program's bytes; empty when written
  explicit operator bool() const { return failure.empty(); }
};

// The file of a sound cue that had to be written before it played (the
// program's own cues are, when missing or damaged): its system path, and
// what became of the write; with nothing to write, an empty path and done.
struct CueFile {
  std::string path;
  Written written;
};

class SoundCues {
 public:
  virtual ~SoundCues() = default;
  // Plays a recorded sound and returns when it has ended. A missing file is
  // not reported; a cue's file that could not be written is returned.
  virtual CueFile play(std::string_view system_path) = 0;
};

// The media control interface: a MIDI file played on a sequencer, a wave
// file on the wave device. One device is open at a time; it plays on its own
// while the program waits. Each step returns 0, or the system's error code
// when it fails.
enum class MediaType { sequencer, waveaudio };

class Media {
 public:
  virtual ~Media() = default;
  // Opens a device of the type on the file, closing any other first.
  virtual unsigned open(MediaType type, std::string_view system_path) = 0;
  // The MIDI port the sequencer plays on.
  virtual unsigned port(int& port) = 0;
  // Plays from the current position and returns at once.
  virtual unsigned play() = 0;
  virtual unsigned pause() = 0;
  virtual unsigned resume() = 0;
  // Stops and goes back to the start.
  virtual unsigned seek_start() = 0;
  // Closes the open device; nothing when none is open.
  virtual unsigned close() = 0;
};

// Text files are read a page at a time, this many characters a page.
constexpr int kPageSize = 2048;

// One page read from a text file in text mode.
struct TextPage {
  std::string text;  // the characters, zero bytes left out
  int count = 0;     // characters read, zero bytes included
};

class Files {
 public:
  virtual ~Files() = default;
  // Reads page `page` (from 1, 2048 characters a page) of a text file;
  // nothing when the file cannot be opened.
  virtual std::optional<TextPage> read_text(std::string_view system_path, int page) = 0;
  // Reads a whole text file as read_text does, zero bytes included, handing
  // its characters on in order, a piece at a time, until `take` returns
  // false; false when the file cannot be opened. A read that fails part way
  // ends the text there.
  virtual bool read_stream(std::string_view system_path,
                           const std::function<bool(std::string_view)>& take) = 0;
  // Replaces the file's content with the text, whole: when it cannot be
  // written, the file is as it was and the result says why.
  virtual Written write_text(std::string_view system_path, std::string_view text) = 0;
};

// The system's clipboard, holding text.
// The most characters a clipboard's text is read to: more than the program
// keeps, so that a longer text is still seen to be longer, and never the
// whole of a huge text.
constexpr std::size_t kClipboardReadChars = 2048;

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // The clipboard's text, its first kClipboardReadChars characters at most:
  // nothing when the clipboard cannot be opened, an empty text when it holds
  // no text.
  virtual std::optional<std::string> read_text() = 0;
  // Opens the clipboard as its current owner, empties it when `empty` is set,
  // and closes it again; false when it cannot be opened (nothing is emptied).
  virtual bool open_as_owner(bool empty) = 0;
  // Puts the text on the clipboard in place of what it held (the copier's
  // part); false when it cannot be opened.
  virtual bool write_text(std::string_view text) = 0;
};

// Other programs, started by name.
class Programs {
 public:
  virtual ~Programs() = default;
  // Starts the program that the command line names and returns at once,
  // without waiting for it; false when it could not be started.
  virtual bool start(std::string_view command_line) = 0;
};

// Short notices on the desktop, spoken by the screen reader, for a program
// that runs with no terminal to print its lines on.
class Notices {
 public:
  virtual ~Notices() = default;
  // Shows the text (the program's own bytes); false when it could not be.
  virtual bool show(std::string_view text) = 0;
};

// The set of services the program runs on: the entry puts it together and
// hands it to the program.
struct Platform {
  Dialogs* dialogs = nullptr;
  MidiDevices* midi = nullptr;
  Clock* clock = nullptr;
  SoundCues* sounds = nullptr;
  Media* media = nullptr;
  Files* files = nullptr;
  Clipboard* clipboard = nullptr;
  Programs* programs = nullptr;
  MidiInputs* midi_in = nullptr;
  // Null when the program's lines are read in a terminal (or a file).
  Notices* notices = nullptr;
};

}  // namespace velk0::platform
