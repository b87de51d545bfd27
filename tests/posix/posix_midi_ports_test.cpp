// The MIDI output devices as one list: device 0, then the ports of each of
// the sequencer's interfaces in turn (ALSA's, then JACK's), each device
// number reaching the port of its interface.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/doubles/virtual_clock.h"
#include "platform/posix/midi/midi_devices.h"

namespace velk0::platform::posix {
namespace {

// An interface of the sequencer with the ports named, telling what reached
// it into `log`: "ALSA open 1", "ALSA 144 60 100", "ALSA close 0003".
class NamedPorts : public MidiPorts {
 public:
  NamedPorts(std::string kind, std::vector<std::string> names, std::vector<std::string>& log)
      : kind_(std::move(kind)), names_(std::move(names)), log_(log) {}
  unsigned count() override { return static_cast<unsigned>(names_.size()); }
  std::string name(unsigned index) override { return index < count() ? names_[index] : ""; }
  int notes(unsigned index) override { return index < count() ? 16 : 0; }
  bool open(unsigned index) override {
    log_.push_back(kind_ + " open " + std::to_string(index));
    return index < count();
  }
  void send(MidiMessage m) override {
    log_.push_back(kind_ + " " + std::to_string(m.status) + " " + std::to_string(m.data1) + " " +
                   std::to_string(m.data2));
  }
  void close(const std::bitset<16>& used) override {
    log_.push_back(kind_ + " close " + used.to_string().substr(12));
  }

 private:
  std::string kind_;
  std::vector<std::string> names_;
  std::vector<std::string>& log_;
};

TEST(MidiPortsTest, DevicesNumberDeviceZeroThenEachInterfacesPorts) {
  struct Case {
    std::vector<std::string> alsa, jack;  // ports of each; none: it does not start
    bool alsa_starts, jack_starts;
  } cases[] = {
      {{"Midi Through"}, {}, true, false},
      {{},
       {"essai:\xE9"
        "coute",
        "synth:in"},
       false,
       true},
      {{}, {"essai:in"}, true, true},
      {{"Midi Through", "USB"}, {"essai:in"}, true, true},
      {{}, {}, false, false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> log;
    int joined = 0;
    VirtualClock clock;
    PosixMidi midi({"", AudioOutput::none, ""}, clock, nullptr, "", [&] {
      ++joined;
      std::vector<std::unique_ptr<MidiPorts>> ports;
      if (c.alsa_starts) ports.push_back(std::make_unique<NamedPorts>("ALSA", c.alsa, log));
      if (c.jack_starts) ports.push_back(std::make_unique<NamedPorts>("JACK", c.jack, log));
      return ports;
    });
    EXPECT_EQ(midi.name(0), PiecePort::kName);
    EXPECT_EQ(joined, 0);  // device 0 alone does not look for the sequencer
    std::vector<std::string> names = {PiecePort::kName}, expected = {PiecePort::kName};
    expected.insert(expected.end(), c.alsa.begin(), c.alsa.end());
    expected.insert(expected.end(), c.jack.begin(), c.jack.end());
    ASSERT_EQ(midi.count(), expected.size());
    for (unsigned n = 1; n <= midi.count(); ++n) {
      names.push_back(midi.name(n));
      EXPECT_EQ(midi.notes(n), n < midi.count() ? 16 : 0);
    }
    names.pop_back();  // past the last device: no name
    EXPECT_EQ(names, expected);
    EXPECT_EQ(joined, 1);

    // The last device is opened as its interface numbers it; a note on
    // channel 2 is let go there when it closes.
    const unsigned last = midi.count() - 1;
    if (last == 0) continue;
    ASSERT_TRUE(midi.open(last));
    midi.send(MidiMessage{0x91, 60, 100});
    midi.close();
    const std::string kind = c.jack.empty() ? "ALSA" : "JACK";
    const auto local = std::to_string(c.jack.empty() ? c.alsa.size() - 1 : c.jack.size() - 1);
    EXPECT_EQ(log, (std::vector<std::string>{kind + " open " + local, kind + " 145 60 100",
                                             kind + " close 0010"}));
    EXPECT_FALSE(midi.open(midi.count()));
  }
}

}  // namespace
}  // namespace velk0::platform::posix
