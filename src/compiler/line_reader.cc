#include "compiler/line_reader.h"

#include <array>
#include <utility>

#include "compiler/chainage_sort.h"
#include "compiler/fields.h"
#include "compiler/recorders.h"
#include "compiler/row_reader.h"
#include "model/file_names.h"

namespace scenario {

lettura::lettura(stato_compilazione& stato, sorgenti& fonti)
    : s(stato),
      src(fonti),
      file_linea(join_path(fonti.cartella, nomi::linea_txt(stato.nome_linea))),
      file_treno(join_path(fonti.cartella, nomi::treno_txt(stato.nome_linea, stato.nome_treno))) {}

namespace {

bool chiudi(lettura& l, const std::string& file, bool& chiuso) {
  if (chiuso) return true;
  chiuso = true;
  if (!l.src.elimina) return true;
  if (auto errore = l.src.fs.remove(file)) {
    if (!l.src.errore_io) l.src.errore_io = std::move(*errore);
    return false;
  }
  return true;
}

}  // namespace

bool chiudi_linea(lettura& l) { return chiudi(l, l.file_linea, l.linea_chiusa); }
bool chiudi_treno(lettura& l) { return chiudi(l, l.file_treno, l.treno_chiuso); }

void fallimento_lettura(lettura& l, const std::string& file, int riga) {
  segnala_guasto(l.s, 25, std::nullopt, file, riga);
  if (chiudi_linea(l)) chiudi_treno(l);
}

void rifiuto_lettura(lettura& l, int32_t numero, std::optional<int32_t> posizione,
                     const std::string& file, int riga) {
  segnala_guasto(l.s, numero, posizione, file, riga);
}

bool oltre_percorso(const stato_compilazione& s, int32_t x, int margine) {
  return (static_cast<double>(x) + margine) / 50.0 > s.ultima_cella();
}

namespace {

// Change of heading per metre of the six curve classes.
constexpr std::array<double, 6> curvature{0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// Plan points are counted from 0; the plan gives up above this one.
constexpr int32_t ultimo_punto_ammesso = 1000000;

constexpr int32_t lunghezza_massima = 1000000;

bool multiplo_di_50(int32_t v) { return v % 50 == 0; }

class lettore_linea : lettore_righe {
 public:
  lettore_linea(lettura& l, std::string testo)
      : lettore_righe(l, std::move(testo), l.file_linea, chiudi_linea) {}

  bool esegui();

 private:
  // What a list entry leaves the reader to do next.
  enum class passo { avanti, fine_liste, fermati };

  bool cerca_generale();
  bool sezione_generale();
  bool voci_generali(const campo_chiave& f);
  bool tra_le_sezioni();
  bool liste();
  passo voci_liste(const campo_chiave& f);
  passo pendenza();
  passo curva(const campo_chiave& f);
  passo montagna();
  passo indicatore();
  passo cartello();
  passo dopo_registratore(int32_t numero, int32_t posizione);
  bool fine_lettura();

  passo esito(bool proseguire) { return proseguire ? passo::avanti : passo::fermati; }

  // Range check of a list entry: error 15 ends the lists.
  bool oltre(int32_t p) { return lettore_righe::oltre(p, 100); }

  // Computes plan points from c_ to `fino` with `passo`; false once the
  // plan has run past the last point allowed.
  template <class Passo>
  bool prolunga_fino(int32_t fino, Passo passo);
  void riempi_pendenza();

  int32_t indice_pendenza_ = 0;  // next cell to receive a gradient
  int32_t pendenza_in_vigore_ = 0;
  int32_t c_ = 2;  // next plan point to compute
};

bool lettore_linea::esegui() {
  if (!cerca_generale()) return false;
  if (!sezione_generale()) return false;
  if (!tra_le_sezioni()) return false;
  if (!liste()) return false;
  return fine_lettura();
}

bool lettore_linea::cerca_generale() {
  campo_chiave f;
  for (;;) {
    if (!chiave(f)) return fallisci_campo();
    if (campi_.fine()) {
      riga_voce_ = 0;
      return rifiuta(102);
    }
    if (f.contiene("[generale]")) return true;
  }
}

bool lettore_linea::sezione_generale() {
  campo_chiave f;
  for (;;) {
    if (campi_.fine()) return true;
    if (!chiave(f)) return fallisci_campo();
    if (campi_.fine()) return true;
    for (int i = 0; i < 10 && f.contiene("-"); ++i) {
      if (!chiave(f)) return fallisci_campo();
    }
    if (!voci_generali(f)) return false;
    const std::size_t primo = f.testo().find_first_not_of(" \t");
    const bool trattino = primo != std::string::npos && f.testo()[primo] == '-';
    if (!trattino && f.contiene("[") && f.contiene("]")) return true;
  }
}

bool lettore_linea::voci_generali(const campo_chiave& f) {
  auto& tab = s_.tabella_sim;
  constexpr auto esatto = confronto::esatto;
  if (f.contiene("percorso") && f.contiene("lunghezza")) {
    int32_t lunghezza = 0;
    if (!numero(lunghezza)) return fallisci_campo();
    tab[riga_treno].fine = lunghezza;
    if (lunghezza > lunghezza_massima) return rifiuta(1);
    // A negative length would size the route too small for the first plan
    // points: refused before anything is sized.
    if (lunghezza < 0) return fallisci_voce();
    dimensiona(s_, lunghezza);
  }
  const std::array<std::pair<const char*, int>, 3> progressive{
      {{"tre", riga_progressiva_tre}, {"due", riga_progressiva_due}, {"uno", riga_progressiva_uno}}};
  for (const auto& [parola, indice] : progressive) {
    if (f.contiene(parola, esatto) && f.contiene("progressiva", esatto)) {
      record_sim& r = tab[indice];
      if (!numero(r.inizio) || !numero(r.fine) || !numero(r.progressiva)) return fallisci_campo();
    }
  }
  if (f.contiene("sfondo", esatto) && f.contiene("uno", esatto)) {
    if (!numero(tab[riga_linea].inizio)) return fallisci_campo();
  }
  if (f.contiene("sfondo", esatto) && f.contiene("due", esatto)) {
    if (!numero(tab[riga_linea].progressiva)) return fallisci_campo();
  }
  if (f.contiene("sfondo", esatto) && f.contiene("tre", esatto)) {
    if (!numero(tab[riga_linea].fine)) return fallisci_campo();
  }
  if (f.contiene("segnali", esatto) && f.contiene("ripetizione", esatto)) {
    std::array<int32_t, 2> v{};
    if (!numeri(v)) return fallisci_campo();
    record_sim& r = tab[riga_ripetizione];
    r.inizio = v[0];
    r.fine = v[1];
    if (!multiplo_di_50(r.inizio)) return rifiuta(3);
    if (!multiplo_di_50(r.fine)) return rifiuta(4);
    if (f.contiene("4", esatto)) {
      r.progressiva = 4;
    } else if (f.contiene("9", esatto)) {
      r.progressiva = 9;
    } else {
      return rifiuta(5);
    }
    if (r.fine == 0) r.progressiva = 0;
  }
  return true;
}

bool lettore_linea::tra_le_sezioni() {
  // Without a route length there is nothing to place the lists on.
  if (!s_.dimensionato()) {
    riga_voce_ = 0;
    return fallisci_voce();
  }
  progressive_ordina(s_);
  s_.numero_montagne = 0;
  l_.riga_testi = riga_primo_testo;
  if (s_.genera_linea != 0) {
    s_.matrice_linea.imposta_intero(0, 0, 0);
    s_.matrice_linea.imposta_intero(1, 0, 1);
  }
  c_ = 2;
  return true;
}

bool lettore_linea::liste() {
  campo_chiave f;
  for (;;) {
    if (campi_.fine()) return true;
    if (!chiave(f)) return fallisci_campo();
    if (campi_.fine()) return true;
    if (f.contiene("-")) {
      if (!chiave(f)) return fallisci_campo();
      if (campi_.fine()) return true;
      if (f.contiene("-")) {
        if (!chiave(f)) return fallisci_campo();
        if (campi_.fine()) return true;
      }
    }
    switch (voci_liste(f)) {
      case passo::avanti: break;
      case passo::fine_liste: return true;
      case passo::fermati: return false;
    }
  }
}

lettore_linea::passo lettore_linea::voci_liste(const campo_chiave& f) {
  // Each test is made on the same field whatever the earlier ones found.
  passo p = passo::avanti;
  if (f.contiene("pendenza") && (p = pendenza()) != passo::avanti) return p;
  if (s_.genera_linea != 0 && f.contiene("curva") && (p = curva(f)) != passo::avanti) return p;
  if (f.contiene("montagna") && (p = montagna()) != passo::avanti) return p;
  if (f.contiene("indicatori_v") && (p = indicatore()) != passo::avanti) return p;
  if (f.contiene("indicat") && f.contiene("cartello") && (p = cartello()) != passo::avanti) {
    return p;
  }
  return passo::avanti;
}

void lettore_linea::riempi_pendenza() {
  // An entry out of chainage order can push the fill index past the route:
  // such cells do not exist and are skipped.
  if (indice_pendenza_ >= 0 && indice_pendenza_ <= s_.ultima_cella()) {
    s_.percorso[indice_pendenza_].pendenza =
        static_cast<uint8_t>(static_cast<uint32_t>(pendenza_in_vigore_) + 100u);
  }
  ++indice_pendenza_;
}

lettore_linea::passo lettore_linea::pendenza() {
  std::array<int32_t, 2> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  if (oltre(v[0])) return passo::fine_liste;
  if (v[0] < 0) return esito(fallisci_voce());
  const double n = near(v[0] / 50.0);
  if (n > 0) {
    do riempi_pendenza();
    while (indice_pendenza_ < n);
  }
  pendenza_in_vigore_ = v[1];
  return passo::avanti;
}

// One step of the track plan: a point on from the last two, straight on or
// turned by k (the sign gives the side).
struct retta {
  void operator()(double x0, double y0, double x1, double y1, double& x, double& y) const {
    x = x1 + (x1 - x0);
    y = y1 + (y1 - y0);
  }
};

struct curva_di {
  double k;
  void operator()(double x0, double y0, double x1, double y1, double& x, double& y) const {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    x = x1 + (dx + k * dy);
    y = y1 + (dy - k * dx);
  }
};

lettore_linea::passo lettore_linea::curva(const campo_chiave& f) {
  std::array<int32_t, 2> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  const int32_t inizio = v[0];
  const int32_t lunghezza = v[1];
  if (oltre(inizio)) return passo::fine_liste;
  if (inizio < 0) return esito(fallisci_voce());
  int classe = 0;
  for (int d = 1; d <= 6 && classe == 0; ++d) {
    if (f.testo().find(static_cast<char>('0' + d)) != std::string::npos) classe = d;
  }
  if (classe == 0) return esito(rifiuta(103));
  // The plan ends at point L: a curve running past it is refused before any
  // point of it is computed.
  const int64_t ultimo = int64_t{inizio} + lunghezza;
  if (lunghezza < 0 || ultimo > s_.matrice_linea.ultimo()) return esito(fallisci_voce());
  double k = curvature[classe - 1];
  if (f.contiene("s")) k = -k;

  if (!prolunga_fino(inizio, retta{}) || !prolunga_fino(static_cast<int32_t>(ultimo), curva_di{k})) {
    return esito(rifiuta(103));
  }
  return passo::avanti;
}

template <class Passo>
bool lettore_linea::prolunga_fino(int32_t fino, Passo passo) {
  if (c_ > fino) return true;
  // Up to the last point allowed, or one point when already past it.
  const int32_t a = std::min(fino, std::max(c_, ultimo_punto_ammesso));
  s_.matrice_linea.prolunga(c_, a, passo);
  c_ = a + 1;
  return c_ <= ultimo_punto_ammesso;
}

lettore_linea::passo lettore_linea::dopo_registratore(int32_t numero, int32_t posizione) {
  if (numero == 25) return esito(fallisci_voce());
  if (numero == 0 && s_.numero_errore > 0) numero = s_.numero_errore;
  if (numero > 0) return esito(rifiuta(numero, posizione));
  return passo::avanti;
}

lettore_linea::passo lettore_linea::montagna() {
  std::array<int32_t, 3> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  if (oltre(v[0])) return passo::fine_liste;
  if (v[0] < 0) return esito(fallisci_voce());
  return dopo_registratore(memo_montagna(s_, v[0], v[1], v[2]), v[0]);
}

lettore_linea::passo lettore_linea::indicatore() {
  std::array<int32_t, 9> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  if (oltre(v[0])) return passo::fine_liste;
  if (v[0] < 0) return esito(fallisci_voce());
  return dopo_registratore(
      memo_indicatori_v_max(s_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]), v[0]);
}

lettore_linea::passo lettore_linea::cartello() {
  int32_t p = 0;
  std::string testo;
  if (!campi_.leggi_numero(p) || !campi_.leggi_testo(testo)) return esito(fallisci_campo());
  if (oltre(p)) return passo::fine_liste;
  if (p < 0) return esito(fallisci_voce());
  // The table file stores a text's length in 16 bits.
  if (testo.size() > lunghezza_massima_testo) return esito(fallisci_voce());
  const auto c = static_cast<int32_t>(near(p / 50.0 + 1));
  cella& cl = s_.percorso[c];
  if (!libera(cl)) return esito(rifiuta(6, p));
  // Rows 80 down to 0 hold board texts; an 82nd board has no row left.
  if (l_.riga_testi < 0) return esito(fallisci_voce());
  cl.tipo = 14;
  cl.dato1 = static_cast<int16_t>(l_.riga_testi);
  s_.tabella_sim[l_.riga_testi].testo = std::move(testo);
  --l_.riga_testi;
  return passo::avanti;
}

bool lettore_linea::fine_lettura() {
  if (!chiudi_linea(l_)) return false;
  const int32_t p = s_.ultima_cella();
  do riempi_pendenza();
  while (indice_pendenza_ < p - 2);
  if (s_.genera_linea != 0) {
    const int32_t l = s_.matrice_linea.ultimo();
    if (c_ <= l - 2) {
      s_.matrice_linea.prolunga(c_, l - 2, retta{});
      c_ = l - 1;
    }
  }
  return true;
}

}  // namespace

bool leggi_linea(lettura& l) {
  stato_compilazione& s = l.s;
  s.tabella_sim[riga_linea].testo = s.nome_linea;
  s.tabella_sim[riga_ripetizione].testo = s.nome_treno;
  std::string testo;
  if (auto errore = l.src.fs.read(l.file_linea, &testo)) {
    l.linea_chiusa = true;
    if (errore->missing) {
      segnala_guasto(s, 101, std::nullopt, l.file_linea, 0);
    } else if (!l.src.errore_io) {
      l.src.errore_io = std::move(*errore);
    }
    return false;
  }
  lettore_linea lettore(l, std::move(testo));
  return lettore.esegui();
}

}  // namespace scenario
