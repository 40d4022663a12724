#include "compiler/service_reader.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <string_view>
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
  bool cerca_generale();
  passo voci(const campo_chiave& f);
  passo velocita();
  passo aderenza();
  passo segnale();
  passo rallentamento();
  passo abbattimento();
  passo stazione();
  std::optional<passo> campi_stazione(int32_t& p, int32_t& lunghezza);
  std::optional<passo> area_di_fermata(int32_t p, int32_t lunghezza);
  std::optional<passo> punto_di_arresto(int32_t p);
  // As the base's, and a fault number the line reader left also stops the
  // reading at this row.
  passo dopo_registratore(const esito_registro& e, int32_t posizione, const char* che_cosa);
  void fine_lettura();
  // Gives the cells from the fill index up to fino (not included) the
  // current speed; false, with the failure recorded, when it does not fit.
  bool riempi_velocita(int32_t fino);
  void riempi_aderenza();

  // Values for 8- and 16-bit fields must fit them; one that does not is a
  // failure of the reading, like a field that is not a number.
  bool byte(uint8_t& destinazione) {
    int32_t v = 0;
    if (!campi_.leggi_numero(v)) return fallisci_campo();
    if (v < 0 || v > 255) return fallisci_intervallo(0, 255);
    destinazione = static_cast<uint8_t>(v);
    return true;
  }
  bool intero16(int16_t& destinazione) {
    int32_t v = 0;
    if (!campi_.leggi_numero(v)) return fallisci_campo();
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max()) {
      return fallisci_intervallo(std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
    }
    destinazione = static_cast<int16_t>(v);
    return true;
  }

  int32_t j_ = riga_prima_stazione;  // row of the next station
  int32_t indice_velocita_ = 0;
  int32_t velocita_corrente_ = 0;
  // The cell byte of the current speed (its fifth, rounded), worked out once
  // for each speed row; -1 when it does not fit.
  int32_t byte_velocita_ = 0;
  int32_t indice_aderenza_ = 0;
  int32_t aderenza_corrente_ = 0;
  SourceLocation dove_velocita_;  // the row that set the current speed
  std::optional<int64_t> ultima_velocita_, ultima_aderenza_, ultima_stazione_;
  SourceLocation dove_ultima_velocita_, dove_ultima_aderenza_, dove_ultima_stazione_;
};

// The keywords of the file, as an author writes them, for a "did you mean".
constexpr std::array<std::string_view, 10> parole{
    "numero vetture", "percentuale massa frenata", "velocita", "aderenza", "orologio",
    "sabbia", "segnale", "rallentamento", "abbattimento", "stazione"};

void lettore_treno::esegui() {
  if (!cerca_generale()) return;
  if (leggi_righe([this](const campo_chiave& f) { return voci(f); })) fine_lettura();
}

bool lettore_treno::cerca_generale() {
  campo_chiave f;
  for (;;) {
    if (!chiave(f)) return fallisci_campo();
    if (f.contiene("[generale]")) return true;
    if (campi_.fine()) {
      avvisa(kNoGeneralSection,
             "the service description has no \"[generale]\" field: nothing in it is read, so the "
             "scenario has no stations, no speeds and no adhesion",
             {}, SourceLocation{l_.file_treno, 0, 0});
      return true;
    }
  }
}

lettore_treno::passo lettore_treno::voci(const campo_chiave& f) {
  auto& tab = s_.tabella_sim;
  auto& origini = s_.origine_riga;
  passo p = passo::avanti;
  bool presa = false;
  if (f.contiene("frenata") && f.contiene("massa")) {
    presa = true;
    origini[riga_treno] = qui_voce();
    if (!numero(tab[riga_treno].inizio)) return esito(fallisci_campo());
  }
  if (f.contiene("vetture")) {
    presa = true;
    origini[riga_treno] = qui_voce();
    if (!numero(tab[riga_treno].progressiva)) return esito(fallisci_campo());
  }
  if (f.contiene("velocit")) {
    presa = true;
    if ((p = velocita()) != passo::avanti) return p;
  }
  if (f.contiene("aderenza")) {
    presa = true;
    if ((p = aderenza()) != passo::avanti) return p;
  }
  if (f.contiene("orologio")) {
    presa = true;
    record_sim& r = tab[riga_ripetizione];
    origini[riga_ripetizione] = qui_voce();
    if (!intero16(r.i3) || !intero16(r.i4) || !intero16(r.i5)) return passo::fermati;
  }
  if (f.contiene("sabbia")) {
    presa = true;
    origini[riga_ripetizione] = qui_voce();
    if (!intero16(tab[riga_ripetizione].i1)) return passo::fermati;
  }
  if (f.contiene("segnale")) {
    presa = true;
    if ((p = segnale()) != passo::avanti) return p;
  }
  if (f.contiene("rallentamento")) {
    presa = true;
    if ((p = rallentamento()) != passo::avanti) return p;
  }
  if (f.contiene("abbattimento")) {
    presa = true;
    if ((p = abbattimento()) != passo::avanti) return p;
  }
  if (f.contiene("stazione")) {
    presa = true;
    if ((p = stazione()) != passo::avanti) return p;
  }
  if (presa) {
    controlla_resto();
  } else {
    nessuna_voce(f, parole, "of the service description");
  }
  return passo::avanti;
}

