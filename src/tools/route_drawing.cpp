#include "tools/route_drawing.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/file_system.h"
#include "platform/host_path.h"
#include "tools/inspect.h"
#include "tools/text_encoding.h"

namespace scenario::tools {
namespace {

constexpr double kWidth = 1400;
constexpr double kLeft = 120;
constexpr double kTitleX = 10;
constexpr double kRight = 30;
constexpr double kPlotWidth = kWidth - kLeft - kRight;
constexpr double kCharWidth = 7.0;  // of the 11 px sans-serif labels, capitals included
constexpr double kLabelHeight = 12;
// The plan's colours from the start of the route to its end.
constexpr const char* kPlanRamp[] = {"#1f4e99", "#2874a6", "#138d75", "#28b463",
                                     "#b7950b", "#ca6f1e", "#c0392b", "#922b21"};

std::string num(double v) { return fmt::format("{:.1f}", v); }

std::string km_text(int64_t metres) {
  if (metres % 1000 == 0) return fmt::format("{} km", metres / 1000);
  return fmt::format("{:.1f} km", static_cast<double>(metres) / 1000.0);
}

// A tick spacing from a 1-2-5 series that gives at most `max_ticks` ticks
// over `length_m`.
int64_t tick_step(double length_m, double max_ticks) {
  static constexpr int64_t kSteps[] = {500,   1000,   2000,   5000,   10000,  20000,  25000,
                                       50000, 100000, 200000, 250000, 500000, 1000000};
  for (const int64_t s : kSteps) {
    if (length_m / static_cast<double>(s) <= max_ticks) return s;
  }
  return 1000000;
}

struct Box {
  double x0, y0, x1, y1;
};

// Greedy label placement: a label that would overlap one already placed is
// left out, which is what keeps a 1000 km route readable.
class Labels {
 public:
  bool place(const Box& b) {
    for (const Box& o : boxes_) {
      if (b.x0 < o.x1 && o.x0 < b.x1 && b.y0 < o.y1 && o.y0 < b.y1) return false;
    }
    boxes_.push_back(b);
    return true;
  }

 private:
  std::vector<Box> boxes_;
};

double text_width(const std::string& s) { return static_cast<double>(s.size()) * kCharWidth; }

class Svg {
 public:
  void line(double x0, double y0, double x1, double y1, const char* stroke, double width) {
    body_ += "<line x1=\"" + num(x0) + "\" y1=\"" + num(y0) + "\" x2=\"" + num(x1) + "\" y2=\"" +
             num(y1) + "\" stroke=\"" + stroke + "\" stroke-width=\"" + num(width) + "\"/>\n";
  }
  void rect(double x, double y, double w, double h, const char* fill, const char* stroke) {
    body_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(std::max(w, 0.5)) +
             "\" height=\"" + num(h) + "\" fill=\"" + fill + "\" stroke=\"" + stroke + "\"/>\n";
  }
  void circle(double x, double y, double r, const char* fill) {
    body_ += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(r) + "\" fill=\"" +
             fill + "\"/>\n";
  }
  // Every text drawn comes from the compiled files, one byte per character.
  void text(double x, double y, const std::string& raw_cp1252, const char* anchor = "start",
            const char* extra = "") {
    body_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" + anchor + "\"" +
             extra + ">" + xml_text(raw_cp1252) + "</text>\n";
  }
  void polyline(const std::vector<std::pair<double, double>>& pts, const char* stroke,
                double width) {
    if (pts.size() < 2) return;
    body_ += "<polyline fill=\"none\" stroke=\"" + std::string(stroke) + "\" stroke-width=\"" +
             num(width) + "\" stroke-linejoin=\"round\" points=\"";
    for (size_t i = 0; i < pts.size(); ++i) {
      if (i != 0) body_ += ' ';
      body_ += num(pts[i].first) + "," + num(pts[i].second);
    }
    body_ += "\"/>\n";
  }
  void raw(const std::string& s) { body_ += s; }

