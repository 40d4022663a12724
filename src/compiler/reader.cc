#include "compiler/reader.h"

#include "compiler/line_reader.h"
#include "compiler/service_reader.h"

namespace scenario {

void memorizza_dati(stato_compilazione& s, Sources& src) {
  lettura l(s, src);
  if (!leggi_linea(l)) return;
  leggi_treno(l);
}

}  // namespace scenario
