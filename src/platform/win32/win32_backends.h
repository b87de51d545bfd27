// The backends on Windows: message boxes, winmm MIDI output, a clock on the
// performance counter with the timer resolution raised to 1 ms, sound cues,
// and the console control handler that silences the device when the user
// presses Ctrl-C or closes the console.
#pragma once

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <cstdint>
#include <memory>
#include <string>

#include "platform/common/deadlines.h"
#include "platform/session.h"

namespace velk0::platform::win32 {

// Modal boxes through MessageBoxExA, with no owner window and language 0.
class MessageBoxDialogs : public Dialogs {
 public:
  int show(BoxStyle style, std::string_view text, std::string_view caption) override;
};

// The multimedia system's MIDI output devices. Only one device is open at a
// time; the console control handler may close it from its own thread, so the
// handle is only used under a lock.
class WinmmMidi : public MidiDevices {
 public:
  WinmmMidi();
  ~WinmmMidi() override;
  WinmmMidi(const WinmmMidi&) = delete;
  WinmmMidi& operator=(const WinmmMidi&) = delete;

  unsigned count() override;
  int notes(unsigned index) override;
  // The product name of the capability record.
  std::string name(unsigned index) override;
  bool open(unsigned index) override;
  void send(std::uint32_t word) override;
  void close() override;

  // Silences every channel (midiOutReset) and closes the device. Safe from
  // any thread.
  void silence_and_close();

 private:
  HMIDIOUT handle_ = nullptr;
};

// Monotonic time from the performance counter. Waits run against absolute
// deadlines: a wait that follows the previous one closely starts where that
// one was due to end, so the time spent sending messages does not add up.
class PerformanceClock : public Clock {
 public:
  PerformanceClock();
  std::uint64_t now_ms() override;
  void wait_ms(std::uint32_t ms) override;
  // Microseconds since the clock was made.
  std::uint64_t now_us();

 private:
  std::int64_t frequency_ = 1;
  std::int64_t start_ = 0;
  Deadlines deadlines_;
};

// Recorded sounds, played synchronously with sndPlaySoundA.
class WaveSounds : public SoundCues {
 public:
  void play(std::string_view system_path) override;
};

// The media control interface: the "sequencer" and "waveaudio" devices
// driven with mciSendCommandA, one open at a time.
class MciMedia : public Media {
 public:
  ~MciMedia() override;
  unsigned open(MediaType type, std::string_view system_path) override;
  // The sequencer's MIDI port (MCI_SEQ_STATUS_PORT).
  unsigned port(int& port) override;
  // Plays with no range and no wait.
  unsigned play() override;
  unsigned pause() override;
  // Where a device has no resume (the sequencer on some systems), it plays
  // on from where it stands instead.
  unsigned resume() override;
  unsigned seek_start() override;
  unsigned close() override;

 private:
  MCIDEVICEID device_ = 0;
};

// The Windows clipboard, text in the ANSI code page (CF_TEXT).
class Win32Clipboard : public Clipboard {
 public:
  std::optional<std::string> read_text() override;
  // Opens the clipboard with its current owner's window.
  bool open_as_owner(bool empty) override;
  bool write_text(std::string_view text) override;
};

// Programs started with WinExec, shown maximised. A name under the data
// folder that is not there is also tried by its bare name, which Windows
// looks for beside the program and along PATH.
class WinExecPrograms : public Programs {
 public:
  bool start(std::string_view command_line) override;
};

class Win32Backends : public OsBackends {
 public:
  std::unique_ptr<Dialogs> make_dialogs() override;
  std::unique_ptr<Clock> make_clock() override;
  std::unique_ptr<MidiDevices> make_midi(Clock& clock) override;
  std::unique_ptr<SoundCues> make_sounds() override;
  std::unique_ptr<Media> make_media(Clock& clock) override;
  std::unique_ptr<Clipboard> make_clipboard() override;
  std::unique_ptr<Programs> make_programs() override;
  // Paths keep the system's own spelling: Windows itself takes a path that
  // begins with a backslash from the root of the current drive.
  std::string native_path(std::string_view system_path) override;
};

// Raises the system timer resolution to 1 ms for as long as it lives, so
// that Sleep keeps rhythms even.
class TimerResolution {
 public:
  TimerResolution();
  ~TimerResolution();
  TimerResolution(const TimerResolution&) = delete;
  TimerResolution& operator=(const TimerResolution&) = delete;

 private:
  bool raised_ = false;
};

// Installs the console control handler: on Ctrl-C, Ctrl-Break or the
// closing of the console, the open MIDI device is silenced and closed, every
// media device is closed, and the process ends.
void install_console_handler();

}  // namespace velk0::platform::win32