  std::string document(double height) const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           num(kWidth) + "\" height=\"" + num(height) + "\" viewBox=\"0 0 " + num(kWidth) + " " +
           num(height) +
           "\" font-family=\"sans-serif\" font-size=\"11\">\n"
           "<rect x=\"0\" y=\"0\" width=\"" +
           num(kWidth) + "\" height=\"" + num(height) + "\" fill=\"white\"/>\n" + body_ +
           "</svg>\n";
  }

 private:
  std::string body_;
};

struct Station {
  int64_t position_m;
  int64_t area_start_m;
  int64_t area_end_m;
  std::string label;  // name and time, code page 1252
};

std::vector<Station> stations_of(const StationTable& table) {
  std::vector<Station> out;
  for (int s = 1; s < kProgressiveTreSlot; ++s) {
    const StationRecord& r = table[static_cast<size_t>(s)];
    if (!slot_in_use(r) || slot_role(s, r) != "station") continue;
    std::string label = r.name;
    const std::string clock = station_time_label(r.time_s);
    if (!clock.empty()) label += " " + clock;
    out.push_back({r.position_m, r.area_start_m, r.area_end_m, label});
  }
  return out;
}

// The plan's points, metre by metre, for looking up where a position lies.
struct PlanPoints {
  std::vector<int64_t> metre;
  std::vector<double> x, y;

  // The last point at or before `m`; the first point before the plan starts.
  size_t index_at(int64_t m) const {
    const auto it = std::upper_bound(metre.begin(), metre.end(), m);
    return it == metre.begin() ? 0 : static_cast<size_t>(it - metre.begin() - 1);
  }
};

PlanPoints plan_points(const PlanFile& plan, int64_t last_m) {
  PlanPoints p;
  const size_t rows = std::min(plan.x.size(), static_cast<size_t>(last_m) + 1);
  for (size_t m = 0; m < rows; ++m) {
    if (plan.x[m].tag == PlanValue::Tag::kEmpty) continue;
    const double x = plan.x[m].as_real(), y = plan.y[m].as_real();
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    p.metre.push_back(static_cast<int64_t>(m));
    p.x.push_back(x);
    p.y.push_back(y);
  }
  return p;
}

class Drawing {
 public:
  explicit Drawing(const RouteFiles& route) : route_(route) {
    const int64_t last_cell_m = cell_start_m(static_cast<int64_t>(route.cells.size()) - 1);
    int64_t length = route.stations[kTrainValuesSlot].area_end_m;
    if (length <= 0 || length > last_cell_m)
      length = std::max<int64_t>(last_cell_m - CellGrid::kMarginM, 0);
    stations_ = stations_of(route.stations);
    for (const Station& s : stations_) {
      if (s.position_m <= last_cell_m) length = std::max(length, s.position_m);
    }
    axis_end_m_ = std::max<int64_t>(length, 1000);
  }

  std::string svg() {
    svg_.text(kLeft, 28, route_.title, "start", " font-size=\"16\" font-weight=\"bold\"");
    double y = 44;
    if (route_.plan) {
      y = plan_view(y) + 30;
    } else {
      svg_.text(kLeft, y + 14, "no line plan file: plan view left out");
      y += 34;
    }
    const double profiles_top = y;
    y = step_profile(y, 110, "gradient", gradient, "#7a4a00", true) + 14;
    y = speed_profile(y, 140) + 14;
    y = step_profile(y, 70, "adhesion", adhesion, "#2b7a2b", false) + 14;
    y = marks(y);
    y = axis(profiles_top, y);
    return svg_.document(y + 16);
  }

 private:
  double mx(double metres) const {
    return kLeft + std::clamp(metres, 0.0, static_cast<double>(axis_end_m_)) /
                       static_cast<double>(axis_end_m_) * kPlotWidth;
  }

