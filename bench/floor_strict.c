/* The strict floor: a C program linked to the C library alone that computes
 * nothing and makes the file-system steps of a run, with the same sizes, in
 * the same order. Its bytes come from one buffer aligned to 2 MB, offered
 * huge pages and touched on every page, the least a program that builds its
 * outputs in memory must do.
 *
 *   scenario_floor_strict DIR STEP...
 *
 * Steps, done in the order given, on files in DIR:
 *   w NAME SIZE   writes NAME alone: SIZE bytes to NAME.tmp, renamed over NAME
 *   r NAME        reads NAME back, whole
 *   d NAME        deletes NAME
 *   s NAME SIZE   adds NAME to the set written by the next "p"
 *   p             writes the set: each file to its temporary; then, for each
 *                 file but the last, the older file linked aside as NAME.old,
 *                 the temporary renamed over it; the last one renamed; the
 *                 links deleted
 *
 * Exit status 0, or 3 with a message when a step fails. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

enum { huge_page = 2 << 20, page = 4096, max_set = 8, max_path = 4096 };

static char* buffer;
static size_t buffer_size;

static int fail(const char* path) {
  fprintf(stderr, "%s: %s\n", path, strerror(errno));
  return 3;
}

static void path_of(char* out, const char* dir, const char* name, const char* suffix) {
  snprintf(out, max_path, "%s/%s%s", dir, name, suffix);
}

static int write_file(const char* path, size_t size) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return fail(path);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, buffer + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return fail(path);
    }
    done += (size_t)n;
  }
  if (close(fd) != 0) return fail(path);
  return 0;
}

static int read_file(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(path);
  for (;;) {
    const ssize_t n = read(fd, buffer, buffer_size);
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return fail(path);
    }
    if (n == 0) break;
  }
  close(fd);
  return 0;
}

/* One buffer for the largest file, aligned to 2 MB, huge pages advised,
 * every page written. */
static int prepare_buffer(size_t largest) {
  buffer_size = (largest + huge_page - 1) / huge_page * huge_page;
  if (buffer_size == 0) buffer_size = huge_page;
  char* m = mmap(NULL, buffer_size + huge_page, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return fail("mmap");
  const uintptr_t a = (uintptr_t)m;
  const size_t head = (huge_page - a % huge_page) % huge_page;
  if (head > 0) munmap(m, head);
  munmap(m + head + buffer_size, huge_page - head);
  buffer = m + head;
  madvise(buffer, buffer_size, MADV_HUGEPAGE);
  for (size_t i = 0; i < buffer_size; i += page) buffer[i] = (char)(i / page);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fputs("usage: scenario_floor_strict DIR [w NAME SIZE | r NAME | d NAME | s NAME SIZE | p]...\n",
          stderr);
    return 64;
  }
  const char* dir = argv[1];
  size_t largest = 0;
  for (int i = 2; i < argc; ++i) {
    if ((argv[i][0] == 'w' || argv[i][0] == 's') && i + 2 < argc) {
      const size_t n = strtoull(argv[i + 2], NULL, 10);
      if (n > largest) largest = n;
      i += 2;
    } else if ((argv[i][0] == 'r' || argv[i][0] == 'd') && i + 1 < argc) {
      i += 1;
    } else if (argv[i][0] != 'p') {
      fprintf(stderr, "scenario_floor_strict: bad step \"%s\"\n", argv[i]);
      return 64;
    }
  }
  if (prepare_buffer(largest) != 0) return 3;

  static char a[max_path], b[max_path];
  const char* set_names[max_set];
  size_t set_sizes[max_set];
  int set_n = 0;
  for (int i = 2; i < argc; ++i) {
    const char step = argv[i][0];
    if (step == 'w') {
      const size_t n = strtoull(argv[i + 2], NULL, 10);
      path_of(a, dir, argv[i + 1], ".tmp");
      path_of(b, dir, argv[i + 1], "");
      if (write_file(a, n) != 0) return 3;
      if (rename(a, b) != 0) return fail(b);
      i += 2;
    } else if (step == 'r') {
      path_of(a, dir, argv[i + 1], "");
      if (read_file(a) != 0) return 3;
      i += 1;
    } else if (step == 'd') {
      path_of(a, dir, argv[i + 1], "");
      if (unlink(a) != 0) return fail(a);
      i += 1;
    } else if (step == 's') {
      if (set_n == max_set) return 64;
      set_names[set_n] = argv[i + 1];
      set_sizes[set_n] = strtoull(argv[i + 2], NULL, 10);
      ++set_n;
      i += 2;
    } else {
      int aside[max_set] = {0};
      for (int k = 0; k < set_n; ++k) {
        path_of(a, dir, set_names[k], ".tmp");
        if (write_file(a, set_sizes[k]) != 0) return 3;
      }
      for (int k = 0; k < set_n; ++k) {
        path_of(b, dir, set_names[k], "");
        if (k + 1 < set_n) {
          path_of(a, dir, set_names[k], ".old");
          if (unlink(a) != 0 && errno != ENOENT) return fail(a);
          if (link(b, a) == 0) {
            aside[k] = 1;
          } else if (errno != ENOENT) {
            return fail(b);
          }
        }
        path_of(a, dir, set_names[k], ".tmp");
        if (rename(a, b) != 0) return fail(b);
      }
      for (int k = 0; k < set_n; ++k) {
        if (!aside[k]) continue;
        path_of(a, dir, set_names[k], ".old");
        if (unlink(a) != 0) return fail(a);
      }
      set_n = 0;
    }
  }
  return 0;
}
