#include "drawing/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "drawing/geometry.h"
#include "drawing/labels.h"
#include "drawing/posts.h"
#include "tool_support.h"

namespace scenario::drawing {

namespace {

using tool::xml_text;

// Page geometry, in SVG user units (pixels).
constexpr double kWidth = 1600;
constexpr double kMargin = 70;
constexpr double kLabelRoom = 64;    // kept free around the line for labels
constexpr double kRunoffShown = 1500;  // metres of run-off drawn after the route's end

std::string f1(double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

std::string metres(int64_t m) { return std::to_string(m) + " m"; }

class svg_page {
 public:
  svg_page(const loaded_scenario& s, const svg_options& o) : s_(s), o_(o), occ_({}) {}
  svg_result draw();

 private:
  point on_page(double metre) const {
    const point q = plan_.at(metre);
    return {sx_ + scale_ * q.x, sy_ - scale_ * q.y};
  }
  point normal(double metre) const;
  // The charts span the stretch drawn on the plan, run-off included.
  double chart_x(double metre) const {
    return kMargin + (kWidth - 2 * kMargin) * (metre - from_) / std::max(1.0, plan_end_ - from_);
  }
  bool in_window(double m) const { return m >= from_ && m <= plan_end_; }
  std::string path_data(double from, double to) const;
  void lay_out_plan(double top);
  void draw_plan();
  void draw_marker(const route_object& o);
  void place_labels(std::vector<std::pair<double, label>> v, bool must_place);
  bool put_label(double metre, const label& e, bool far, const char* css_class = nullptr);
  void station_strip(double names_y, double top, double bottom);
  double draw_charts(double top);
  double draw_axis(double y);
  double list_unlabelled(double y);

  const loaded_scenario& s_;
  const svg_options& o_;
  std::ostringstream b_;  // the page's body
  turned_plan plan_;
  occupancy occ_;
  chilometrica km_;
  std::vector<route_object> objects_;
  double length_ = 0, from_ = 0, to_ = 0, plan_end_ = 0;
  double scale_ = 1, sx_ = 0, sy_ = 0;
  double plan_top_ = 0, plan_bottom_ = 0;
  int left_out_ = 0;
  std::vector<std::string> unlabelled_posts_;
};

point svg_page::normal(double metre) const {
  // Over some 10 pixels of line each way, whatever the scale.
  const double step = std::max(20.0, 10.0 / std::max(scale_, 1e-9));
  const point a = on_page(metre - step), b = on_page(metre + step);
  double dx = b.x - a.x, dy = b.y - a.y;
  const double n = std::hypot(dx, dy);
  if (n < 1e-9) return {0, -1};
  dx /= n;
  dy /= n;
  // The left of the direction of travel, on screen (y grows downwards).
  return {dy, -dx};
}

std::string svg_page::path_data(double from, double to) const {
  // One vertex per screen pixel or so: enough for the curves, small enough
  // for the page to load quickly.
  const double step = std::max(1.0, 1.0 / std::max(scale_, 1e-9));
  const auto points = thinned_line(plan_, from, to, step, 1.5, [&](point q) {
    return point{sx_ + scale_ * q.x, sy_ - scale_ * q.y};
  });
  std::string d;
  for (const point& p : points) {
    d += d.empty() ? "M" : " L";
    d += f1(p.x) + "," + f1(p.y);
  }
  return d;
}

void svg_page::lay_out_plan(double top) {
  const rect e = plan_.extent(from_, plan_end_);
  const double w = kWidth - 2 * kMargin - 2 * kLabelRoom;
  const double ew = std::max(e.width(), 1.0), eh = std::max(e.height(), 1.0);
  // The frame takes the route's shape: as tall as the plan needs at the
  // width of the page, but at least 160 px (room for labels on a flat line)
  // and at most 720 px (a route that runs mostly across is scaled down).
  const double h = std::clamp(w * eh / ew, 160.0, 720.0);
  scale_ = std::min(w / ew, h / eh);
  plan_top_ = top;
  plan_bottom_ = top + h + 2 * kLabelRoom;
  sx_ = kMargin + kLabelRoom + (w - scale_ * ew) / 2 - scale_ * e.x0;
  sy_ = top + kLabelRoom + (h - scale_ * eh) / 2 + scale_ * e.y1;
  occ_ = occupancy({kMargin / 3, plan_top_, kWidth - kMargin / 3, plan_bottom_});
}

void svg_page::draw_marker(const route_object& o) {
  const point p = on_page(o.metre);
  const point n = normal(o.metre);
  const std::string title = "<title>" + xml_text(std::string(kind_caption(o.kind)) +
                                                  (o.name.empty() ? "" : " " + o.name) + " at " +
                                                  metres(o.metre) + " (post " +
                                                  testo_post(km_.post(o.metre)) + ")") +
                            "</title>";
  auto bar = [&](double from, double to) {
    return std::make_pair(point{p.x + from * n.x, p.y + from * n.y}, point{p.x + to * n.x, p.y + to * n.y});
  };
  const char* cls = kind_name(o.kind);
  switch (o.kind) {
    case object_kind::signal: {
      // A short bar across the line, with the signal's head on the left.
      const auto [a, b] = bar(-6, 9);
      b_ << "<path class=\"signal\" d=\"M" << f1(a.x) << "," << f1(a.y) << " L" << f1(b.x) << ","
         << f1(b.y) << "\">" << title << "</path>\n"
         << "<circle class=\"signal-head\" cx=\"" << f1(b.x) << "\" cy=\"" << f1(b.y)
         << "\" r=\"2.2\"/>\n";
      occ_.add_marker(box::upright(std::min(a.x, b.x) - 2, std::min(a.y, b.y) - 2,
                                   std::max(a.x, b.x) + 2, std::max(a.y, b.y) + 2));
      break;
    }
    case object_kind::station:
      b_ << "<circle class=\"station\" cx=\"" << f1(p.x) << "\" cy=\"" << f1(p.y)
         << "\" r=\"4.5\">" << title << "</circle>\n";
      occ_.add_marker(box::upright(p.x - 6, p.y - 6, p.x + 6, p.y + 6));
      break;
    case object_kind::text_board:
    case object_kind::speed_indicator:
    case object_kind::abbattimento:
    case object_kind::derived_board:
    case object_kind::warning_board: {
      // Boards stand on the right of the line, on a short post.
      const auto [a, b] = bar(0, -12);
      b_ << "<g class=\"" << cls << "\">" << title << "<line x1=\"" << f1(a.x) << "\" y1=\""
         << f1(a.y) << "\" x2=\"" << f1(b.x) << "\" y2=\"" << f1(b.y) << "\"/>";
      if (o.kind == object_kind::warning_board) {
        b_ << "<path d=\"M" << f1(b.x) << "," << f1(b.y - 4) << " L" << f1(b.x + 4) << ","
           << f1(b.y + 3) << " L" << f1(b.x - 4) << "," << f1(b.y + 3) << " Z\"/>";
      } else if (o.kind == object_kind::speed_indicator) {
        b_ << "<path d=\"M" << f1(b.x) << "," << f1(b.y - 4) << " L" << f1(b.x + 4) << ","
           << f1(b.y) << " L" << f1(b.x) << "," << f1(b.y + 4) << " L" << f1(b.x - 4) << ","
           << f1(b.y) << " Z\"/>";
      } else if (o.kind == object_kind::text_board) {
        b_ << "<rect x=\"" << f1(b.x - 3.5) << "\" y=\"" << f1(b.y - 3.5)
           << "\" width=\"7\" height=\"7\"/>";
      } else {
        b_ << "<circle cx=\"" << f1(b.x) << "\" cy=\"" << f1(b.y) << "\" r=\"3\"/>";
      }
      b_ << "</g>\n";
      occ_.add_marker(box::upright(std::min(a.x, b.x) - 4, std::min(a.y, b.y) - 4,
                                   std::max(a.x, b.x) + 4, std::max(a.y, b.y) + 4));
      break;
    }
    case object_kind::advance_mark:
    case object_kind::approach_mark: {
      const auto [a, b] = bar(-3, 3);
      b_ << "<path class=\"" << cls << "\" d=\"M" << f1(a.x) << "," << f1(a.y) << " L"
         << f1(b.x) << "," << f1(b.y) << "\">" << title << "</path>\n";
      break;
    }
    case object_kind::tunnel:
    case object_kind::slowdown: {
      // Cut to the stretch drawn.
      const double from = std::max<double>(o.metre, from_);
      const double to = std::max(from + 1, std::min<double>(o.end_metre, plan_end_));
      b_ << "<path class=\"" << cls << "\" d=\"" << path_data(from, to) << "\"><title>"
         << xml_text(std::string(kind_caption(o.kind)) + (o.name.empty() ? "" : " " + o.name) +
                      ", " + metres(o.metre) + " - " + metres(o.end_metre))
         << "</title></path>\n";
      break;
    }
  }
}

void svg_page::draw_plan() {
  const double route_end = std::min<double>(std::min(length_, to_), plan_end_);
  // The line, and the track beyond the end of the route.
  b_ << "<path class=\"line\" d=\"" << path_data(from_, route_end) << "\"/>\n";
  if (plan_end_ > route_end) {
    b_ << "<path class=\"runoff\" d=\"" << path_data(route_end, plan_end_) << "\"/>\n";
  }
  for (double m = from_; m <= plan_end_; m += std::max(1.0, 8 / std::max(scale_, 1e-9))) {
    occ_.add_point(on_page(m));
  }

  std::vector<std::pair<double, label>> names, secondary, signals;
  // Stretches first, point marks over them, stations last on top.
  for (int pass = 0; pass < 3; ++pass) {
    for (const route_object& o : objects_) {
      const bool is_stretch = o.kind == object_kind::tunnel || o.kind == object_kind::slowdown;
      const int own_pass = is_stretch ? 0 : o.kind == object_kind::station ? 2 : 1;
      if (own_pass != pass) continue;
      if (is_stretch ? (o.end_metre < from_ || o.metre > plan_end_) : !in_window(o.metre)) continue;
      draw_marker(o);
      switch (o.kind) {
        case object_kind::station:
          names.push_back({static_cast<double>(o.metre), {o.name, 11.5, 72, true, true, "label-station"}});
          break;
        case object_kind::slowdown:
          names.push_back({std::max<double>(o.metre, from_),
                           {"slow-down " + o.name + ", " + metres(o.end_metre - o.metre), 12, 72, true, false, "label-slowdown"}});
          break;
        case object_kind::tunnel:
          // Every tunnel the same way: its name, or its length when no board names it.
          secondary.push_back({(std::max<double>(o.metre, from_) + std::min<double>(o.end_metre, plan_end_)) / 2,
                               {o.name.empty() ? metres(o.end_metre - o.metre) : o.name,
                                10, 54, false, true, "label-tunnel"}});
          break;
        case object_kind::text_board:
        case object_kind::speed_indicator:
        case object_kind::abbattimento:
        case object_kind::warning_board:
          secondary.push_back({static_cast<double>(o.metre), {o.name, 8.5, 40, false, false, "label-board"}});
          break;
        case object_kind::signal:
          signals.push_back({static_cast<double>(o.metre), {testo_post(km_.post(o.metre)), 8.5, 30, false, false, "label-signal"}});
          break;
        default:
          break;
      }
    }
  }
  // Names first: they are what a reader looks for; then the signal posts,
  // then tunnel and board names where room is left.
  std::stable_sort(names.begin(), names.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  place_labels(names, true);
  for (const auto& [m, e] : signals) {
    if (!put_label(m, e, false) && !put_label(m, e, true)) unlabelled_posts_.push_back(e.text);
  }
  place_labels(secondary, false);
}

bool svg_page::put_label(double metre, const label& e, bool far, const char* css_class) {
  const auto placed = place_label(occ_, on_page(metre), normal(metre), e, far);
  if (!placed) return false;
  if (placed->leader) {
    const auto& [p, q] = *placed->leader;
    b_ << "<line class=\"leader\" x1=\"" << f1(p.x) << "\" y1=\"" << f1(p.y) << "\" x2=\""
       << f1(q.x) << "\" y2=\"" << f1(q.y) << "\"/>\n";
  }
  const point& i = placed->text_start;
  const std::string cls = css_class ? css_class : e.css_class;
  b_ << "<text class=\"" << cls << "\" x=\"" << f1(i.x) << "\" y=\"" << f1(i.y) << "\"";
  if (placed->degrees != 0) {
    b_ << " transform=\"rotate(" << placed->degrees << " " << f1(i.x) << " " << f1(i.y) << ")\"";
  }
  b_ << ">" << xml_text(e.text) << "</text>\n";
  return true;
}

void svg_page::place_labels(std::vector<std::pair<double, label>> v, bool must_place) {
  for (const auto& [m, e] : v) {
    // Secondary labels that find no room close by are left out.
    if (e.text.empty() || put_label(m, e, false) || !must_place) continue;
    // Rather than hide a name, write it farther out, at the first place free
    // of other labels, with a leader back to its marker.
    if (!put_label(m, e, true)) ++left_out_;
  }
}

void svg_page::station_strip(double names_y, double top, double bottom) {
  // Station names above the charts, turned upright and ending at `names_y`,
  // each at its position, with a faint line down through the charts; a name
  // that would touch the previous one is left out and counted.
  double last = -1e9;
  for (const route_object& o : objects_) {
    if (o.kind != object_kind::station || o.metre < from_ || o.metre > plan_end_) continue;
    const double x = chart_x(o.metre);
    if (x - last >= 12) {
      b_ << "<text class=\"profile-station\" x=\"" << f1(x + 3.5) << "\" y=\"" << f1(names_y)
         << "\" transform=\"rotate(-90 " << f1(x + 3.5) << " " << f1(names_y) << ")\">"
         << xml_text(o.name) << "</text>\n";
      last = x;
    } else {
      ++left_out_;
    }
    b_ << "<line class=\"station-line\" x1=\"" << f1(x) << "\" y1=\"" << f1(top) << "\" x2=\""
       << f1(x) << "\" y2=\"" << f1(bottom) << "\"/>\n";
  }
}

double svg_page::draw_charts(double top) {
  const auto& cells = s_.cells;
  const size_t n = profile_cells(s_);
  const double left = kMargin, right = kWidth - kMargin;
  const size_t c0 = static_cast<size_t>(std::max(0.0, std::floor(from_ / 50)));
  const size_t c1 = std::min(n, static_cast<size_t>(std::max(0.0, std::ceil(to_ / 50))));
  auto cell_x = [&](size_t c) {
    return chart_x(std::clamp(50.0 * static_cast<double>(c), from_, to_));
  };
  double longest = 0;
  for (const route_object& o : objects_) {
    if (o.kind == object_kind::station && o.metre >= from_ && o.metre <= plan_end_) {
      longest = std::max(longest, text_width(o.name, 9.5));
    }
  }
  const double names_y = top + std::min(longest, 200.0);
  const double speed_top = names_y + 26, speed_bottom = speed_top + 140;
  const double grad_top = speed_bottom + 40, grad_bottom = grad_top + 110;
  const double adh_top = grad_bottom + 40, adh_bottom = adh_top + 70;
  station_strip(names_y, speed_top, adh_bottom);

  // Speed limit.
  int vmax = 160;
  for (size_t c = c0; c < c1; ++c) vmax = std::max(vmax, speed_kmh(cells[c]));
  vmax = (vmax + 19) / 20 * 20;
  auto y_speed = [&](double v) { return speed_bottom - (speed_bottom - speed_top) * v / vmax; };
  b_ << "<text class=\"chart-title\" x=\"" << left << "\" y=\"" << speed_top - 10
     << "\">Speed limit (km/h); slow-downs shaded</text>\n";
  for (int v = 0; v <= vmax; v += 40) {
    b_ << "<line class=\"grid\" x1=\"" << left << "\" y1=\"" << f1(y_speed(v)) << "\" x2=\""
       << right << "\" y2=\"" << f1(y_speed(v)) << "\"/>\n"
       << "<text class=\"tick\" x=\"" << left - 6 << "\" y=\"" << f1(y_speed(v) + 3)
       << "\" text-anchor=\"end\">" << v << "</text>\n";
  }
  for (const route_object& o : objects_) {
    if (o.kind != object_kind::slowdown || o.end_metre < from_ || o.metre > plan_end_) continue;
    const double x0 = chart_x(std::max<double>(o.metre, from_));
    const double x1 = std::max(x0 + 2, chart_x(std::min<double>(o.end_metre, plan_end_)));
    const int v = std::atoi(o.name.c_str());
    b_ << "<rect class=\"slowdown-band\" x=\"" << f1(x0) << "\" y=\"" << speed_top << "\" width=\""
       << f1(x1 - x0) << "\" height=\"" << speed_bottom - speed_top << "\"/>\n"
       << "<line class=\"slowdown-speed\" x1=\"" << f1(x0) << "\" y1=\"" << f1(y_speed(v))
       << "\" x2=\"" << f1(x1) << "\" y2=\"" << f1(y_speed(v)) << "\"/>\n"
       << "<text class=\"label-slowdown\" x=\"" << f1(x1 + 4) << "\" y=\"" << f1(y_speed(v) + 4)
       << "\">" << v << "</text>\n";
  }
  auto steps = [&](auto value, auto y) {
    std::string d;
    for (size_t c = c0; c < c1; ++c) {
      const double yy = y(value(cells[c]));
      d += d.empty() ? "M" : " L";
      d += f1(cell_x(c)) + "," + f1(yy) + " L" + f1(cell_x(c + 1)) +
           "," + f1(yy);
    }
    return d;
  };
  if (c1 > c0) {
    b_ << "<path class=\"speed\" d=\""
       << steps([](const cella& c) { return speed_kmh(c); }, y_speed) << "\"/>\n";
  }

  // Gradient in per mille, signed: rising above the level line.
  int gmax = 10;
  for (size_t c = c0; c < c1; ++c) gmax = std::max(gmax, std::abs(gradient_per_mille(cells[c])));
  gmax = (gmax + 4) / 5 * 5;
  const double middle = (grad_top + grad_bottom) / 2;
  auto y_grad = [&](double g) { return middle - (grad_bottom - grad_top) / 2 * g / gmax; };
  b_ << "<text class=\"chart-title\" x=\"" << left << "\" y=\"" << grad_top - 10
     << "\">Gradient (\u2030, + rising)</text>\n";
  for (int g : {-gmax, 0, gmax}) {
    b_ << "<line class=\"" << (g == 0 ? "level" : "grid") << "\" x1=\"" << left << "\" y1=\""
       << f1(y_grad(g)) << "\" x2=\"" << right << "\" y2=\"" << f1(y_grad(g)) << "\"/>\n"
       << "<text class=\"tick\" x=\"" << left - 6 << "\" y=\"" << f1(y_grad(g) + 3)
       << "\" text-anchor=\"end\">" << (g > 0 ? "+" : "") << g << "</text>\n";
  }
  if (c1 > c0) {
    b_ << "<path class=\"gradient\" d=\"M" << f1(cell_x(c0)) << "," << f1(y_grad(0)) << " "
       << steps([](const cella& c) { return gradient_per_mille(c); }, y_grad).substr(1) << " L"
       << f1(cell_x(c1)) << "," << f1(y_grad(0)) << " Z\"/>\n";
  }

  // Adhesion, as stored.
  int amax = 100;
  for (size_t c = c0; c < c1; ++c) amax = std::max<int>(amax, cells[c].aderenza);
  auto y_adh = [&](double v) { return adh_bottom - (adh_bottom - adh_top) * v / amax; };
  b_ << "<text class=\"chart-title\" x=\"" << left << "\" y=\"" << adh_top - 10
     << "\">Adhesion</text>\n";
  for (int v : {0, amax}) {
    b_ << "<line class=\"grid\" x1=\"" << left << "\" y1=\"" << f1(y_adh(v)) << "\" x2=\""
       << right << "\" y2=\"" << f1(y_adh(v)) << "\"/>\n"
       << "<text class=\"tick\" x=\"" << left - 6 << "\" y=\"" << f1(y_adh(v) + 3)
       << "\" text-anchor=\"end\">" << v << "</text>\n";
  }
  if (c1 > c0) {
    b_ << "<path class=\"adhesion\" d=\""
       << steps([](const cella& c) { return static_cast<int>(c.aderenza); }, y_adh) << "\"/>\n";
  }
  return adh_bottom;
}

double svg_page::draw_axis(double y) {
  const double left = kMargin, right = kWidth - kMargin;
  b_ << "<line class=\"axis\" x1=\"" << left << "\" y1=\"" << y << "\" x2=\"" << right
     << "\" y2=\"" << y << "\"/>\n";
  const double px = (right - left) / std::max(1.0, plan_end_ - from_);
  for (const tick& t : axis_ticks(km_, static_cast<int64_t>(from_), static_cast<int64_t>(plan_end_) + 1, px, 64)) {
    const double x = chart_x(static_cast<double>(t.metre));
    b_ << "<line class=\"" << (t.zone_start ? "zone-tick" : "tick-line") << "\" x1=\"" << f1(x)
       << "\" y1=\"" << y << "\" x2=\"" << f1(x) << "\" y2=\"" << y + (t.zone_start ? 12 : 7)
       << "\"/>\n";
    if (!t.text.empty()) {
      b_ << "<text class=\"" << (t.zone_start ? "tick zone-label" : "tick") << "\" x=\"" << f1(x)
         << "\" y=\"" << y + 24 << "\" text-anchor=\"" << (t.metre == static_cast<int64_t>(from_) ? "start" : "middle")
         << "\">" << t.text << "</text>\n";
    }
  }
  b_ << "<text class=\"chart-title\" x=\"" << left << "\" y=\"" << y + 46
     << "\">Kilometre posts (km+m), route " << f1(from_ / 1000) << " to " << f1(plan_end_ / 1000)
     << " km; dashed ticks mark where a chainage zone begins</text>\n";
  return y + 60;
}

double svg_page::list_unlabelled(double y) {
  // What the plan could not label, written out so that nothing is lost.
  if (unlabelled_posts_.empty()) return y;
  // A long route drawn whole can leave thousands: a few lines of them, then
  // how to see the rest.
  constexpr size_t kMaxLines = 4;
  std::string line = "Signals at posts (no room on the plan): ";
  std::vector<std::string> lines;
  const size_t n = unlabelled_posts_.size();
  for (size_t i = 0; i < n; ++i) {
    const std::string piece = unlabelled_posts_[i] + (i + 1 < n ? ", " : "");
    if (text_width(line + piece, 11) > kWidth - 2 * kMargin) {
      lines.push_back(line);
      line.clear();
      if (lines.size() == kMaxLines) {
        line = "... and " + std::to_string(n - i) +
               " more: draw a stretch with --from and --to, or see them all with `scenario-tool view`";
        break;
      }
    }
    line += piece;
  }
  lines.push_back(line);
  for (const auto& r : lines) {
    y += 16;
    b_ << "<text class=\"legend\" x=\"" << kMargin << "\" y=\"" << y << "\">" << xml_text(r)
       << "</text>\n";
  }
  return y + 10;
}

svg_result svg_page::draw() {
  length_ = s_.length();
  km_ = chilometrica(s_.table);
  plan_ = turned_plan(s_.plan, static_cast<int32_t>(length_));
  objects_ = route_objects(s_);
  const double runoff_end =
      plan_.empty() ? length_ : std::min<double>(plan_.last(), length_ + kRunoffShown);
  from_ = std::clamp<double>(o_.from.value_or(0), 0, length_);
  to_ = std::clamp<double>(o_.to.value_or(static_cast<int64_t>(length_)), from_, length_);
  if (o_.to && *o_.to > length_) to_ = length_;
  // The run-off is drawn only when the stretch reaches the route's end.
  plan_end_ = to_ >= length_ ? std::max(to_, runoff_end) : to_;
  if (!plan_.empty()) plan_end_ = std::min<double>(plan_end_, plan_.last());
  plan_end_ = std::max(plan_end_, from_);

  int count[kind_count] = {};
  for (const route_object& o : objects_) {
    if (o.end_metre >= from_ && o.metre <= plan_end_) ++count[static_cast<int>(o.kind)];
  }
  double y = 34;
  b_ << "<text class=\"title\" x=\"" << kMargin << "\" y=\"" << y << "\">" << xml_text(o_.title)
     << "</text>\n";
  y += 20;
  // "1 tunnel", "2 tunnels": the count of one kind with its name.
  auto n = [&](object_kind g, const char* name, const char* names) {
    const int k = count[static_cast<int>(g)];
    return std::to_string(k) + " " + (k == 1 ? name : names);
  };
  b_ << "<text class=\"subtitle\" x=\"" << kMargin << "\" y=\"" << y << "\">"
     << f1(length_ / 1000) << " km route"
     << (from_ > 0 || to_ < length_ ? ", drawn from " + testo_post(km_.post(static_cast<int64_t>(from_))) +
                                      " to " + testo_post(km_.post(static_cast<int64_t>(to_)))
                                    : std::string())
     << ": " << n(object_kind::station, "station", "stations") << ", "
     << n(object_kind::signal, "signal", "signals") << ", " << n(object_kind::tunnel, "tunnel", "tunnels")
     << ", " << n(object_kind::slowdown, "slow-down", "slow-downs") << ", "
     << n(object_kind::text_board, "text board", "text boards") << ", "
     << n(object_kind::speed_indicator, "speed-indicator board", "speed-indicator boards") << ", "
     << n(object_kind::abbattimento, "abbattimento point", "abbattimento points") << ", "
     << n(object_kind::derived_board, "derived speed board", "derived speed boards") << ", "
     << n(object_kind::warning_board, "warning board", "warning boards") << ".</text>\n";

  // Faults of the compile and misfits of the files, before anything else:
  // every error, and the first few warnings (a long route's sources may
  // carry hundreds, which would push the drawing off the page).
  constexpr int kWarningsShown = 5;
  int warnings = 0, not_shown = 0;
  auto banner_line = [&](const std::string& text) {
    y += 17;
    b_ << "<text class=\"banner\" x=\"" << kMargin << "\" y=\"" << y << "\">" << xml_text(text)
       << "</text>\n";
  };
  for (const Diagnostic& d : s_.diagnostics) {
    if (d.severity != Severity::kError && warnings++ >= kWarningsShown) {
      ++not_shown;
      continue;
    }
    banner_line(format_diagnostic(d));
  }
  if (not_shown > 0) {
    banner_line("... and " + std::to_string(not_shown) + " more warnings or notes; `scenario-tool check` lists them all");
  }

  // Legend: its markers have classes of their own, so that only the route's
  // markers carry "station", "signal" and the others.
  y += 22;
  double lx = kMargin;
  auto legend_entry = [&](const std::string& marker, const std::string& text, double advance) {
    b_ << "<g transform=\"translate(" << lx << " " << y << ")\">" << marker
       << "<text class=\"legend\" x=\"18\" y=\"4\">" << xml_text(text) << "</text></g>\n";
    lx += advance;
  };
  legend_entry("<circle cx=\"5\" cy=\"0\" r=\"4.5\" fill=\"#fff\" stroke=\"#1f5fbf\" stroke-width=\"2.5\"/>", "station", 78);
  legend_entry("<line x1=\"5\" y1=\"-7\" x2=\"5\" y2=\"6\" stroke=\"#c0392b\" stroke-width=\"2\"/>", "signal (post)", 100);
  legend_entry("<line x1=\"-6\" y1=\"0\" x2=\"14\" y2=\"0\" stroke=\"#8a5a2b\" stroke-width=\"7\" stroke-opacity=\"0.75\"/>", "tunnel", 70);
  legend_entry("<line x1=\"-6\" y1=\"0\" x2=\"14\" y2=\"0\" stroke=\"#ff8c00\" stroke-width=\"10\" stroke-opacity=\"0.8\"/>", "slow-down", 90);
  legend_entry("<rect x=\"1.5\" y=\"-3.5\" width=\"7\" height=\"7\" fill=\"#6a1b9a\"/>", "text board", 86);
  legend_entry("<path d=\"M5,-4 L9,0 L5,4 L1,0 Z\" fill=\"#00838f\"/>", "speed-indicator board", 160);
  legend_entry("<circle cx=\"5\" cy=\"0\" r=\"3\" fill=\"#2e7d32\"/>", "abbattimento point", 136);
  legend_entry("<circle cx=\"5\" cy=\"0\" r=\"3\" fill=\"#fff\" stroke=\"#777\"/>", "speed board added by the derivation", 236);
  legend_entry("<path d=\"M5,-4 L9,3 L1,3 Z\" fill=\"#ff8c00\"/>", "warning board", 104);
  legend_entry("<line x1=\"5\" y1=\"-4\" x2=\"5\" y2=\"4\" stroke=\"#ff8c00\" stroke-width=\"2\"/>", "advance mark", 100);
  legend_entry("<line x1=\"5\" y1=\"-4\" x2=\"5\" y2=\"4\" stroke=\"#1f5fbf\" stroke-width=\"1.2\"/>", "approach mark", 100);
  y += 18;
  lx = kMargin;
  if (plan_end_ > length_) legend_entry("<line x1=\"-6\" y1=\"0\" x2=\"14\" y2=\"0\" stroke=\"#999\" stroke-width=\"1.5\" stroke-dasharray=\"5 4\"/>",
       "track beyond the end of the route: the first " + f1(kRunoffShown / 1000) + " km of " +
           f1((plan_.last() - length_) / 1000) + " km of run-off",
       400);

  lay_out_plan(y + 14);
  b_ << "<rect class=\"frame\" x=\"" << kMargin / 3 << "\" y=\"" << plan_top_ << "\" width=\""
     << kWidth - 2 * kMargin / 3 << "\" height=\"" << plan_bottom_ - plan_top_ << "\"/>\n";
  if (plan_.empty()) {
    // Every object still gets its marker and read-out, all at one place.
    b_ << "<text class=\"banner\" x=\"" << kMargin << "\" y=\"" << plan_top_ + 30
       << "\">The track plan holds no point that can be drawn.</text>\n";
  }
  draw_plan();
  y = plan_bottom_;
  if (left_out_ > 0) {
    y += 16;
    b_ << "<text class=\"subtitle\" x=\"" << kMargin << "\" y=\"" << y << "\">" << left_out_
       << " station or slow-down labels found no free place</text>\n";
  }
  y = list_unlabelled(y + 4);
  y = draw_charts(y + 10);
  y = draw_axis(y + 16);

  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\""
      << f1(y) << "\" viewBox=\"0 0 " << kWidth << " " << f1(y) << "\">\n"
      << "<style>\n"
         "text { font-family: 'DejaVu Sans', Arial, Helvetica, sans-serif; fill: #222; }\n"
         ".title { font-size: 20px; font-weight: bold; }\n"
         ".subtitle { font-size: 12px; fill: #555; }\n"
         ".banner { font-size: 12px; font-weight: bold; fill: #b00020; }\n"
         ".line { fill: none; stroke: #2b2b2b; stroke-width: 2.2; stroke-linejoin: round; }\n"
         ".runoff { fill: none; stroke: #999; stroke-width: 1.5; stroke-dasharray: 5 4; }\n"
         ".tunnel { fill: none; stroke: #8a5a2b; stroke-width: 7; stroke-opacity: 0.75; "
         "stroke-linecap: butt; }\n"
         ".slowdown { fill: none; stroke: #ff8c00; stroke-width: 12; stroke-opacity: 0.8; }\n"
         ".signal { stroke: #c0392b; stroke-width: 2; }\n"
         ".signal-head { fill: #c0392b; }\n"
         ".station { fill: #fff; stroke: #1f5fbf; stroke-width: 2.5; }\n"
         ".text-board { fill: #6a1b9a; stroke: #6a1b9a; stroke-width: 1; }\n"
         ".speed-indicator { fill: #00838f; stroke: #00838f; stroke-width: 1; }\n"
         ".abbattimento { fill: #2e7d32; stroke: #2e7d32; stroke-width: 1; }\n"
         ".derived-board { fill: #fff; stroke: #777; stroke-width: 1; }\n"
         ".warning-board { fill: #ff8c00; stroke: #c46a00; stroke-width: 1; }\n"
         ".advance-mark { stroke: #ff8c00; stroke-width: 2; }\n"
         ".approach-mark { stroke: #1f5fbf; stroke-width: 1.2; }\n"
         ".leader { stroke: #888; stroke-width: 0.7; }\n"
         ".label-station { font-size: 11.5px; font-weight: bold; fill: #1f3f7f; }\n"
         ".label-slowdown { font-size: 12px; font-weight: bold; fill: #c46a00; }\n"
         ".label-tunnel { font-size: 10px; font-style: italic; fill: #7a4a1b; }\n"
         ".label-signal { font-size: 8.5px; fill: #a03020; }\n"
         ".label-board { font-size: 8.5px; fill: #4a2a6a; }\n"
         ".profile-station { font-size: 9.5px; fill: #1f3f7f; }\n"
         ".chart-title { font-size: 12px; font-weight: bold; fill: #333; }\n"
         ".tick { font-size: 10px; fill: #444; }\n"
         ".zone-label { fill: #1f5fbf; font-weight: bold; }\n"
         ".grid { stroke: #ddd; stroke-width: 1; }\n"
         ".level { stroke: #888; stroke-width: 1; }\n"
         ".axis { stroke: #444; stroke-width: 1.2; }\n"
         ".tick-line { stroke: #444; stroke-width: 1; }\n"
         ".zone-tick { stroke: #1f5fbf; stroke-width: 1.5; stroke-dasharray: 3 2; }\n"
         ".speed { fill: none; stroke: #2e7d32; stroke-width: 1.8; }\n"
         ".gradient { fill: #b0bec5; stroke: #546e7a; stroke-width: 1; }\n"
         ".adhesion { fill: none; stroke: #6d4c41; stroke-width: 1.5; }\n"
         ".slowdown-band { fill: #ff8c00; fill-opacity: 0.18; }\n"
         ".slowdown-speed { stroke: #ff8c00; stroke-width: 2.5; }\n"
         ".station-line { stroke: #1f5fbf; stroke-opacity: 0.22; stroke-width: 1; }\n"
         ".legend { font-size: 11px; fill: #333; }\n"
         ".frame { fill: none; stroke: #ccc; }\n"
         "</style>\n"
      << "<rect x=\"0\" y=\"0\" width=\"" << kWidth << "\" height=\"" << f1(y)
      << "\" fill=\"#fff\"/>\n"
      << b_.str() << "</svg>\n";
  return {out.str(), left_out_, static_cast<int>(unlabelled_posts_.size())};
}

}  // namespace

svg_result draw_svg(const loaded_scenario& s, const svg_options& o) {
  svg_page p(s, o);
  return p.draw();
}

std::optional<int64_t> read_kilometre(const std::string& text, const chilometrica& km,
                                      int64_t length) {
  if (text.empty()) return std::nullopt;
  const size_t plus = text.find('+');
  char* end = nullptr;
  if (plus == std::string::npos) {
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    return static_cast<int64_t>(std::llround(v * 1000));
  }
  const std::string a = text.substr(0, plus), b = text.substr(plus + 1);
  if (a.empty() || b.empty() || b.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const long long k = std::strtoll(a.c_str(), &end, 10);
  if (end != a.c_str() + a.size()) return std::nullopt;
  const long long m = std::strtoll(b.c_str(), nullptr, 10);
  const int64_t post = (a[0] == '-' ? -1 : 1) * (std::llabs(k) * 1000 + m);
  for (const auto& t : post_stretches(km, 0, length + 1)) {
    const int64_t d = (post - t.start_post) * t.direction;
    if (d >= 0 && t.start + d < t.end) return t.start + d;
  }
  return std::nullopt;
}

}  // namespace scenario::drawing
