/* Notes when velk0 reaches each step of its start, for the sound benchmark:
 * preloaded into the program, it takes the time (CLOCK_MONOTONIC, as Python's
 * time.monotonic) at which the synthesizer's library calls begin and end
 * (the SoundFont read, the first programs' samples, the sound device opened
 * and started, the first block rendered, the first note-on applied) and
 * writes them, one "name seconds" a line, to the file named by
 * VELK0_BENCH_MARKS when the program ends. A process that made none of these
 * calls (the GNU time around velk0) writes nothing.
 * Build: cc -O2 -shared -fPIC -o x.so this.c */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum {
  LOADED,
  SETTINGS,
  SFLOAD_BEGIN,
  SFLOAD_END,
  PROGRAMS_END,
  AUDIO_INIT_BEGIN,
  AUDIO_INIT_END,
  OPEN_BEGIN,
  OPEN_END,
  STARTED,
  FIRST_RENDER,
  FIRST_NOTE_ON,
  MARKS
};
static const char *const names[MARKS] = {
    "loaded",     "settings",   "sfload_begin", "sfload_end", "programs_end", "audio_init_begin",
    "audio_init_end", "open_begin", "open_end", "started", "first_render", "first_note_on"};
static _Atomic long long marks[MARKS];
static atomic_int rendering;

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

/* The first time only. */
static void mark(int which) {
  long long none = 0;
  atomic_compare_exchange_strong(&marks[which], &none, now_ns());
}

#define NEXT(name) ((name##_f)dlsym(RTLD_NEXT, #name))

typedef void *(*new_fluid_settings_f)(void);
void *new_fluid_settings(void) {
  mark(SETTINGS);
  return NEXT(new_fluid_settings)();
}

typedef int (*fluid_synth_sfload_f)(void *, const char *, int);
int fluid_synth_sfload(void *synth, const char *file, int reset) {
  mark(SFLOAD_BEGIN);
  int id = NEXT(fluid_synth_sfload)(synth, file, reset);
  mark(SFLOAD_END);
  return id;
}

/* The last program change before the rendering starts: the samples of the
 * programs chosen at the start have been read. */
typedef int (*fluid_synth_program_change_f)(void *, int, int);
int fluid_synth_program_change(void *synth, int channel, int program) {
  int status = NEXT(fluid_synth_program_change)(synth, channel, program);
  if (!atomic_load(&rendering)) atomic_store(&marks[PROGRAMS_END], now_ns());
  return status;
}

typedef int (*fluid_synth_noteon_f)(void *, int, int, int);
int fluid_synth_noteon(void *synth, int channel, int key, int velocity) {
  mark(FIRST_NOTE_ON);
  return NEXT(fluid_synth_noteon)(synth, channel, key, velocity);
}

typedef int (*fluid_synth_write_float_f)(void *, int, void *, int, int, void *, int, int);
int fluid_synth_write_float(void *synth, int len, void *l, int loff, int lincr, void *r, int roff,
                            int rincr) {
  if (!atomic_exchange(&rendering, 1)) mark(FIRST_RENDER);
  return NEXT(fluid_synth_write_float)(synth, len, l, loff, lincr, r, roff, rincr);
}

typedef int (*SDL_InitSubSystem_f)(unsigned);
int SDL_InitSubSystem(unsigned flags) {
  mark(AUDIO_INIT_BEGIN);
  int status = NEXT(SDL_InitSubSystem)(flags);
  mark(AUDIO_INIT_END);
  return status;
}

typedef unsigned (*SDL_OpenAudioDevice_f)(const char *, int, const void *, void *, int);
unsigned SDL_OpenAudioDevice(const char *device, int capture, const void *wanted, void *obtained,
                             int changes) {
  mark(OPEN_BEGIN);
  unsigned id = NEXT(SDL_OpenAudioDevice)(device, capture, wanted, obtained, changes);
  mark(OPEN_END);
  return id;
}

typedef void (*SDL_PauseAudioDevice_f)(unsigned, int);
void SDL_PauseAudioDevice(unsigned device, int paused) {
  if (!paused) mark(STARTED);
  NEXT(SDL_PauseAudioDevice)(device, paused);
}

typedef void *(*jack_client_open_f)(const char *, int, int *, ...);
void *jack_client_open(const char *name, int options, int *status, ...) {
  mark(OPEN_BEGIN);
  void *client = NEXT(jack_client_open)(name, options, status);
  mark(OPEN_END);
  return client;
}

typedef int (*jack_activate_f)(void *);
int jack_activate(void *client) {
  int status = NEXT(jack_activate)(client);
  mark(STARTED);
  return status;
}

__attribute__((constructor)) static void loaded(void) { mark(LOADED); }

__attribute__((destructor)) static void report(void) {
  const char *path = getenv("VELK0_BENCH_MARKS");
  if (!path || !marks[SETTINGS]) return;
  FILE *out = fopen(path, "w");
  if (!out) return;
  for (int i = 0; i < MARKS; ++i)
    if (marks[i]) fprintf(out, "%s %.6f\n", names[i], marks[i] / 1e9);
  fclose(out);
}
