#include "tool_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <filesystem>
#include <system_error>

namespace scenario::tool {

bool command_options::has(const std::string& a_switch) const {
  return std::find(switches.begin(), switches.end(), a_switch) != switches.end();
}

std::string command_options::value(const std::string& name, const std::string& fallback) const {
  auto it = values.find(name);
  return it == values.end() ? fallback : it->second;
}

std::vector<std::string> command_options::values_of(const std::string& name) const {
  std::vector<std::string> all;
  for (const auto& [n, v] : in_order) {
    if (n == name) all.push_back(v);
  }
  return all;
}

std::optional<std::string> parse_options(const args_t& args, const std::vector<std::string>& with_value,
                                         const std::vector<std::string>& switches, command_options* out) {
  auto contains = [](const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      out->help = true;
      continue;
    }
    if (a.size() < 2 || a[0] != '-') {
      out->positionals.push_back(a);
      continue;
    }
    const size_t equals = a.find('=');
    const std::string name = a.substr(0, equals);
    if (contains(with_value, name)) {
      if (equals != std::string::npos) {
        out->values[name] = a.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        out->values[name] = args[++i];
      } else {
        return "option " + name + " needs a value";
      }
      out->in_order.emplace_back(name, out->values[name]);
    } else if (contains(switches, a)) {
      out->switches.push_back(a);
    } else {
      return "unknown option '" + a + "'";
    }
  }
  return std::nullopt;
}

std::optional<int> read_command(const command_spec& spec, const args_t& args, command_options* out) {
  const std::string prefix = std::string("scenario-tool ") + spec.name + ": ";
  std::optional<std::string> fault = parse_options(args, spec.with_value, spec.switches, out);
  if (!fault && out->help) {
    std::cout << spec.help;
    return 0;
  }
  if (!fault && !out->positionals.empty()) fault = "unexpected argument '" + out->positionals.front() + "'";
  for (const std::string& required : spec.required) {
    if (!fault && out->value(required).empty()) fault = required + " is required";
  }
  if (!fault) return std::nullopt;
  std::cerr << prefix << *fault << "\n\n" << spec.help;
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
constexpr uint16_t kHighCodePoints[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void append_utf8(std::string* out, uint32_t cp) {
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

uint32_t code_point(char c) {
  const auto b = static_cast<uint8_t>(c);
  if (b >= 0x80 && b < 0xA0) return kHighCodePoints[b - 0x80];
  return b;
}

}  // namespace

std::string in_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) append_utf8(&out, code_point(c));
  return out;
}

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    const uint32_t cp = code_point(c);
    if (cp == '"') {
      out += "\\\"";
    } else if (cp == '\\') {
      out += "\\\\";
    } else if (cp < 0x20 || cp == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
      out += buf;
    } else {
      append_utf8(&out, cp);
    }
  }
  out += '"';
  return out;
}

std::string xml_text(std::string_view text) {
  std::string out;
  for (char c : text) {
    const uint32_t cp = code_point(c);
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
          append_utf8(&out, cp);
        }
    }
  }
  return out;
}

}  // namespace scenario::tool