bool lettore_treno::riempi_velocita(int32_t fino) {
  if (byte_velocita_ < 0) {
    Diagnostic d = diagnostica_errore(errori::lettura_fallita, std::nullopt, dove_velocita_,
                                      "the speed " + std::to_string(velocita_corrente_) +
                                          " km/h does not fit its cell field (0 to 1275 km/h)");
    fallimento_lettura(l_, std::move(d));
    return false;
  }
  const auto b = static_cast<uint8_t>(byte_velocita_);
  for (; indice_velocita_ < fino; ++indice_velocita_) s_.percorso[static_cast<std::size_t>(indice_velocita_)].velocita = b;
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
  if (auto p = valori_della_riga(v)) return *p;
  controlla_ordine(v[0], ultima_velocita_, dove_ultima_velocita_, "a speed row");
  const double n = near(v[0] / 50.0);
  // The cells before the row's own take the speed before it: at least the
  // next one, up to the row's cell or the last cell.
  if (const int32_t ultima = s_.ultima_cella(); n > 0 && indice_velocita_ < ultima) {
    const int32_t fino = std::max(indice_velocita_ + 1, std::min(ultima, static_cast<int32_t>(n)));
    if (!riempi_velocita(fino)) return passo::fermati;
  }
  velocita_corrente_ = v[1];
  const double b = near(velocita_corrente_ / 5.0);
  byte_velocita_ = b < 0 || b > 255 ? -1 : static_cast<int32_t>(b);
  nota_qui(dove_velocita_);
  return passo::avanti;
}

lettore_treno::passo lettore_treno::aderenza() {
  std::array<int32_t, 2> v{};
  if (auto p = valori_della_riga(v)) return *p;
  controlla_ordine(v[0], ultima_aderenza_, dove_ultima_aderenza_, "an adhesion row");
  const double n = near(v[0] / 50.0);
  if (n > 0) {
    do riempi_aderenza();
    while (indice_aderenza_ < n);
  }
  aderenza_corrente_ = v[1];
  return passo::avanti;
}

lettore_treno::passo lettore_treno::dopo_registratore(const esito_registro& e, int32_t posizione,
                                                      const char* che_cosa) {
  if (const passo p = lettore_righe::dopo_registratore(e, posizione, che_cosa); p != passo::avanti) return p;
  // A number left by the line reader (its error 15) ends the reading here
  // too, as the compile reads; a check reads on.
  if (!verifica_ && s_.numero_errore > 0) {
    return esito(rifiuta(s_.numero_errore, posizione,
                         "the reading of the service description stops at this row: the line "
                         "description's error " +
                             std::to_string(s_.numero_errore) + " is still recorded"));
  }
  return passo::avanti;
}

lettore_treno::passo lettore_treno::segnale() {
  std::array<int32_t, 11> v{};
  if (auto p = valori_della_riga(v)) return *p;
  return dopo_registratore(
      memo_segnale(s_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]), v[0],
      "a signal");
}

lettore_treno::passo lettore_treno::rallentamento() {
  std::array<int32_t, 6> v{};
  if (auto p = valori_della_riga(v)) return *p;
  return dopo_registratore(memo_rallentamento(s_, v[0], v[1], v[2], v[3], v[4], v[5]), v[0],
                           "a slow-down");
}

lettore_treno::passo lettore_treno::abbattimento() {
  std::array<int32_t, 2> v{};
  if (auto p = valori_della_riga(v)) return *p;
  const int32_t x = v[0];
  const int32_t w = v[1];
  const auto indice = static_cast<std::size_t>(near(x / 50.0));
  cella& c = s_.percorso[indice];
  if (!libera(c)) {
    return esito(rifiuta(errori::abbattimento_occupato, x,
                         "an abbattimento at " + std::to_string(x) + " m: cell " + std::to_string(indice) +
                             " already holds a " + nome_oggetto(c.tipo),
                         detentore(static_cast<int64_t>(indice))));
  }
  if (w > 0) {
    c.tipo = oggetto::cartello_velocita;
    c.dato1 = static_cast<int16_t>(w);
  } else {
    c.tipo = oggetto::cartello_senza_velocita;
  }
  origine(static_cast<int64_t>(indice), x);
  return passo::avanti;
}

