// Placing labels beside markers on a page so that no label covers another,
// a marker, the line or a leader: candidate places are tried best first and
// the first free one is taken.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drawing/geometry.h"

namespace scenario::drawing {

// Width on the page of a text in a sans-serif face of size `size`, from
// rough advance widths; bold text is about a tenth wider. Errs wide, which
// keeps labels apart.
double text_width(const std::string& t, double size, bool bold = false);

// A box on the page, possibly turned: centre, unit axis along its width,
// half width and half height.
struct box {
  point c;
  double ux = 1, uy = 0;
  double mw = 0, mh = 0;

  static box upright(double x0, double y0, double x1, double y1) {
    return {{(x0 + x1) / 2, (y0 + y1) / 2}, 1, 0, (x1 - x0) / 2, (y1 - y0) / 2};
  }
  bool contains(point p, double margin = 0) const;
  // Half extent along the unit axis (ax, ay).
  double half_extent(double ax, double ay) const;
  // Separating axes: two boxes meet unless one of their four axes parts them.
  bool intersects(const box& o) const;
  double x0() const { return c.x - half_extent(1, 0); }
  double x1() const { return c.x + half_extent(1, 0); }
  double y0() const { return c.y - half_extent(0, 1); }
  double y1() const { return c.y + half_extent(0, 1); }
};

// What is already on the page, within the area labels may use.
class occupancy {
 public:
  explicit occupancy(rect area) : area_(area) {}
  // A label: nothing may cover it, and no leader may cross it.
  void add_label(const box& r) { labels_.push_back(r); }
  // A leader: no other leader may cross it.
  void add_leader(point a, point b) { leaders_.push_back({a, b}); }
  // A marker: no label may cover it; a leader may pass over it.
  void add_marker(const box& r) { markers_.push_back(r); }
  // A point of the line or of a leader: no label may cover it.
  void add_point(point p);

  bool crosses_leader(point a, point b) const;
  bool clear_of_labels(const std::vector<point>& points) const;
  // Inside the area, clear of labels, markers and points.
  bool is_free(const box& r) const;
  const std::vector<box>& labels() const { return labels_; }

 private:
  static int grid_cell(double v);
  static long long key(int gx, int gy) { return static_cast<long long>(gx) * 1000003LL + gy; }
  rect area_;
  std::vector<box> labels_;
  std::vector<box> markers_;
  std::vector<std::pair<point, point>> leaders_;
  std::map<long long, std::vector<point>> grid_;
};

struct label {
  std::string text;
  double size = 10;           // text size
  double max_distance = 30;   // farthest from its marker, in pixels
  bool bold = false;
  bool may_turn = false;      // may be turned by 45 degrees
  std::string css_class;      // how the page styles it
};

// A label placed: its box, the turn of its text (degrees), the start of its
// baseline and, when it stands off its marker, the leader's two ends.
struct placed_label {
  box where;
  double degrees = 0;
  point text_start;
  std::optional<std::pair<point, point>> leader;
};

// Places `e` for the marker at `p`, whose line runs across the unit normal
// `n`, and records it in `occ`. With `far`, only places farther out than
// `e.max_distance` (up to 300 px) are tried, fanned out to both sides.
// Nothing when no candidate is free.
std::optional<placed_label> place_label(occupancy& occ, point p, point n, const label& e,
                                        bool far);

}  // namespace scenario::drawing
