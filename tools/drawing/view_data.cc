#include "drawing/view_data.h"

#include <cmath>
#include <cstdio>

#include "drawing/geometry.h"
#include "drawing/posts.h"
#include "tool_support.h"

namespace scenario::tool::pagina_vista {
extern const std::string_view page_html;
extern const std::string_view view_css;
extern const std::string_view view_js;
}  // namespace scenario::tool::pagina_vista

namespace scenario::disegno {

namespace {

using tool::json_string;

// A coordinate in metres with one decimal, without trailing zeros.
void numero(std::string& out, double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[32];
  const long long d = std::llround(v * 10);
  if (d % 10 == 0) {
    std::snprintf(buf, sizeof buf, "%lld", d / 10);
  } else {
    std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(d) / 10);
  }
  out += buf;
}

std::string diagnostica_json(const Diagnostic& d) {
  return "{\"severity\":" + json_string(severity_name(d.severity)) +
         ",\"code\":" + json_string(d.code) + ",\"text\":" + json_string(format_diagnostic(d)) +
         ",\"position\":" + (d.position ? std::to_string(*d.position) : std::string("null")) + "}";
}

// Replaces every `segnaposto` in `s`.
void sostituisci(std::string& s, const std::string& segnaposto, std::string_view con) {
  for (size_t p = s.find(segnaposto); p != std::string::npos; p = s.find(segnaposto, p + con.size())) {
    s.replace(p, segnaposto.size(), con);
  }
}

}  // namespace

std::string dati_vista(const scenario_letto& s, const opzioni_vista& o) {
  const int32_t lunghezza = s.lunghezza();
  const chilometrica km(s.tabella);
  const piano_girato piano(s.piano, lunghezza);
  std::string j;
  j.reserve(1 << 20);
  j += "{\"title\":" + json_string(o.titolo);
  j += ",\"served\":" + std::string(o.servita ? "true" : "false");
  j += ",\"generation\":" + std::to_string(o.generazione);
  j += ",\"lastGood\":" + std::string(o.ultima_buona ? "true" : "false");
  j += ",\"length\":" + std::to_string(lunghezza);
  j += ",\"planEnd\":" + std::to_string(piano.vuoto() ? 0 : piano.ultimo());

  // The plan every `passo` metres; the page thins it further by zoom level.
  const int passo = lunghezza > 200000 ? 10 : 5;
  j += ",\"plan\":{\"step\":" + std::to_string(passo) + ",\"x\":[";
  std::string ys;
  const int32_t fine = piano.vuoto() ? -1 : piano.ultimo();
  for (int32_t m = 0; m <= fine; m += passo) {
    const punto p = piano.a(m);
    if (m) {
      j += ',';
      ys += ',';
    }
    numero(j, p.x);
    numero(ys, p.y);
  }
  j += "],\"y\":[" + ys + "]}";

  // Profiles, one value per 50 m cell of the route.
  const size_t n = celle_profilo(s);
  std::string v, g, a;
  for (size_t c = 0; c < n; ++c) {
    const char* sep = c ? "," : "";
    // Appended piece by piece: GCC 12 at -O3 takes a text prepended to a
    // temporary string for an overlapping copy.
    v += sep;
    v += std::to_string(velocita_kmh(s.celle[c]));
    g += sep;
    g += std::to_string(pendenza_per_mille(s.celle[c]));
    a += sep;
    a += std::to_string(s.celle[c].aderenza);
  }
  j += ",\"profiles\":{\"step\":50,\"speed\":[" + v + "],\"gradient\":[" + g + "],\"adhesion\":[" + a + "]}";

  // Kilometre posts as pieces over which they move one metre per metre.
  j += ",\"posts\":[";
  bool primo = true;
  for (const auto& t : tratti_chilometrici(km, 0, std::max<int64_t>(lunghezza, 1) + 7000)) {
    j += primo ? "[" : ",[";
    j += std::to_string(t.inizio) + "," + std::to_string(t.fine) + "," +
         std::to_string(t.post_inizio) + "," + std::to_string(t.verso) + "]";
    primo = false;
  }
  j += "]";

  j += ",\"objects\":[";
  primo = true;
  for (const elemento& x : elementi_percorso(s)) {
    j += primo ? "{" : ",{";
    primo = false;
    j += "\"k\":\"" + std::string(nome_genere(x.tipo)) + "\",\"m\":" + std::to_string(x.metro);
    if (x.metro_fine != x.metro) j += ",\"e\":" + std::to_string(x.metro_fine);
    j += ",\"p\":\"" + testo_post(km.post(x.metro)) + "\"";
    if (!x.nome.empty()) j += ",\"n\":" + json_string(x.nome);
    if (!x.origine.empty()) j += ",\"o\":" + json_string(x.origine);
    if (x.derivato) j += ",\"d\":1";
    if (x.tipo != genere::avvicinamento && x.tipo != genere::preavviso) {
      j += ",\"v\":[";
      for (size_t i = 0; i < x.valori.size(); ++i) {
        j += i ? ",[" : "[";
        j += json_string(x.valori[i].first) + "," +
             json_string(x.valori[i].second) + "]";
      }
      j += "]";
    }
    j += "}";
  }
  j += "]";

  j += ",\"diagnostics\":[";
  primo = true;
  for (const Diagnostics* l : {&o.altre_diagnostiche, &s.diagnostiche}) {
    for (const Diagnostic& d : *l) {
      if (!primo) j += ',';
      j += diagnostica_json(d);
      primo = false;
    }
  }
  j += "]}";

  // Nothing in the data may close the script element that holds it.
  std::string out;
  out.reserve(j.size() + 64);
  for (char c : j) {
    if (c == '<') {
      out += "\\u003c";
    } else {
      out += c;
    }
  }
  return out;
}

std::string pagina_vista(const std::string& dati_json, const std::string& titolo) {
  std::string p(tool::pagina_vista::page_html);
  sostituisci(p, "/*@STYLE@*/", tool::pagina_vista::view_css);
  sostituisci(p, "@TITLE@", tool::xml_text(titolo));
  // The data, then the script, last: nothing set in is searched again.
  const size_t d = p.find("/*@DATA@*/");
  const size_t s = p.find("/*@SCRIPT@*/");
  if (s == std::string::npos || d == std::string::npos || s < d) return p;
  std::string out = p.substr(0, d);
  out += dati_json;
  out += p.substr(d + 10, s - d - 10);
  out += tool::pagina_vista::view_js;
  out += p.substr(s + 12);
  return out;
}

}  // namespace scenario::disegno
