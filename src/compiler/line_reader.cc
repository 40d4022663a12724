#include "compiler/line_reader.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "compiler/chainage_sort.h"
#include "compiler/fields.h"
#include "compiler/recorders.h"
#include "compiler/row_reader.h"
#include "compiler/track_plan.h"
#include "model/file_names.h"

namespace scenario {

namespace {

constexpr int32_t lunghezza_massima = 1000000;

bool multiplo_di_50(int32_t v) { return v % 50 == 0; }

// The keywords of the two parts of the file, as an author writes them, for
// a "did you mean".
constexpr std::array<std::string_view, 8> parole_generali{
    "lunghezza percorso", "progressiva chilometrica uno", "progressiva chilometrica due",
    "progressiva chilometrica tre", "sfondo uno", "sfondo due", "sfondo tre",
    "ripetizione segnali codici"};
constexpr std::array<std::string_view, 6> parole_liste{
    "pendenza", "curvad", "curvas", "montagna", "indicatori_vmax", "cartello_indicatore"};

class lettore_linea : lettore_righe {
 public:
  lettore_linea(lettura& l, std::string testo)
      : lettore_righe(l, std::move(testo), l.file_linea, chiudi_linea) {}

  bool esegui();

 private:
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
  bool fine_lettura();
  // A list entry standing in the general section, where it is not read.
  bool voce_di_lista(const campo_chiave& f) const {
    return f.contiene("pendenza") || f.contiene("curva") || f.contiene("montagna") ||
           f.contiene("indicatori_v") || (f.contiene("indicat") && f.contiene("cartello"));
  }
  bool lunghezza_troppo_grande() const {
    for (const Diagnostic& d : s_.diagnostiche) {
      if (d.fault_number == errori::lunghezza_eccessiva) return true;
    }
    return false;
  }

  // Gives the cells from the fill index up to fino (not included) the
  // gradient in force.
  void riempi_pendenza(int32_t fino);

  int32_t indice_pendenza_ = 0;  // next cell to receive a gradient
  int32_t pendenza_in_vigore_ = 0;
  tracciato piano_{s_.matrice_linea};

  SourceLocation dove_generale_;  // the "[generale]" field
  struct voce_fuori_posto {
    SourceLocation dove;
    std::string testo;
  };
  std::vector<voce_fuori_posto> liste_nel_generale_;
  std::optional<int64_t> ultima_pendenza_;
  SourceLocation dove_pendenza_;
  int32_t fine_curva_ = -1;  // where the last curve ended
  SourceLocation dove_curva_;
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
      linea_testo_voce_ = 0;
      colonna_voce_ = 0;
      return rifiuta(errori::generale_mancante, std::nullopt,
                     "the line description has no \"[generale]\" field before its last line: nothing "
                     "in it is read");
    }
    if (f.contiene("[generale]")) {
      dove_generale_ = qui_voce();
      return true;
    }
  }
}

bool lettore_linea::sezione_generale() {
  campo_chiave f;
  bool chiusa = false;
  for (;;) {
    // Up to ten dash fields are passed over here, and a last field after
    // them is still read as an entry.
    const apertura a = apri_riga(f, 10, false);
    if (a == apertura::fine_testo) break;
    if (a == apertura::fallita) return false;
    if (!voci_generali(f)) {
      if (riprendi()) continue;
      return false;
    }
    const std::size_t primo = f.testo().find_first_not_of(" \t");
    const bool trattino = primo != std::string::npos && f.testo()[primo] == '-';
    if (!trattino && f.contiene("[") && f.contiene("]")) {
      chiusa = true;
      break;
    }
  }
  if (chiusa) {
    for (const voce_fuori_posto& v : liste_nel_generale_) {
      avvisa(kUnknownKeyword,
             "'" + v.testo + "' is a list entry, but it stands in the general section, where it is " +
                 "passed over; list entries belong after the section header that closes it",
             v.testo, v.dove);
    }
  } else if (!liste_nel_generale_.empty()) {
    const voce_fuori_posto& v = liste_nel_generale_.front();
    avvisa(kListsNeverStart,
           "no section header such as \"[curve]\" closes the general section, so the lists never start: '" +
               v.testo + "' and every list entry after it are passed over",
           v.testo, v.dove);
  } else {
    avvisa(kListsNeverStart,
           "no section header such as \"[curve]\" closes the general section, so the lists never start "
           "and no list entry is read",
           {}, dove_generale_);
  }
  return true;
}