// A station row: its fields, then the stop area they give, then the stop
// point at the end of that area, then its place after the station before.
lettore_treno::passo lettore_treno::stazione() {
  int32_t p = 0;
  int32_t lunghezza = 0;
  if (auto fine = campi_stazione(p, lunghezza)) return *fine;
  if (auto fine = area_di_fermata(p, lunghezza)) return *fine;
  if (auto fine = punto_di_arresto(p)) return *fine;
  const record_sim& r = s_.tabella_sim[j_];
  if (j_ > 1 && int64_t{r.inizio} - 350 < s_.tabella_sim[j_ - 1].fine) {
    return esito(rifiuta(errori::stazioni_vicine, p,
                         "the station's stop area starts at " + std::to_string(r.inizio) +
                             " m, less than 350 m after the previous one ends at " +
                             std::to_string(s_.tabella_sim[j_ - 1].fine) + " m",
                         {{s_.origine_riga[static_cast<std::size_t>(j_ - 1)], "the previous station is here"}}));
  }
  ++j_;
  if (j_ >= l_.riga_testi) {
    return esito(rifiuta(errori::stazioni_oltre_i_testi, std::nullopt,
                         "no row of the scenario table is left for another station: " +
                             std::to_string(j_ - 1) + " stations and " +
                             std::to_string(riga_primo_testo - l_.riga_testi) + " text boards fill them"));
  }
  return passo::avanti;
}

// The row's values into table row j_: position, type, length, the nine
// small fields, the time and the name. Nothing when the row goes on.
std::optional<lettore_treno::passo> lettore_treno::campi_stazione(int32_t& p, int32_t& lunghezza) {
  record_sim& r = s_.tabella_sim[j_];
  if (!numero(p)) return esito(fallisci_campo());
  r.progressiva = p;
  s_.origine_riga[static_cast<std::size_t>(j_)] = qui_voce();
  // A station row keeps 800 m before the end of the route.
  if (auto q = posizione_della_riga(p, 800)) return *q;
  if (p % 50 != 0) {
    return esito(rifiuta(errori::stazione_non_multipla, p,
                         "station position " + std::to_string(p) + " m is not a multiple of 50"));
  }
  controlla_ordine(p, ultima_stazione_, dove_ultima_stazione_, "a station");

  if (!byte(r.tipo)) return passo::fermati;
  if (!numero(lunghezza)) return esito(fallisci_campo());
  if (lunghezza % 100 != 0) {
    return esito(rifiuta(errori::lunghezza_stazione, p,
                         "station length " + std::to_string(lunghezza) + " m is not a multiple of 100"));
  }
  if (lunghezza < 0) return esito(fallisci_voce("the station length " + std::to_string(lunghezza) + " m is negative"));
  if (!byte(r.b1) || !byte(r.b5) || !byte(r.b4) || !intero16(r.i1) || !intero16(r.i2) ||
      !byte(r.b2) || !intero16(r.i3) || !intero16(r.i4) || !intero16(r.i5) || !byte(r.b3)) {
    return passo::fermati;
  }
  std::array<int32_t, 3> ora{};
  if (!numeri(ora)) return esito(fallisci_campo());
  const int64_t orario = (int64_t{ora[0]} * 60 + ora[1]) * 60 + ora[2];
  if (!in_32_bit(orario)) return esito(fallisci_voce("the station time does not fit 32 bits"));
  r.orario = static_cast<int32_t>(orario);
  std::string nome;
  if (!campi_.leggi_testo(nome)) return esito(fallisci_campo());
  // The table file stores a text's length in 16 bits.
  if (nome.size() > lunghezza_massima_testo) {
    return esito(fallisci_voce("the station name is " + std::to_string(nome.size()) +
                               " bytes long, more than the 65535 a text can hold"));
  }
  controlla_testo(nome, "the station name");
  r.testo = std::move(nome);
  return std::nullopt;
}

