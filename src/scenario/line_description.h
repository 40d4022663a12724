// The embedded line description.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scenario/text_writer.h"

namespace scenario {

// One tunnel of the line, with the board that may stand 50 m before it.
struct galleria {
  int32_t inizio;
  int32_t fine;
  int tipo;  // 11, or 12 for the covered stretches
  std::string_view nome;
  bool cartello;               // a board "GALLERIA" stands 50 m before `inizio`
  int32_t lunghezza_cartello;  // the length the board shows, metres
};

// The 58 tunnels in ascending order.
std::span<const galleria> gallerie();

// The face of a text board: each line in parentheses, all padded to the
// longest line.
std::string faccia_cartello(std::initializer_list<std::string_view> lines);

// Its lines in file order, closed by the end marker.
std::vector<std::string> tabella_linea();

// Writes nome_linea + "_linea.txt" into `cartella`.
std::optional<IoError> dati_linea(FileSystem& fs, const std::string& cartella,
                                  const std::string& nome_linea, const std::string& nome_treno);

}  // namespace scenario