bool lettore_linea::voci_generali(const campo_chiave& f) {
  auto& tab = s_.tabella_sim;
  auto& origini = s_.origine_riga;
  constexpr auto esatto = confronto::esatto;
  bool presa = false;
  if (f.contiene("percorso") && f.contiene("lunghezza")) {
    presa = true;
    int32_t lunghezza = 0;
    if (!numero(lunghezza)) return fallisci_campo();
    tab[riga_treno].fine = lunghezza;
    origini[riga_treno] = qui_voce();
    if (lunghezza > lunghezza_massima) {
      return rifiuta(errori::lunghezza_eccessiva, std::nullopt,
                     "route length " + std::to_string(lunghezza) + " m is above the largest, 1000000 m");
    }
    // A negative length would size the route too small for the first plan
    // points: refused before anything is sized.
    if (lunghezza < 0) return fallisci_voce("the route length " + std::to_string(lunghezza) + " m is negative");
    dimensiona(s_, lunghezza);
  }
  const std::array<std::pair<const char*, int>, 3> progressive{
      {{"tre", riga_progressiva_tre}, {"due", riga_progressiva_due}, {"uno", riga_progressiva_uno}}};
  for (const auto& [parola, indice] : progressive) {
    if (f.contiene(parola, esatto) && f.contiene("progressiva", esatto)) {
      presa = true;
      record_sim& r = tab[indice];
      origini[indice] = qui_voce();
      if (!numero(r.inizio) || !numero(r.fine) || !numero(r.progressiva)) return fallisci_campo();
    }
  }
  if (f.contiene("sfondo", esatto) && f.contiene("uno", esatto)) {
    presa = true;
    origini[riga_linea] = qui_voce();
    if (!numero(tab[riga_linea].inizio)) return fallisci_campo();
  }
  if (f.contiene("sfondo", esatto) && f.contiene("due", esatto)) {
    presa = true;
    origini[riga_linea] = qui_voce();
    if (!numero(tab[riga_linea].progressiva)) return fallisci_campo();
  }
  if (f.contiene("sfondo", esatto) && f.contiene("tre", esatto)) {
    presa = true;
    origini[riga_linea] = qui_voce();
    if (!numero(tab[riga_linea].fine)) return fallisci_campo();
  }
  if (f.contiene("segnali", esatto) && f.contiene("ripetizione", esatto)) {
    presa = true;
    record_sim& r = tab[riga_ripetizione];
    origini[riga_ripetizione] = qui_voce();
    // Each value is stored as it is read, as every other row does.
    if (!numero(r.inizio) || !numero(r.fine)) return fallisci_campo();
    if (!multiplo_di_50(r.inizio)) {
      return rifiuta(errori::inizio_ripetizione, std::nullopt,
                     "signal-repetition start " + std::to_string(r.inizio) + " m is not a multiple of 50");
    }
    if (!multiplo_di_50(r.fine)) {
      return rifiuta(errori::fine_ripetizione, std::nullopt,
                     "signal-repetition end " + std::to_string(r.fine) + " m is not a multiple of 50");
    }
    if (f.contiene("4", esatto)) {
      r.progressiva = 4;
    } else if (f.contiene("9", esatto)) {
      r.progressiva = 9;
    } else {
      return rifiuta(errori::codici_ripetizione, std::nullopt,
                     "the signal-repetition keyword '" + breve(f.testo()) +
                         "' names neither 4 nor 9 codes: write \"4\" or \"9\" in it");
    }
    if (r.fine == 0) r.progressiva = 0;
  }
  if (presa) {
    controlla_resto();
    return true;
  }
  // Entries read only in lower case, written otherwise.
  const std::array<std::pair<const char*, const char*>, 7> minuscole{{{"progressiva", "uno"},
                                                                      {"progressiva", "due"},
                                                                      {"progressiva", "tre"},
                                                                      {"sfondo", "uno"},
                                                                      {"sfondo", "due"},
                                                                      {"sfondo", "tre"},
                                                                      {"ripetizione", "segnali"}}};
  for (const auto& [a, b] : minuscole) {
    if (f.contiene(a) && f.contiene(b)) {
      avvisa(kKeywordCase,
             "'" + breve(f.testo()) + "' is read only in lower case, as \"" + a + "\" and \"" + b +
                 "\": this entry is passed over",
             f.testo());
      taciuta_ = linea_testo_voce_;
      return true;
    }
  }
  if (voce_di_lista(f)) {
    if (linea_testo_voce_ != taciuta_) liste_nel_generale_.push_back({qui_voce(), breve(f.testo())});
    taciuta_ = linea_testo_voce_;
    return true;
  }
  nessuna_voce(f, parole_generali, "of the general section");
  return true;
}

