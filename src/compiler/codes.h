// The two integrity codes over the scenario's names.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/model.h"

namespace scenario {

// Sum of the character codes of the first 25 characters of
// lower(nome_treno + nome_linea) + "mmnnppqqrrssttuuvvzzmmnnpp".
int32_t codice_gara_og(std::string_view nome_treno, std::string_view nome_linea);
// The same, the character at position i (from 1) weighted by i.
int32_t codice_gara_st(std::string_view nome_treno, std::string_view nome_linea);

// The codes of a compile, from the copies of the names in rows 86 and 85.
int32_t codice_gara_og(const stato_compilazione& s);
int32_t codice_gara_st(const stato_compilazione& s);

}  // namespace scenario