  // Where the plan's points land in the picture: one scale for both axes,
  // so that curves keep their shape.
  struct PlanFrame {
    double scale, off_x, off_y, min_x, max_y, span_x, span_y;
    double x(double v) const { return off_x + (v - min_x) * scale; }
    double y(double v) const { return off_y + (max_y - v) * scale; }
  };

  static PlanFrame plan_frame(const PlanPoints& pts, double top, double height, double pad) {
    const auto [min_x, max_x] = std::minmax_element(pts.x.begin(), pts.x.end());
    const auto [min_y, max_y] = std::minmax_element(pts.y.begin(), pts.y.end());
    const double span_x = std::max(*max_x - *min_x, 1e-9);
    const double span_y = std::max(*max_y - *min_y, 1e-9);
    const double scale = std::min((kPlotWidth - 2 * pad) / span_x, (height - 2 * pad) / span_y);
    return {scale,
            kLeft + (kPlotWidth - span_x * scale) / 2,
            top + (height - span_y * scale) / 2,
            *min_x,
            *max_y,
            span_x,
            span_y};
  }

  double plan_view(double top) {
    // The margin beyond the route is no part of the line.
    const PlanPoints pts = plan_points(*route_.plan, axis_end_m_);
    constexpr double kHeight = 560;
    svg_.rect(kLeft, top, kPlotWidth, kHeight, "#fbfbf8", "#cccccc");
    svg_.text(kTitleX, top + 14, "plan", "start", " font-weight=\"bold\"");
    if (pts.metre.size() < 2) {
      svg_.text(kLeft + 10, top + 20, "the line plan holds no points");
      return top + kHeight;
    }
    const PlanFrame f = plan_frame(pts, top, kHeight, 50);
    plan_line(pts, f);
    plan_legend(f, top, kHeight);
    const size_t unlabelled = plan_labels(pts, f);
    if (unlabelled != 0) {
      svg_.text(kLeft, top + kHeight + 16, unlabelled_note(unlabelled, "on the plan"), "start",
                kNoteStyle);
    }
    return top + kHeight;
  }

  static constexpr const char* kNoteStyle = " fill=\"#c0392b\" font-style=\"italic\"";

  // A station name that finds no room is counted, never dropped silently.
  std::string unlabelled_note(size_t unlabelled, const char* where) const {
    return fmt::format(
        "{} of {} station names not labelled {} for want of room; `scenario_tool preview` "
        "shows them all",
        unlabelled, stations_.size(), where);
  }

  // The line in colours running from the start to the end of the route: a
  // long route crosses itself many times, and only the colour tells which
  // strand leads where.
  void plan_line(const PlanPoints& pts, const PlanFrame& f) {
    constexpr size_t kColours = std::size(kPlanRamp);
    const size_t n = pts.metre.size();
    const size_t stride = (n + kMaxPlanPoints - 2) / (kMaxPlanPoints - 1);
    std::vector<size_t> picked;
    for (size_t i = 0; i < n; i += stride) picked.push_back(i);
    if (picked.back() != n - 1) picked.push_back(n - 1);
    for (size_t c = 0; c < kColours; ++c) {
      const size_t from = picked.size() * c / kColours;
      const size_t to = std::min(picked.size() - 1, picked.size() * (c + 1) / kColours);
      std::vector<std::pair<double, double>> line;
      for (size_t k = from; k <= to; ++k) {
        line.emplace_back(f.x(pts.x[picked[k]]), f.y(pts.y[picked[k]]));
      }
      svg_.polyline(line, kPlanRamp[c], 2);
    }
  }