// Where the train may stand: the stop area from the type and the length.
std::optional<lettore_treno::passo> lettore_treno::area_di_fermata(int32_t p, int32_t lunghezza) {
  record_sim& r = s_.tabella_sim[j_];
  const int32_t t = r.tipo;
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
  if (!in_32_bit(inizio) || !in_32_bit(fine)) return esito(fallisci_voce("the stop area does not fit 32 bits"));
  r.inizio = static_cast<int32_t>(inizio);
  r.fine = static_cast<int32_t>(fine);
  if (lunghezza < 600) r.b5 = 0;
  if (j_ == 1) {
    r.b4 = 0;
    r.b5 = 0;
  }

  return std::nullopt;
}

// The approach marks before the stop point, and the stop point in the cell
// before the end of the stop area; only for types below 25.
std::optional<lettore_treno::passo> lettore_treno::punto_di_arresto(int32_t p) {
  const record_sim& r = s_.tabella_sim[j_];
  const int32_t t = r.tipo;
  const double e = r.fine;
  if (t < 25) {
    // A stop area reaching past the route has no cell for its stop point.
    if (near(e / 50 - 1) > s_.ultima_cella()) {
      return esito(fallisci_voce("the stop area ends at " + std::to_string(r.fine) +
                                 " m, past the end of the route", p));
    }
    if (t != 5 && t != 6) {
      for (int k = 1; k <= 4; ++k) {
        const double q = e / 50 - k - 1;
        if (q > 1) {
          const auto indice = static_cast<std::size_t>(near(q));
          uint8_t& segno = s_.percorso[indice].avvicinamento;
          const auto nuovo = static_cast<uint8_t>(80 + k);
          if (segno != 0 && segno != nuovo) {
            avvisa(kOverwrittenObject, "the station's approach mark " + std::to_string(nuovo) +
                                           " replaces the approach mark " + std::to_string(segno) +
                                           " already in cell " + std::to_string(indice));
          }
          segno = nuovo;
        }
      }
    }
    if (e / 50 - 1 <= 1) {
      return esito(rifiuta(errori::arresto_in_testa, std::nullopt,
                           "the station's stop point would fall in cell 1 or before (its stop area ends at " +
                               std::to_string(r.fine) + " m)"));
    }
    const auto indice = static_cast<std::size_t>(near(e / 50 - 1));
    cella& arresto = s_.percorso[indice];
    if (!libera(arresto) && arresto.tipo != oggetto::arresto_stazione) {
      avvisa(kOverwrittenObject,
             "the station's stop point replaces the " + std::string(nome_oggetto(arresto.tipo)) + " in cell " +
                 std::to_string(indice),
             {}, std::nullopt, detentore(static_cast<int64_t>(indice)));
    }
    arresto.tipo = oggetto::arresto_stazione;
    arresto.dato1 = static_cast<int16_t>(j_);
    origine(static_cast<int64_t>(indice), p);
  }

  return std::nullopt;
}

void lettore_treno::fine_lettura() {
  if (!chiudi_treno(l_)) return;
  const int32_t ultima = s_.ultima_cella();
  if (indice_velocita_ > ultima) {
    ++indice_velocita_;
  } else if (!riempi_velocita(std::max(indice_velocita_ + 1, ultima - 2))) {
    return;
  }
  do riempi_aderenza();
  while (indice_aderenza_ < ultima - 2);

  const auto& tab = s_.tabella_sim;
  for (int i : {riga_progressiva_tre, riga_progressiva_due, riga_progressiva_uno}) {
    if (tab[i].inizio % 50 != 0 || tab[i].fine % 50 != 0) {
      SourceLocation dove = s_.origine_riga[static_cast<std::size_t>(i)];
      if (dove.file.empty()) dove.file = l_.file_linea;
      aggiungi_diagnostica(s_, diagnostica_errore(errori::progressiva_non_multipla, std::nullopt, dove,
                                                  "the chainage row's start " + std::to_string(tab[i].inizio) +
                                                      " m or offset " + std::to_string(tab[i].fine) +
                                                      " m is not a multiple of 50"));
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
      fallimento_lettura(l, diagnostica_errore(errori::lettura_fallita, std::nullopt, {l.file_treno, 0, 0},
                                               "the service description " + l.file_treno + " does not exist"));
    } else if (!l.src.io_error) {
      l.src.io_error = std::move(*errore);
    }
    return;
  }
  if (testo.empty()) {
    fallimento_lettura(l, diagnostica_errore(errori::lettura_fallita, std::nullopt, {l.file_treno, 1, 0},
                                             "the service description " + l.file_treno + " is empty"));
    return;
  }
  lettore_treno lettore(l, std::move(testo));
  lettore.esegui();
}

}  // namespace scenario
