// scenario-tool dump: the three binary files decoded field by field, as text
// for reading or as JSON for scripts.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "commands.h"
#include "model/binary_files.h"
#include "model/binary_reader.h"
#include "platform/file_system.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool dump FILE [--json]\n"
    "\n"
    "Decodes a binary scenario file; its kind comes from the end of its name:\n"
    "  NAME_linea.dat   the track plan: every point, its kind and its two\n"
    "                   coordinates in metres\n"
    "  NAME_TRAIN.dat   the route cells: as text, the cells that hold an object\n"
    "                   and the stretch values (galleria, velocita, pendenza,\n"
    "                   aderenza) where they change; with --json every cell\n"
    "  NAME_TRAIN.sim   the scenario table: the 87 rows with every field\n"
    "\n"
    "Data goes to standard output, messages to standard error. A file that is\n"
    "cut short, too long or not of its layout is refused with the byte offset\n"
    "where its layout breaks. docs/formats/binary-files.md describes the layouts.\n"
    "\n"
    "status: 0 done, 1 the file does not fit its layout, 3 the file could not\n"
    "be read, 64 bad usage.\n";

enum class file_kind { sim, dat, linea };

bool ends_with(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string number_text(double v) {
  if (!std::isfinite(v)) return v != v ? "nan" : (v > 0 ? "inf" : "-inf");
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

std::string json_number(double v) { return std::isfinite(v) ? number_text(v) : "null"; }

// What a row of the table holds, by its fixed role or its content.
std::string row_role(int r, const record_sim& row) {
  switch (r) {
    case riga_progressiva_tre:
    case riga_progressiva_due:
    case riga_progressiva_uno: return "chainage zone";
    case riga_treno: return "train and route length";
    case riga_linea: return "line, backgrounds, header";
    case riga_ripetizione: return "signal repetition, clock";
    default: break;
  }
  const bool has_numbers = row.tipo || row.inizio || row.fine || row.progressiva || row.b1 ||
                           row.i1 || row.i2 || row.i3 || row.i4 || row.i5 || row.b2 || row.b3 ||
                           row.b4 || row.b5 || row.orario;
  if (has_numbers) return "station";
  if (!row.testo.empty()) return "board text";
  return "empty";
}

void dump_sim(const std::string& path, const std::array<record_sim, righe_tabella_sim>& t,
              size_t byte, bool json) {
  if (json) {
    std::cout << "{\"file\": " << json_string(path) << ", \"kind\": \"sim\", \"bytes\": " << byte
              << ", \"rows\": [";
    for (int r = 0; r < righe_tabella_sim; ++r) {
      const record_sim& x = t[static_cast<size_t>(r)];
      std::cout << (r ? ",\n  " : "\n  ") << "{\"row\": " << r << ", \"tipo\": " << +x.tipo
                << ", \"inizio\": " << x.inizio << ", \"fine\": " << x.fine
                << ", \"progressiva\": " << x.progressiva << ", \"b1\": " << +x.b1
                << ", \"testo\": " << json_string(x.testo) << ", \"i1\": " << x.i1
                << ", \"i2\": " << x.i2 << ", \"i3\": " << x.i3 << ", \"i4\": " << x.i4
                << ", \"i5\": " << x.i5 << ", \"b2\": " << +x.b2 << ", \"b3\": " << +x.b3
                << ", \"b4\": " << +x.b4 << ", \"b5\": " << +x.b5 << ", \"orario\": " << x.orario
                << "}";
    }
    std::cout << "\n]}\n";
    return;
  }
  std::cout << path << ": scenario table, " << righe_tabella_sim << " rows, " << byte
            << " bytes\n";
  for (int r = 0; r < righe_tabella_sim; ++r) {
    const record_sim& x = t[static_cast<size_t>(r)];
    std::cout << "row " << r << " (" << row_role(r, x) << "): tipo=" << +x.tipo
              << " inizio=" << x.inizio << " fine=" << x.fine << " progressiva=" << x.progressiva
              << " b1=" << +x.b1 << " testo=" << json_string(x.testo) << " i1=" << x.i1
              << " i2=" << x.i2 << " i3=" << x.i3 << " i4=" << x.i4 << " i5=" << x.i5
              << " b2=" << +x.b2 << " b3=" << +x.b3 << " b4=" << +x.b4 << " b5=" << +x.b5
              << " orario=" << x.orario << "\n";
  }
}

const char* object_name(uint8_t tipo) {
  switch (tipo) {
    case oggetto::nulla: return "nothing";
    case oggetto::segnale: return "signal";
    case oggetto::fine_rallentamento: return "slow-down end";
    case oggetto::inizio_rallentamento: return "slow-down start";
    case oggetto::avviso_rallentamento: return "slow-down warning board";
    case oggetto::preavviso_rallentamento: return "slow-down advance mark";
    case oggetto::indicatore_v_max: return "speed indicator board";
    case oggetto::arresto_stazione: return "station stop point";
    case oggetto::marcatore_galleria: return "tunnel marker";
    case oggetto::cartello_velocita: return "speed board";
    case oggetto::cartello_senza_velocita: return "board without speed";
    case oggetto::cartello_indicatore: return "text board";
    default: return "unknown object";
  }
}

void dump_dat(const std::string& path, const std::vector<cella>& cells, bool json) {
  if (json) {
    std::cout << "{\"file\": " << json_string(path) << ", \"kind\": \"dat\", \"cells\": [";
    for (size_t i = 0; i < cells.size(); ++i) {
      const cella& c = cells[i];
      std::cout << (i ? ",\n  " : "\n  ") << "{\"cell\": " << i << ", \"tipo\": " << +c.tipo
                << ", \"dato1\": " << c.dato1 << ", \"dato2\": " << c.dato2
                << ", \"dato3\": " << c.dato3 << ", \"dato4\": " << c.dato4
                << ", \"tempo\": " << +c.tempo << ", \"avvicinamento\": " << +c.avvicinamento
                << ", \"galleria\": " << +c.galleria << ", \"velocita\": " << +c.velocita
                << ", \"pendenza\": " << +c.pendenza << ", \"aderenza\": " << +c.aderenza << "}";
    }
    std::cout << "\n]}\n";
    return;
  }
  std::cout << path << ": route, cells 0 .. " << cells.size() - 1 << " (" << cells.size()
            << " cells of 50 m, " << cells.size() * layout::dat_cella << " bytes)\n";
  const cella* previous = nullptr;
  for (size_t i = 0; i < cells.size(); ++i) {
    const cella& c = cells[i];
    std::string line;
    if (c.tipo != oggetto::nulla) {
      line += std::string(" ") + object_name(c.tipo) + ": tipo=" + std::to_string(c.tipo) +
              " dato1=" + std::to_string(c.dato1) + " dato2=" + std::to_string(c.dato2) +
              " dato3=" + std::to_string(c.dato3) + " dato4=" + std::to_string(c.dato4);
    } else if (c.dato1 || c.dato2 || c.dato3 || c.dato4) {
      // Cell 1 carries the header value 5121 and the route's integrity code.
      line += std::string(i == 1 ? " header stamps" : " values without object") + ": dato1=" + std::to_string(c.dato1) +
              " dato2=" + std::to_string(c.dato2) + " dato3=" + std::to_string(c.dato3) +
              " dato4=" + std::to_string(c.dato4);
    }
    if (c.tempo) line += " tempo=" + std::to_string(c.tempo);
    if (c.avvicinamento) line += " avvicinamento=" + std::to_string(c.avvicinamento);
    std::string changes;
    if (!previous || previous->galleria != c.galleria) changes += " galleria=" + std::to_string(c.galleria);
    if (!previous || previous->velocita != c.velocita) {
      changes += " velocita=" + std::to_string(c.velocita) + " (" +
                std::to_string(c.velocita * 5) + " km/h)";
    }
    if (!previous || previous->pendenza != c.pendenza) {
      changes += " pendenza=" + std::to_string(c.pendenza) + " (gradient " +
                std::to_string(c.pendenza - 100) + ")";
    }
    if (!previous || previous->aderenza != c.aderenza) changes += " aderenza=" + std::to_string(c.aderenza);
    if (!changes.empty()) line += " |" + changes;
    if (!line.empty()) std::cout << "cell " << i << " (m " << i * 50 << "):" << line << "\n";
    previous = &c;
  }
}

const char* element_name(tipo_elemento t) {
  switch (t) {
    case tipo_elemento::intero: return "integer";
    case tipo_elemento::doppio: return "double";
    case tipo_elemento::vuoto: break;
  }
  return "empty";
}

void dump_plan(const std::string& path, const matrice_punti& m, size_t byte, bool json) {
  const int32_t last = m.ultimo();
  if (json) {
    std::cout << "{\"file\": " << json_string(path) << ", \"kind\": \"track plan\", \"bytes\": "
              << byte << ", \"points\": [";
    for (int32_t i = 0; i <= last; ++i) {
      const bool vuoto = m.tipo(i) == tipo_elemento::vuoto;
      std::cout << (i ? ",\n  " : "\n  ") << "{\"point\": " << i << ", \"kind\": \""
                << element_name(m.tipo(i)) << "\", \"x\": "
                << (vuoto ? "null" : json_number(m.x(i)))
                << ", \"y\": " << (vuoto ? "null" : json_number(m.y(i))) << "}";
    }
    std::cout << "\n]}\n";
    return;
  }
  std::cout << path << ": track plan, points 0 .. " << last << " (" << last + 1
            << " points, one per metre; " << byte << " bytes)\n";
  std::string out;
  for (int32_t i = 0; i <= last; ++i) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on
    // a literal + std::string&& in this loop.
    out.append("point ").append(std::to_string(i)).append(" ").append(element_name(m.tipo(i)));
    if (m.tipo(i) != tipo_elemento::vuoto) {
      out.append(" ").append(number_text(m.x(i))).append(" ").append(number_text(m.y(i)));
    }
    out += '\n';
  }
  std::cout << out;
}

}  // namespace

