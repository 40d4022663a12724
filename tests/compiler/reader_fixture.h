// Small inline scenario sources read into a fresh model, in memory.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "compiler/reader.h"
#include "model/model.h"
#include "platform/file_system.h"

namespace scenario::testing {

inline const std::string kFolder = "d";
inline const std::string kLineFile = "d/L_linea.txt";
inline const std::string kServiceFile = "d/L_T-.txt";

// Lines ended by CR LF, as the scenario writer ends them.
inline std::string righe(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// A line description: a general section giving the route length, then the
// list rows, then the closing header.
inline std::string linea(int64_t lunghezza, std::initializer_list<std::string> rows = {}) {
  std::string text = righe({"[generale]", "lunghezza percorso,    " + std::to_string(lunghezza),
                            "[curve]"});
  for (const auto& row : rows) text += row + "\r\n";
  return text + "[fine]\r\n";
}

// A service description: its rows between "[generale]" and "[fine]".
inline std::string treno(std::initializer_list<std::string> rows = {}) {
  std::string text = "[generale]\r\n";
  for (const auto& row : rows) text += row + "\r\n";
  return text + "[fine]\r\n";
}

struct InMemoryRead {
  MemoryFileSystem fs;
  stato_compilazione s;
  std::optional<IoError> io_error;

  bool line_present() const { return fs.files.count(kLineFile) != 0; }
  bool service_present() const { return fs.files.count(kServiceFile) != 0; }
};

// Reads the two sources (std::nullopt: the file is missing) with
// memorizza_dati, as line "L" and train "T".
inline std::unique_ptr<InMemoryRead> read_sources(const std::optional<std::string>& line_text,
                                                  const std::optional<std::string>& service_text,
                                                  bool delete_sources = true,
                                                  bool genera_linea = con_matrice_linea) {
  auto r = std::make_unique<InMemoryRead>();
  if (line_text) r->fs.files[kLineFile] = *line_text;
  if (service_text) r->fs.files[kServiceFile] = *service_text;
  r->s.nome_linea = "L";
  r->s.nome_treno = "T";
  r->s.genera_linea = genera_linea;
  Sources src{r->fs, kFolder, delete_sources, std::nullopt};
  memorizza_dati(r->s, src);
  r->io_error = src.io_error;
  return r;
}

inline auto fields(const cella& c) {
  return std::tie(c.tipo, c.dato1, c.dato2, c.dato3, c.dato4, c.tempo, c.avvicinamento, c.galleria,
                  c.velocita, c.pendenza, c.aderenza);
}
inline auto fields(const record_sim& r) {
  return std::tie(r.tipo, r.inizio, r.fine, r.progressiva, r.b1, r.testo, r.i1, r.i2, r.i3, r.i4,
                  r.i5, r.b2, r.b3, r.b4, r.b5, r.orario);
}

}  // namespace scenario::testing
