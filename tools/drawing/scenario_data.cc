#include "drawing/scenario_data.h"

#include <cstdio>

#include "compiler/codes.h"
#include "compiler/reader.h"
#include "model/binary_reader.h"
#include "model/file_names.h"
#include "run/compile.h"

namespace scenario::disegno {

namespace {

Diagnostic avviso(std::string codice, std::string messaggio, std::string file = {}) {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.code = std::move(codice);
  d.where.file = std::move(file);
  d.message = std::move(messaggio);
  return d;
}

// "E" and the fault number, the stable code of a compile fault. Written
// into a buffer: GCC 12 at -O3 mistakes "E" + std::to_string(n) for an
// overlapping copy.
std::string codice_guasto(int32_t numero) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%d", static_cast<int>(numero));
  return buf;
}

}  // namespace

std::optional<rifiuto> carica_binari(FileSystem& fs, const std::string& cartella,
                                     const std::string& linea, const std::string& treno,
                                     scenario_letto* s) {
  const std::string f_sim = join_path(cartella, nomi::sim(linea, treno));
  const std::string f_dat = join_path(cartella, nomi::dat(linea, treno));
  const std::string f_linea = join_path(cartella, nomi::linea_dat(linea));
  std::string dati;
  auto leggi = [&](const std::string& path, auto decodifica) -> std::optional<rifiuto> {
    if (auto e = fs.read(path, &dati)) return rifiuto{3, e->path + ": " + e->reason};
    if (auto e = decodifica()) {
      return rifiuto{1, path + ": byte " + std::to_string(e->posizione) + ": " + e->testo};
    }
    return std::nullopt;
  };
  if (auto r = leggi(f_sim, [&] { return leggi_tabella_sim(dati, &s->tabella); })) return r;
  if (auto r = leggi(f_dat, [&] { return leggi_percorso(dati, &s->celle); })) return r;
  if (auto r = leggi(f_linea, [&] { return leggi_matrice_linea(dati, &s->piano); })) return r;

  // The three files must describe one route: its length in row 84 fixes the
  // number of cells and of plan points.
  const int32_t lunghezza = s->tabella[riga_treno].fine;
  if (lunghezza < 0 || lunghezza > 1000000) {
    return rifiuto{1, f_sim + ": row 84 gives a route length of " + std::to_string(lunghezza) +
                          " m; a route is 0 to 1000000 m long"};
  }
  const size_t celle = static_cast<size_t>(celle_da_lunghezza(lunghezza)) + 1;
  if (s->celle.size() != celle) {
    return rifiuto{1, f_dat + ": holds " + std::to_string(s->celle.size()) +
                          " cells, but the route length of " + std::to_string(lunghezza) +
                          " m in " + f_sim + " (row 84) gives " + std::to_string(celle)};
  }
  const int32_t punti = punti_da_lunghezza(lunghezza) + 1;
  if (s->piano.ultimo() + 1 != punti) {
    return rifiuto{1, f_linea + ": holds " + std::to_string(s->piano.ultimo() + 1) +
                          " points, but the route length of " + std::to_string(lunghezza) +
                          " m in " + f_sim + " (row 84) gives " + std::to_string(punti)};
  }
  controlla_coerenza(linea, treno, s);
  return std::nullopt;
}

void controlla_coerenza(const std::string& linea, const std::string& treno, scenario_letto* s) {
  const record_sim& r85 = s->tabella[riga_linea];
  const record_sim& r86 = s->tabella[riga_ripetizione];
  auto& d = s->diagnostiche;
  if (r85.testo != linea || r86.testo != treno) {
    d.push_back(avviso("names-differ", "the scenario table names line \"" + r85.testo +
                                           "\" and train \"" + r86.testo + "\", not \"" + linea +
                                           "\" and \"" + treno + "\""));
  }
  if (r85.i1 != 610 || s->celle.size() < 2 || s->celle[1].dato1 != 5121) {
    d.push_back(avviso("no-stamps", "the header stamps 610 and 5121 are missing: these files "
                                    "were not written by a finished compile"));
  } else if (r85.orario != codice_gara_st(r86.testo, r85.testo) ||
             s->celle[1].dato2 != static_cast<int16_t>(codice_gara_og(r86.testo, r85.testo))) {
    d.push_back(avviso("integrity-codes", "the integrity codes do not match the names in the "
                                          "table: the files were changed after the compile or "
                                          "come from different compiles"));
  }
  if (righe_stazioni(*s).empty()) {
    d.push_back(avviso("no-stations", "the route has no stations: the service description was "
                                      "not read to its end, or holds none"));
  }
}