int cmd_dump(const args_t& args) {
  command_options o;
  if (auto e = parse_options(args, {}, {"--json"}, &o)) {
    std::cerr << "scenario-tool dump: " << *e << "\n" << kHelp;
    return kUsage;
  }
  if (o.help) {
    std::cout << kHelp;
    return 0;
  }
  if (o.positionals.size() != 1) {
    std::cerr << "scenario-tool dump: " << (o.positionals.empty() ? "no FILE given" : "give one FILE")
              << "\n" << kHelp;
    return kUsage;
  }
  const std::string path = o.positionals.front();
  file_kind kind;
  if (ends_with(path, "_linea.dat")) {
    kind = file_kind::linea;
  } else if (ends_with(path, ".dat")) {
    kind = file_kind::dat;
  } else if (ends_with(path, ".sim")) {
    kind = file_kind::sim;
  } else {
    std::cerr << "scenario-tool dump: " << path
              << ": unknown kind of file; the name must end in \".sim\", \".dat\" or "
                 "\"_linea.dat\"\n";
    return kUsage;
  }
  const bool json = o.has("--json");

  PosixFileSystem fs;
  std::string bytes;
  if (auto e = fs.read(path, &bytes)) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  std::optional<errore_binario> error;
  switch (kind) {
    case file_kind::sim: {
      std::array<record_sim, righe_tabella_sim> table{};
      error = leggi_tabella_sim(bytes, &table);
      if (!error) dump_sim(path, table, bytes.size(), json);
      break;
    }
    case file_kind::dat: {
      std::vector<cella> cells;
      error = leggi_percorso(bytes, &cells);
      if (!error) dump_dat(path, cells, json);
      break;
    }
    case file_kind::linea: {
      matrice_punti m;
      error = leggi_matrice_linea(bytes, &m);
      if (!error) dump_plan(path, m, bytes.size(), json);
      break;
    }
  }
  if (error) {
    std::cerr << path << ": byte " << error->posizione << ": " << error->testo << '\n';
    return 1;
  }
  std::cout.flush();
  if (!std::cout.good()) {
    std::cerr << "standard output: write failed while dumping " << path << '\n';
    return 3;
  }
  return 0;
}

}  // namespace scenario::tool
