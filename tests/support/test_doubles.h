// The test doubles of the platform's services, shared by the unit tests, the
// fuzzer and every later test.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace velk0::testing {

// MIDI output devices with the given polyphony each (an empty list: no
// device at all). Messages go nowhere, but a data byte of 128 or more, which
// a device would read as a status byte, is counted, and so are the times the
// devices were counted.
class FakeMidiDevices : public platform::MidiDevices {
 public:
  explicit FakeMidiDevices(std::vector<int> notes) : notes_(std::move(notes)) {}
  unsigned count() override {
    ++counted_;
    return static_cast<unsigned>(notes_.size());
  }
  int notes(unsigned index) override { return index < notes_.size() ? notes_[index] : 0; }
  std::string name(unsigned index) override { return "sortie " + std::to_string(index); }
  bool open(unsigned index) override { return index < notes_.size(); }
  void send(platform::MidiMessage message) override;
  void close() override {}
  int bad_data_bytes() const { return bad_data_bytes_; }
  int counted() const { return counted_; }

 private:
  std::vector<int> notes_;
  int bad_data_bytes_ = 0;
  int counted_ = 0;
};

// Media devices that play nothing: every step succeeds unless it was told to
// fail with an error code (by its trace name: open, status, play, pause,
// resume, seek, close). The sequencer reports port 0.
class FakeMedia : public platform::Media {
 public:
  void fail(const std::string& op, unsigned error) { failures_[op] = error; }
  unsigned open(platform::MediaType, std::string_view) override { return step("open"); }
  unsigned port(int& port) override;
  unsigned play() override { return step("play"); }
  unsigned pause() override { return step("pause"); }
  unsigned resume() override { return step("resume"); }
  unsigned seek_start() override { return step("seek"); }
  unsigned close() override { return step("close"); }

 private:
  unsigned step(const std::string& op);
  std::map<std::string, unsigned> failures_;
};

// Sound cues that make no sound.
class SilentSounds : public platform::SoundCues {
 public:
  platform::CueFile play(std::string_view) override { return {}; }
};

// Text files held in memory by their paths; with none, nothing can be
// opened. read_stream hands a text on `piece` characters at a time, so that
// a reader meets every way of being split.
class MemoryFiles : public platform::Files {
 public:
  std::map<std::string, std::string, std::less<>> files;
  std::size_t piece = 1;

  std::optional<platform::TextPage> read_text(std::string_view path, int page) override;
  bool read_stream(std::string_view path,
                   const std::function<bool(std::string_view)>& take) override;
  platform::Written write_text(std::string_view path, std::string_view text) override;
};

// Boxes answered in turn from a fixed cycle of answers; information boxes
// answer OK.
class CycleDialogs : public platform::Dialogs {
 public:
  explicit CycleDialogs(std::vector<int> answers) : answers_(std::move(answers)) {}
  int show(platform::BoxStyle style, std::string_view text, std::string_view caption) override;
  // Where in the cycle the next question starts.
  void restart_at(unsigned position) { next_ = position; }

 private:
  std::vector<int> answers_;
  unsigned next_ = 0;
};

// A clipboard that holds a text (an empty text: no text), or that cannot be
// opened at all (nothing).
class FakeClipboard : public platform::Clipboard {
 public:
  std::optional<std::string> text = std::string();
  std::optional<std::string> read_text() override { return text; }
  bool open_as_owner(bool empty) override;
  bool write_text(std::string_view written) override;
};

// Programs that start when their command line is in `installed`; every
// attempt is kept in `started`.
class FakePrograms : public platform::Programs {
 public:
  std::vector<std::string> installed, started;
  bool start(std::string_view command_line) override;
};

}  // namespace velk0::testing
