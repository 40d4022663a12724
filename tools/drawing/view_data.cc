#include "drawing/view_data.h"

#include <cmath>
#include <cstdio>

#include "drawing/geometry.h"
#include "drawing/posts.h"
#include "tool_support.h"

namespace scenario::tool::view_page {
extern const std::string_view page_html;
extern const std::string_view view_css;
extern const std::string_view view_js;
}  // namespace scenario::tool::view_page

namespace scenario::drawing {

namespace {

using tool::json_string;

// A coordinate in metres with one decimal, without trailing zeros.
void append_number(std::string& out, double v) {
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

std::string diagnostic_json(const Diagnostic& d) {
  return "{\"severity\":" + json_string(severity_name(d.severity)) +
         ",\"code\":" + json_string(d.code) + ",\"text\":" + json_string(format_diagnostic(d)) +
         ",\"position\":" + (d.position ? std::to_string(*d.position) : std::string("null")) + "}";
}

// Replaces every `placeholder` in `s`.
void replace_all(std::string& s, const std::string& placeholder, std::string_view with) {
  for (size_t p = s.find(placeholder); p != std::string::npos; p = s.find(placeholder, p + with.size())) {
    s.replace(p, placeholder.size(), with);
  }
}

}  // namespace

std::string view_data(const loaded_scenario& s, const view_options& o) {
  const int32_t length = s.length();
  const chilometrica km(s.table);
  const turned_plan plan(s.plan, length);
  std::string j;
  j.reserve(1 << 20);
  j += "{\"title\":" + json_string(o.title);
  j += ",\"served\":" + std::string(o.served ? "true" : "false");
  j += ",\"generation\":" + std::to_string(o.generation);
  j += ",\"lastGood\":" + std::string(o.last_good ? "true" : "false");
  j += ",\"length\":" + std::to_string(length);
  j += ",\"planEnd\":" + std::to_string(plan.empty() ? 0 : plan.last());

  // The plan every `step` metres; the page thins it further by zoom level.
  const int step = length > 200000 ? 10 : 5;
  j += ",\"plan\":{\"step\":" + std::to_string(step) + ",\"x\":[";
  std::string ys;
  const int32_t end = plan.empty() ? -1 : plan.last();
  for (int32_t m = 0; m <= end; m += step) {
    const point p = plan.at(m);
    if (m) {
      j += ',';
      ys += ',';
    }
    append_number(j, p.x);
    append_number(ys, p.y);
  }
  j += "],\"y\":[" + ys + "]}";

  // Profiles, one value per 50 m cell of the route.
  const size_t n = profile_cells(s);
  std::string v, g, a;
  for (size_t c = 0; c < n; ++c) {
    const char* sep = c ? "," : "";
    // Appended piece by piece: GCC 12 at -O3 takes a text prepended to a
    // temporary string for an overlapping copy.
    v += sep;
    v += std::to_string(speed_kmh(s.cells[c]));
    g += sep;
    g += std::to_string(gradient_per_mille(s.cells[c]));
    a += sep;
    a += std::to_string(s.cells[c].aderenza);
  }
  j += ",\"profiles\":{\"step\":50,\"speed\":[" + v + "],\"gradient\":[" + g + "],\"adhesion\":[" + a + "]}";

  // Kilometre posts as pieces over which they move one metre per metre.
  j += ",\"posts\":[";
  bool first = true;
  for (const auto& t : post_stretches(km, 0, std::max<int64_t>(length, 1) + 7000)) {
    j += first ? "[" : ",[";
    j += std::to_string(t.start) + "," + std::to_string(t.end) + "," +
         std::to_string(t.start_post) + "," + std::to_string(t.direction) + "]";
    first = false;
  }
  j += "]";

  j += ",\"objects\":[";
  first = true;
  for (const route_object& x : route_objects(s)) {
    j += first ? "{" : ",{";
    first = false;
    j += "\"k\":\"" + std::string(kind_name(x.kind)) + "\",\"m\":" + std::to_string(x.metre);
    if (x.end_metre != x.metre) j += ",\"e\":" + std::to_string(x.end_metre);
    j += ",\"p\":\"" + testo_post(km.post(x.metre)) + "\"";
    if (!x.name.empty()) j += ",\"n\":" + json_string(x.name);
    if (!x.origin.empty()) j += ",\"o\":" + json_string(x.origin);
    if (x.derived) j += ",\"d\":1";
    if (x.kind != object_kind::approach_mark && x.kind != object_kind::advance_mark) {
      j += ",\"v\":[";
      for (size_t i = 0; i < x.values.size(); ++i) {
        j += i ? ",[" : "[";
        j += json_string(x.values[i].first) + "," +
             json_string(x.values[i].second) + "]";
      }
      j += "]";
    }
    j += "}";
  }
  j += "]";

  j += ",\"diagnostics\":[";
  first = true;
  for (const Diagnostics* l : {&o.other_diagnostics, &s.diagnostics}) {
    for (const Diagnostic& d : *l) {
      if (!first) j += ',';
      j += diagnostic_json(d);
      first = false;
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

std::string view_page_html(const std::string& data_json, const std::string& title) {
  std::string p(tool::view_page::page_html);
  replace_all(p, "/*@STYLE@*/", tool::view_page::view_css);
  replace_all(p, "@TITLE@", tool::xml_text(title));
  // The data, then the script, last: nothing set in is searched again.
  const size_t d = p.find("/*@DATA@*/");
  const size_t s = p.find("/*@SCRIPT@*/");
  if (s == std::string::npos || d == std::string::npos || s < d) return p;
  std::string out = p.substr(0, d);
  out += data_json;
  out += p.substr(d + 10, s - d - 10);
  out += tool::view_page::view_js;
  out += p.substr(s + 12);
  return out;
}

}  // namespace scenario::drawing
