// Arbitrary bytes as a line and a service description (see split_input),
// compiled in memory through to the binary files. Any crash, sanitizer report
// or broken property of the outputs is a finding.
//
// The cost of one input is kept in proportion to its size: a route longer
// than `metri_per_byte` metres per input byte is not compiled (a 20-byte
// input could otherwise ask for a 20 MB track plan). The mutator below edits
// whole rows and numbers, so that most inputs stay readable and reach the
// recorders and rules behind the readers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/fields.h"
#include "roundtrip/decompile.h"
#include "support/compile_check.h"

namespace {

constexpr int64_t metri_per_byte = 8;
constexpr uint8_t ripeti_bits = 0x64;
// Inputs with more route-length rows than this are not compiled: each one
// is looked at with a copy of the field stream.
constexpr int massimo_righe_lunghezza = 32;

// False when the line description asks for a route longer than `tetto`
// metres. Every keyword field that names the route length is followed by
// the number the line reader would size the route from; the scan reads the
// text with the readers' own field stream.
bool lunghezza_entro(std::string_view linea, int64_t tetto) {
  if (linea.find_first_of("lL") == std::string_view::npos) return true;
  scenario::flusso_campi f{std::string(linea)};
  std::string campo;
  int righe = 0;
  while (!f.fine() && f.leggi_testo(campo)) {
    if (!scenario::contiene(campo, "lunghezza") || !scenario::contiene(campo, "percorso")) {
      continue;
    }
    if (++righe > massimo_righe_lunghezza) return false;
    scenario::flusso_campi numero = f;
    int32_t metri = 0;
    if (numero.leggi_numero(metri) && metri > tetto) return false;
  }
  return true;
}

// Each check returns an empty string when its property holds.
std::string check_compile(const uint8_t* data, size_t size) {
  using namespace scenario::testing;
  const auto in = split_input(std::string_view(reinterpret_cast<const char*>(data), size));
  // Bits 2, 5 and 6 of the flags byte, all set (one input in eight), ask for
  // a second compile, compared byte for byte, with the track plan held the
  // other way (whole, or in parts that go to its file: bit 7 chooses the
  // first). A second compile doubles the cost of an input: on every other
  // input it cost a seventh of the time.
  const bool ripeti = size > 0 && (data[0] & ripeti_bits) == ripeti_bits;
  // The check of the same sources, compared with the compile, runs where
  // bit 2 is clear (and only on a compile that keeps its sources and builds
  // the track plan: one input in eight); it costs a compile too.
  const bool con_check = size > 0 && (data[0] & 0x04) == 0;
  const CheckResult esito = compile_and_check(in, ripeti, con_check);
  if (!esito.violation.empty()) return esito.violation;
  // Bits 3 and 4 of the flags byte (one input in four) ask for the round
  // trip: sources that compile without faults are decompiled, and the
  // sources written back compile to the same bytes (or the decompile names
  // rows that covered one another). It costs three compiles and more, so it
  // is not run on every input.
  if (esito.exit_status == 0 && in.treno && (data[0] & 0x18) == 0x18) {
    if (std::string v = scenario::roundtrip::check_round_trip(in.linea, *in.treno, in.genera_linea);
        !v.empty()) {
      return "decompile round trip: " + v;
    }
  }
  return {};
}

// ---- The structure-aware mutator -------------------------------------------

// An input in its three parts: the flags byte, the line description and,
// after a NUL, the service description.
struct parti {
  uint8_t flag = 0;
  std::string linea;
  bool con_treno = false;
  std::string treno;
};

parti dividi(const uint8_t* data, size_t size) {
  parti p;
  if (size == 0) return p;
  p.flag = data[0];
  std::string_view resto(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t nul = resto.find('\0');
  p.linea = std::string(resto.substr(0, nul));
  if (nul != std::string_view::npos) {
    p.con_treno = true;
    p.treno = std::string(resto.substr(nul + 1));
  }
  return p;
}

std::string componi(const parti& p) {
  std::string out(1, static_cast<char>(p.flag));
  out += p.linea;
  if (p.con_treno) {
    out.push_back('\0');
    out += p.treno;
  }
  return out;
}

// Rows with their line ends, so that joining them gives the text back.
std::vector<std::string> righe(const std::string& testo) {
  std::vector<std::string> out;
  size_t inizio = 0;
  while (inizio < testo.size()) {
    size_t fine = testo.find('\n', inizio);
    fine = fine == std::string::npos ? testo.size() : fine + 1;
    out.push_back(testo.substr(inizio, fine - inizio));
    inizio = fine;
  }
  return out;
}

std::string unisci(const std::vector<std::string>& r) {
  std::string out;
  for (const auto& s : r) out += s;
  return out;
}

// Values at the edges of what the readers and the binary fields hold.
constexpr int64_t valori_notevoli[] = {0,       1,           -1,          49,         50,
                                       51,      99,          100,         250,        1000,
                                       7000,    32767,       32768,       -32768,     -32769,
                                       65535,   65536,       1000000,     1000001,    2147483647,
                                       -2147483648LL, 2147483648LL, 4294967296LL};

// Replaces one number of the row (an optional minus sign and digits) with a
// value near it or at an edge.
bool modifica_numero(std::string& riga, std::minstd_rand& rng) {
  std::vector<std::pair<size_t, size_t>> numeri;
  for (size_t i = 0; i < riga.size();) {
    if (riga[i] >= '0' && riga[i] <= '9') {
      size_t inizio = i > 0 && riga[i - 1] == '-' ? i - 1 : i;
      while (i < riga.size() && riga[i] >= '0' && riga[i] <= '9') ++i;
      numeri.emplace_back(inizio, i - inizio);
    } else {
      ++i;
    }
  }
  if (numeri.empty()) return false;
  const auto [inizio, lunghezza] = numeri[rng() % numeri.size()];
  // A run of digits may be far beyond 64 bits: kept within 2^40, so that the
  // edits below cannot overflow.
  constexpr int64_t limite = int64_t{1} << 40;
  int64_t v = std::clamp<int64_t>(std::strtoll(riga.c_str() + inizio, nullptr, 10), -limite, limite);
  switch (rng() % 8) {
    case 0: v = valori_notevoli[rng() % std::size(valori_notevoli)]; break;
    case 1: v += static_cast<int64_t>(rng() % 7) - 3; break;
    case 2: v = -v; break;
    case 3: v = v / 50 * 50 + (rng() % 2 == 0 ? 0 : 50); break;
    case 4: v = v * 2; break;
    case 5: v = v / 2; break;
    case 6: v += static_cast<int64_t>(rng() % 2001) - 1000; break;
    default: v = static_cast<int64_t>(rng() % 20000); break;
  }
  riga.replace(inizio, lunghezza, std::to_string(v));
  return true;
}

// Rows are deleted as often as they are added (duplicated or taken from the
// other description), so that a chain of mutations does not drift towards
// ever longer inputs, each slower than the last.
bool muta_righe(std::string& testo, const std::string& altro, std::minstd_rand& rng) {
  std::vector<std::string> r = righe(testo);
  const auto a_caso = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  switch (rng() % 7) {
    case 0:  // swap two rows
      if (r.size() < 2) return false;
      std::swap(r[a_caso(r.size())], r[a_caso(r.size())]);
      break;
    case 1: {  // duplicate a row elsewhere
      if (r.empty()) return false;
      const std::string copia = r[a_caso(r.size())];
      r.insert(r.begin() + static_cast<std::ptrdiff_t>(a_caso(r.size() + 1)), copia);
      break;
    }
    case 2:  // delete a row
    case 3:
      if (r.empty()) return false;
      r.erase(r.begin() + static_cast<std::ptrdiff_t>(a_caso(r.size())));
      break;
    case 4: {  // take a row of the other description
      const std::vector<std::string> o = righe(altro);
      if (o.empty()) return false;
      r.insert(r.begin() + static_cast<std::ptrdiff_t>(a_caso(r.size() + 1)), o[a_caso(o.size())]);
      break;
    }
    default: {  // edit a number of a row
      if (r.empty()) return false;
      bool fatto = false;
      for (int tentativi = 0; tentativi < 4 && !fatto; ++tentativi) {
        fatto = modifica_numero(r[a_caso(r.size())], rng);
      }
      if (!fatto) return false;
      break;
    }
  }
  testo = unisci(r);
  return true;
}

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t max_size);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size,
                                          unsigned int seed) {
  std::minstd_rand rng(seed);
  // One mutation in four is libFuzzer's own, byte by byte.
  if (size == 0 || rng() % 4 == 0) return LLVMFuzzerMutate(data, size, max_size);
  parti p = dividi(data, size);
  bool fatto = false;
  switch (rng() % 8) {
    case 0: p.flag = static_cast<uint8_t>(p.flag ^ (1u << (rng() % 8))); fatto = true; break;
    case 1:
    case 2:
    case 3: fatto = muta_righe(p.linea, p.treno, rng); break;
    default:
      if (!p.con_treno) {
        p.con_treno = true;
        fatto = true;
      } else {
        fatto = muta_righe(p.treno, p.linea, rng);
      }
      break;
  }
  const std::string out = componi(p);
  if (!fatto || out.size() > max_size) return LLVMFuzzerMutate(data, size, max_size);
  std::memcpy(data, out.data(), out.size());
  return out.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1) {
    std::string_view testo(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view linea = testo.substr(0, testo.find('\0'));
    // Not compiled, and not kept in the corpus.
    if (!lunghezza_entro(linea, metri_per_byte * static_cast<int64_t>(size))) return -1;
  }
  if (const std::string violation = check_compile(data, size); !violation.empty()) {
    std::fprintf(stderr, "property broken: %s\n", violation.c_str());
    std::abort();
  }
  return 0;
}