bool lettore_linea::tra_le_sezioni() {
  // Without a route length there is nothing to place the lists on. A
  // length refused as too large has already said so.
  if (!s_.dimensionato()) {
    if (lunghezza_troppo_grande()) return false;
    Diagnostic d = diagnostica_errore(errori::lettura_fallita, std::nullopt, SourceLocation{l_.file_linea, 0, 0},
                                      "no route length: the general section has no \"lunghezza percorso\" "
                                      "row, so nothing can be placed on the route");
    fallimento_lettura(l_, std::move(d));
    return false;
  }
  progressive_ordina(s_);
  s_.numero_montagne = 0;
  l_.riga_testi = riga_primo_testo;
  if (s_.genera_linea) {
    piano_.inizia();
  }
  return true;
}

bool lettore_linea::liste() {
  return leggi_righe([this](const campo_chiave& f) { return voci_liste(f); });
}

lettore_linea::passo lettore_linea::voci_liste(const campo_chiave& f) {
  // Each test is made on the same field whatever the earlier ones found.
  passo p = passo::avanti;
  bool presa = false;
  if (f.contiene("pendenza")) {
    presa = true;
    if ((p = pendenza()) != passo::avanti) return p;
  }
  if (f.contiene("curva")) {
    if (s_.genera_linea) {
      presa = true;
      if ((p = curva(f)) != passo::avanti) return p;
    } else {
      // Without a track plan a curve is not read: its two values are read
      // as keyword fields that match nothing, and pass without a word.
      campi_da_tacere_ = 2;
      taciuta_ = linea_testo_voce_;
    }
  }
  if (f.contiene("montagna")) {
    presa = true;
    if ((p = montagna()) != passo::avanti) return p;
  }
  if (f.contiene("indicatori_v")) {
    presa = true;
    if ((p = indicatore()) != passo::avanti) return p;
  }
  if (f.contiene("indicat") && f.contiene("cartello")) {
    presa = true;
    if ((p = cartello()) != passo::avanti) return p;
  }
  if (presa) {
    controlla_resto();
  } else {
    nessuna_voce(f, parole_liste, "of the lists");
  }
  return passo::avanti;
}

void lettore_linea::riempi_pendenza(int32_t fino) {
  // An entry out of chainage order can push the fill index past the route:
  // such cells do not exist and are skipped.
  const int32_t da = std::max(indice_pendenza_, int32_t{0});
  const int32_t a = std::min(fino, s_.ultima_cella() + 1);
  const auto b = static_cast<uint8_t>(static_cast<uint32_t>(pendenza_in_vigore_) + 100u);
  for (int32_t i = da; i < a; ++i) s_.percorso[static_cast<std::size_t>(i)].pendenza = b;
  indice_pendenza_ = std::max(indice_pendenza_, fino);
}

lettore_linea::passo lettore_linea::pendenza() {
  std::array<int32_t, 2> v{};
  if (auto p = valori_della_riga(v)) return *p;
  controlla_ordine(v[0], ultima_pendenza_, dove_pendenza_, "a gradient row");
  const double n = near(v[0] / 50.0);
  // The cells before the row's own take the gradient before it: at least
  // the next one.
  if (n > 0) riempi_pendenza(std::max(indice_pendenza_ + 1, static_cast<int32_t>(n)));
  pendenza_in_vigore_ = v[1];
  return passo::avanti;
}

