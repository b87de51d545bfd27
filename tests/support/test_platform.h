// A whole platform for tests: virtual clock, scripted answers, fake MIDI
// devices, files in a scratch folder, and the trace kept in memory.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "midi/run_state.h"
#include "platform/session.h"
#include "test_doubles.h"

namespace velk0::testing {

class FakeMedia;

// A box as the trace reports it (texts in UTF-8).
struct Box {
  std::string style, text, caption;
  int answer = 0;
};

// A MIDI short message as the trace reports it.
using Midi = std::array<int, 3>;

// Note-on and note-off on the channel every opening sets (1).
inline Midi on(int note) { return {0x91, note, 127}; }
inline Midi off(int note) { return {0x81, note, 0}; }

// What the platform throws once the user asked the program to stop.
struct StopRequested {};

class PlatformTest : public ::testing::Test {
 protected:
  PlatformTest();
  ~PlatformTest() override;
  void SetUp() override;
  void TearDown() override;

  // Starts a new session: `answers` as VELK0_ANSWERS, `device_notes` the
  // polyphony of each device (empty: no device at all), with a run state of
  // its own whose settings are reset as a run starts; clears the trace.
  void start(const std::string& answers = "", std::vector<int> device_notes = {256});
  void clear_trace();
  // The user asks the program to stop after this many checks (-1: never).
  void stop_after(int checks);
  // What the entry does on the way out: releases every note, closes the device.
  void shutdown();

  // Runs the argument loop on the session's run state with these arguments
  // (the program's name is added).
  int run(std::vector<std::string> args);

  // The run state the session's program works on, and its parts.
  RunState& state() { return *state_; }
  PlaySettings& settings() { return state_->settings; }
  LoopSettings& loop_settings() { return state_->loop; }
  MidiOut& midi_out() { return state_->out; }
  platform::Platform& services() { return session_->platform(); }

  std::vector<std::string> lines() const;
  std::vector<std::string> events(const std::string& ev) const;
  std::vector<Midi> midi() const;
  std::vector<Midi> notes_on() const;  // note-on messages only
  std::vector<int> waits() const;
  std::vector<Box> boxes() const;
  std::vector<std::string> captions() const;
  std::vector<std::string> sounds() const;  // the paths of the cues played
  std::vector<std::string> execs() const;   // the command lines started
  std::string trace() const { return trace_.str(); }
  std::string printed() const { return printed_.str(); }

  // A file in the scratch folder that stands for the drive root.
  void write_file(const std::string& system_path, const std::string& bytes);
  std::string read_file(const std::string& system_path) const;
  std::filesystem::path root() const { return root_; }
  // The media devices of the running session.
  FakeMedia& media();

  // The clipboard the program reads (it starts with no text) and the
  // programs it can start (none at first).
  FakeClipboard& clipboard();
  FakePrograms& programs();
  // The MIDI output devices of the running session.
  FakeMidiDevices& midi_devices();

 private:
  class Backends;
  std::unique_ptr<Backends> backends_;
  std::unique_ptr<platform::Session> session_;
  std::unique_ptr<RunState> state_;
  std::ostringstream trace_, printed_;
  std::filesystem::path root_;
};

// A string field of one trace line, decoded; "" when absent.
std::string field(const std::string& line, const std::string& key);
// A number field of one trace line; -1 when absent or null.
long long number(const std::string& line, const std::string& key);

}  // namespace velk0::testing