  void plan_legend(const PlanFrame& f, double top, double height) {
    // Scale bar: the equal scale is only worth something when it is shown.
    const int64_t bar_m = tick_step(std::max(f.span_x, f.span_y), 8);
    const double bar_px = static_cast<double>(bar_m) * f.scale;
    if (bar_px < kPlotWidth / 2) {
      svg_.line(kLeft + 20, top + height - 20, kLeft + 20 + bar_px, top + height - 20, "#555555",
                2);
      svg_.text(kLeft + 20, top + height - 26, "scale: " + km_text(bar_m));
    }
    const std::string first = std::string(" fill=\"") + kPlanRamp[0] + "\" font-size=\"10\"";
    const std::string last =
        std::string(" fill=\"") + kPlanRamp[std::size(kPlanRamp) - 1] + "\" font-size=\"10\"";
    svg_.text(kLeft + kPlotWidth - 40, top + height - 12, "start", "end", first.c_str());
    svg_.text(kLeft + kPlotWidth - 10, top + height - 12, "end", "end", last.c_str());
  }

  // Station names and kilometre labels on the plan; returns how many
  // station names found no room.
  size_t plan_labels(const PlanPoints& pts, const PlanFrame& f) {
    Labels labels;
    size_t unlabelled = 0;
    // Stations first: their names matter more than the kilometre labels.
    for (const Station& s : stations_) {
      const size_t i = pts.index_at(s.position_m);
      const double x = f.x(pts.x[i]), y = f.y(pts.y[i]);
      svg_.circle(x, y, 4.5, "#c0392b");
      const double w = text_width(s.label);
      // Beside the dot, then above and below it, then at its corners.
      const Box candidates[] = {
          {x + 8, y - 5, x + 8 + w, y + 7},      {x - 8 - w, y - 5, x - 8, y + 7},
          {x - w / 2, y - 20, x + w / 2, y - 8}, {x - w / 2, y + 9, x + w / 2, y + 21},
          {x + 6, y - 19, x + 6 + w, y - 7},     {x - 6 - w, y - 19, x - 6, y - 7},
          {x + 6, y + 7, x + 6 + w, y + 19},     {x - 6 - w, y + 7, x - 6, y + 19}};
      bool placed = false;
      for (const Box& b : candidates) {
        if (b.x0 < kLeft || b.x1 > kLeft + kPlotWidth) continue;
        if (labels.place(b)) {
          svg_.text(b.x0, b.y1 - 2, s.label, "start", " fill=\"#c0392b\"");
          placed = true;
          break;
        }
      }
      if (!placed) ++unlabelled;
    }
    const int64_t step = tick_step(static_cast<double>(axis_end_m_), 30);
    for (int64_t m = 0; m <= axis_end_m_; m += step) {
      const size_t i = pts.index_at(m);
      const double x = f.x(pts.x[i]), y = f.y(pts.y[i]);
      svg_.circle(x, y, 2.5, "#1f4e99");
      const std::string t = km_text(m);
      const double w = text_width(t);
      const Box candidates[] = {{x - 6 - w, y - 14, x - 6, y - 2},
                                {x + 6, y + 2, x + 6 + w, y + 14}};
      for (const Box& b : candidates) {
        if (labels.place(b)) {
          svg_.text(b.x0, b.y1 - 2, t, "start", " fill=\"#1f4e99\"");
          break;
        }
      }
    }
    return unlabelled;
  }

  struct Scale {
    double top, height, lo, hi;
    double y(double v) const { return top + height - (v - lo) / (hi - lo) * height; }
  };

  Scale panel(double top, double height, const std::string& title, double lo, double hi,
              const std::string& unit) {
    if (hi <= lo) hi = lo + 1;
    svg_.rect(kLeft, top, kPlotWidth, height, "#fbfbf8", "#cccccc");
    svg_.text(kTitleX, top + 14, title, "start", " font-weight=\"bold\"");
    svg_.text(kTitleX, top + 28, unit, "start", " fill=\"#666666\"");
    svg_.text(kLeft - 4, top + 10, fmt::format("{:g}", hi), "end",
              " fill=\"#666666\" font-size=\"9\"");
    svg_.text(kLeft - 4, top + height, fmt::format("{:g}", lo), "end",
              " fill=\"#666666\" font-size=\"9\"");
    return {top, height, lo, hi};
  }

