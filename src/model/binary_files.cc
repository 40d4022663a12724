#include "model/binary_files.h"

#include "model/coding.h"

namespace scenario {

using namespace coding;

std::string scrivi_tabella_sim(const stato_compilazione& s) {
  size_t size = layout::sim_riga_vuota * righe_tabella_sim;
  for (const auto& r : s.tabella_sim) size += r.testo.size();
  std::string out(size, '\0');
  char* p = out.data();
  for (const auto& r : s.tabella_sim) {
    p = EncodeU8(p, r.tipo);
    p = EncodeI32(p, r.inizio);
    p = EncodeI32(p, r.fine);
    p = EncodeI32(p, r.progressiva);
    p = EncodeU8(p, r.b1);
    // Texts are bytes in the 8-bit code page already; the length is 16 bits.
    p = EncodeU16(p, static_cast<uint16_t>(r.testo.size()));
    std::memcpy(p, r.testo.data(), r.testo.size());
    p += r.testo.size();
    p = EncodeI16(p, r.i1);
    p = EncodeI16(p, r.i2);
    p = EncodeI16(p, r.i3);
    p = EncodeI16(p, r.i4);
    p = EncodeI16(p, r.i5);
    p = EncodeU8(p, r.b2);
    p = EncodeU8(p, r.b3);
    p = EncodeU8(p, r.b4);
    p = EncodeU8(p, r.b5);
    p = EncodeI32(p, r.orario);
  }
  return out;
}

std::string scrivi_percorso(const stato_compilazione& s) {
  std::string out(layout::dat_cella * s.percorso.size(), '\0');
  char* p = out.data();
  for (const auto& c : s.percorso) {
    p = EncodeU8(p, c.tipo);
    p = EncodeI16(p, c.dato1);
    p = EncodeI16(p, c.dato2);
    p = EncodeI16(p, c.dato3);
    p = EncodeI16(p, c.dato4);
    p = EncodeU8(p, c.tempo);
    p = EncodeU8(p, c.avvicinamento);
    p = EncodeU8(p, c.galleria);
    p = EncodeU8(p, c.velocita);
    p = EncodeU8(p, c.pendenza);
    p = EncodeU8(p, c.aderenza);
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
  p = EncodeU16(p, static_cast<uint16_t>(t));
  switch (t) {
    case tipo_elemento::intero: return EncodeI16(p, static_cast<int16_t>(v));
    case tipo_elemento::doppio: return EncodeF64(p, v);
    case tipo_elemento::vuoto: break;
  }
  return p;
}

// A plan whose points do not all hold their usual kinds, element by element.
std::string codifica_matrice(const matrice_punti& m) {
  const int32_t last = m.ultimo();
  size_t half = 0;
  for (int32_t i = 0; i <= last; ++i) half += misura_elemento(m.tipo(i));
  std::string out(2 * half, '\0');
  char* p = out.data();
  for (int32_t i = 0; i <= last; ++i) p = scrivi_elemento(p, m.tipo(i), m.x(i));
  for (int32_t i = 0; i <= last; ++i) p = scrivi_elemento(p, m.tipo(i), m.y(i));
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
