#include "platform/win32/winmm_midi_in.h"

#include <cstring>

namespace velk0::platform::win32 {
namespace {

constexpr std::uint64_t kLookEveryMs = 500;

std::string device_name(unsigned index) {
  MIDIINCAPSA caps{};
  if (midiInGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
  return std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
}

}  // namespace

WinmmMidiInputs::WinmmMidiInputs(Clock& clock) : clock_(clock) {
  InitializeCriticalSection(&lock_);
  arrived_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

WinmmMidiInputs::~WinmmMidiInputs() {
  close();
  if (arrived_) CloseHandle(arrived_);
  DeleteCriticalSection(&lock_);
}

std::string WinmmMidiInputs::name(unsigned index) { return device_name(index); }

void CALLBACK WinmmMidiInputs::on_input(HMIDIIN, UINT kind, DWORD_PTR self, DWORD_PTR data,
                                        DWORD_PTR) {
  if (kind != MIM_DATA) return;
  auto& inputs = *reinterpret_cast<WinmmMidiInputs*>(self);
  const MidiMessage message = MidiMessage::from_word(static_cast<std::uint32_t>(data));
  if (message.length() == 0) return;  // no channel message
  const Arrival arrival{message.seven_bit(), inputs.clock_.now_ms()};
  EnterCriticalSection(&inputs.lock_);
  inputs.queue_.push_back(arrival);
  LeaveCriticalSection(&inputs.lock_);
  SetEvent(inputs.arrived_);
}

bool WinmmMidiInputs::open_device(unsigned index) {
  HMIDIIN handle = nullptr;
  if (midiInOpen(&handle, index, reinterpret_cast<DWORD_PTR>(&WinmmMidiInputs::on_input),
                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR)
    return false;
  if (midiInStart(handle) != MMSYSERR_NOERROR) {
    midiInClose(handle);
    return false;
  }
  handle_ = handle;
  return true;
}

void WinmmMidiInputs::close_device() {
  if (!handle_) return;
  midiInStop(handle_);
  midiInReset(handle_);
  midiInClose(handle_);
  handle_ = nullptr;
}

bool WinmmMidiInputs::open(unsigned index, MidiSink& sink) {
  close();
  if (!arrived_ || index >= count() || !open_device(index)) return false;
  sink_ = &sink;
  name_ = device_name(index);
  lost_ = false;
  next_look_ = GetTickCount64() + kLookEveryMs;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  console_ = input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode) ? input : nullptr;
  return true;
}

bool WinmmMidiInputs::hand_on() {
  EnterCriticalSection(&lock_);
  std::vector<Arrival> came;
  came.swap(queue_);
  LeaveCriticalSection(&lock_);
  if (sink_)
    for (const Arrival& arrival : came) sink_->received(arrival.message, arrival.ms);
  return !came.empty();
}

bool WinmmMidiInputs::watch_device() {
  if (!sink_ || GetTickCount64() < next_look_) return false;
  next_look_ = GetTickCount64() + kLookEveryMs;
  std::optional<unsigned> found;
  for (unsigned i = 0, n = count(); i < n && !found; ++i)
    if (device_name(i) == name_) found = i;
  if (!lost_ && !found) {
    close_device();
    lost_ = true;
    sink_->port_lost();
    return true;
  }
  if (lost_ && found && open_device(*found)) {
    lost_ = false;
    sink_->port_back();
    return true;
  }
  return false;
}

bool WinmmMidiInputs::quit_typed() {
  INPUT_RECORD records[16];
  DWORD read = 0;
  if (!ReadConsoleInputA(console_, records, 16, &read)) {
    console_ = nullptr;  // no longer a console to read
    return false;
  }
  for (DWORD i = 0; i < read; ++i) {
    const INPUT_RECORD& record = records[i];
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    const char c = record.Event.KeyEvent.uChar.AsciiChar;
    if (c == 'q' || c == 'Q' || record.Event.KeyEvent.wVirtualKeyCode == VK_ESCAPE) return true;
  }
  return false;
}

Awoken WinmmMidiInputs::wait(std::optional<std::uint64_t> until_ms) {
  for (;;) {
    if (hand_on() || watch_device()) return Awoken::handed;
    const std::uint64_t now = clock_.now_ms();
    if (until_ms && now >= *until_ms) return Awoken::due;
    std::uint64_t timeout = kLookEveryMs;
    const bool until_first = until_ms && *until_ms - now <= timeout;
    if (until_first) timeout = *until_ms - now;
    const HANDLE handles[2] = {arrived_, console_};
    const DWORD woke =
        WaitForMultipleObjects(console_ ? 2 : 1, handles, FALSE, static_cast<DWORD>(timeout));
    if (woke == WAIT_OBJECT_0 + 1 && quit_typed()) return Awoken::quit;
    // So does a clock that does not move while the system waits (the
    // virtual one) come to the time asked for.
    if (woke == WAIT_TIMEOUT && until_first) return Awoken::due;
    if (woke == WAIT_FAILED) Sleep(static_cast<DWORD>(timeout));
  }
}

void WinmmMidiInputs::close() {
  sink_ = nullptr;
  console_ = nullptr;
  close_device();
  EnterCriticalSection(&lock_);
  queue_.clear();
  LeaveCriticalSection(&lock_);
}

}  // namespace velk0::platform::win32