  std::vector<std::pair<double, double>> steps(const std::vector<Run>& runs, const Scale& sc) {
    std::vector<std::pair<double, double>> pts;
    for (const Run& r : runs) {
      const double from = static_cast<double>(cell_start_m(r.first));
      if (from > static_cast<double>(axis_end_m_)) break;
      const double to = static_cast<double>(cell_start_m(r.last + 1));
      pts.emplace_back(mx(from), sc.y(r.value));
      pts.emplace_back(mx(to), sc.y(r.value));
    }
    return pts;
  }

  std::vector<Run> runs_within(const std::function<int(const TrackCell&)>& value) const {
    std::vector<Run> runs = runs_of(route_.cells, value);
    const int64_t last = axis_end_m_ / kCellLengthM;
    while (!runs.empty() && runs.back().first > last) runs.pop_back();
    if (!runs.empty()) runs.back().last = std::min(runs.back().last, last);
    return runs;
  }

  double step_profile(double top, double height, const std::string& title,
                      const std::function<int(const TrackCell&)>& value, const char* colour,
                      bool zero_line) {
    const std::vector<Run> runs = runs_within(value);
    int lo = 0, hi = 0;
    for (const Run& r : runs) {
      lo = std::min(lo, r.value);
      hi = std::max(hi, r.value);
    }
    const Scale sc = panel(top, height, title, lo, hi, zero_line ? "per mille" : "");
    if (zero_line && lo < 0) svg_.line(kLeft, sc.y(0), kLeft + kPlotWidth, sc.y(0), "#bbbbbb", 1);
    svg_.polyline(steps(runs, sc), colour, 1.5);
    return top + height;
  }

  double speed_profile(double top, double height) {
    const std::vector<Run> runs = runs_within(speed_kmh);
    int hi = 0;
    for (const Run& r : runs) hi = std::max(hi, r.value);
    struct SlowDown {
      int64_t start, end;
      int speed;
    };
    std::vector<SlowDown> slow;
    const auto& cells = route_.cells;
    for (size_t i = 0; i < cells.size(); ++i) {
      if (cells[i].kind != kSlowDownStart) continue;
      size_t e = i;
      for (size_t j = i + 1; j < cells.size(); ++j) {
        if (cells[j].kind == kSlowDownEnd) {
          e = j;
          break;
        }
      }
      slow.push_back({static_cast<int64_t>(i), static_cast<int64_t>(e), cells[i].value1});
      hi = std::max(hi, int{cells[i].value1});
    }
    const Scale sc = panel(top, height, "speed", 0, hi + 10, "km/h");
    svg_.polyline(steps(runs, sc), "#1f4e99", 1.5);
    Labels labels;
    for (const SlowDown& s : slow) {
      const double x0 = mx(static_cast<double>(cell_start_m(s.start)));
      // A short slow-down still gets a visible bar.
      const double x1 = std::max(mx(static_cast<double>(cell_start_m(s.end))), x0 + 4);
      const double y = sc.y(s.speed);
      svg_.line(x0, y, x1, y, "#c0392b", 4);
      const std::string t = std::to_string(s.speed);
      const Box b{x0 - 2, y - 18, x0 + text_width(t), y - 6};
      if (labels.place(b)) svg_.text(x0, y - 8, t, "start", " fill=\"#c0392b\" font-size=\"9\"");
    }
    for (size_t i = 0; i < cells.size(); ++i) {
      if (cells[i].kind != kSlowDownWarning) continue;
      const double x = mx(static_cast<double>(cell_start_m(static_cast<int64_t>(i)))),
                   y = sc.y(cells[i].value1);
      svg_.raw("<path d=\"M" + num(x) + "," + num(y - 9) + " l-4,7 l8,0 z\" fill=\"#e67e22\"/>\n");
    }
    svg_.text(kLeft + kPlotWidth - 4, top + 12,
              "line speed (blue), slow-downs (red), warning boards (orange)", "end",
              " fill=\"#666666\" font-size=\"9\"");
    return top + height;
  }

