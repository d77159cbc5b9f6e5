#include "tools/inspect.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include <nlohmann/json.hpp>

#include "platform/file_system.h"
#include "tools/text_encoding.h"

namespace scenario::tools {
namespace {

using Json = nlohmann::ordered_json;

template <typename... Args>
std::string format(const char* fmt, Args... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, fmt, args...);
  return buffer;
}

std::string clock_text(int32_t seconds) {
  if (seconds <= 0) return "";
  return format("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// A CSV field: quoted when it holds a separator, a quote or a line end.
std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (const char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

struct Profile {
  const char* key;
  const char* title;
  std::function<int(const TrackCell&)> value;
  bool skip_zero;
};

std::vector<Profile> profiles() {
  return {
      {"speed_kmh", "speed (km/h)", speed_kmh, false},
      {"gradient", "gradient", gradient, false},
      {"adhesion", "adhesion", adhesion, false},
      {"montagna_type", "montagna type", [](const TrackCell& c) { return int{c.montagna_type}; },
       true},
  };
}

Json cell_json(size_t i, const TrackCell& c) {
  return Json{{"index", i},
              {"metres", i * 50},
              {"kind", c.kind},
              {"kind_name", kind_name(c.kind)},
              {"value1", c.value1},
              {"value2", c.value2},
              {"value3", c.value3},
              {"value4", c.value4},
              {"signal_time", c.signal_time},
              {"approach_code", c.approach_code},
              {"montagna_type", c.montagna_type}};
}

// The named values of the fixed slots, so that nobody has to remember which
// record field carries what.
std::vector<std::pair<std::string, int64_t>> slot_meaning(int slot, const StationRecord& r) {
  switch (slot) {
    case kProgressiveTreSlot:
    case kProgressiveDueSlot:
    case kProgressiveUnoSlot:
      return {{"first", r.area_start_m}, {"second", r.area_end_m}, {"third", r.position_m}};
    case kTrainValuesSlot:
      return {{"braked_weight_percent", r.area_start_m},
              {"route_length_m", r.area_end_m},
              {"coaches", r.position_m}};
    case kScenarioSlot:
      return {{"background_1", r.area_start_m},
              {"background_2", r.position_m},
              {"background_3", r.area_end_m},
              {"marker", r.group_a1},
              {"check_code", r.time_s}};
    case kTrainSlot:
      return {{"repetition_first_m", r.area_start_m},
              {"repetition_second_m", r.area_end_m},
              {"repetition_code", r.position_m},
              {"sand", r.group_a1},
              {"clock_hours", r.group_b1},
              {"clock_minutes", r.group_b2},
              {"clock_seconds", r.group_b3}};
    default:
      return {};
  }
}

Json slot_json(int slot, const StationRecord& r) {
  Json j{{"slot", slot},
         {"role", slot_role(slot, r)},
         {"station_kind", r.station_kind},
         {"area_start_m", r.area_start_m},
         {"area_end_m", r.area_end_m},
         {"position_m", r.position_m},
         {"flag_a", r.flag_a},
         {"name", cp1252_to_utf8(r.name)},
         {"group_a1", r.group_a1},
         {"group_a2", r.group_a2},
         {"group_b1", r.group_b1},
         {"group_b2", r.group_b2},
         {"group_b3", r.group_b3},
         {"group_a3", r.group_a3},
         {"stop_value", r.stop_value},
         {"end_extension", r.end_extension},
         {"long_flag", r.long_flag},
         {"time_s", r.time_s}};
  const auto meaning = slot_meaning(slot, r);
  if (!meaning.empty()) {
    Json m = Json::object();
    for (const auto& [key, value] : meaning) m[key] = value;
    j["meaning"] = m;
  }
  return j;
}

}  // namespace

void print_cell_grid(std::string_view name, const std::vector<TrackCell>& cells,
                     OutputStyle style, std::ostream& out) {
  const size_t last = cells.size() - 1;
  if (style == OutputStyle::kCsv) {
    out << "index,metres,kind,kind_name,value1,value2,value3,value4,signal_time,approach_code,"
           "montagna_type,speed_kmh,gradient,adhesion\n";
    for (size_t i = 0; i < cells.size(); ++i) {
      const TrackCell& c = cells[i];
      out << i << ',' << i * 50 << ',' << int{c.kind} << ',' << csv_field(kind_name(c.kind)) << ','
          << c.value1 << ',' << c.value2 << ',' << c.value3 << ',' << c.value4 << ','
          << int{c.signal_time} << ',' << int{c.approach_code} << ',' << int{c.montagna_type}
          << ',' << speed_kmh(c) << ',' << gradient(c) << ',' << adhesion(c) << '\n';
    }
    return;
  }
  if (style == OutputStyle::kJson) {
    Json j{{"file", cp1252_to_utf8(name)},
           {"format", "cell grid"},
           {"cells", cells.size()},
           {"last_index", last},
           {"cells_in_use", Json::array()}};
    for (size_t i = 0; i < cells.size(); ++i) {
      if (cell_in_use(cells[i])) j["cells_in_use"].push_back(cell_json(i, cells[i]));
    }
    for (const Profile& p : profiles()) {
      Json runs = Json::array();
      for (const Run& r : runs_of(cells, p.value)) {
        if (p.skip_zero && r.value == 0) continue;
        runs.push_back({{"first_cell", r.first},
                        {"last_cell", r.last},
                        {"from_m", r.first * 50},
                        {"to_m", r.last * 50},
                        {"value", r.value}});
      }
      j[p.key] = runs;
    }
    out << j.dump(2) << '\n';
    return;
  }

  size_t in_use = 0;
  for (const TrackCell& c : cells) in_use += cell_in_use(c) ? 1 : 0;
  out << name << ": cell grid of " << cells.size() << " cells (0 .. " << last << "), metres 0 .. "
      << last * 50 << "\n\n";
  out << "cells in use: " << in_use << "\n";
  out << format("%7s %8s  %-32s %6s %6s %6s %6s %5s %8s %8s\n", "index", "metres", "kind",
                "value1", "value2", "value3", "value4", "time", "approach", "montagna");
  for (size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (!cell_in_use(c)) continue;
    out << format("%7zu %8zu  %-32s %6d %6d %6d %6d %5d %8d %8d\n", i, i * 50,
                  kind_name(c.kind).c_str(), c.value1, c.value2, c.value3, c.value4,
                  c.signal_time, c.approach_code, c.montagna_type);
  }
  for (const Profile& p : profiles()) {
    const std::vector<Run> runs = runs_of(cells, p.value);
    out << "\n" << p.title << ":\n";
    for (const Run& r : runs) {
      if (p.skip_zero && r.value == 0) continue;
      out << format("  cells %6lld .. %6lld  metres %8lld .. %8lld  %5d\n",
                    static_cast<long long>(r.first), static_cast<long long>(r.last),
                    static_cast<long long>(r.first * 50), static_cast<long long>(r.last * 50),
                    r.value);
    }
  }
}

void print_train_file(std::string_view name, const StationTable& table, OutputStyle style,
                      std::ostream& out) {
  if (style == OutputStyle::kCsv) {
    out << "slot,role,station_kind,area_start_m,area_end_m,position_m,flag_a,name,group_a1,"
           "group_a2,group_b1,group_b2,group_b3,group_a3,stop_value,end_extension,long_flag,"
           "time_s\n";
    for (int s = 0; s < kStationSlots; ++s) {
      const StationRecord& r = table[static_cast<size_t>(s)];
      if (!slot_in_use(r)) continue;
      out << s << ',' << csv_field(slot_role(s, r)) << ',' << int{r.station_kind} << ','
          << r.area_start_m << ',' << r.area_end_m << ',' << r.position_m << ',' << int{r.flag_a}
          << ',' << csv_field(cp1252_to_utf8(r.name)) << ',' << r.group_a1 << ',' << r.group_a2
          << ',' << r.group_b1 << ',' << r.group_b2 << ',' << r.group_b3 << ','
          << int{r.group_a3} << ',' << int{r.stop_value} << ',' << int{r.end_extension} << ','
          << int{r.long_flag} << ',' << r.time_s << '\n';
    }
    return;
  }
  if (style == OutputStyle::kJson) {
    Json j{{"file", cp1252_to_utf8(name)}, {"format", "train file"}, {"slots", Json::array()}};
    for (int s = 0; s < kStationSlots; ++s) {
      const StationRecord& r = table[static_cast<size_t>(s)];
      if (slot_in_use(r)) j["slots"].push_back(slot_json(s, r));
    }
    out << j.dump(2) << '\n';
    return;
  }

  size_t in_use = 0;
  for (const StationRecord& r : table) in_use += slot_in_use(r) ? 1 : 0;
  out << name << ": train file of " << kStationSlots << " slots, " << in_use << " in use\n";
  for (int s = 0; s < kStationSlots; ++s) {
    const StationRecord& r = table[static_cast<size_t>(s)];
    if (!slot_in_use(r)) continue;
    out << "\nslot " << s << " (" << slot_role(s, r) << "): name \"" << cp1252_to_utf8(r.name)
        << "\"\n";
    out << format("  station_kind %d, area_start_m %d, area_end_m %d, position_m %d, flag_a %d\n",
                  r.station_kind, r.area_start_m, r.area_end_m, r.position_m, r.flag_a);
    out << format("  group_a1 %d, group_a2 %d, group_a3 %d, group_b1 %d, group_b2 %d, group_b3 %d\n",
                  r.group_a1, r.group_a2, r.group_a3, r.group_b1, r.group_b2, r.group_b3);
    out << format("  stop_value %d, end_extension %d, long_flag %d, time_s %d", r.stop_value,
                  r.end_extension, r.long_flag, r.time_s);
    const std::string clock = clock_text(r.time_s);
    if (s < kProgressiveTreSlot && !clock.empty()) out << " (" << clock << ")";
    out << "\n";
    const auto meaning = slot_meaning(s, r);
    if (!meaning.empty()) {
      out << "  meaning:";
      const char* sep = " ";
      for (const auto& [key, value] : meaning) {
        out << sep << key << " " << value;
        sep = ", ";
      }
      out << "\n";
    }
  }
}

void print_line_plan(std::string_view name, const PlanFile& plan, OutputStyle style,
                     std::ostream& out) {
  const size_t rows = plan.x.size();
  if (style == OutputStyle::kCsv) {
    out << "metre,x,y\n";
    for (size_t m = 0; m < rows; ++m) {
      if (plan.x[m].tag == PlanValue::Tag::kEmpty) continue;
      out << m << ',' << format("%.17g", plan.x[m].as_real()) << ','
          << format("%.17g", plan.y[m].as_real()) << '\n';
    }
    return;
  }

  size_t points = 0, integers = 0;
  std::optional<size_t> first, last, before_last;
  double min_x = std::numeric_limits<double>::infinity(), max_x = -min_x;
  double min_y = min_x, max_y = -min_x;
  for (size_t m = 0; m < rows; ++m) {
    if (plan.x[m].tag == PlanValue::Tag::kEmpty) continue;
    ++points;
    if (plan.x[m].tag == PlanValue::Tag::kInteger) ++integers;
    if (!first) first = m;
    before_last = last;
    last = m;
    const double x = plan.x[m].as_real(), y = plan.y[m].as_real();
    min_x = std::min(min_x, x);
    max_x = std::max(max_x, x);
    min_y = std::min(min_y, y);
    max_y = std::max(max_y, y);
  }
  // Heading of the last step, clockwise from +y, so that a right-hand curve
  // turns it positive.
  std::optional<double> heading, step;
  if (before_last) {
    const double dx = plan.x[*last].as_real() - plan.x[*before_last].as_real();
    const double dy = plan.y[*last].as_real() - plan.y[*before_last].as_real();
    heading = std::atan2(dx, dy) * 180.0 / std::acos(-1.0);
    step = std::hypot(dx, dy);
  }

  if (style == OutputStyle::kJson) {
    Json j{{"file", cp1252_to_utf8(name)},
           {"format", "line plan"},
           {"rows", rows},
           {"points", points},
           {"integer_points", integers},
           {"real_points", points - integers},
           {"empty_rows", rows - points}};
    if (first) {
      j["first_point_m"] = *first;
      j["last_point_m"] = *last;
      j["extent"] = {{"min_x", min_x}, {"max_x", max_x}, {"min_y", min_y}, {"max_y", max_y}};
    }
    j["final_heading_deg"] = heading ? Json(*heading) : Json(nullptr);
    j["last_step_m"] = step ? Json(*step) : Json(nullptr);
    out << j.dump(2) << '\n';
    return;
  }

  out << name << ": line plan of " << rows << " rows per half (metres 0 .. " << rows - 1 << ")\n";
  out << "points: " << points;
  if (first) out << " (metres " << *first << " .. " << *last << ")";
  out << ", " << integers << " integer and " << points - integers << " real, " << rows - points
      << " empty rows\n";
  if (first) {
    out << format("extent: x %.3f .. %.3f m, y %.3f .. %.3f m\n", min_x, max_x, min_y, max_y);
  }
  if (heading) {
    out << format("final heading: %.3f degrees clockwise from +y, last step %.6f m\n", *heading,
                  *step);
  }
}

int inspect_file(const std::string& path, OutputStyle style, std::ostream& out,
                 std::ostream& err) {
  const CompiledFormat fmt = format_from_name(path);
  if (fmt == CompiledFormat::kUnknown) {
    err << "scenario_tool: cannot tell the format of '" << path
        << "' from its name: *_linea.dat is a line plan, *.sim a train file, other *.dat a cell "
           "grid\n";
    return kExitUsage;
  }
  std::string bytes;
  if (!read_from_disk("compiled file", path, &bytes, err)) return kExitNoInput;
  const std::string name = path.substr(path.find_last_of("/\\") + 1);
  std::string why;
  switch (fmt) {
    case CompiledFormat::kCellGrid: {
      std::vector<TrackCell> cells;
      if (!parse_cell_grid(bytes, &cells, &why)) break;
      print_cell_grid(name, cells, style, out);
      return 0;
    }
    case CompiledFormat::kTrainFile: {
      StationTable table{};
      if (!parse_train_file(bytes, &table, &why)) break;
      print_train_file(name, table, style, out);
      return 0;
    }
    case CompiledFormat::kLinePlan: {
      PlanFile plan;
      if (!parse_line_plan(bytes, &plan, &why)) break;
      print_line_plan(name, plan, style, out);
      return 0;
    }
    case CompiledFormat::kUnknown:
      break;
  }
  err << "scenario_tool: " << path << ": " << why << "\n";
  return kExitBadData;
}

}  // namespace scenario::tools
