// The text writer shared by every text output: a table of lines closed by an
// end marker, written with CR LF line ends, replacing any older file whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace scenario {

// Closes every line table; compared exactly and never written.
inline constexpr std::string_view fine_del_file = "riferimento fine del file";
// A table holds at most this many lines before its end marker.
inline constexpr size_t max_lines = 1000;

// The lines of `tabella` up to the end marker (or to its end), each followed
// by CR LF.
std::string componi_testo(const std::vector<std::string>& tabella);

// Writes componi_testo(tabella) to `path`, replacing an older file whole.
std::optional<IoError> scrivi_testo(FileSystem& fs, const std::string& path,
                                    const std::vector<std::string>& tabella);

// printf-style formatting into a string, for the fixed-width rows of the
// embedded texts.
std::string formato(const char* modello, ...) __attribute__((format(printf, 1, 2)));

// The signature shared by the five writers of the run.
using scrittore_testo = std::optional<IoError> (*)(FileSystem& fs, const std::string& cartella,
                                                   const std::string& nome_linea,
                                                   const std::string& nome_treno);

}  // namespace scenario
