/* Preloaded into the converter (LD_PRELOAD) by tests alone, to hold it still
 * at an exact point instead of hoping that a signal arrives in time.
 * AVD_STOP_AT names the point as "KIND NAME [N]", the N-th time (1 unless
 * given) that:
 *   "create NAME"  a file whose last path part is NAME has just been created;
 *   "open SUFFIX"  a file whose path ends in SUFFIX (in any letter case) has
 *                  just been opened for reading;
 *   "unlink NAME"  a file whose last path part is NAME is about to be removed;
 *   "raw -"        the terminal has just been put in raw mode;
 *   "key -"        a key is about to be read from the terminal, for the first
 *                  time after the N-th switch to raw mode.
 * There the converter stops itself with SIGSTOP, so the test's waitpid with
 * WUNTRACED returns; the test sends its signal, then SIGCONT. The thread that
 * met the point goes no further: it waits until a signal handler ends the
 * process, so nothing the test means to interrupt happens after the stop.
 * With AVD_STOP_THEN_GO set it goes on once continued instead, for a test
 * that checks that its signal changed nothing.
 * With AVD_NO_EXECUTABLE_PATH set, /proc/self/exe cannot be read, as on a
 * system without /proc. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/types.h>
#include <termios.h>
#include <unistd.h>

static const char* LastPart(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

/* The point of AVD_STOP_AT when it is of `kind`: its name and its count
 * (1 when it gives none). */
static int StopPoint(const char* kind, char* name, size_t nameSize, long* count) {
  const char* point = getenv("AVD_STOP_AT");
  const size_t kindLength = strlen(kind);
  if (!point || strncmp(point, kind, kindLength) != 0 || point[kindLength] != ' ') return 0;
  const char* rest = point + kindLength + 1;
  const char* space = strchr(rest, ' ');
  const size_t length = space ? (size_t)(space - rest) : strlen(rest);
  if (length >= nameSize) return 0;
  memcpy(name, rest, length);
  name[length] = '\0';
  *count = space ? strtol(space + 1, NULL, 10) : 1;
  return 1;
}

static void StopHere(void) {
  raise(SIGSTOP);
  if (getenv("AVD_STOP_THEN_GO")) return;
  for (;;) pause();
}

/* Counts a meeting of the point of `kind` that `matches` (given its name) and
 * stops when it is the one asked for. */
static void Meet(const char* kind, int (*matches)(const char* name, const char* path), const char* path,
                 long* met) {
  char name[256];
  long count;
  if (!StopPoint(kind, name, sizeof name, &count) || !matches(name, path)) return;
  if (__atomic_add_fetch(met, 1, __ATOMIC_SEQ_CST) == count) StopHere();
}

static int SameLastPart(const char* name, const char* path) { return strcmp(LastPart(path), name) == 0; }
static int Always(const char* name, const char* path) { return name && path; }

static int EndsWithIgnoringCase(const char* suffix, const char* path) {
  const size_t t = strlen(path), n = strlen(suffix);
  return t >= n && strcasecmp(path + t - n, suffix) == 0;
}

static void AfterOpen(const char* path, int flags, int fd) {
  static long created, opened;
  if (fd < 0) return;
  if (flags & O_CREAT) {
    Meet("create", SameLastPart, path, &created);
  } else {
    Meet("open", EndsWithIgnoringCase, path, &opened);
  }
}

#define NEXT(type, symbol) ((type)dlsym(RTLD_NEXT, symbol))

#define DEFINE_OPEN(symbol)                                                          \
  int symbol(const char* path, int flags, ...) {                                     \
    mode_t mode = 0;                                                                 \
    if (flags & (O_CREAT | O_TMPFILE)) {                                             \
      va_list args;                                                                  \
      va_start(args, flags);                                                         \
      mode = va_arg(args, mode_t);                                                   \
      va_end(args);                                                                  \
    }                                                                                \
    const int fd = NEXT(int (*)(const char*, int, ...), #symbol)(path, flags, mode); \
    AfterOpen(path, flags, fd);                                                      \
    return fd;                                                                       \
  }
DEFINE_OPEN(open)
DEFINE_OPEN(open64)

#define DEFINE_OPENAT(symbol)                                                                  \
  int symbol(int dir, const char* path, int flags, ...) {                                      \
    mode_t mode = 0;                                                                           \
    if (flags & (O_CREAT | O_TMPFILE)) {                                                       \
      va_list args;                                                                            \
      va_start(args, flags);                                                                   \
      mode = va_arg(args, mode_t);                                                             \
      va_end(args);                                                                            \
    }                                                                                          \
    const int fd = NEXT(int (*)(int, const char*, int, ...), #symbol)(dir, path, flags, mode); \
    AfterOpen(path, flags, fd);                                                                \
    return fd;                                                                                 \
  }
DEFINE_OPENAT(openat)
DEFINE_OPENAT(openat64)

int unlink(const char* path) {
  static long met;
  Meet("unlink", SameLastPart, path, &met);
  return NEXT(int (*)(const char*), "unlink")(path);
}

/* Set once the switch to raw mode that "key" waits for has happened. */
static int keyArmed;

int tcsetattr(int fd, int when, const struct termios* mode) {
  static long raw, key;
  const int result = NEXT(int (*)(int, int, const struct termios*), "tcsetattr")(fd, when, mode);
  if (result == 0 && !(mode->c_lflag & ICANON)) {
    char name[256];
    long count;
    if (StopPoint("key", name, sizeof name, &count) && __atomic_add_fetch(&key, 1, __ATOMIC_SEQ_CST) == count)
      __atomic_store_n(&keyArmed, 1, __ATOMIC_SEQ_CST);
    Meet("raw", Always, "", &raw);
  }
  return result;
}

ssize_t read(int fd, void* buffer, size_t size) {
  if (__atomic_load_n(&keyArmed, __ATOMIC_SEQ_CST) && isatty(fd)) {
    __atomic_store_n(&keyArmed, 0, __ATOMIC_SEQ_CST);
    StopHere();
  }
  return NEXT(ssize_t(*)(int, void*, size_t), "read")(fd, buffer, size);
}

ssize_t readlink(const char* path, char* buffer, size_t size) {
  if (getenv("AVD_NO_EXECUTABLE_PATH") && strcmp(path, "/proc/self/exe") == 0) {
    errno = ENOENT;
    return -1;
  }
  return NEXT(ssize_t(*)(const char*, char*, size_t), "readlink")(path, buffer, size);
}
