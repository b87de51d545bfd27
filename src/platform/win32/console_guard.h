// What the console control handler needs: the MIDI device that may be
// sounding, whether the timer resolution is raised, and a flag that stops any
// further opening once the process is ending. The backends own one guard for
// the run and hand it to the device and the timer resolution; the handler,
// which runs on a thread of its own, reaches it until the guard goes. With
// it, the raised timer resolution that the handler lowers again.
#pragma once

// clang-format off
#include <windows.h>
// clang-format on

namespace velk0::platform::win32 {

class WinmmMidi;

class ConsoleGuard {
 public:
  ConsoleGuard();
  // Removes the handler and waits for one that is running to let the guard go.
  ~ConsoleGuard();
  ConsoleGuard(const ConsoleGuard&) = delete;
  ConsoleGuard& operator=(const ConsoleGuard&) = delete;

  // Installs the console control handler: on Ctrl-C, Ctrl-Break or the
  // closing of the console, the open MIDI device is silenced and closed,
  // every media device is closed, and the process ends.
  void install();

  // Holds the guard's lock for as long as it lives. The lock is recursive:
  // a holder may take it again.
  class Locked {
   public:
    explicit Locked(ConsoleGuard& guard) : guard_(guard) { EnterCriticalSection(&guard_.lock_); }
    ~Locked() { LeaveCriticalSection(&guard_.lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

   private:
    ConsoleGuard& guard_;
  };

  // Read and changed under the lock only.
  WinmmMidi* device = nullptr;
  bool ending = false;
  bool timer_raised = false;

  // What the handler does: silences and closes everything, then ends the
  // process.
  [[noreturn]] void end_process();

 private:
  CRITICAL_SECTION lock_;
  bool installed_ = false;
};

// Raises the system timer resolution to 1 ms for as long as it lives, so
// that Sleep keeps rhythms even; the console control handler lowers it again
// when it ends the process.
class TimerResolution {
 public:
  // `guard` must outlive the resolution.
  explicit TimerResolution(ConsoleGuard& guard);
  ~TimerResolution();
  TimerResolution(const TimerResolution&) = delete;
  TimerResolution& operator=(const TimerResolution&) = delete;

 private:
  ConsoleGuard& guard_;
  bool raised_ = false;
};

}  // namespace velk0::platform::win32
