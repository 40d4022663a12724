#include "model/binary_reader.h"

#include "model/coding.h"
#include "model/layout.h"

namespace scenario {

using namespace coding;

namespace {

errore_binario errore(size_t posizione, std::string testo) {
  return errore_binario{posizione, std::move(testo)};
}

std::string byte(size_t posizione) { return "byte " + std::to_string(posizione); }

}  // namespace

std::optional<errore_binario> leggi_tabella_sim(
    std::string_view dati, std::array<record_sim, righe_tabella_sim>* tabella) {
  const char* b = dati.data();
  const size_t fine = dati.size();
  size_t p = 0;
  for (int r = 0; r < righe_tabella_sim; ++r) {
    if (fine - p < layout::sim_riga_vuota) {
      return errore(p, "truncated: row " + std::to_string(r) + " starts at " + byte(p) +
                           " and needs at least " + std::to_string(layout::sim_riga_vuota) +
                           " bytes, but the file ends at " + byte(fine) + " (" +
                           std::to_string(fine - p) + " left)");
    }
    const size_t n = DecodeU16(b + p + layout::sim_lunghezza_testo);
    if (fine - p < layout::sim_riga_vuota + n) {
      return errore(p, "truncated: row " + std::to_string(r) + " starts at " + byte(p) +
                           " with a text of " + std::to_string(n) + " bytes, so it needs " +
                           std::to_string(layout::sim_riga_vuota + n) +
                           " bytes, but the file ends at " + byte(fine));
    }
    record_sim& row = (*tabella)[static_cast<size_t>(r)];
    row.tipo = static_cast<uint8_t>(b[p + layout::sim_tipo]);
    row.inizio = DecodeI32(b + p + layout::sim_inizio);
    row.fine = DecodeI32(b + p + layout::sim_fine);
    row.progressiva = DecodeI32(b + p + layout::sim_progressiva);
    row.b1 = static_cast<uint8_t>(b[p + layout::sim_b1]);
    row.testo.assign(b + p + layout::sim_testo, n);
    const char* c = b + p + layout::sim_testo + n;
    row.i1 = DecodeI16(c + layout::sim_i1);
    row.i2 = DecodeI16(c + layout::sim_i2);
    row.i3 = DecodeI16(c + layout::sim_i3);
    row.i4 = DecodeI16(c + layout::sim_i4);
    row.i5 = DecodeI16(c + layout::sim_i5);
    row.b2 = static_cast<uint8_t>(c[layout::sim_b2]);
    row.b3 = static_cast<uint8_t>(c[layout::sim_b3]);
    row.b4 = static_cast<uint8_t>(c[layout::sim_b4]);
    row.b5 = static_cast<uint8_t>(c[layout::sim_b5]);
    row.orario = DecodeI32(c + layout::sim_orario);
    p += layout::sim_riga_vuota + n;
  }
  if (p != fine) {
    return errore(p, "too long: the " + std::to_string(righe_tabella_sim) + " rows end at " + byte(p) + ", but " +
                         std::to_string(fine - p) + " more bytes follow (the file ends at " +
                         byte(fine) + ")");
  }
  return std::nullopt;
}

std::optional<errore_binario> leggi_percorso(std::string_view dati, std::vector<cella>* percorso) {
  const size_t fine = dati.size();
  const size_t resto = fine % layout::dat_cella;
  if (resto != 0) {
    const size_t inizio = fine - resto;
    return errore(inizio, "truncated or too long: cell " +
                              std::to_string(inizio / layout::dat_cella) + " starts at " +
                              byte(inizio) + " but only " + std::to_string(resto) + " of its " +
                              std::to_string(layout::dat_cella) +
                              " bytes are there (the file is not a whole number of cells)");
  }
  const size_t celle = fine / layout::dat_cella;
  if (celle < celle_minime || celle > celle_massime) {
    return errore(fine, "not a route file: it holds " + std::to_string(celle) +
                            " cells of " + std::to_string(layout::dat_cella) + " bytes, and a route has " +
                            std::to_string(celle_minime) + " to " +
                            std::to_string(celle_massime) + " (the file ends at " + byte(fine) +
                            ")");
  }
  percorso->assign(celle, cella{});
  const char* p = dati.data();
  for (cella& c : *percorso) {
    c.tipo = static_cast<uint8_t>(p[layout::dat_tipo]);
    c.dato1 = DecodeI16(p + layout::dat_dato1);
    c.dato2 = DecodeI16(p + layout::dat_dato2);
    c.dato3 = DecodeI16(p + layout::dat_dato3);
    c.dato4 = DecodeI16(p + layout::dat_dato4);
    c.tempo = static_cast<uint8_t>(p[layout::dat_tempo]);
    c.avvicinamento = static_cast<uint8_t>(p[layout::dat_avvicinamento]);
    c.galleria = static_cast<uint8_t>(p[layout::dat_galleria]);
    c.velocita = static_cast<uint8_t>(p[layout::dat_velocita]);
    c.pendenza = static_cast<uint8_t>(p[layout::dat_pendenza]);
    c.aderenza = static_cast<uint8_t>(p[layout::dat_aderenza]);
    p += layout::dat_cella;
  }
  return std::nullopt;
}

namespace {

const char* nome_tipo(uint16_t tag) {
  switch (tag) {
    case static_cast<uint16_t>(tipo_elemento::vuoto): return "empty";
    case static_cast<uint16_t>(tipo_elemento::intero): return "16-bit integer";
    case static_cast<uint16_t>(tipo_elemento::doppio): return "double";
    default: return "unknown";
  }
}

// Size of an element with this tag, tag included; 0 for an unknown tag.
size_t misura(uint16_t tag) {
  switch (tag) {
    case static_cast<uint16_t>(tipo_elemento::vuoto): return layout::linea_vuoto;
    case static_cast<uint16_t>(tipo_elemento::intero): return layout::linea_intero;
    case static_cast<uint16_t>(tipo_elemento::doppio): return layout::linea_doppio;
    default: return 0;
  }
}

double valore(const char* p, uint16_t tag) {
  if (tag == static_cast<uint16_t>(tipo_elemento::intero)) return DecodeI16(p + layout::linea_tag);
  if (tag == static_cast<uint16_t>(tipo_elemento::doppio)) return DecodeF64(p + layout::linea_tag);
  return 0.0;
}

// Reads one element at p, which must end by `limite`. On success returns its
// tag and advances p.
std::optional<errore_binario> elemento(std::string_view dati, size_t* p, size_t limite,
                                       const char* dove, uint16_t* tag) {
  if (limite - *p < layout::linea_tag) {
    return errore(*p, std::string("an element tag at ") + byte(*p) + " runs past " + dove +
                          " (" + byte(limite) + ")");
  }
  *tag = DecodeU16(dati.data() + *p);
  const size_t n = misura(*tag);
  if (n == 0) {
    return errore(*p, "unknown element tag " + std::to_string(*tag) + " at " + byte(*p) +
                          " (known tags: 0 empty, 2 16-bit integer, 5 double)");
  }
  if (limite - *p < n) {
    return errore(*p, std::string("the ") + nome_tipo(*tag) + " element at " + byte(*p) +
                          " needs " + std::to_string(n) + " bytes and runs past " + dove + " (" +
                          byte(limite) + ")");
  }
  *p += n;
  return std::nullopt;
}

}  // namespace

std::optional<errore_binario> leggi_matrice_linea(std::string_view dati, matrice_punti* matrice) {
  const size_t fine = dati.size();
  if (fine % 2 != 0) {
    return errore(fine, "truncated or too long: the file has an odd length (" +
                            std::to_string(fine) +
                            " bytes), but its two halves, first and second coordinates, are "
                            "of equal size");
  }
  const size_t meta = fine / 2;
  std::vector<uint8_t> tipi;
  std::vector<double> xs;
  size_t p = 0;
  while (p < meta) {
    const size_t inizio = p;
    uint16_t tag = 0;
    if (auto e = elemento(dati, &p, meta, "the middle of the file, where the second coordinates "
                                          "begin",
                          &tag)) {
      e->testo = "truncated or too long: " + e->testo;
      return e;
    }
    if (tipi.size() == punti_massimi) {
      return errore(inizio, "not a track plan: more than " + std::to_string(punti_massimi) +
                                " points before " + byte(inizio));
    }
    tipi.push_back(static_cast<uint8_t>(tag));
    xs.push_back(valore(dati.data() + inizio, tag));
  }
  if (tipi.size() < punti_minimi) {
    return errore(meta, "not a track plan: its first half, which ends at " + byte(meta) + ", holds " +
                            std::to_string(tipi.size()) + " points, and a track plan has " + std::to_string(punti_minimi) +
                            " to " + std::to_string(punti_massimi));
  }
  matrice->dimensiona(static_cast<int32_t>(tipi.size()) - 1);
  for (size_t i = 0; i < tipi.size(); ++i) {
    const size_t inizio = p;
    uint16_t tag = 0;
    if (auto e = elemento(dati, &p, fine, "the end of the file", &tag)) {
      e->testo = "truncated: point " + std::to_string(i) + ", second coordinate: " + e->testo;
      return e;
    }
    if (tag != tipi[i]) {
      return errore(inizio, "point " + std::to_string(i) + ": its second coordinate at " +
                                byte(inizio) + " is " + nome_tipo(tag) +
                                ", its first coordinate is " + nome_tipo(tipi[i]) +
                                " (both coordinates of a point have one kind)");
    }
    const double y = valore(dati.data() + inizio, tag);
    const auto punto = static_cast<int32_t>(i);
    if (tag == static_cast<uint16_t>(tipo_elemento::intero)) {
      matrice->imposta_intero(punto, static_cast<int16_t>(xs[i]), static_cast<int16_t>(y));
    } else if (tag == static_cast<uint16_t>(tipo_elemento::doppio)) {
      matrice->imposta_doppio(punto, xs[i], y);
    }
  }
  if (p != fine) {
    return errore(p, "too long: the second coordinates of the " + std::to_string(tipi.size()) +
                         " points end at " + byte(p) + ", but the file ends at " + byte(fine));
  }
  return std::nullopt;
}

}  // namespace scenario
