#include "tool_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <filesystem>
#include <system_error>

namespace scenario::tool {

bool opzioni_comando::ha(const std::string& interruttore) const {
  return std::find(interruttori.begin(), interruttori.end(), interruttore) != interruttori.end();
}

std::string opzioni_comando::valore(const std::string& nome, const std::string& predefinito) const {
  auto it = valori.find(nome);
  return it == valori.end() ? predefinito : it->second;
}

std::vector<std::string> opzioni_comando::valori_di(const std::string& nome) const {
  std::vector<std::string> tutti;
  for (const auto& [n, v] : in_ordine) {
    if (n == nome) tutti.push_back(v);
  }
  return tutti;
}

std::optional<std::string> analizza_opzioni(const args_t& args,
                                            const std::vector<std::string>& con_valore,
                                            const std::vector<std::string>& interruttori,
                                            opzioni_comando* out) {
  auto contiene = [](const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      out->aiuto = true;
      continue;
    }
    if (a.size() < 2 || a[0] != '-') {
      out->posizionali.push_back(a);
      continue;
    }
    const size_t uguale = a.find('=');
    const std::string nome = a.substr(0, uguale);
    if (contiene(con_valore, nome)) {
      if (uguale != std::string::npos) {
        out->valori[nome] = a.substr(uguale + 1);
      } else if (i + 1 < args.size()) {
        out->valori[nome] = args[++i];
      } else {
        return "option " + nome + " needs a value";
      }
      out->in_ordine.emplace_back(nome, out->valori[nome]);
    } else if (contiene(interruttori, a)) {
      out->interruttori.push_back(a);
    } else {
      return "unknown option '" + a + "'";
    }
  }
  return std::nullopt;
}

std::optional<int> read_command(const command_spec& spec, const args_t& args, opzioni_comando* out) {
  const std::string prefisso = std::string("scenario-tool ") + spec.name + ": ";
  std::optional<std::string> fault = analizza_opzioni(args, spec.with_value, spec.switches, out);
  if (!fault && out->aiuto) {
    std::cout << spec.help;
    return 0;
  }
  if (!fault && !out->posizionali.empty()) fault = "unexpected argument '" + out->posizionali.front() + "'";
  for (const std::string& richiesta : spec.required) {
    if (!fault && out->valore(richiesta).empty()) fault = richiesta + " is required";
  }
  if (!fault) return std::nullopt;
  std::cerr << prefisso << *fault << "\n\n" << spec.help;
  return kUsage;
}

std::optional<std::string> make_folder(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) return path + ": " + ec.message();
  if (!std::filesystem::is_directory(path, ec)) return path + ": Not a directory";
  return std::nullopt;
}

namespace {

// Code points of the Windows-1252 bytes 0x80 .. 0x9F; the five bytes that
// code page leaves undefined keep their own value, as the usual converters do.
constexpr uint16_t kAlti[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void metti_utf8(std::string* out, uint32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

uint32_t punto_codice(char c) {
  const auto b = static_cast<uint8_t>(c);
  if (b >= 0x80 && b < 0xA0) return kAlti[b - 0x80];
  return b;
}

}  // namespace

std::string in_utf8(std::string_view testo) {
  std::string out;
  out.reserve(testo.size());
  for (char c : testo) metti_utf8(&out, punto_codice(c));
  return out;
}

std::string stringa_json(std::string_view testo) {
  std::string out = "\"";
  for (char c : testo) {
    const uint32_t cp = punto_codice(c);
    if (cp == '"') {
      out += "\\\"";
    } else if (cp == '\\') {
      out += "\\\\";
    } else if (cp < 0x20 || cp == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
      out += buf;
    } else {
      metti_utf8(&out, cp);
    }
  }
  out += '"';
  return out;
}

std::string testo_xml(std::string_view testo) {
  std::string out;
  for (char c : testo) {
    const uint32_t cp = punto_codice(c);
    switch (cp) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        // XML 1.0 allows no control characters but tab, line feed and return.
        if (cp < 0x20 && cp != '\t') {
          out += '?';
        } else {
          metti_utf8(&out, cp);
        }
    }
  }
  return out;
}

}  // namespace scenario::tool
