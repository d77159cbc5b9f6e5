#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/cell_geometry.h"
#include "model/station_table.h"
#include "model/track_cell.h"
#include "tools/compiled_files.h"

namespace scenario::tools {

/// Everything one picture shows, as read back from the compiled files.
struct RouteFiles {
  std::string title;
  std::vector<TrackCell> cells;
  StationTable stations{};
  /// Absent when the scenario was compiled without a line plan.
  std::optional<PlanFile> plan;
};

/// A station's time as its labels show it: "hh:mm", or "hh:mm:ss" off the
/// whole minute; "" for a station without a time (0).
std::string station_time_label(int32_t seconds);

/// Plans never draw more points than this, whatever the route length.
constexpr size_t kMaxPlanPoints = 3000;

/// One SVG document: the plan view with kilometre ticks and station names,
/// and below it, on one kilometre axis, the gradient, speed (with
/// slow-downs) and adhesion profiles and rows of marks for signals, speed
/// boards, text boards, stations with their times and abbattimento points.
/// Labels and ticks are thinned so that they never pile up.
std::string route_svg(const RouteFiles& route);

struct DrawRequest {
  std::string dir;
  std::string output;
  std::string scenario_name;  // empty: guessed from the files in `dir`
  std::string train_code;
};

/// Finds and reads the compiled files in req.dir and writes the picture
/// (to `out` alone when req.output is "-"). Returns 0, 64 when the names cannot be guessed, 65 for
/// a refused file, 66 for a missing one, 73 when the picture cannot be written.
int run_draw(const DrawRequest& req, std::ostream& out, std::ostream& err);

}  // namespace scenario::tools
