#include "platform/win32/winmm_midi.h"

#include <cstring>

namespace velk0::platform::win32 {

using Locked = ConsoleGuard::Locked;

WinmmMidi::WinmmMidi(ConsoleGuard& guard) : guard_(guard) {
  Locked locked(guard_);
  guard_.device = this;
}

WinmmMidi::~WinmmMidi() {
  Locked locked(guard_);
  silence_and_close();
  if (guard_.device == this) guard_.device = nullptr;
}

unsigned WinmmMidi::count() { return midiOutGetNumDevs(); }

int WinmmMidi::notes(unsigned index) {
  MIDIOUTCAPSA caps{};
  if (midiOutGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return 0;
  return caps.wNotes;
}

std::string WinmmMidi::name(unsigned index) {
  MIDIOUTCAPSA caps{};
  if (midiOutGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
  return std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
}

bool WinmmMidi::open(unsigned index) {
  Locked locked(guard_);
  if (handle_) silence_and_close();
  if (guard_.ending) return false;
  HMIDIOUT handle = nullptr;
  if (midiOutOpen(&handle, index, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
  handle_ = handle;
  return true;
}

void WinmmMidi::send(MidiMessage message) {
  Locked locked(guard_);
  if (handle_) midiOutShortMsg(handle_, message.word());
}

void WinmmMidi::close() {
  Locked locked(guard_);
  silence_and_close();
}

void WinmmMidi::silence_and_close() {
  Locked locked(guard_);  // the lock is recursive: callers may already hold it
  if (!handle_) return;
  midiOutReset(handle_);
  midiOutClose(handle_);
  handle_ = nullptr;
}

}  // namespace velk0::platform::win32