  // One row of ticks for the cells whose kind passes `select`.
  void tick_row(double top, double height, const std::string& title,
                const std::function<bool(const TrackCell&)>& select, const char* colour) {
    svg_.text(kTitleX, top + height / 2 + 4, title);
    svg_.line(kLeft, top + height, kLeft + kPlotWidth, top + height, "#eeeeee", 1);
    double last_x = -1;
    for (size_t i = 0; i < route_.cells.size(); ++i) {
      if (!select(route_.cells[i])) continue;
      const double metres = static_cast<double>(cell_start_m(static_cast<int64_t>(i)));
      if (metres > static_cast<double>(axis_end_m_)) break;
      // Ticks closer than a third of a pixel would only be drawn over each other.
      const double x = mx(metres);
      if (x - last_x < 0.34) continue;
      last_x = x;
      svg_.line(x, top + 3, x, top + height - 3, colour, 1);
    }
  }

  double marks(double top) {
    constexpr double kRow = 22;
    double y = top;
    tick_row(
        y, kRow, "signals", [](const TrackCell& c) { return c.kind == kSignal; }, "#1e8449");
    y += kRow;
    tick_row(
        y, kRow, "speed boards", [](const TrackCell& c) { return c.kind == kSpeedBoard; },
        "#1f4e99");
    y += kRow;
    tick_row(
        y, kRow, "abbattimento",
        [](const TrackCell& c) {
          return c.kind == kPointWithSpeed || c.kind == kPointWithoutSpeed;
        },
        "#8e44ad");
    y += kRow;

    tick_row(
        y, kRow, "text boards", [](const TrackCell& c) { return c.kind == kTextBoard; }, "#7f8c8d");
    y += kRow;
    y = text_board_labels(y);
    return station_row(y, kRow);
  }

  // Text boards with their texts, one lane of labels.
  double text_board_labels(double y) {
    const auto& cells = route_.cells;
    Labels labels;
    for (size_t i = 0; i < cells.size(); ++i) {
      if (cells[i].kind != kTextBoard) continue;
      const int slot = cells[i].value1;
      if (slot < 0 || slot >= kStationSlots) continue;
      const double metres = static_cast<double>(cell_start_m(static_cast<int64_t>(i)));
      if (metres > static_cast<double>(axis_end_m_)) break;
      const std::string& t = route_.stations[static_cast<size_t>(slot)].name;
      const double x = mx(metres);
      const double w = text_width(t);
      const bool leftwards = x + w > kLeft + kPlotWidth;
      const Box b = leftwards ? Box{x - w, y, x + 2, y + kLabelHeight}
                              : Box{x - 2, y, x + w, y + kLabelHeight};
      if (labels.place(b)) {
        svg_.text(x, y + 10, t, leftwards ? "end" : "start", " fill=\"#7f8c8d\" font-size=\"10\"");
      }
    }
    return y + kLabelHeight + 4;
  }

  // Stations: areas as bands, positions as ticks, names and times over as
  // many lanes as a crowded route needs (up to kMaxLanes); a name that still
  // finds no room is counted in a note, never dropped silently.
  double station_row(double y, double row) {
    svg_.text(kTitleX, y + row / 2 + 4, "stations");
    for (const Station& s : stations_) {
      const double x0 = mx(static_cast<double>(s.area_start_m));
      const double x1 = mx(static_cast<double>(s.area_end_m));
      if (x1 > x0) svg_.rect(x0, y + 4, x1 - x0, row - 8, "#f5d5d0", "none");
      const double x = mx(static_cast<double>(s.position_m));
      svg_.line(x, y + 2, x, y + row - 2, "#c0392b", 2);
    }
    y += row;
    constexpr int kMaxLanes = 6;
    int lanes_used = 0;
    size_t unlabelled = 0;
    Labels labels;
    for (const Station& s : stations_) {
      const double x = mx(static_cast<double>(s.position_m));
      const double w = text_width(s.label);
      // Near the right edge a label runs leftwards from its tick.
      const bool leftwards = x + w > kLeft + kPlotWidth;
      bool placed = false;
      for (int lane = 0; lane < kMaxLanes && !placed; ++lane) {
        const double ly = y + 2 + lane * (kLabelHeight + 2);
        const Box b = leftwards ? Box{x - w - 4, ly, x + 2, ly + kLabelHeight}
                                : Box{x - 2, ly, x + w + 4, ly + kLabelHeight};
        if (!labels.place(b)) continue;
        svg_.line(x, y - 2, x, ly + 2, "#e6b0aa", 1);
        svg_.text(leftwards ? x - 1 : x + 1, ly + 10, s.label, leftwards ? "end" : "start",
                  " fill=\"#c0392b\"");
        lanes_used = std::max(lanes_used, lane + 1);
        placed = true;
      }
      if (!placed) ++unlabelled;
    }
    y += std::max(lanes_used, 1) * (kLabelHeight + 2) + 6;
    if (unlabelled != 0) {
      svg_.text(kLeft, y + 10, unlabelled_note(unlabelled, "in this row"), "start", kNoteStyle);
      y += kLabelHeight + 6;
    }
    return y;
  }

