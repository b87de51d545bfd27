/* Tells how long the machine keeps a thread of the audio threads' priority
 * from running, for the sound benchmark. Two threads sleep a millisecond at a
 * time: one at nice -20, as SDL's audio thread and the rendering thread ask,
 * and one at a real-time priority (SCHED_RR), as a sound server's asks. Once
 * standard input closes, it prints how long each slept past its time at
 * most, in milliseconds (-1 for a priority the system refused). A stall that
 * the real-time thread sees too comes from the machine, not from any program.
 * Build: cc -O2 -pthread -o stall_probe this.c */
#include <pthread.h>
#include <sched.h>
#include <stdatomic.h>
#include <stdio.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

static atomic_int done;

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

static long long sleep_until_done(void) {
  const struct timespec step = {0, 1000000};
  long long worst = 0;
  while (!atomic_load(&done)) {
    long long before = now_ns();
    nanosleep(&step, NULL);
    long long late = now_ns() - before - step.tv_nsec;
    if (late > worst) worst = late;
  }
  return worst;
}

static void *real_time(void *worst) {
  struct sched_param param = {.sched_priority = 10};
  if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) != 0) {
    *(long long *)worst = -1000000;
    while (!atomic_load(&done)) usleep(10000);
    return NULL;
  }
  *(long long *)worst = sleep_until_done();
  return NULL;
}

static void *nice_20(void *worst) {
  (void)setpriority(PRIO_PROCESS, 0, -20); /* this thread alone, on Linux */
  *(long long *)worst = sleep_until_done();
  return NULL;
}

int main(void) {
  long long worst_nice = 0, worst_rt = 0;
  pthread_t a, b;
  if (pthread_create(&a, NULL, nice_20, &worst_nice) != 0) return 1;
  if (pthread_create(&b, NULL, real_time, &worst_rt) != 0) return 1;
  char c;
  while (read(0, &c, 1) > 0) {
  }
  atomic_store(&done, 1);
  pthread_join(a, NULL);
  pthread_join(b, NULL);
  printf("%.1f %.1f\n", worst_nice / 1e6, worst_rt / 1e6);
  return 0;
}
