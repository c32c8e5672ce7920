/* Counts the pictures a program shows through SDL2, for LD_PRELOAD:
 *
 *   LD_PRELOAD=build/bench/present/libcount_presents.so PRESENT_STATS_FILE=out.txt program
 *
 * SDL_RenderPresent, SDL_UpdateWindowSurface(Rects) and SDL_GL_SwapWindow are taken in before SDL's own
 * and passed on to them. At exit one line is appended to $PRESENT_STATS_FILE (or written to stderr):
 *
 *   presents=N wall_s=S presents_per_s=R cpu_s=C cpu_ms_per_present=M render=A surface=B gl=C skipped=K
 * program=P
 *
 * wall_s runs from the first present to the last, so start-up before and shutting down after are
 * left out; cpu_s is the process's user + system time (all its threads) over the same stretch, and
 * the rate and the time per present count the N - 1 frame periods between them. With
 * PRESENT_STATS_SKIP=SECONDS the first SECONDS after the first present are left out (skipped= counts the
 * presents in them), so a start-up screen need not count. A present made inside another (an SDL function
 * calling another) counts once.
 */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

enum Kind { kRender, kSurface, kGl, kKinds };

static struct {
  uint64_t counts[kKinds]; /* within the measured stretch */
  uint64_t skipped;
  int started; /* the measured stretch has begun */
  int firstSeen;
  double firstAt; /* monotonic seconds of the first present */
  double skip;
  double startAt;
  double startCpu;
  double lastAt;
  double lastCpu;
  int reported;
} stats;

/* SDL calls these from the thread that owns the window, but a lock keeps the counts right for any. */
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static __thread int depth;

static double MonotonicSeconds(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

static double CpuSeconds(void) {
  struct rusage usage;
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return (double)usage.ru_utime.tv_sec + (double)usage.ru_utime.tv_usec * 1e-6 +
         (double)usage.ru_stime.tv_sec + (double)usage.ru_stime.tv_usec * 1e-6;
}

static void Count(enum Kind kind) {
  if (depth > 1) return;
  pthread_mutex_lock(&lock);
  const double now = MonotonicSeconds();
  if (!stats.firstSeen) {
    stats.firstSeen = 1;
    stats.firstAt = now;
    const char* skip = getenv("PRESENT_STATS_SKIP");
    stats.skip = skip ? strtod(skip, NULL) : 0;
    if (stats.skip < 0) stats.skip = 0;
  }
  if (!stats.started && now - stats.firstAt >= stats.skip) {
    stats.started = 1;
    stats.startAt = now;
    stats.startCpu = CpuSeconds();
  }
  if (stats.started) {
    ++stats.counts[kind];
    stats.lastAt = now;
    stats.lastCpu = CpuSeconds();
  } else {
    ++stats.skipped;
  }
  pthread_mutex_unlock(&lock);
}

/* Stores SDL's own `name` in the function pointer at `real` (ISO C has no cast from the object
 * pointer dlsym returns, so its bytes are copied). */
static void FindReal(const char* name, void* real, size_t size) {
  void* found = dlsym(RTLD_NEXT, name);
  if (!found || size != sizeof found) {
    fprintf(stderr, "count_presents: %s not found: %s\n", name, dlerror());
    abort();
  }
  memcpy(real, &found, size);
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
  static void (*real)(SDL_Renderer*);
  if (!real) FindReal("SDL_RenderPresent", &real, sizeof real);
  ++depth;
  Count(kRender);
  real(renderer);
  --depth;
}

int SDL_UpdateWindowSurface(SDL_Window* window) {
  static int (*real)(SDL_Window*);
  if (!real) FindReal("SDL_UpdateWindowSurface", &real, sizeof real);
  ++depth;
  Count(kSurface);
  const int result = real(window);
  --depth;
  return result;
}

int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count) {
  static int (*real)(SDL_Window*, const SDL_Rect*, int);
  if (!real) FindReal("SDL_UpdateWindowSurfaceRects", &real, sizeof real);
  ++depth;
  Count(kSurface);
  const int result = real(window, rects, count);
  --depth;
  return result;
}

void SDL_GL_SwapWindow(SDL_Window* window) {
  static void (*real)(SDL_Window*);
  if (!real) FindReal("SDL_GL_SwapWindow", &real, sizeof real);
  ++depth;
  Count(kGl);
  real(window);
  --depth;
}

static const char* ProgramName(char* buffer, size_t size) {
  const ssize_t length = readlink("/proc/self/exe", buffer, size - 1);
  if (length <= 0) return "?";
  buffer[length] = '\0';
  const char* slash = strrchr(buffer, '/');
  return slash ? slash + 1 : buffer;
}

/* A destructor of a preloaded library runs after the program's own static destructors, which may
 * still present. */
__attribute__((destructor)) static void Report(void) {
  pthread_mutex_lock(&lock);
  if (stats.reported) {
    pthread_mutex_unlock(&lock);
    return;
  }
  stats.reported = 1;
  const double wall = stats.started ? stats.lastAt - stats.startAt : 0;
  const double cpu = stats.started ? stats.lastCpu - stats.startCpu : 0;
  const uint64_t presents = stats.counts[kRender] + stats.counts[kSurface] + stats.counts[kGl];
  const double periods = presents > 1 ? (double)(presents - 1) : 0;
  char path[4096];
  char line[sizeof path + 256];
  snprintf(line, sizeof line,
           "presents=%llu wall_s=%.3f presents_per_s=%.2f cpu_s=%.3f cpu_ms_per_present=%.3f render=%llu "
           "surface=%llu gl=%llu skipped=%llu program=%s\n",
           (unsigned long long)presents, wall, wall > 0 ? periods / wall : 0.0, cpu,
           periods > 0 ? cpu * 1000 / periods : 0.0, (unsigned long long)stats.counts[kRender],
           (unsigned long long)stats.counts[kSurface], (unsigned long long)stats.counts[kGl],
           (unsigned long long)stats.skipped, ProgramName(path, sizeof path));
  pthread_mutex_unlock(&lock);
  const char* name = getenv("PRESENT_STATS_FILE");
  FILE* out = name && *name ? fopen(name, "a") : NULL;
  if (name && *name && !out) fprintf(stderr, "count_presents: %s: %s\n", name, strerror(errno));
  fputs(line, out ? out : stderr);
  if (out) fclose(out);
}
