// The data of the viewer's page: the scenario as one JSON object (plan,
// profiles, kilometre posts, objects, diagnostics) and the page around it.
#pragma once

#include <cstdint>
#include <string>

#include "drawing/features.h"

namespace scenario::drawing {

struct view_options {
  std::string title;
  bool served = false;     // the page asks its server for newer data
  int64_t generation = 0;  // counts the compiles a server has made
  // Diagnostics that belong to the data shown but not to `s` (a server
  // showing the last good route beside a faulty save's faults).
  Diagnostics other_diagnostics;
  bool last_good = false;  // the route shown is an earlier one than the sources give
};

// The JSON object, with every '<' written as \u003c so that it can stand
// inside a script element whatever the scenario's texts hold.
std::string view_data(const loaded_scenario& s, const view_options& o);

// The whole page: the page's HTML with its style, script and the data set in.
std::string view_page_html(const std::string& data_json, const std::string& title);

}  // namespace scenario::drawing
