// The Windows backends, run under Wine (or on Windows itself).
#include "platform/win32/win32_backends.h"

#include <gtest/gtest.h>

namespace velk0::platform::win32 {
namespace {

TEST(Win32Clock, TimeOnlyMovesForward) {
  PerformanceClock clock;
  std::uint64_t last = clock.now_us();
  for (int i = 0; i < 1000; ++i) {
    std::uint64_t now = clock.now_us();
    ASSERT_GE(now, last);
    last = now;
  }
  EXPECT_EQ(clock.now_ms(), clock.now_us() / 1000);
}

TEST(Win32Clock, WaitLastsAtLeastItsLength) {
  PerformanceClock clock;
  std::uint64_t before = clock.now_us();
  clock.wait_ms(40);
  EXPECT_GE(clock.now_us() - before, 40000u);
}

TEST(Win32Clock, WaitsAgreeWithTheSystemTickCount) {
  PerformanceClock clock;
  ULONGLONG before = GetTickCount64();
  clock.wait_ms(300);
  ULONGLONG elapsed = GetTickCount64() - before;
  // The tick count moves in steps of up to 16 ms.
  EXPECT_GE(elapsed, 280u);
  EXPECT_LT(elapsed, 2000u);
}

TEST(Win32Clock, TimeSpentBetweenWaitsDoesNotAddUp) {
  ConsoleGuard guard;
  TimerResolution timer(guard);
  PerformanceClock clock;
  std::uint64_t start = clock.now_us();
  for (int i = 0; i < 8; ++i) {
    clock.wait_ms(30);
    // 20 ms of work between two notes, as if sending many messages.
    std::uint64_t busy_until = clock.now_us() + 20000;
    while (clock.now_us() < busy_until) {
    }
  }
  std::uint64_t elapsed = clock.now_us() - start;
  // Against deadlines: 8 x 30 ms plus the last 20 ms of work, 260 ms. Waits
  // measured from their own start would take 8 x 50 ms = 400 ms.
  EXPECT_GE(elapsed, 260000u);
  EXPECT_LT(elapsed, 340000u);
}

TEST(Win32Midi, CountIsTheSystemsDeviceCount) {
  ConsoleGuard guard;
  WinmmMidi midi(guard);
  EXPECT_EQ(midi.count(), midiOutGetNumDevs());
}

TEST(Win32Midi, DeviceBeyondTheLastReportsNoNotesAndDoesNotOpen) {
  ConsoleGuard guard;
  WinmmMidi midi(guard);
  unsigned past_the_end = midi.count();
  EXPECT_EQ(midi.notes(past_the_end), 0);
  EXPECT_FALSE(midi.open(past_the_end));
  // Messages with nothing open go nowhere and do no harm; closing twice is fine.
  midi.send(MidiMessage{0x90, 60, 127});
  midi.close();
  midi.close();
}

TEST(Win32Midi, NotesAreTheCapabilityRecordsPolyphony) {
  ConsoleGuard guard;
  WinmmMidi midi(guard);
  for (unsigned i = 0; i < midi.count(); ++i) {
    MIDIOUTCAPSA caps{};
    ASSERT_EQ(midiOutGetDevCapsA(i, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_EQ(midi.notes(i), caps.wNotes) << caps.szPname;
  }
}

TEST(Win32Midi, EveryDeviceOpensAndClosesAgain) {
  ConsoleGuard guard;
  WinmmMidi midi(guard);
  if (midi.count() == 0) GTEST_SKIP() << "no MIDI output device on this system";
  for (unsigned i = 0; i < midi.count(); ++i) {
    ASSERT_TRUE(midi.open(i)) << "device " << i;
    midi.send(MidiMessage{0x90, 60, 127});
    midi.send(MidiMessage{0x80, 60, 0});
    midi.close();
    // Closed for real: the system lets the device be opened again at once.
    HMIDIOUT handle = nullptr;
    ASSERT_EQ(midiOutOpen(&handle, i, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    midiOutClose(handle);
  }
}

// The inputs as the system lists them; one beyond the last neither has a name
// nor opens, and a wait with nothing open lasts until the time asked for.
TEST(Win32MidiIn, InputsAreTheSystemsAndWaitsEndOnTime) {
  PerformanceClock clock;
  WinmmMidiInputs inputs(clock);
  EXPECT_EQ(inputs.count(), midiInGetNumDevs());
  struct Sink : MidiSink {
    void received(MidiMessage, std::uint64_t) override { ++heard; }
    void port_lost() override { ++heard; }
    void port_back() override { ++heard; }
    int heard = 0;
  } sink;
  EXPECT_EQ(inputs.name(inputs.count()), "");
  EXPECT_FALSE(inputs.open(inputs.count(), sink));
  const std::uint64_t start = clock.now_ms();
  EXPECT_EQ(inputs.wait(start + 40), Awoken::due);
  EXPECT_GE(clock.now_ms(), start + 40);
  EXPECT_LT(clock.now_ms(), start + 400);
  for (unsigned i = 0; i < inputs.count(); ++i) {
    ASSERT_TRUE(inputs.open(i, sink)) << inputs.name(i);
    EXPECT_EQ(inputs.wait(clock.now_ms() + 10), Awoken::due);
    inputs.close();
    // Closed for real: the system lets the device be opened again at once.
    HMIDIIN handle = nullptr;
    ASSERT_EQ(midiInOpen(&handle, i, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    midiInClose(handle);
  }
  inputs.close();
  EXPECT_EQ(sink.heard, 0);
}

TEST(Win32Paths, SystemPathsKeepTheirSpelling) {
  Win32Backends os;
  EXPECT_EQ(os.native_path("\\korvane\\notaflux.ini"), "\\korvane\\notaflux.ini");
  EXPECT_EQ(os.native_path("piece.tab"), "piece.tab");
}

TEST(Win32Clipboard, TextWrittenIsReadBackWithWindowsLineEnds) {
  Win32Clipboard clipboard;
  ASSERT_TRUE(clipboard.write_text("o3 c d \xE9\nsuite\n"));
  EXPECT_EQ(clipboard.read_text(), std::optional<std::string>("o3 c d \xE9\r\nsuite\r\n"));
  // Opened as its owner and emptied: no text left, and the clipboard is
  // closed again (it can be read).
  EXPECT_TRUE(clipboard.open_as_owner(true));
  EXPECT_EQ(clipboard.read_text(), std::optional<std::string>(""));
}

TEST(Win32Programs, AProgramThatIsNowhereDoesNotStart) {
  WinExecPrograms programs;
  EXPECT_FALSE(programs.start("\\korvane\\velk0-no-such-companion.exe"));
}

}  // namespace
}  // namespace velk0::platform::win32
