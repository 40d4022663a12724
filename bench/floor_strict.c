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

enum { pagina_grande = 2 << 20, pagina = 4096, massimo_set = 8, massimo_nome = 4096 };

static char* buffer;
static size_t misura_buffer;

static int fallisci(const char* path) {
  fprintf(stderr, "%s: %s\n", path, strerror(errno));
  return 3;
}

static void percorso(char* out, const char* dir, const char* nome, const char* coda) {
  snprintf(out, massimo_nome, "%s/%s%s", dir, nome, coda);
}

static int scrivi(const char* path, size_t size) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return fallisci(path);
  size_t fatto = 0;
  while (fatto < size) {
    const ssize_t n = write(fd, buffer + fatto, size - fatto);
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return fallisci(path);
    }
    fatto += (size_t)n;
  }
  if (close(fd) != 0) return fallisci(path);
  return 0;
}

static int leggi(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fallisci(path);
  for (;;) {
    const ssize_t n = read(fd, buffer, misura_buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return fallisci(path);
    }
    if (n == 0) break;
  }
  close(fd);
  return 0;
}

/* One buffer for the largest file, aligned to 2 MB, huge pages advised,
 * every page written. */
static int prepara_buffer(size_t massimo) {
  misura_buffer = (massimo + pagina_grande - 1) / pagina_grande * pagina_grande;
  if (misura_buffer == 0) misura_buffer = pagina_grande;
  char* m = mmap(NULL, misura_buffer + pagina_grande, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return fallisci("mmap");
  const uintptr_t a = (uintptr_t)m;
  const size_t testa = (pagina_grande - a % pagina_grande) % pagina_grande;
  if (testa > 0) munmap(m, testa);
  munmap(m + testa + misura_buffer, pagina_grande - testa);
  buffer = m + testa;
  madvise(buffer, misura_buffer, MADV_HUGEPAGE);
  for (size_t i = 0; i < misura_buffer; i += pagina) buffer[i] = (char)(i / pagina);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fputs("usage: scenario_floor_strict DIR [w NAME SIZE | r NAME | d NAME | s NAME SIZE | p]...\n",
          stderr);
    return 64;
  }
  const char* dir = argv[1];
  size_t massimo = 0;
  for (int i = 2; i < argc; ++i) {
    if ((argv[i][0] == 'w' || argv[i][0] == 's') && i + 2 < argc) {
      const size_t n = strtoull(argv[i + 2], NULL, 10);
      if (n > massimo) massimo = n;
      i += 2;
    } else if ((argv[i][0] == 'r' || argv[i][0] == 'd') && i + 1 < argc) {
      i += 1;
    } else if (argv[i][0] != 'p') {
      fprintf(stderr, "scenario_floor_strict: bad step \"%s\"\n", argv[i]);
      return 64;
    }
  }
  if (prepara_buffer(massimo) != 0) return 3;

  static char a[massimo_nome], b[massimo_nome];
  const char* set_nomi[massimo_set];
  size_t set_misure[massimo_set];
  int set_n = 0;
  for (int i = 2; i < argc; ++i) {
    const char passo = argv[i][0];
    if (passo == 'w') {
      const size_t n = strtoull(argv[i + 2], NULL, 10);
      percorso(a, dir, argv[i + 1], ".tmp");
      percorso(b, dir, argv[i + 1], "");
      if (scrivi(a, n) != 0) return 3;
      if (rename(a, b) != 0) return fallisci(b);
      i += 2;
    } else if (passo == 'r') {
      percorso(a, dir, argv[i + 1], "");
      if (leggi(a) != 0) return 3;
      i += 1;
    } else if (passo == 'd') {
      percorso(a, dir, argv[i + 1], "");
      if (unlink(a) != 0) return fallisci(a);
      i += 1;
    } else if (passo == 's') {
      if (set_n == massimo_set) return 64;
      set_nomi[set_n] = argv[i + 1];
      set_misure[set_n] = strtoull(argv[i + 2], NULL, 10);
      ++set_n;
      i += 2;
    } else {
      int accanto[massimo_set] = {0};
      for (int k = 0; k < set_n; ++k) {
        percorso(a, dir, set_nomi[k], ".tmp");
        if (scrivi(a, set_misure[k]) != 0) return 3;
      }
      for (int k = 0; k < set_n; ++k) {
        percorso(b, dir, set_nomi[k], "");
        if (k + 1 < set_n) {
          percorso(a, dir, set_nomi[k], ".old");
          if (unlink(a) != 0 && errno != ENOENT) return fallisci(a);
          if (link(b, a) == 0) {
            accanto[k] = 1;
          } else if (errno != ENOENT) {
            return fallisci(b);
          }
        }
        percorso(a, dir, set_nomi[k], ".tmp");
        if (rename(a, b) != 0) return fallisci(b);
      }
      for (int k = 0; k < set_n; ++k) {
        if (!accanto[k]) continue;
        percorso(a, dir, set_nomi[k], ".old");
        if (unlink(a) != 0) return fallisci(a);
      }
      set_n = 0;
    }
  }
  return 0;
}
