/* Counts the memory blocks taken and given back on SDL's audio playback
 * threads (named SDLAudioP...), for the sound benchmark: preloaded into
 * velk0, it writes "taken given" to the file named by VELK0_BENCH_MEMORY
 * when the program ends. Build: cc -O2 -shared -fPIC -o x.so this.c */
#define _GNU_SOURCE
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>

extern void *__libc_malloc(size_t);
extern void *__libc_calloc(size_t, size_t);
extern void *__libc_realloc(void *, size_t);
extern void *__libc_memalign(size_t, size_t);
extern void __libc_free(void *);

static atomic_long taken, given;

static int on_audio_thread(void) {
  char name[17] = {0};
  prctl(PR_GET_NAME, name);
  return strncmp(name, "SDLAudioP", 9) == 0;
}

static void *counted(void *block) {
  if (on_audio_thread()) ++taken;
  return block;
}

void *malloc(size_t n) { return counted(__libc_malloc(n)); }
void *calloc(size_t count, size_t n) { return counted(__libc_calloc(count, n)); }
void *realloc(void *block, size_t n) { return counted(__libc_realloc(block, n)); }
void *memalign(size_t align, size_t n) { return counted(__libc_memalign(align, n)); }
void *aligned_alloc(size_t align, size_t n) { return counted(__libc_memalign(align, n)); }
int posix_memalign(void **block, size_t align, size_t n) {
  *block = counted(__libc_memalign(align, n));
  return *block ? 0 : 12; /* ENOMEM */
}
void free(void *block) {
  if (block && on_audio_thread()) ++given;
  __libc_free(block);
}

__attribute__((destructor)) static void report(void) {
  const char *path = getenv("VELK0_BENCH_MEMORY");
  FILE *out = path ? fopen(path, "w") : NULL;
  if (!out) return;
  fprintf(out, "%ld %ld\n", (long)taken, (long)given);
  fclose(out);
}
