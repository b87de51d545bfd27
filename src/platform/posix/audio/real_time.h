// Real-time scheduling for the threads that keep the sound flowing, where the
// system grants it: a thread under SCHED_FIFO runs as soon as it wakes,
// whatever else keeps the processors busy, so that a short delay between a
// note and the speakers holds on a loaded machine.
#pragma once

#include <sys/types.h>

namespace velk0::platform::posix {

// Priorities under SCHED_FIFO (1 is the lowest), below a sound server's own
// threads (PulseAudio's and PipeWire's ask for 5 and more): the device's
// callback above the thread that renders for it, which it may interrupt.
constexpr int kRendererPriority = 1;
constexpr int kCallbackPriority = 2;

// The calling thread's id, for real_time().
pid_t this_thread();

// Asks that the thread `thread` of this process run under SCHED_FIFO at
// `priority`: directly, where the process may (RLIMIT_RTPRIO, or the
// privilege), else through RealtimeKit over the system's D-Bus. Whether it
// was granted; a refusal changes nothing and says nothing. A thread it
// raises must not run more than kLongestRunNs without sleeping (RealtimeKit
// has the process's RLIMIT_RTTIME set, past which the system stops it).
bool real_time(pid_t thread, int priority);
constexpr long long kLongestRunNs = 50'000'000;

}  // namespace velk0::platform::posix