  double axis(double top, double bottom) {
    const int64_t major = tick_step(static_cast<double>(axis_end_m_), kPlotWidth / 75);
    const int64_t minor = major / 5 >= 100 ? major / 5 : major;
    for (int64_t m = 0; m <= axis_end_m_; m += minor) {
      const double x = mx(static_cast<double>(m));
      const bool is_major = m % major == 0;
      if (is_major) svg_.line(x, top, x, bottom, "#e8e8e8", 1);
      svg_.line(x, bottom, x, bottom + (is_major ? 7 : 4), "#555555", 1);
      if (is_major) svg_.text(x, bottom + 20, km_text(m), "middle");
    }
    svg_.line(kLeft, bottom, kLeft + kPlotWidth, bottom, "#555555", 1);
    svg_.text(kTitleX, bottom + 20, "route", "start", " font-weight=\"bold\"");
    return bottom + 26;
  }

  const RouteFiles& route_;
  std::vector<Station> stations_;
  int64_t axis_end_m_ = 1000;
  Svg svg_;
};

}  // namespace

std::string station_time_label(int32_t seconds) {
  if (seconds <= 0) return "";
  std::string text = clock_text(seconds);
  if (seconds % 60 == 0) text.resize(text.size() - 3);
  return text;
}

std::string route_svg(const RouteFiles& route) {
  if (route.cells.empty()) return Svg().document(20);
  return Drawing(route).svg();
}

