// The field stream over arbitrary bytes. The first byte chooses the order of
// text and number reads (the readers mix both); the rest is the text. Each
// read must either hand out a field and move on, or fail with a cause; the
// stream must come to its end within as many reads as it has bytes; line
// numbers never go back; and keyword matching must agree with a plain
// reference on every field read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compiler/fields.h"

namespace {

[[noreturn]] void rotto(const char* cosa) {
  std::fprintf(stderr, "property broken: %s\n", cosa);
  std::abort();
}

bool contiene_riferimento(std::string_view campo, std::string_view parola, bool esatto) {
  if (esatto) return campo.find(parola) != std::string_view::npos;
  auto piega = [](std::string_view s) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
  };
  return piega(campo).find(piega(parola)) != std::string::npos;
}

const char* const parole[] = {"[generale]", "lunghezza", "percorso", "progressiva", "uno",
                              "due", "tre", "sfondo", "segnali", "ripetizione", "pendenza",
                              "curva", "montagna", "indicatori_v", "indicat", "cartello",
                              "frenata", "massa", "vetture", "velocit", "aderenza", "orologio",
                              "sabbia", "segnale", "rallentamento", "abbattimento", "stazione",
                              "-", "[", "]", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint32_t schema = data[0] * 0x01010101u;
  const std::string testo(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t righe = 1;
  for (char c : testo) righe += (c == '\n' || c == '\r') ? 1 : 0;

  scenario::flusso_campi f(testo);
  size_t letture = 0;
  int riga_precedente = 0;
  std::string campo;
  while (!f.fine()) {
    if (++letture > testo.size()) rotto("the stream does not reach its end");
    const bool numero = (schema & 1) != 0;
    schema = (schema >> 1) | (schema << 31);
    bool ok = false;
    if (numero) {
      int32_t v = 0;
      ok = f.leggi_numero(v);
      if (!ok && f.ultimo_difetto() == scenario::flusso_campi::difetto::nessuno) {
        rotto("a failed number read gives no cause");
      }
      // After a refused number the readers stop; go on with text reads,
      // which must always succeed before the end.
      if (!ok) {
        if (!f.fine() && !f.leggi_testo(campo)) rotto("a text read failed before the end");
        ok = true;
      }
    } else {
      ok = f.leggi_testo(campo);
      if (!ok) rotto("a text read failed before the end");
      for (const char* p : parole) {
        for (bool esatto : {false, true}) {
          const auto modo =
              esatto ? scenario::confronto::esatto : scenario::confronto::qualunque_maiuscola;
          if (scenario::contiene(campo, p, modo) != contiene_riferimento(campo, p, esatto)) {
            rotto("keyword matching disagrees with the reference");
          }
        }
      }
      if (campo.find('\n') != std::string::npos || campo.find('\r') != std::string::npos) {
        rotto("a text field holds a line end");
      }
    }
    if (f.riga() < riga_precedente) rotto("the line number went back");
    if (f.riga() < 1 || static_cast<size_t>(f.riga()) > righe) rotto("line number out of range");
    riga_precedente = f.riga();
  }
  std::string resto;
  int32_t v = 0;
  if (f.leggi_testo(resto) || f.leggi_numero(v)) rotto("a read past the end succeeded");
  if (f.ultimo_difetto() != scenario::flusso_campi::difetto::oltre_la_fine) {
    rotto("a read past the end gives another cause");
  }
  return 0;
}
