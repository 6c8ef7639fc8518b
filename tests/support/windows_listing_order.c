/* Preloaded into the Linux converter (LD_PRELOAD) by scripts/test-windows.sh:
 * every folder is listed in the order in which Windows (and Wine) list it,
 * names compared byte by byte with their ASCII letters in upper case (so
 * "AZB" comes before "A[B" and "A_B", as '[' and '_' sort after 'Z'), so
 * that the Linux build's archive of a whole game can be compared byte for
 * byte with the Windows build's. A folder is read whole at its first readdir; at most 64
 * folders are open at once (the converter keeps one or two). */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  DIR* dir;
  struct dirent* entries;
  size_t count, next;
} Listing;

static Listing listings[64];

static int Upper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; }

static int ByName(const void* a, const void* b) {
  const unsigned char* x = (const unsigned char*)((const struct dirent*)a)->d_name;
  const unsigned char* y = (const unsigned char*)((const struct dirent*)b)->d_name;
  while (*x && Upper(*x) == Upper(*y)) ++x, ++y;
  return Upper(*x) - Upper(*y);
}

static Listing* Find(DIR* dir) {
  for (size_t i = 0; i < sizeof listings / sizeof listings[0]; ++i)
    if (listings[i].dir == dir) return &listings[i];
  return NULL;
}

struct dirent* readdir(DIR* dir) {
  static struct dirent* (*next)(DIR*);
  if (!next) next = (struct dirent * (*)(DIR*)) dlsym(RTLD_NEXT, "readdir");
  Listing* l = Find(dir);
  if (!l) {
    l = Find(NULL);
    if (!l) return next(dir);
    *l = (Listing){dir, NULL, 0, 0};
    size_t capacity = 0;
    for (struct dirent* e; (e = next(dir));) {
      if (l->count == capacity) {
        capacity = capacity ? 2 * capacity : 64;
        struct dirent* grown = realloc(l->entries, capacity * sizeof *e);
        if (!grown) abort();
        l->entries = grown;
      }
      l->entries[l->count++] = *e;
    }
    if (l->count) qsort(l->entries, l->count, sizeof *l->entries, ByName);
  }
  return l->next < l->count ? &l->entries[l->next++] : NULL;
}

int closedir(DIR* dir) {
  static int (*next)(DIR*);
  if (!next) next = (int (*)(DIR*))dlsym(RTLD_NEXT, "closedir");
  Listing* l = Find(dir);
  if (l) {
    free(l->entries);
    *l = (Listing){NULL, NULL, 0, 0};
  }
  return next(dir);
}
