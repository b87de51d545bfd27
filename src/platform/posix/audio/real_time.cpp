#include "platform/posix/audio/real_time.h"

#include <dbus/dbus.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace velk0::platform::posix {
namespace {

// RealtimeKit hands out real-time scheduling only to a process whose
// RLIMIT_RTTIME is at most this (its default RTTimeUSecMax).
constexpr rlim_t kRealtimeKitRunUs = 200'000;
// A RealtimeKit that does not answer at once is not waited for.
constexpr int kRealtimeKitWaitMs = 500;

bool fifo(pid_t thread, int priority) {
  sched_param param{};
  param.sched_priority = priority;
  return sched_setscheduler(thread, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0;
}

// Without the privilege, RLIMIT_RTPRIO bounds the priority a process may give
// its threads.
bool fifo_within_limit(pid_t thread, int priority) {
  rlimit limit{};
  if (getrlimit(RLIMIT_RTPRIO, &limit) != 0 || limit.rlim_cur == 0) return false;
  return fifo(thread, static_cast<int>(std::min<rlim_t>(limit.rlim_cur, priority)));
}

bool limit_run_for_realtime_kit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_RTTIME, &limit) != 0) return false;
  limit.rlim_max = std::min(limit.rlim_max, kRealtimeKitRunUs);
  limit.rlim_cur = std::min(limit.rlim_cur, limit.rlim_max);
  return setrlimit(RLIMIT_RTTIME, &limit) == 0;
}

bool ask_realtime_kit(DBusConnection* bus, pid_t thread, int priority) {
  DBusMessage* call =
      dbus_message_new_method_call("org.freedesktop.RealtimeKit1", "/org/freedesktop/RealtimeKit1",
                                   "org.freedesktop.RealtimeKit1", "MakeThreadRealtimeWithPID");
  if (!call) return false;
  dbus_uint64_t process = static_cast<dbus_uint64_t>(getpid());
  dbus_uint64_t id = static_cast<dbus_uint64_t>(thread);
  dbus_uint32_t level = static_cast<dbus_uint32_t>(priority);
  bool granted = false;
  if (dbus_message_append_args(call, DBUS_TYPE_UINT64, &process, DBUS_TYPE_UINT64, &id,
                               DBUS_TYPE_UINT32, &level, DBUS_TYPE_INVALID)) {
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(bus, call, kRealtimeKitWaitMs, &error);
    granted = reply && !dbus_error_is_set(&error);
    if (reply) dbus_message_unref(reply);
    dbus_error_free(&error);
  }
  dbus_message_unref(call);
  return granted;
}

bool through_realtime_kit(pid_t thread, int priority) {
  if (!limit_run_for_realtime_kit()) return false;
  DBusError error;
  dbus_error_init(&error);
  DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
  dbus_error_free(&error);
  if (!bus) return false;  // no system bus
  // A bus that goes away must not end the program.
  dbus_connection_set_exit_on_disconnect(bus, false);
  const bool granted = ask_realtime_kit(bus, thread, priority);
  dbus_connection_close(bus);
  dbus_connection_unref(bus);
  return granted;
}

}  // namespace

pid_t this_thread() { return gettid(); }

bool real_time(pid_t thread, int priority) {
  return fifo(thread, priority) || fifo_within_limit(thread, priority) ||
         through_realtime_kit(thread, priority);
}

}  // namespace velk0::platform::posix
