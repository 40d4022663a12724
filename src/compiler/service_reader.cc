#include "compiler/service_reader.h"

#include <array>
#include <limits>
#include <string>
#include <utility>

#include "compiler/fields.h"
#include "compiler/recorders.h"
#include "compiler/row_reader.h"

namespace scenario {

namespace {

bool in_32_bit(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

class lettore_treno : lettore_righe {
 public:
  lettore_treno(lettura& l, std::string testo)
      : lettore_righe(l, std::move(testo), l.file_treno, chiudi_treno) {}

  void esegui();

 private:
  enum class passo { avanti, fine_lettura, fermati };

  bool cerca_generale();
  passo voci(const campo_chiave& f);
  passo velocita();
  passo aderenza();
  passo segnale();
  passo rallentamento();
  passo abbattimento();
  passo stazione();
  passo dopo_registratore(int32_t numero, int32_t posizione);
  void fine_lettura();
  bool riempi_velocita();
  void riempi_aderenza();

  // Values for 8- and 16-bit fields must fit them; one that does not is a
  // failure of the reading, like a field that is not a number.
  bool byte(uint8_t& destinazione) {
    int32_t v = 0;
    if (!campi_.leggi_numero(v)) return fallisci_campo();
    if (v < 0 || v > 255) return fallisci_qui();
    destinazione = static_cast<uint8_t>(v);
    return true;
  }
  bool intero16(int16_t& destinazione) {
    int32_t v = 0;
    if (!campi_.leggi_numero(v)) return fallisci_campo();
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max()) {
      return fallisci_qui();
    }
    destinazione = static_cast<int16_t>(v);
    return true;
  }

  passo esito(bool proseguire) { return proseguire ? passo::avanti : passo::fermati; }

  int32_t j_ = riga_prima_stazione;  // row of the next station
  int32_t indice_velocita_ = 0;
  int32_t velocita_corrente_ = 0;
  int riga_velocita_ = 0;  // row that set the current speed
  int32_t indice_aderenza_ = 0;
  int32_t aderenza_corrente_ = 0;
};

void lettore_treno::esegui() {
  if (!cerca_generale()) return;
  campo_chiave f;
  for (;;) {
    if (campi_.fine()) break;
    if (!chiave(f)) {
      fallisci_campo();
      return;
    }
    if (campi_.fine()) break;
    if (f.contiene("-")) {
      if (!chiave(f)) return void(fallisci_campo());
      if (campi_.fine()) break;
      if (f.contiene("-")) {
        if (!chiave(f)) return void(fallisci_campo());
        if (campi_.fine()) break;
      }
    }
    const passo p = voci(f);
    if (p == passo::fermati) return;
    if (p == passo::fine_lettura) break;
  }
  fine_lettura();
}

bool lettore_treno::cerca_generale() {
  campo_chiave f;
  for (;;) {
    if (!chiave(f)) return fallisci_campo();
    if (f.contiene("[generale]") || campi_.fine()) return true;
  }
}

lettore_treno::passo lettore_treno::voci(const campo_chiave& f) {
  auto& tab = s_.tabella_sim;
  passo p = passo::avanti;
  if (f.contiene("frenata") && f.contiene("massa")) {
    if (!numero(tab[riga_treno].inizio)) return esito(fallisci_campo());
  }
  if (f.contiene("vetture")) {
    if (!numero(tab[riga_treno].progressiva)) return esito(fallisci_campo());
  }
  if (f.contiene("velocit") && (p = velocita()) != passo::avanti) return p;
  if (f.contiene("aderenza") && (p = aderenza()) != passo::avanti) return p;
  if (f.contiene("orologio")) {
    record_sim& r = tab[riga_ripetizione];
    if (!intero16(r.i3) || !intero16(r.i4) || !intero16(r.i5)) return passo::fermati;
  }
  if (f.contiene("sabbia")) {
    if (!intero16(tab[riga_ripetizione].i1)) return passo::fermati;
  }
  if (f.contiene("segnale") && (p = segnale()) != passo::avanti) return p;
  if (f.contiene("rallentamento") && (p = rallentamento()) != passo::avanti) return p;
  if (f.contiene("abbattimento") && (p = abbattimento()) != passo::avanti) return p;
  if (f.contiene("stazione") && (p = stazione()) != passo::avanti) return p;
  return passo::avanti;
}

bool lettore_treno::riempi_velocita() {
  const double v = near(velocita_corrente_ / 5.0);
  if (v < 0 || v > 255) {
    fallimento_lettura(l_, l_.file_treno, riga_velocita_);
    return false;
  }
  s_.percorso[indice_velocita_].velocita = static_cast<uint8_t>(v);
  ++indice_velocita_;
  return true;
}

void lettore_treno::riempi_aderenza() {
  // A row out of chainage order can leave the fill index outside the route;
  // such cells do not exist and are skipped.
  if (indice_aderenza_ >= 0 && indice_aderenza_ <= s_.ultima_cella()) {
    s_.percorso[indice_aderenza_].aderenza = static_cast<uint8_t>(aderenza_corrente_);
  }
  ++indice_aderenza_;
}

lettore_treno::passo lettore_treno::velocita() {
  std::array<int32_t, 2> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  if (oltre(v[0], 100)) return passo::fine_lettura;
  if (v[0] < 0) return esito(fallisci_voce());
  const double n = near(v[0] / 50.0);
  if (n > 0) {
    do {
      if (indice_velocita_ >= s_.ultima_cella()) break;
      if (!riempi_velocita()) return passo::fermati;
    } while (indice_velocita_ < n);
  }
  velocita_corrente_ = v[1];
  riga_velocita_ = riga_voce_;
  return passo::avanti;
}

lettore_treno::passo lettore_treno::aderenza() {
  std::array<int32_t, 2> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  if (oltre(v[0], 100)) return passo::fine_lettura;
  if (v[0] < 0) return esito(fallisci_voce());
  const double n = near(v[0] / 50.0);
  if (n > 0) {
    do riempi_aderenza();
    while (indice_aderenza_ < n);
  }
  aderenza_corrente_ = v[1];
  return passo::avanti;
}

lettore_treno::passo lettore_treno::dopo_registratore(int32_t numero, int32_t posizione) {
  if (numero == 25) return esito(fallisci_voce());
  // A number left by the line reader (its error 15) ends the reading here too.
  if (numero == 0 && s_.numero_errore > 0) numero = s_.numero_errore;
  if (numero > 0) return esito(rifiuta(numero, posizione));
  return passo::avanti;
}

lettore_treno::passo lettore_treno::segnale() {
  std::array<int32_t, 11> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  if (oltre(v[0], 100)) return passo::fine_lettura;
  if (v[0] < 0) return esito(fallisci_voce());
  return dopo_registratore(
      memo_segnale(s_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]), v[0]);
}

lettore_treno::passo lettore_treno::rallentamento() {
  std::array<int32_t, 6> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  if (oltre(v[0], 100)) return passo::fine_lettura;
  if (v[0] < 0) return esito(fallisci_voce());
  return dopo_registratore(memo_rallentamento(s_, v[0], v[1], v[2], v[3], v[4], v[5]), v[0]);
}

lettore_treno::passo lettore_treno::abbattimento() {
  std::array<int32_t, 2> v{};
  if (!numeri(v)) return esito(fallisci_campo());
  const int32_t x = v[0];
  const int32_t w = v[1];
  if (oltre(x, 100)) return passo::fine_lettura;
  if (x < 0) return esito(fallisci_voce());
  cella& c = s_.percorso[static_cast<std::size_t>(near(x / 50.0))];
  if (!libera(c)) return esito(rifiuta(7, x));
  if (w > 0) {
    c.tipo = 12;
    c.dato1 = static_cast<int16_t>(w);
  } else {
    c.tipo = 13;
  }
  return passo::avanti;
}

lettore_treno::passo lettore_treno::stazione() {
  record_sim& r = s_.tabella_sim[j_];
  int32_t p = 0;
  if (!numero(p)) return esito(fallisci_campo());
  r.progressiva = p;
  if (oltre(p, 800)) return passo::fine_lettura;
  if (p < 0) return esito(fallisci_voce());
  if (p % 50 != 0) return esito(rifiuta(8, p));

  if (!byte(r.tipo)) return passo::fermati;
  const int32_t t = r.tipo;
  int32_t lunghezza = 0;
  if (!numero(lunghezza)) return esito(fallisci_campo());
  if (lunghezza % 100 != 0) return esito(rifiuta(9, p));
  if (lunghezza < 0) return esito(fallisci_voce());
  if (!byte(r.b1) || !byte(r.b5) || !byte(r.b4) || !intero16(r.i1) || !intero16(r.i2) ||
      !byte(r.b2) || !intero16(r.i3) || !intero16(r.i4) || !intero16(r.i5) || !byte(r.b3)) {
    return passo::fermati;
  }
  std::array<int32_t, 3> ora{};
  if (!numeri(ora)) return esito(fallisci_campo());
  const int64_t orario = (int64_t{ora[0]} * 60 + ora[1]) * 60 + ora[2];
  if (!in_32_bit(orario)) return esito(fallisci_voce());
  r.orario = static_cast<int32_t>(orario);
  std::string nome;
  if (!campi_.leggi_testo(nome)) return esito(fallisci_campo());
  // The table file stores a text's length in 16 bits.
  if (nome.size() > lunghezza_massima_testo) return esito(fallisci_voce());
  r.testo = std::move(nome);

  // The stop area.
  int64_t inizio = 0;
  int64_t fine = 0;
  if (t == 5 || t == 6) {
    fine = int64_t{p} + 150;
    inizio = int64_t{p} - lunghezza;
    r.b4 = 0;
  } else if (t == 7 || t == 8) {
    inizio = int64_t{p} - lunghezza;
    fine = int64_t{p} + lunghezza;
    r.b4 = 0;
  } else {
    inizio = static_cast<int64_t>(near(p - lunghezza / 2.0));
    fine = static_cast<int64_t>(r.b4 != 0 ? near(p + lunghezza / 2.0 + 50) : near(p + lunghezza / 2.0));
  }
  if (!in_32_bit(inizio) || !in_32_bit(fine)) return esito(fallisci_voce());
  r.inizio = static_cast<int32_t>(inizio);
  r.fine = static_cast<int32_t>(fine);
  if (lunghezza < 600) r.b5 = 0;
  if (j_ == 1) {
    r.b4 = 0;
    r.b5 = 0;
  }

  const double e = r.fine;
  if (t < 25) {
    // A stop area reaching past the route has no cell for its stop point.
    if (near(e / 50 - 1) > s_.ultima_cella()) return esito(fallisci_voce());
    if (t != 5 && t != 6) {
      for (int k = 1; k <= 4; ++k) {
        const double q = e / 50 - k - 1;
        if (q > 1) s_.percorso[static_cast<std::size_t>(near(q))].avvicinamento = static_cast<uint8_t>(80 + k);
      }
    }
    if (e / 50 - 1 <= 1) return esito(rifiuta(24));
    cella& arresto = s_.percorso[static_cast<std::size_t>(near(e / 50 - 1))];
    arresto.tipo = 10;
    arresto.dato1 = static_cast<int16_t>(j_);
  }

  if (j_ > 1 && int64_t{r.inizio} - 350 < s_.tabella_sim[j_ - 1].fine) {
    return esito(rifiuta(22, p));
  }
  ++j_;
  if (j_ >= l_.riga_testi) return esito(rifiuta(10));
  return passo::avanti;
}

void lettore_treno::fine_lettura() {
  if (!chiudi_treno(l_)) return;
  const int32_t ultima = s_.ultima_cella();
  do {
    if (indice_velocita_ > ultima) {
      ++indice_velocita_;
    } else if (!riempi_velocita()) {
      return;
    }
  } while (indice_velocita_ < ultima - 2);
  do riempi_aderenza();
  while (indice_aderenza_ < ultima - 2);

  const auto& tab = s_.tabella_sim;
  for (int i : {riga_progressiva_tre, riga_progressiva_due, riga_progressiva_uno}) {
    if (tab[i].inizio % 50 != 0 || tab[i].fine % 50 != 0) {
      segnala_guasto(s_, 2, std::nullopt, l_.file_linea, 0);
      break;
    }
  }
}

}  // namespace

void leggi_treno(lettura& l) {
  std::string testo;
  if (auto errore = l.src.fs.read(l.file_treno, &testo)) {
    if (errore->missing) {
      l.treno_chiuso = true;
      fallimento_lettura(l, l.file_treno, 0);
    } else if (!l.src.errore_io) {
      l.src.errore_io = std::move(*errore);
    }
    return;
  }
  lettore_treno lettore(l, std::move(testo));
  lettore.esegui();
}

}  // namespace scenario
