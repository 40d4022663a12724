#include "model/binary_files.h"

#include <cstring>
#include <stdexcept>

#include "model/coding.h"

namespace scenario {

using namespace coding;

static_assert(layout::sim_riga_vuota * righe_tabella_sim == 2958);

std::string scrivi_tabella_sim(const stato_compilazione& s) {
  size_t size = layout::sim_riga_vuota * righe_tabella_sim;
  for (const auto& r : s.tabella_sim) size += r.testo.size();
  std::string out(size, '\0');
  char* p = out.data();
  for (const auto& r : s.tabella_sim) {
    EncodeU8(p + layout::sim_tipo, r.tipo);
    EncodeI32(p + layout::sim_inizio, r.inizio);
    EncodeI32(p + layout::sim_fine, r.fine);
    EncodeI32(p + layout::sim_progressiva, r.progressiva);
    EncodeU8(p + layout::sim_b1, r.b1);
    // Texts are bytes in the 8-bit code page already; the length is 16 bits.
    EncodeU16(p + layout::sim_lunghezza_testo, static_cast<uint16_t>(r.testo.size()));
    std::memcpy(p + layout::sim_testo, r.testo.data(), r.testo.size());
    char* coda = p + layout::sim_testo + r.testo.size();
    EncodeI16(coda + layout::sim_i1, r.i1);
    EncodeI16(coda + layout::sim_i2, r.i2);
    EncodeI16(coda + layout::sim_i3, r.i3);
    EncodeI16(coda + layout::sim_i4, r.i4);
    EncodeI16(coda + layout::sim_i5, r.i5);
    EncodeU8(coda + layout::sim_b2, r.b2);
    EncodeU8(coda + layout::sim_b3, r.b3);
    EncodeU8(coda + layout::sim_b4, r.b4);
    EncodeU8(coda + layout::sim_b5, r.b5);
    EncodeI32(coda + layout::sim_orario, r.orario);
    p = coda + layout::sim_coda;
  }
  return out;
}

std::string scrivi_percorso(const stato_compilazione& s) {
  std::string out(layout::dat_cella * s.percorso.size(), '\0');
  char* p = out.data();
  for (const auto& c : s.percorso) {
    EncodeU8(p + layout::dat_tipo, c.tipo);
    EncodeI16(p + layout::dat_dato1, c.dato1);
    EncodeI16(p + layout::dat_dato2, c.dato2);
    EncodeI16(p + layout::dat_dato3, c.dato3);
    EncodeI16(p + layout::dat_dato4, c.dato4);
    EncodeU8(p + layout::dat_tempo, c.tempo);
    EncodeU8(p + layout::dat_avvicinamento, c.avvicinamento);
    EncodeU8(p + layout::dat_galleria, c.galleria);
    EncodeU8(p + layout::dat_velocita, c.velocita);
    EncodeU8(p + layout::dat_pendenza, c.pendenza);
    EncodeU8(p + layout::dat_aderenza, c.aderenza);
    p += layout::dat_cella;
  }
  return out;
}

namespace {

size_t misura_elemento(tipo_elemento t) {
  switch (t) {
    case tipo_elemento::intero: return layout::linea_intero;
    case tipo_elemento::doppio: return layout::linea_doppio;
    case tipo_elemento::vuoto: break;
  }
  return layout::linea_vuoto;
}

char* scrivi_elemento(char* p, tipo_elemento t, double v) {
  EncodeU16(p, static_cast<uint16_t>(t));
  switch (t) {
    case tipo_elemento::intero: EncodeI16(p + layout::linea_tag, static_cast<int16_t>(v)); break;
    case tipo_elemento::doppio: EncodeF64(p + layout::linea_tag, v); break;
    case tipo_elemento::vuoto: break;
  }
  return p + misura_elemento(t);
}

// A plan whose points do not all hold their usual kinds (one cut short by a
// fault, most often): element by element, but each run of middle doubles
// copied at once, since the plan's buffer holds them in their file form.
std::string codifica_matrice(const matrice_punti& m) {
  if (m.in_parte()) throw std::logic_error("the track plan is held in part: its file holds it");
  const int32_t last = m.ultimo();
  // Point i's kind, and the last point of the run it starts: a run of middle
  // doubles, or the point alone.
  const auto passo = [&](int32_t i, tipo_elemento& t) {
    t = m.tipo(i);
    return t == tipo_elemento::doppio && i >= 2 && i <= last - 2 ? m.fine_doppi_centrali(i) : i;
  };
  size_t half = 0;
  for (int32_t i = 0; i <= last;) {
    tipo_elemento t{};
    const int32_t j = passo(i, t);
    half += static_cast<size_t>(j - i + 1) * misura_elemento(t);
    i = j + 1;
  }
  std::string out(2 * half, '\0');
  char* p = out.data();
  for (int h = 0; h < 2; ++h) {
    for (int32_t i = 0; i <= last;) {
      tipo_elemento t{};
      const int32_t j = passo(i, t);
      if (j > i) {
        const std::string_view run = m.doppi_centrali(h, i, j);
        std::memcpy(p, run.data(), run.size());
        p += run.size();
      } else {
        p = scrivi_elemento(p, t, h == 0 ? m.x(i) : m.y(i));
      }
      i = j + 1;
    }
  }
  return out;
}

}  // namespace

std::string_view immagine_matrice_linea(const stato_compilazione& s, std::string& appoggio) {
  if (auto immagine = s.matrice_linea.immagine()) return *immagine;
  appoggio = codifica_matrice(s.matrice_linea);
  return appoggio;
}

std::string scrivi_matrice_linea(const stato_compilazione& s) {
  if (auto immagine = s.matrice_linea.immagine()) return std::string(*immagine);
  return codifica_matrice(s.matrice_linea);
}

}  // namespace scenario
