#include "compiler/row_reader.h"

#include <algorithm>
#include <array>

#include "model/file_names.h"

namespace scenario {

lettura::lettura(stato_compilazione& stato, Sources& fonti)
    : s(stato),
      src(fonti),
      file_linea(join_path(fonti.folder, nomi::linea_txt(stato.nome_linea))),
      file_treno(join_path(fonti.folder, nomi::treno_txt(stato.nome_linea, stato.nome_treno))) {}

namespace {

bool chiudi(lettura& l, const std::string& file, bool& chiuso) {
  if (chiuso) return true;
  chiuso = true;
  if (!l.src.delete_after_reading) return true;
  if (auto errore = l.src.fs.remove(file)) {
    if (!l.src.io_error) l.src.io_error = std::move(*errore);
    return false;
  }
  return true;
}

}  // namespace

bool chiudi_linea(lettura& l) { return chiudi(l, l.file_linea, l.linea_chiusa); }
bool chiudi_treno(lettura& l) { return chiudi(l, l.file_treno, l.treno_chiuso); }

void fallimento_lettura(lettura& l, Diagnostic d) {
  aggiungi_diagnostica(l.s, std::move(d));
  if (chiudi_linea(l)) chiudi_treno(l);
}

void rifiuto_lettura(lettura& l, Diagnostic d, std::vector<RelatedLocation> relative) {
  d.related = std::move(relative);
  aggiungi_diagnostica(l.s, std::move(d));
}

bool oltre_percorso(const stato_compilazione& s, int32_t x, int margine) {
  // (x + margine) / 50 > P, in whole numbers: the quotient in floating point
  // lies at least 1/50 from P whenever it differs from it, so the two agree.
  return int64_t{x} + margine > int64_t{50} * s.ultima_cella();
}

namespace {

std::string tra_apici(std::string_view s) { return "'" + breve(s) + "'"; }

// Edit distance of two short strings (insertions, deletions, changes). A
// keyword is short: its row of costs lives on the stack, not the heap (the
// distance is taken for every unknown field against every keyword near its
// length).
std::size_t distanza(std::string_view a, std::string_view b) {
  constexpr std::size_t corta = 64;
  std::array<std::size_t, corta + 1> sulla_pila;
  std::vector<std::size_t> sul_heap;
  std::size_t* costi = sulla_pila.data();
  if (b.size() > corta) {
    sul_heap.resize(b.size() + 1);
    costi = sul_heap.data();
  }
  for (std::size_t j = 0; j <= b.size(); ++j) costi[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonale = costi[0];
    costi[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t sopra = costi[j];
      costi[j] = std::min({costi[j] + 1, costi[j - 1] + 1, diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonale = sopra;
    }
  }
  return costi[b.size()];
}

// Well-formed UTF-8 with at least one sequence of two bytes or more.
bool utf8_multibyte(std::string_view t) {
  bool multibyte = false;
  for (std::size_t i = 0; i < t.size();) {
    const auto c = static_cast<unsigned char>(t[i]);
    std::size_t n = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
    } else {
      return false;
    }
    for (std::size_t k = 1; k <= n; ++k) {
      if (i + k >= t.size()) return false;
      const auto d = static_cast<unsigned char>(t[i + k]);
      if (d < 0x80 || d > 0xBF) return false;
    }
    multibyte = true;
    i += n + 1;
  }
  return multibyte;
}

}  // namespace

bool lettore_righe::fallisci_campo() {
  Diagnostic d;
  switch (campi_.ultimo_difetto()) {
    case flusso_campi::difetto::oltre_la_fine:
      d = diagnostica_errore(errori::lettura_fallita, std::nullopt,
                             {file_, campi_.linea_testo_difetto(),
                              campi_.linea_testo_difetto() == linea_testo_voce_ ? colonna_voce_ : 0},
                             "the row " + tra_apici(s_.parola_chiave) +
                                 " is cut short by the end of the file: it needs more values");
      break;
    case flusso_campi::difetto::non_numero:
      d = diagnostica_errore(errori::lettura_fallita, std::nullopt,
                             {file_, campi_.linea_testo_difetto(), campi_.colonna_difetto()},
                             tra_apici(campi_.scritto_difetto()) + " in the row " + tra_apici(s_.parola_chiave) +
                                 " is not a whole number");
      d.source_text = breve(campi_.scritto_difetto());
      break;
    case flusso_campi::difetto::troppo_grande:
    case flusso_campi::difetto::nessuno:
      d = diagnostica_errore(errori::lettura_fallita, std::nullopt,
                             {file_, campi_.linea_testo_difetto(), campi_.colonna_difetto()},
                             tra_apici(campi_.scritto_difetto()) + " in the row " + tra_apici(s_.parola_chiave) +
                                 " is too large for its field (-2147483648 to 2147483647)");
      d.source_text = breve(campi_.scritto_difetto());
      break;
  }
  fallimento_lettura(l_, std::move(d));
  return false;
}

bool lettore_righe::fallisci_intervallo(int64_t minimo, int64_t massimo) {
  const std::string scritto(campi_.scritto());
  const bool sotto = !scritto.empty() && scritto[0] == '-';
  Diagnostic d = diagnostica_errore(
      errori::lettura_fallita, std::nullopt, qui_campo(),
      tra_apici(scritto) + " in the row " + tra_apici(s_.parola_chiave) + " is too " + (sotto ? "small" : "large") +
          " for its field (" + std::to_string(minimo) + " to " + std::to_string(massimo) + ")");
  d.source_text = breve(scritto);
  fallimento_lettura(l_, std::move(d));
  return false;
}

bool lettore_righe::fallisci_voce(std::string motivo) {
  Diagnostic d = diagnostica_errore(errori::lettura_fallita, std::nullopt, qui_voce(),
                                    "the row " + tra_apici(s_.parola_chiave) + ": " + motivo);
  d.source_text = breve(s_.parola_chiave);
  fallimento_lettura(l_, std::move(d));
  return false;
}

bool lettore_righe::fallisci_voce(std::string motivo, int32_t posizione_scritta) {
  return fallisci_voce("position " + std::to_string(posizione_scritta) + " m: " + motivo);
}

bool lettore_righe::rifiuta_registro(const esito_registro& e, int32_t x, const char* che_cosa) {
  origine(e, x);
  if (e.numero == errori::lettura_fallita) return fallisci_voce(e.motivo, x);
  std::string messaggio = std::string(che_cosa) + " at " + std::to_string(x) + " m: " +
                          std::string(testo_errore(e.numero));
  if (e.cella >= 0 && e.cella <= s_.ultima_cella()) {
    const cella& c = s_.percorso[static_cast<std::size_t>(e.cella)];
    messaggio += "; cell " + std::to_string(e.cella) + " (metres " + std::to_string(e.cella * 50) +
                 " to " + std::to_string(e.cella * 50 + 49) + ") already holds a " + nome_oggetto(c.tipo);
  }
  return rifiuta(e.numero, x, std::move(messaggio), detentore(e.cella));
}

bool lettore_righe::oltre(int32_t x, int margine) {
  if (!oltre_percorso(s_, x, margine)) return false;
  const int64_t massimo = int64_t{50} * s_.ultima_cella() - margine;
  rifiuto_lettura(l_,
                  diagnostica_errore(errori::oltre_il_percorso, x, qui_voce(),
                                     "position " + std::to_string(x) + " m of the row " + tra_apici(s_.parola_chiave) +
                                         " lies beyond the end of the route (at most " +
                                         std::to_string(massimo) + " m here)"),
                  {});
  return true;
}

std::optional<lettore_righe::passo> lettore_righe::posizione_della_riga(int32_t x, int margine) {
  if (oltre(x, margine)) return passo::fine_righe;
  if (x < 0) return esito(fallisci_voce("position is negative", x));
  return std::nullopt;
}

lettore_righe::apertura lettore_righe::apri_riga(campo_chiave& f, int trattini, bool fine_tra_i_trattini) {
  if (campi_.fine()) return apertura::fine_testo;
  if (!chiave(f)) {
    fallisci_campo();
    return apertura::fallita;
  }
  if (campi_.fine()) return apertura::fine_testo;
  for (int i = 0; i < trattini && f.contiene("-"); ++i) {
    if (!chiave(f)) {
      fallisci_campo();
      return apertura::fallita;
    }
    if (fine_tra_i_trattini && campi_.fine()) return apertura::fine_testo;
  }
  return apertura::voce;
}

lettore_righe::passo lettore_righe::dopo_registratore(const esito_registro& e, int32_t posizione,
                                                      const char* che_cosa) {
  if (e.rifiutato()) return esito(rifiuta_registro(e, posizione, che_cosa));
  origine(e, posizione);
  return passo::avanti;
}

void lettore_righe::origine(const esito_registro& e, int32_t x) {
  for (int i = 0; i < e.quante_poste; ++i) origine(e.poste[static_cast<std::size_t>(i)], x);
  avvisa_sovrascritte(e);
}

std::vector<RelatedLocation> lettore_righe::detentore(int64_t cella) const {
  SourceLocation o = s_.luogo_origine(cella);
  if (o.file.empty()) return {};
  const uint8_t tipo = s_.percorso[static_cast<std::size_t>(cella)].tipo;
  return {RelatedLocation{std::move(o), std::string("the cell is held by the ") + nome_oggetto(tipo) + " written here"}};
}

void lettore_righe::avvisa_sovrascritte(const esito_registro& e) {
  for (int i = 0; i < e.quante_sovrascritte; ++i) {
    const auto& w = e.sovrascritte[static_cast<std::size_t>(i)];
    avvisa(kOverwrittenObject,
           "the approach mark of this signal replaces the approach mark " + std::to_string(w.prima) +
               " already in cell " + std::to_string(w.cella) + " (metres " + std::to_string(w.cella * 50) +
               " to " + std::to_string(w.cella * 50 + 49) + ")");
  }
}

bool lettore_righe::avviso_ammesso(std::string_view codice) {
  for (auto& [c, n] : avvisi_per_codice_) {
    if (c != codice) continue;
    if (n > massimo_avvisi_per_codice) return false;
    if (++n > massimo_avvisi_per_codice) {
      avvisa_limite("warnings [" + std::string(codice) + "]");
      return false;
    }
    return true;
  }
  avvisi_per_codice_.emplace_back(codice, 1);
  return true;
}

void lettore_righe::avvisa_limite(const std::string& che_cosa) {
  Diagnostic d;
  d.severity = Severity::kNote;
  d.where = SourceLocation{file_, linea_testo_voce_, 0};
  d.message = "further " + che_cosa + " in this file are not reported";
  aggiungi_diagnostica(s_, std::move(d));
}

void lettore_righe::avvisa(std::string_view codice, std::string messaggio, std::string scritto,
                           std::optional<SourceLocation> dove, std::vector<RelatedLocation> relative) {
  if (!avviso_ammesso(codice)) return;
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.code = std::string(codice);
  d.where = dove ? std::move(*dove) : qui_voce();
  d.source_text = breve(scritto);
  d.message = std::move(messaggio);
  d.related = std::move(relative);
  aggiungi_diagnostica(s_, std::move(d));
}

void lettore_righe::controlla_resto() {
  int colonna = 0;
  const std::string_view resto = campi_.resto_della_linea_testo(colonna);
  if (resto.empty()) return;
  const int linea_testo = campi_.linea_testo();
  std::string perche;
  const char primo = resto[0];
  if (primo >= '0' && primo <= '9') {
    perche = " (only whole numbers are read: a decimal comma splits a value in two)";
  } else {
    perche = " (a text with a comma must be written in double quotes)";
  }
  avvisa(kLeftoverValues,
         "values left over on the row " + tra_apici(s_.parola_chiave) + ": " + tra_apici(resto) +
             " is read as the next keyword" + perche,
         breve(resto), SourceLocation{file_, linea_testo, colonna});
  taciuta_ = linea_testo;
}

void lettore_righe::nessuna_voce(const campo_chiave& f, std::span<const std::string_view> parole,
                                 std::string_view dove) {
  const std::string& t = f.testo();
  if (t.empty() || linea_testo_voce_ == taciuta_ || campo_taciuto_) return;
  if (t.find('-') != std::string::npos) return;
  if (t.find('[') != std::string::npos && t.find(']') != std::string::npos) return;
  taciuta_ = linea_testo_voce_;
  if (!avviso_ammesso(kUnknownKeyword)) return;
  std::string piegato;
  // Only a field near a keyword's length can be a misspelling of it.
  if (t.size() <= lunghezza_citata) {
    for (const char c : t) {
      if (c < '0' || c > '9') piegato += minuscola(c);
    }
  }
  std::string_view migliore;
  std::size_t minima = 3;
  for (std::string_view p : piegato.empty() ? std::span<const std::string_view>{} : parole) {
    // The distance is at least the difference of the lengths: a keyword that
    // far off in length cannot be nearer than the best so far.
    const std::size_t la = piegato.size(), lb = p.size();
    if ((la > lb ? la - lb : lb - la) >= minima) continue;
    const std::size_t d = distanza(piegato, p);
    if (d < minima && d * 3 <= p.size()) {
      minima = d;
      migliore = p;
    }
  }
  std::string messaggio = tra_apici(t) + " matches no keyword " + std::string(dove) + " and is passed over";
  if (!migliore.empty()) messaggio += "; did you mean " + tra_apici(migliore) + "?";
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.code = std::string(kUnknownKeyword);
  d.where = qui_voce();
  d.source_text = breve(t);
  d.message = std::move(messaggio);
  aggiungi_diagnostica(s_, std::move(d));
}

void lettore_righe::controlla_ordine(int64_t x, std::optional<int64_t>& precedente, SourceLocation& dove_prima,
                                     const char* che_cosa) {
  if (precedente && x < *precedente) {
    avvisa(kPositionBackwards,
           std::string(che_cosa) + " at " + std::to_string(x) + " m comes after one at " +
               std::to_string(*precedente) + " m: rows are taken in the order written, so the stretch " +
               "between them is not what the positions say",
           s_.parola_chiave, std::nullopt, {{dove_prima, "the earlier row is here"}});
  }
  precedente = x;
  nota_qui(dove_prima);
}

void lettore_righe::controlla_testo(std::string_view testo, const char* che_cosa) {
  if (!utf8_multibyte(testo)) return;
  avvisa(kUtf8Text,
         std::string(che_cosa) + " " + tra_apici(testo) +
             " is written in UTF-8, but scenario files are read as Windows-1252: each accented letter "
             "would show as two other characters",
         breve(testo));
}

}  // namespace scenario