lettore_linea::passo lettore_linea::curva(const campo_chiave& f) {
  std::array<int32_t, 2> v{};
  if (auto p = valori_della_riga(v)) return *p;
  const int32_t inizio = v[0];
  const int32_t lunghezza = v[1];
  int classe = 0;
  for (int d = 1; d <= 6 && classe == 0; ++d) {
    if (f.testo().find(static_cast<char>('0' + d)) != std::string::npos) classe = d;
  }
  if (classe == 0) {
    return esito(rifiuta(errori::curva_non_valida, std::nullopt,
                         "the curve keyword '" + breve(f.testo()) + "' has no class digit 1 to 6"));
  }
  // The plan ends at point L: a curve running past it is refused before any
  // point of it is computed.
  const int64_t ultimo = int64_t{inizio} + lunghezza;
  if (lunghezza < 0) return esito(fallisci_voce("the curve length " + std::to_string(lunghezza) + " m is negative"));
  if (ultimo > s_.matrice_linea.ultimo()) {
    return esito(fallisci_voce("the curve ends at " + std::to_string(ultimo) + " m, past the last point of the " +
                               "track plan (" + std::to_string(s_.matrice_linea.ultimo()) + " m)"));
  }
  if (fine_curva_ >= 0 && inizio < fine_curva_) {
    avvisa(kPositionBackwards,
           "a curve at " + std::to_string(inizio) + " m starts before the previous curve ends at " +
               std::to_string(fine_curva_) + " m: it is computed from there on, not from where it is written",
           f.testo(), std::nullopt, {{dove_curva_, "the earlier curve is here"}});
  }
  fine_curva_ = static_cast<int32_t>(ultimo);
  nota_qui(dove_curva_);
  double k = *tracciato::curvatura(classe);
  if (f.contiene("s")) k = -k;

  if (!piano_.dritto_fino(inizio) || !piano_.curva_fino(static_cast<int32_t>(ultimo), k)) {
    return esito(rifiuta(errori::curva_non_valida, std::nullopt,
                         "the track plan passes point 1000000 at this curve"));
  }
  return passo::avanti;
}

lettore_linea::passo lettore_linea::montagna() {
  std::array<int32_t, 3> v{};
  if (auto p = valori_della_riga(v)) return *p;
  if (v[1] <= v[0]) {
    avvisa(kTunnelReversed,
           "a tunnel from " + std::to_string(v[0]) + " m to " + std::to_string(v[1]) +
               " m: its end is not after its start, so it marks no cell (write the start first)",
           s_.parola_chiave);
  }
  return dopo_registratore(memo_montagna(s_, v[0], v[1], v[2]), v[0], "a tunnel");
}

lettore_linea::passo lettore_linea::indicatore() {
  std::array<int32_t, 9> v{};
  if (auto p = valori_della_riga(v)) return *p;
  return dopo_registratore(
      memo_indicatori_v_max(s_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]), v[0],
      "an indicator board");
}

lettore_linea::passo lettore_linea::cartello() {
  int32_t p = 0;
  std::string testo;
  if (!campi_.leggi_numero(p) || !campi_.leggi_testo(testo)) return esito(fallisci_campo());
  if (auto q = posizione_della_riga(p)) return *q;
  // The table file stores a text's length in 16 bits.
  if (testo.size() > lunghezza_massima_testo) {
    return esito(fallisci_voce("the board text is " + std::to_string(testo.size()) +
                               " bytes long, more than the 65535 a text can hold"));
  }
  const auto c = static_cast<int32_t>(near(p / 50.0 + 1));
  cella& cl = s_.percorso[static_cast<std::size_t>(c)];
  if (!libera(cl)) {
    return esito(rifiuta(errori::cartello_occupato, p,
                         "a text board at " + std::to_string(p) + " m: cell " + std::to_string(c) +
                             " already holds a " + nome_oggetto(cl.tipo),
                         detentore(c)));
  }
  // Rows 80 down to 0 hold board texts; an 82nd board has no row left.
  if (l_.riga_testi < 0) return esito(fallisci_voce("a line description holds at most 81 text boards"));
  controlla_testo(testo, "the board text");
  cl.tipo = oggetto::cartello_indicatore;
  cl.dato1 = static_cast<int16_t>(l_.riga_testi);
  origine(c, p);
  s_.origine_riga[static_cast<std::size_t>(l_.riga_testi)] = qui_voce();
  s_.tabella_sim[static_cast<std::size_t>(l_.riga_testi)].testo = std::move(testo);
  --l_.riga_testi;
  return passo::avanti;
}

bool lettore_linea::fine_lettura() {
  if (!chiudi_linea(l_)) return false;
  const int32_t p = s_.ultima_cella();
  riempi_pendenza(std::max(indice_pendenza_ + 1, p - 2));
  if (s_.genera_linea) piano_.termina();
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
      aggiungi_diagnostica(s, diagnostica_errore(errori::linea_mancante, std::nullopt, {l.file_linea, 0, 0},
                                                 "the line description " + l.file_linea + " does not exist"));
    } else if (!l.src.io_error) {
      l.src.io_error = std::move(*errore);
    }
    return false;
  }
  lettore_linea lettore(l, std::move(testo));
  return lettore.esegui();
}

}  // namespace scenario
