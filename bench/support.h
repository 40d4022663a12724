// What the benchmarks and the measuring programs share: temporary folders on
// the real disk, generated scenarios of a given length, the bytes a compile
// writes, and the floor (the same bytes written with the same file steps).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"
#include "platform/file_system.h"
#include "run/compile.h"

namespace scenario::bench {

// A fresh folder under $TMPDIR (or /tmp), removed with its files when the
// object goes.
class cartella_temporanea {
 public:
  cartella_temporanea();
  ~cartella_temporanea();
  cartella_temporanea(const cartella_temporanea&) = delete;
  cartella_temporanea& operator=(const cartella_temporanea&) = delete;

  const std::string& percorso() const { return percorso_; }

 private:
  std::string percorso_;
};

// Puts everything written to the file system of `cartella` on the disk.
// Each timed run starts from there, as a run of the program after a pause
// does: otherwise the file system's deferred work for the writes of the run
// before (block allocation, then the discard of blocks freed by a delete)
// lands in the next run, more of it the longer that run took.
void sincronizza(const std::string& cartella);

// The two text sources of a generated scenario.
struct sorgenti_generate {
  std::string linea;
  std::string treno;
  int32_t lunghezza = 0;
  int righe = 0;  // rows asked for each kind without a fixed limit
};

// A valid scenario of `km` kilometres with rows in proportion to the length:
// two rows of every kind per kilometre (2,000 at 1,000 km), tunnels, stations
// and text boards up to their own limits.
sorgenti_generate scenario_di(int km);

// Writes the two sources under the names the compile looks for.
void scrivi_sorgenti(FileSystem& fs, const std::string& cartella, const sorgenti_generate& g);

// A compile state named like the embedded scenario.
stato_compilazione stato_nuovo();

// Compile options that read and write in `cartella` and keep the sources.
opzioni_compilazione opzioni_in(const std::string& cartella);

// One file of a set, with its bytes.
struct file_uscita {
  std::string nome;
  std::string dati;
};

// The binary files that compiling `g` writes, in the order they are renamed
// into place.
std::vector<file_uscita> uscite_compilazione(const sorgenti_generate& g);

// Every file the one-shot run writes, as the run writes them: the five text
// files one by one (two sources, three documents), then the binary set.
struct uscite_esecuzione {
  std::vector<file_uscita> testi;  // each published alone, in this order
  std::vector<file_uscita> binari;  // published as one set
  std::vector<std::string> sorgenti;  // names of the texts deleted at the end
};
uscite_esecuzione uscite_esegui();

// The floor of a compile: the set of binary files replaced with publish().
void floor_compile(FileSystem& fs, const std::string& cartella,
                            const std::vector<file_uscita>& binari);

// The floor of the one-shot run: each text published alone, the binary set
// published together, then the two sources deleted.
void floor_run(FileSystem& fs, const std::string& cartella, const uscite_esecuzione& u);

// Total bytes of a set of files.
size_t byte_totali(const std::vector<file_uscita>& files);

}  // namespace scenario::bench