namespace {

// The pair <scenario>_<train>.sim / .dat names one compiled scenario: the
// one the names give, else the only one in `dir`. Empty (and a message on
// `err`) when there is none or more than one.
std::string find_stem(const DrawRequest& req, const std::string& dir, std::ostream& err) {
  if (!req.scenario_name.empty() && !req.train_code.empty()) {
    return req.scenario_name + "_" + req.train_code;
  }
  std::vector<std::string> found;
  // Through the host layer: on Windows, std::filesystem would read the
  // folder's UTF-8 name in the ANSI code page and refuse a long path.
  for (const std::string& name : host_directory_names(dir)) {
    if (!name.ends_with(".sim") || host_entry(dir + "/" + name) != HostEntry::kFile) continue;
    const std::string s = name.substr(0, name.size() - 4);
    if (host_entry(dir + "/" + s + ".dat") != HostEntry::kFile) continue;
    if (!req.scenario_name.empty() && !s.starts_with(req.scenario_name + "_")) continue;
    if (!req.train_code.empty() && !s.ends_with("_" + req.train_code)) continue;
    found.push_back(s);
  }
  std::sort(found.begin(), found.end());
  if (found.empty()) {
    err << "scenario_tool: no compiled scenario (a .sim file with its .dat) in '" << dir << "'\n";
    return "";
  }
  if (found.size() > 1) {
    err << "scenario_tool: '" << dir << "' holds several compiled scenarios:";
    for (const std::string& s : found) err << " " << s;
    err << "; choose one with --scenario and --train\n";
    return "";
  }
  return found.front();
}

// The scenario and train names, for the title and the line plan's file:
// the options' names, else the train file's own slots when they give the
// stem, else the stem split at its last "_".
std::pair<std::string, std::string> scenario_and_train(const DrawRequest& req,
                                                       const std::string& stem,
                                                       const StationTable& stations) {
  std::string scenario = req.scenario_name;
  std::string train = req.train_code;
  const std::string& slot_scenario = stations[kScenarioSlot].name;
  const std::string& slot_train = stations[kTrainSlot].name;
  if (scenario.empty() && !slot_scenario.empty() && stem == slot_scenario + "_" + slot_train) {
    scenario = slot_scenario;
  }
  if (scenario.empty()) {
    scenario = !train.empty() ? stem.substr(0, stem.size() - train.size() - 1)
                              : stem.substr(0, stem.rfind('_'));
  }
  if (train.empty()) train = stem.substr(scenario.size() + 1);
  return {scenario, train};
}

// Reads one compiled file with `parse`; 0, or the exit status.
template <typename Parse>
int read_compiled(const char* what, const std::string& path, Parse parse, std::ostream& err) {
  std::string bytes, why;
  if (!read_from_disk(what, path, &bytes, err)) return kExitNoInput;
  if (!parse(bytes, &why)) {
    err << "scenario_tool: " << path << ": " << why << "\n";
    return kExitBadData;
  }
  return 0;
}

// The compiled files of `stem` in `dir`: the train file, the cell grid and,
// when there is one, the line plan. 0, or the exit status.
int read_route(const DrawRequest& req, const std::string& dir, const std::string& stem,
               RouteFiles* route, std::ostream& err) {
  int status = read_compiled(
      "train file", dir + "/" + stem + ".sim",
      [&](const std::string& b, std::string* why) {
        return parse_train_file(b, &route->stations, why);
      },
      err);
  if (status == 0) {
    status = read_compiled(
        "cell grid file", dir + "/" + stem + ".dat",
        [&](const std::string& b, std::string* why) {
          return parse_cell_grid(b, &route->cells, why);
        },
        err);
  }
  if (status != 0) return status;
  const auto [scenario, train] = scenario_and_train(req, stem, route->stations);
  route->title = scenario + " / " + train;
  const std::string plan_path = dir + "/" + scenario + "_linea.dat";
  if (host_entry(plan_path) != HostEntry::kFile) return 0;
  PlanFile plan;
  status = read_compiled(
      "line plan file", plan_path,
      [&](const std::string& b, std::string* why) { return parse_line_plan(b, &plan, why); }, err);
  if (status == 0) route->plan = std::move(plan);
  return status;
}

}  // namespace

int run_draw(const DrawRequest& req, std::ostream& out, std::ostream& err) {
  if (host_entry(req.dir) != HostEntry::kDirectory) {
    err << "scenario_tool: '" << req.dir << "' is not a directory\n";
    return kExitNoInput;
  }
  const std::string dir = without_trailing_separators(req.dir);
  const std::string stem = find_stem(req, dir, err);
  if (stem.empty()) return kExitUsage;
  RouteFiles route;
  if (const int status = read_route(req, dir, stem, &route, err); status != 0) return status;

  const std::string svg = route_svg(route);
  // "-o -": the picture alone on standard output, for a pipe.
  if (req.output == "-") {
    out << svg;
    return out ? 0 : kExitCannotCreate;
  }
  try {
    DiskFileSystem().replace_file(req.output, svg);
  } catch (const FileError& e) {
    err << "scenario_tool: " << e.what() << "\n";
    return kExitCannotCreate;
  }
  out << "drew " << route.title << " into " << req.output
      << (route.plan ? "" : " (no line plan file: plan view left out)") << "\n";
  return 0;
}

}  // namespace scenario::tools
