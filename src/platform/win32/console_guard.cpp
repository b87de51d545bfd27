#include "platform/win32/console_guard.h"

#include <mmsystem.h>

#include <atomic>

#include "platform/win32/winmm_midi.h"

namespace velk0::platform::win32 {
namespace {

// The handler's only way to the guard, as a signal handler's: the guard in
// use, and how many handlers are reaching it right now.
std::atomic<ConsoleGuard*> g_guard{nullptr};
std::atomic<int> g_handlers_running{0};

// Exit code of a console program ended by Ctrl-C.
constexpr UINT kInterruptedExitCode = 0xC000013AU;

bool ends_the_program(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      return true;
    default:
      return false;
  }
}

BOOL WINAPI on_console_event(DWORD event) {
  if (!ends_the_program(event)) return FALSE;
  ++g_handlers_running;
  if (ConsoleGuard* guard = g_guard.load()) guard->end_process();
  --g_handlers_running;
  return FALSE;  // the guard is gone, and nothing sounds: the system ends the process
}

}  // namespace

ConsoleGuard::ConsoleGuard() { InitializeCriticalSection(&lock_); }

ConsoleGuard::~ConsoleGuard() {
  if (installed_) {
    SetConsoleCtrlHandler(on_console_event, FALSE);
    ConsoleGuard* self = this;
    g_guard.compare_exchange_strong(self, nullptr);
    // A handler that reached the guard ends the process before it lets go.
    while (g_handlers_running.load() > 0) Sleep(1);
  }
  DeleteCriticalSection(&lock_);
}

void ConsoleGuard::install() {
  g_guard.store(this);
  installed_ = true;
  SetConsoleCtrlHandler(on_console_event, TRUE);
}

void ConsoleGuard::end_process() {
  {
    Locked locked(*this);
    ending = true;
    if (device) device->silence_and_close();
    mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_CLOSE, MCI_WAIT, 0);
    if (timer_raised) timeEndPeriod(1);
    timer_raised = false;
  }
  ExitProcess(kInterruptedExitCode);
}

TimerResolution::TimerResolution(ConsoleGuard& guard) : guard_(guard) {
  ConsoleGuard::Locked locked(guard_);
  raised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  guard_.timer_raised = raised_;
}

TimerResolution::~TimerResolution() {
  ConsoleGuard::Locked locked(guard_);
  if (raised_ && guard_.timer_raised) timeEndPeriod(1);
  guard_.timer_raised = false;
}

}  // namespace velk0::platform::win32
