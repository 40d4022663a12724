#include "compiler/reader.h"

#include <system_error>
#include <thread>

#include "compiler/line_reader.h"
#include "compiler/row_reader.h"
#include "compiler/service_reader.h"

namespace scenario {

namespace {

// Computes the plan's stretches taken by the line reader: on a thread of its
// own when they are many, joined when this goes out of scope; at once
// otherwise, or when no thread can be started. The service reader and the
// code after it until the join touch no point of the plan, and the
// computation touches nothing else, so the bytes are those of one thread.
class calcolo_piano {
 public:
  calcolo_piano(tracciato& piano, int64_t soglia) {
    if (piano.da_calcolare() >= soglia && piano.da_calcolare() > 0) {
      try {
        filo_ = std::thread([&piano] { piano.calcola(); });
        return;
      } catch (const std::system_error&) {
        // No thread: computed here instead.
      }
    }
    piano.calcola();
  }
  ~calcolo_piano() {
    if (filo_.joinable()) filo_.join();
  }
  calcolo_piano(const calcolo_piano&) = delete;
  calcolo_piano& operator=(const calcolo_piano&) = delete;

 private:
  std::thread filo_;
};

}  // namespace

void memorizza_dati(stato_compilazione& s, sorgenti& src, int64_t soglia) {
  lettura l(s, src);
  const bool linea_letta = leggi_linea(l);
  const calcolo_piano piano(l.piano, soglia);
  if (linea_letta) leggi_treno(l);
}

}  // namespace scenario
