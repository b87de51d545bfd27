// Ctrl-C, Ctrl-\, hang-up and termination requests. The handler only records
// the request; the places where the program blocks (the clock's waits, the
// answer of a box, a sound cue) and every MIDI message notice it and throw
// `Interrupted`, and the entry then releases every sounding note before it
// exits.
#pragma once

#include <signal.h>

namespace velk0::platform::posix {

// Thrown out of a blocking call once an interruption has been requested.
struct Interrupted {};

// Installs the handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT (a signal that the
// shell left ignored, as for a background job, stays ignored) and ignores
// SIGPIPE. Call once, before any thread starts.
void install_interrupt_handlers();

// After a signal has asked the program to stop, the way out (every note
// released, the devices closed) has this long; then the program ends anyway.
constexpr int kExitGraceMs = 800;

// Starts a thread that ends the program (exit status 128 + the signal's
// number) kExitGraceMs after a signal asked it to stop, should it still run:
// the main thread may wait on something that never answers, such as a sound
// server that was stopped. That thread also takes the signals while the main
// thread holds them (SignalsHeld). Call once, after install_interrupt_handlers.
void end_soon_after_interrupt();

// True once a signal asked the program to stop.
bool interrupt_requested();
// The signal that asked it (0 when none).
int interrupt_signal();
// Throws Interrupted when an interruption has been requested.
void throw_if_interrupted();
// A descriptor that becomes readable when an interruption is requested, to
// be polled beside the one a call is waiting on (-1 before installation).
int interrupt_fd();
// Forgets a request (tests only).
void clear_interrupt();

// Keeps the interrupting signals blocked on the calling thread while it lives,
// so that threads started by libraries in that time never take them: the
// signal reaches the main thread and cuts its wait short, or, while the main
// thread holds them, the thread of end_soon_after_interrupt (every later wait
// then sees the request).
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace velk0::platform::posix