bool compila_sorgenti(FileSystem& fs, const std::string& cartella, const std::string& linea,
                      const std::string& treno, scenario_letto* s, binari_compilati* binari) {
  MemoryFileSystem memoria;
  const std::string nomi_sorgenti[2] = {nomi::linea_txt(linea), nomi::treno_txt(linea, treno)};
  for (const auto& nome : nomi_sorgenti) {
    std::string dati;
    if (fs.read(join_path(cartella, nome), &dati)) return false;
    // The compile names the files it reads by their path; keep the folder's
    // so that the places it gives match the files the author edits.
    memoria.files[join_path(cartella, nome)] = std::move(dati);
  }
  stato_compilazione c;
  c.nome_linea = linea;
  c.nome_treno = treno;
  c.genera_linea = true;
  c.numero_errore = 0;
  azzera_tabella(c);
  sorgenti src{memoria, cartella, false, std::nullopt, false};
  memorizza_dati(c, src);
  esito_compilazione esito;
  std::vector<cella> prima;
  if (!src.errore_io && c.percorso.size() >= 2) {
    prima = c.percorso;
    const std::string uscita = "/compiled-in-memory";
    concludi_compilazione(c, memoria, uscita, esito);
    if (binari) {
      binari->sim = memoria.files[join_path(uscita, nomi::sim(linea, treno))];
      binari->dat = memoria.files[join_path(uscita, nomi::dat(linea, treno))];
      binari->linea = memoria.files[join_path(uscita, nomi::linea_dat(linea))];
    }
  } else {
    esito.nulla_da_scrivere = true;
  }
  s->tabella = c.tabella_sim;
  s->celle = c.percorso;
  s->piano = std::move(c.matrice_linea);
  s->derivata.assign(s->celle.size(), false);
  for (size_t i = 0; i < prima.size() && i < s->celle.size(); ++i) {
    // Cell 1 takes the header stamps, which are no object.
    if (i == 1) continue;
    const cella& a = prima[i];
    const cella& b = s->celle[i];
    s->derivata[i] = a.tipo != b.tipo || a.dato1 != b.dato1;
  }
  // The compile's own errors, warnings and notes, and where each object
  // and table row came from (a derived board: the row that caused it).
  s->diagnostiche.insert(s->diagnostiche.end(), c.diagnostiche.begin(), c.diagnostiche.end());
  s->origine_cella = c.luoghi_origine();
  s->origine_riga = c.origine_riga;
  if (esito.errore_guardia) {
    Diagnostic d;
    d.code = codice_guasto(*esito.errore_guardia);
    d.message = "the header guard refused the compile: nothing would be written";
    s->diagnostiche.push_back(std::move(d));
  } else if (esito.nulla_da_scrivere) {
    Diagnostic d;
    d.code = "no-route";
    d.message = "nothing to draw: the line description gave no route length";
    s->diagnostiche.push_back(std::move(d));
  }
  return true;
}

bool aggiungi_dalle_sorgenti(FileSystem& fs, const std::string& cartella, const std::string& linea,
                             const std::string& treno, scenario_letto* s) {
  scenario_letto c;
  binari_compilati b;
  if (!compila_sorgenti(fs, cartella, linea, treno, &c, &b)) return false;
  std::string sim, dat, piano;
  fs.read(join_path(cartella, nomi::sim(linea, treno)), &sim);
  fs.read(join_path(cartella, nomi::dat(linea, treno)), &dat);
  fs.read(join_path(cartella, nomi::linea_dat(linea)), &piano);
  if (sim != b.sim || dat != b.dat || piano != b.linea) {
    s->diagnostiche.push_back(avviso(
        "stale-files", "the binary files are not what the text sources compile to now: they "
                       "come from an older compile or from other sources; the drawing shows the "
                       "binary files, the places of rows are those of the sources"));
  }
  // The compile's own faults lead.
  s->diagnostiche.insert(s->diagnostiche.begin(), c.diagnostiche.begin(), c.diagnostiche.end());
  if (c.celle.size() == s->celle.size()) {
    s->derivata = std::move(c.derivata);
    s->origine_cella = std::move(c.origine_cella);
  }
  s->origine_riga = c.origine_riga;
  return true;
}

}  // namespace scenario::disegno
