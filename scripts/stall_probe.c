/* Tells how long the machine keeps a thread of the audio threads' priority
 * from running, for the sound benchmark. Two threads sleep a millisecond at a
 * time: one at nice -20, as SDL's audio thread and the rendering thread ask,
 * and one at a real-time priority (SCHED_RR), as a sound server's asks. Once
 * standard input closes, it prints how long each slept past its time at
 * most, in milliseconds (-1 for a priority the system refused). A stall that
 * the real-time thread sees too comes from the machine, not from any program.
 * A third thread looks every 50 ms at the threads of the processes named
 * velk0: it prints last the most it saw at once under SCHED_FIFO or
 * SCHED_RR, which tells whether the system granted velk0 the real time its
 * sound threads ask for.
 * Build: cc -O2 -pthread -o stall_probe this.c */
#include <dirent.h>
#include <pthread.h>
#include <sched.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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

/* Whether the thread whose stat file is `path` runs under a real-time policy
 * (the 41st field, the 39th after the name in parentheses). */
static int real_time_thread(const char *path) {
  char line[1024];
  FILE *f = fopen(path, "r");
  if (!f) return 0;
  size_t n = fread(line, 1, sizeof line - 1, f);
  fclose(f);
  line[n] = 0;
  char *p = strrchr(line, ')');
  if (!p) return 0;
  int field = 2;
  long policy = 0;
  for (char *t = strtok(p + 1, " "); t; t = strtok(NULL, " "))
    if (++field == 41) policy = strtol(t, NULL, 10);
  return policy == SCHED_FIFO || policy == SCHED_RR;
}

static int velk0_real_time_threads(void) {
  int count = 0;
  DIR *procs = opendir("/proc");
  if (!procs) return 0;
  for (struct dirent *e; (e = readdir(procs));) {
    char path[300], name[64] = "";
    snprintf(path, sizeof path, "/proc/%s/comm", e->d_name);
    FILE *f = fopen(path, "r");
    if (!f) continue;
    if (!fgets(name, sizeof name, f)) name[0] = 0;
    fclose(f);
    if (strcmp(name, "velk0\n") != 0) continue;
    snprintf(path, sizeof path, "/proc/%s/task", e->d_name);
    DIR *tasks = opendir(path);
    if (!tasks) continue;
    for (struct dirent *t; (t = readdir(tasks));) {
      char stat[600];
      snprintf(stat, sizeof stat, "%s/%s/stat", path, t->d_name);
      if (t->d_name[0] != '.') count += real_time_thread(stat);
    }
    closedir(tasks);
  }
  closedir(procs);
  return count;
}

static void *watch_velk0(void *most) {
  while (!atomic_load(&done)) {
    int seen = velk0_real_time_threads();
    if (seen > *(int *)most) *(int *)most = seen;
    usleep(50000);
  }
  return NULL;
}

int main(void) {
  long long worst_nice = 0, worst_rt = 0;
  int velk0_rt = 0;
  pthread_t a, b, c;
  if (pthread_create(&a, NULL, nice_20, &worst_nice) != 0) return 1;
  if (pthread_create(&b, NULL, real_time, &worst_rt) != 0) return 1;
  if (pthread_create(&c, NULL, watch_velk0, &velk0_rt) != 0) return 1;
  char byte;
  while (read(0, &byte, 1) > 0) {
  }
  atomic_store(&done, 1);
  pthread_join(a, NULL);
  pthread_join(b, NULL);
  pthread_join(c, NULL);
  printf("%.1f %.1f %d\n", worst_nice / 1e6, worst_rt / 1e6, velk0_rt);
  return 0;
}
