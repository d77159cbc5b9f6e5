#include "tools/inspect.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <variant>

#include "model/cell_geometry.h"
#include "platform/file_system.h"
#include "tools/text_encoding.h"

namespace scenario::tools {

BoardSpeeds board_speeds(int16_t value) { return {value / 20, value % 20 * 5}; }

namespace {

using Json = nlohmann::ordered_json;

// --- The names ---------------------------------------------------------------------

constexpr InspectName kCellNames[] = {
    {"left_type", "signal (kind 1)", "(value4 remainder 10) / 3"},
    {"right_type", "signal", "(value4 remainder 10) remainder 3"},
    {"repeater", "signal", "value4 / 10"},
    {"left_aspect_1", "signal", "value1 / 10"},
    {"left_aspect_2", "signal", "value2 / 10"},
    {"left_aspect_3", "signal", "value3 / 10"},
    {"right_aspect_1", "signal", "value1 remainder 10"},
    {"right_aspect_2", "signal", "value2 remainder 10"},
    {"right_aspect_3", "signal", "value3 remainder 10"},
    {"time", "signal", "signal_time: the time of a left type 2 signal, else 0"},
    {"speed_kmh", "slow-down start, end and warning board (kinds 3, 2, 4); abbattimento point (12)",
     "value1"},
    {"second_speed", "slow-down start, end and warning board", "value2"},
    {"start_end_flag", "slow-down start and end", "value3"},
    {"step", "before warning board (kind 5)", "value1: 1 next to the warning board .. 4"},
    {"second_step", "before warning board",
     "value2: the step again when the slow-down has a second_speed, else 0"},
    {"left_speed_a_kmh", "speed indicator board (kind 6)", "value1 / 20"},
    {"left_speed_b_kmh", "speed indicator board", "value2 / 20"},
    {"left_speed_c_kmh", "speed indicator board", "value3 / 20"},
    {"left_stripes", "speed indicator board", "value4 / 10"},
    {"right_speed_a_kmh", "speed indicator board", "value1 remainder 20, times 5"},
    {"right_speed_b_kmh", "speed indicator board", "value2 remainder 20, times 5"},
    {"right_speed_c_kmh", "speed indicator board", "value3 remainder 20, times 5"},
    {"right_stripes", "speed indicator board", "value4 remainder 10"},
    {"station_slot", "station stop (kind 10)", "value1: the train file slot of the station"},
    {"text_slot", "text board (kind 14)", "value1: the train file slot that holds the text"},
    {"reserved_marker", "cell 1", "value1, 5121 after a complete build"},
    {"check_code", "cell 1", "value2, the second check code"},
    {"approach_code", "any cell before a signal or a station stop", "approach_code as stored"},
    {"approach_for", "with approach_code",
     "\"signal\" when the signal 2 * approach_step cells further on carries the same types, "
     "\"station stop\" when the stop approach_step cells further on does (codes 81 .. 84), "
     "else \"unknown\""},
    {"approach_step", "with approach_code", "approach_code remainder 10: 1 nearest .. 4"},
    {"approach_left_type", "approach_for signal", "approach_code / 10, divided by 3"},
    {"approach_right_type", "approach_for signal", "approach_code / 10, remainder 3"},
    {"approach_target_cell", "approach_for signal or station stop",
     "the cell of that signal or stop"},
    {"montagna_type", "any cell", "montagna_type of the range over the cell"},
    {"line_speed_kmh", "any cell", "speed_code * 5: the speed_kmh of the velocita rows"},
    {"gradient_per_mille", "any cell", "gradient_code - 100: the pendenza rows' gradient"},
    {"adhesion", "any cell", "adhesion_code: the aderenza rows' adhesion"},
    {"unnamed", "any cell",
     "fields that hold something the cell's kind does not explain (a damaged or foreign file), "
     "by their field names"},
};

constexpr InspectName kSlotNames[] = {
    {"name", "station (slots 1 ..); scenario (85) as scenario_name; train (86) as train_code",
     "the station's name"},
    {"text", "board text (80 downward)", "the board's text"},
    {"station_kind", "station", "the stazione row's station_kind"},
    {"area_start_m", "station", "start of the station area, laid out from its kind and length"},
    {"area_end_m", "station", "end of the station area"},
    {"position_m", "station", "the stazione row's position_m"},
    {"flag_a", "station", "as read"},
    {"long_flag", "station", "as read, 0 below 600 m and for slot 1"},
    {"end_extension", "station", "as read, 0 for kinds 5 to 8 and for slot 1"},
    {"group_a1", "station", "as read"},
    {"group_a2", "station", "as read"},
    {"group_a3", "station", "as read"},
    {"group_b1", "station", "as read"},
    {"group_b2", "station", "as read"},
    {"group_b3", "station", "as read"},
    {"stop_value", "station", "as read"},
    {"time_s", "station", "hours * 3600 + minutes * 60 + seconds of the row"},
    {"time", "station", "time_s as hh:mm:ss; empty for 0"},
    {"first_m", "kilometric progressive (81, 82, 83 after ordering)", "area_start_m"},
    {"second_m", "kilometric progressive", "area_end_m"},
    {"third", "kilometric progressive", "position_m"},
    {"braked_weight_percent", "train values (84)", "percentuale massa frenata"},
    {"route_length_m", "train values", "lunghezza percorso"},
    {"coaches", "train values", "numero vetture"},
    {"scenario_name", "scenario (85)", "the scenario name"},
    {"background_1", "scenario", "sfondo uno"},
    {"background_2", "scenario", "sfondo due"},
    {"background_3", "scenario", "sfondo tre"},
    {"marker", "scenario", "610 after a complete build"},
    {"check_code", "scenario", "the first check code"},
    {"train_code", "train (86)", "the train code"},
    {"repetition_start_m", "train", "ripetizione segnali start_m"},
    {"repetition_end_m", "train", "ripetizione segnali end_m"},
    {"repetition_codes", "train", "4 or 9 from the key, 0 without repetition"},
    {"sand", "train", "sabbia"},
    {"clock_hours", "train", "orologio"},
    {"clock_minutes", "train", "orologio"},
    {"clock_seconds", "train", "orologio"},
    {"unnamed", "any slot",
     "fields that hold something the slot's role does not explain, by their field names"},
};

constexpr InspectName kPlanNames[] = {
    {"rows", "line plan", "rows per half: one per metre, 0 .. route length + 7000"},
    {"points", "line plan", "rows that hold a point"},
    {"integer_points", "line plan", "points stored as integers (the first two)"},
    {"real_points", "line plan", "points stored as reals"},
    {"empty_rows", "line plan", "rows without a point (the last two)"},
    {"first_point_m", "line plan", "metre of the first point"},
    {"last_point_m", "line plan", "metre of the last point"},
    {"extent", "line plan", "min_x, max_x, min_y, max_y in metres"},
    {"final_heading_deg", "line plan", "heading of the last step, clockwise from +y"},
    {"last_step_m", "line plan", "length of the last step"},
};

// A value that `inspect` prints under a name.
using Value = std::variant<int64_t, std::string>;
struct Named {
  std::string_view name;
  Value value;
};

Json to_json(const Value& v) {
  if (const auto* n = std::get_if<int64_t>(&v)) return *n;
  return std::get<std::string>(v);
}

std::string to_text(const Value& v) {
  if (const auto* n = std::get_if<int64_t>(&v)) return fmt::format("{}", *n);
  return fmt::format("\"{}\"", std::get<std::string>(v));
}

// "name value, name value"; texts quoted.
std::string joined(const std::vector<Named>& values) {
  std::string s;
  for (const Named& n : values) {
    if (!s.empty()) s += ", ";
    s += fmt::format("{} {}", n.name, to_text(n.value));
  }
  return s;
}

// A CSV field: quoted when it holds a separator, a quote or a line end.
std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (const char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

std::string to_csv(const Value& v) {
  if (const auto* n = std::get_if<int64_t>(&v)) return fmt::format("{}", *n);
  return csv_field(std::get<std::string>(v));
}

// One CSV row: `values` spread over the columns of `names`, the unnamed
// fields joined into the last column.
std::string csv_columns(std::span<const InspectName> names, const std::vector<Named>& values,
                        const std::vector<Named>& unnamed) {
  std::string row;
  for (const InspectName& column : names) {
    row += ',';
    if (column.name == "unnamed") {
      std::string u;
      for (const Named& n : unnamed)
        u += fmt::format("{}{}={}", u.empty() ? "" : " ", n.name, to_text(n.value));
      row += csv_field(u);
      continue;
    }
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const Named& n) { return n.name == column.name; });
    if (it != values.end()) row += to_csv(it->value);
  }
  return row;
}

std::string csv_header(std::string_view leading, std::span<const InspectName> names) {
  std::string h(leading);
  for (const InspectName& n : names) h += fmt::format(",{}", n.name);
  return h;
}

// --- Cells ---------------------------------------------------------------------------

// The raw fields of a cell that are not 0, by their field names.
std::vector<Named> nonzero_fields(const TrackCell& c) {
  std::vector<Named> out;
  const auto add = [&](std::string_view name, int64_t v) {
    if (v != 0) out.push_back({name, v});
  };
  add("kind", c.kind);
  add("value1", c.value1);
  add("value2", c.value2);
  add("value3", c.value3);
  add("value4", c.value4);
  add("signal_time", c.signal_time);
  add("approach_code", c.approach_code);
  return out;
}

// The parts of a signal's value4 = repeater * 10 + left_type * 3 + right_type
// and of its three aspect pairs.
void name_signal(const TrackCell& c, std::vector<Named>* v) {
  const int rest = c.value4 % 10;
  v->push_back({"left_type", int64_t{rest / 3}});
  v->push_back({"right_type", int64_t{rest % 3}});
  v->push_back({"repeater", int64_t{c.value4 / 10}});
  v->push_back({"left_aspect_1", int64_t{c.value1 / 10}});
  v->push_back({"left_aspect_2", int64_t{c.value2 / 10}});
  v->push_back({"left_aspect_3", int64_t{c.value3 / 10}});
  v->push_back({"right_aspect_1", int64_t{c.value1 % 10}});
  v->push_back({"right_aspect_2", int64_t{c.value2 % 10}});
  v->push_back({"right_aspect_3", int64_t{c.value3 % 10}});
  v->push_back({"time", int64_t{c.signal_time}});
}

void name_speed_board(const TrackCell& c, std::vector<Named>* v) {
  const BoardSpeeds a = board_speeds(c.value1), b = board_speeds(c.value2),
                    s = board_speeds(c.value3);
  v->push_back({"left_speed_a_kmh", int64_t{a.left_kmh}});
  v->push_back({"left_speed_b_kmh", int64_t{b.left_kmh}});
  v->push_back({"left_speed_c_kmh", int64_t{s.left_kmh}});
  v->push_back({"left_stripes", int64_t{c.value4 / 10}});
  v->push_back({"right_speed_a_kmh", int64_t{a.right_kmh}});
  v->push_back({"right_speed_b_kmh", int64_t{b.right_kmh}});
  v->push_back({"right_speed_c_kmh", int64_t{s.right_kmh}});
  v->push_back({"right_stripes", int64_t{c.value4 % 10}});
}

// An approach code is (left_type * 3 + right_type) * 10 + step for a signal
// 2 * step cells further on, or 80 + step for a station stop step cells
// further on. 81 .. 84 fit both, so the cells around decide.
void name_approach(const std::vector<TrackCell>& cells, size_t i, std::vector<Named>* v) {
  const int code = cells[i].approach_code;
  const int step = code % 10;
  v->push_back({"approach_code", int64_t{code}});
  const auto kind_at = [&](size_t k) { return k < cells.size() ? int{cells[k].kind} : -1; };
  const size_t signal_cell = i + 2 * static_cast<size_t>(step);
  if (step >= 1 && step <= 4 && kind_at(signal_cell) == kSignal &&
      cells[signal_cell].value4 % 10 == code / 10) {
    v->push_back({"approach_for", std::string("signal")});
    v->push_back({"approach_step", int64_t{step}});
    v->push_back({"approach_left_type", int64_t{code / 10 / 3}});
    v->push_back({"approach_right_type", int64_t{code / 10 % 3}});
    v->push_back({"approach_target_cell", static_cast<int64_t>(signal_cell)});
    return;
  }
  const size_t stop_cell = i + static_cast<size_t>(step);
  if (code >= 81 && code <= 84 && kind_at(stop_cell) == kStationStop) {
    v->push_back({"approach_for", std::string("station stop")});
    v->push_back({"approach_step", int64_t{step}});
    v->push_back({"approach_target_cell", static_cast<int64_t>(stop_cell)});
    return;
  }
  v->push_back({"approach_for", std::string("unknown")});
  v->push_back({"approach_step", int64_t{step}});
}

struct CellView {
  std::vector<Named> values;
  std::vector<Named> unnamed;
};

// The cell's values under the names of the row that placed them. `rest`
// keeps every field no name has explained.
CellView view_cell(const std::vector<TrackCell>& cells, size_t i) {
  const TrackCell& c = cells[i];
  CellView view;
  TrackCell rest = c;
  rest.kind = 0;
  switch (c.kind) {
    case kSignal:
      name_signal(c, &view.values);
      rest.value1 = rest.value2 = rest.value3 = rest.value4 = 0;
      rest.signal_time = 0;
      break;
    case kSlowDownStart:
    case kSlowDownEnd:
      view.values.push_back({"speed_kmh", int64_t{c.value1}});
      view.values.push_back({"second_speed", int64_t{c.value2}});
      view.values.push_back({"start_end_flag", int64_t{c.value3}});
      rest.value1 = rest.value2 = rest.value3 = 0;
      break;
    case kSlowDownWarning:
      view.values.push_back({"speed_kmh", int64_t{c.value1}});
      view.values.push_back({"second_speed", int64_t{c.value2}});
      rest.value1 = rest.value2 = 0;
      break;
    case kBeforeWarning:
      view.values.push_back({"step", int64_t{c.value1}});
      view.values.push_back({"second_step", int64_t{c.value2}});
      rest.value1 = rest.value2 = 0;
      break;
    case kSpeedBoard:
      name_speed_board(c, &view.values);
      rest.value1 = rest.value2 = rest.value3 = rest.value4 = 0;
      break;
    case kStationStop:
      view.values.push_back({"station_slot", int64_t{c.value1}});
      rest.value1 = 0;
      break;
    case kPointWithSpeed:
      view.values.push_back({"speed_kmh", int64_t{c.value1}});
      rest.value1 = 0;
      break;
    case kTextBoard:
      view.values.push_back({"text_slot", int64_t{c.value1}});
      rest.value1 = 0;
      break;
    default:
      // Empty, montagna marker, point without speed: no values. A kind the
      // build never writes: nothing is known, every field shows as unnamed.
      break;
  }
  // Cell 1 carries the build's marker and second check code, whatever else
  // stands there.
  if (i == 1 && rest.value1 != 0) {
    view.values.push_back({"reserved_marker", int64_t{rest.value1}});
    rest.value1 = 0;
  }
  if (i == 1 && rest.value2 != 0) {
    view.values.push_back({"check_code", int64_t{rest.value2}});
    rest.value2 = 0;
  }
  if (c.approach_code != 0) {
    name_approach(cells, i, &view.values);
    rest.approach_code = 0;
  }
  view.unnamed = nonzero_fields(rest);
  return view;
}

struct Profile {
  const char* key;
  const char* title;
  std::function<int(const TrackCell&)> value;
  bool skip_zero;
};

std::vector<Profile> profiles() {
  return {
      {"line_speed_kmh", "line speed (km/h)", speed_kmh, false},
      {"gradient_per_mille", "gradient (per mille)", gradient, false},
      {"adhesion", "adhesion", adhesion, false},
      {"montagna_type", "montagna type", [](const TrackCell& c) { return int{c.montagna_type}; },
       true},
  };
}

Json named_json(const std::vector<Named>& values, const std::vector<Named>& unnamed) {
  Json j = Json::object();
  for (const Named& n : values) j[std::string(n.name)] = to_json(n.value);
  if (!unnamed.empty()) {
    Json u = Json::object();
    for (const Named& n : unnamed) u[std::string(n.name)] = to_json(n.value);
    j["unnamed"] = u;
  }
  return j;
}

void print_cell_grid_csv(const std::vector<TrackCell>& cells, std::ostream& out) {
  out << csv_header("index,metres,kind,kind_name", cell_names()) << '\n';
  for (size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    CellView view = view_cell(cells, i);
    if (c.montagna_type != 0) view.values.push_back({"montagna_type", int64_t{c.montagna_type}});
    view.values.push_back({"line_speed_kmh", int64_t{speed_kmh(c)}});
    view.values.push_back({"gradient_per_mille", int64_t{gradient(c)}});
    view.values.push_back({"adhesion", int64_t{adhesion(c)}});
    out << i << ',' << cell_start_m(static_cast<int64_t>(i)) << ',' << int{c.kind} << ','
        << csv_field(kind_name(c.kind)) << csv_columns(cell_names(), view.values, view.unnamed)
        << '\n';
  }
}

void print_cell_grid_json(std::string_view name, const std::vector<TrackCell>& cells,
                          std::ostream& out) {
  Json j{{"file", cp1252_to_utf8(name)},
         {"format", "cell grid"},
         {"cells", cells.size()},
         {"last_index", cells.size() - 1},
         {"cells_in_use", Json::array()}};
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!cell_in_use(cells[i])) continue;
    const CellView view = view_cell(cells, i);
    Json cell{{"index", i},
              {"metres", cell_start_m(static_cast<int64_t>(i))},
              {"kind", cells[i].kind},
              {"kind_name", kind_name(cells[i].kind)}};
    cell.update(named_json(view.values, view.unnamed));
    if (cells[i].montagna_type != 0) cell["montagna_type"] = cells[i].montagna_type;
    j["cells_in_use"].push_back(cell);
  }
  for (const Profile& p : profiles()) {
    Json runs = Json::array();
    for (const Run& r : runs_of(cells, p.value)) {
      if (p.skip_zero && r.value == 0) continue;
      runs.push_back({{"first_cell", r.first},
                      {"last_cell", r.last},
                      {"from_m", cell_start_m(r.first)},
                      {"to_m", cell_start_m(r.last)},
                      {"value", r.value}});
    }
    j[p.key] = runs;
  }
  out << j.dump(2) << '\n';
}

void print_cell_grid_text(std::string_view name, const std::vector<TrackCell>& cells,
                          std::ostream& out) {
  const size_t last = cells.size() - 1;
  const size_t in_use = static_cast<size_t>(std::count_if(cells.begin(), cells.end(), cell_in_use));
  out << fmt::format("{}: cell grid of {} cells (0 .. {}), metres 0 .. {}\n\n", name, cells.size(),
                     last, cell_start_m(static_cast<int64_t>(last)));
  out << fmt::format("cells in use: {}\n", in_use);
  out << fmt::format("{:>7} {:>8}  {:<32} {}\n", "index", "metres", "kind", "values");
  for (size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (!cell_in_use(c)) continue;
    const CellView view = view_cell(cells, i);
    std::string values = joined(view.values);
    if (c.montagna_type != 0) {
      values += fmt::format("{}montagna_type {}", values.empty() ? "" : ", ", c.montagna_type);
    }
    if (!view.unnamed.empty()) {
      values += fmt::format("{}unnamed: {}", values.empty() ? "" : "; ", joined(view.unnamed));
    }
    out << fmt::format("{:>7} {:>8}  {:<32} {}\n", i, cell_start_m(static_cast<int64_t>(i)),
                       kind_name(c.kind), values);
  }
  for (const Profile& p : profiles()) {
    out << "\n" << p.title << ":\n";
    for (const Run& r : runs_of(cells, p.value)) {
      if (p.skip_zero && r.value == 0) continue;
      out << fmt::format("  cells {:>6} .. {:>6}  metres {:>8} .. {:>8}  {:>5}\n", r.first, r.last,
                         cell_start_m(r.first), cell_start_m(r.last), r.value);
    }
  }
}

// --- Slots ---------------------------------------------------------------------------

// The raw fields of a record that are not 0 or empty, by their field names.
std::vector<Named> nonzero_fields(const StationRecord& r) {
  std::vector<Named> out;
  const auto add = [&](std::string_view name, int64_t v) {
    if (v != 0) out.push_back({name, v});
  };
  add("station_kind", r.station_kind);
  add("area_start_m", r.area_start_m);
  add("area_end_m", r.area_end_m);
  add("position_m", r.position_m);
  add("flag_a", r.flag_a);
  if (!r.name.empty()) out.push_back({"name", cp1252_to_utf8(r.name)});
  add("group_a1", r.group_a1);
  add("group_a2", r.group_a2);
  add("group_b1", r.group_b1);
  add("group_b2", r.group_b2);
  add("group_b3", r.group_b3);
  add("group_a3", r.group_a3);
  add("stop_value", r.stop_value);
  add("end_extension", r.end_extension);
  add("long_flag", r.long_flag);
  add("time_s", r.time_s);
  return out;
}

std::vector<Named> station_values(const StationRecord& r) {
  return {{"name", cp1252_to_utf8(r.name)},
          {"station_kind", int64_t{r.station_kind}},
          {"area_start_m", int64_t{r.area_start_m}},
          {"area_end_m", int64_t{r.area_end_m}},
          {"position_m", int64_t{r.position_m}},
          {"flag_a", int64_t{r.flag_a}},
          {"long_flag", int64_t{r.long_flag}},
          {"end_extension", int64_t{r.end_extension}},
          {"group_a1", int64_t{r.group_a1}},
          {"group_a2", int64_t{r.group_a2}},
          {"group_a3", int64_t{r.group_a3}},
          {"group_b1", int64_t{r.group_b1}},
          {"group_b2", int64_t{r.group_b2}},
          {"group_b3", int64_t{r.group_b3}},
          {"stop_value", int64_t{r.stop_value}},
          {"time_s", int64_t{r.time_s}},
          {"time", r.time_s > 0 ? clock_text(r.time_s) : ""}};
}

struct SlotView {
  std::string role;
  std::vector<Named> values;
  std::vector<Named> unnamed;
};

// A fixed slot's values through the named accessors; each value read is
// cleared in `rest`, so that whatever is left over shows as unnamed.
SlotView view_fixed_slot(int slot, const StationTable& table) {
  const auto f = fixed_slots(table);
  StationTable rest = table;
  const auto r = fixed_slots(rest);
  SlotView view;
  auto& v = view.values;
  switch (slot) {
    case kProgressiveTreSlot:
    case kProgressiveDueSlot:
    case kProgressiveUnoSlot: {
      const int k = slot - kProgressiveTreSlot;
      view.role = fmt::format("kilometric progressive {} of 3 after ordering", k + 1);
      v = {{"first_m", int64_t{f.progressive(k).area_start_m}},
           {"second_m", int64_t{f.progressive(k).area_end_m}},
           {"third", int64_t{f.progressive(k).position_m}}};
      r.progressive(k).area_start_m = r.progressive(k).area_end_m = r.progressive(k).position_m = 0;
      break;
    }
    case kTrainValuesSlot:
      view.role = "train values";
      v = {{"braked_weight_percent", int64_t{f.braked_weight_percent()}},
           {"route_length_m", int64_t{f.route_length_m()}},
           {"coaches", int64_t{f.coaches()}}};
      r.braked_weight_percent() = r.route_length_m() = r.coaches() = 0;
      break;
    case kScenarioSlot:
      view.role = "scenario";
      v = {{"scenario_name", cp1252_to_utf8(f.scenario_name())},
           {"background_1", int64_t{f.background_1()}},
           {"background_2", int64_t{f.background_2()}},
           {"background_3", int64_t{f.background_3()}},
           {"marker", int64_t{f.scenario_marker()}},
           {"check_code", int64_t{f.scenario_check_code()}}};
      r.scenario_name().clear();
      r.background_1() = r.background_2() = r.background_3() = 0;
      r.scenario_marker() = 0;
      r.scenario_check_code() = 0;
      break;
    case kTrainSlot:
      view.role = "train";
      v = {{"train_code", cp1252_to_utf8(f.train_code())},
           {"repetition_start_m", int64_t{f.repetition_start_m()}},
           {"repetition_end_m", int64_t{f.repetition_end_m()}},
           {"repetition_codes", int64_t{f.repetition_codes()}},
           {"sand", int64_t{f.sand()}},
           {"clock_hours", int64_t{f.clock_hours()}},
           {"clock_minutes", int64_t{f.clock_minutes()}},
           {"clock_seconds", int64_t{f.clock_seconds()}}};
      r.train_code().clear();
      r.repetition_start_m() = r.repetition_end_m() = r.repetition_codes() = 0;
      r.sand() = 0;
      r.clock_hours() = r.clock_minutes() = r.clock_seconds() = 0;
      break;
    default:
      break;
  }
  view.unnamed = nonzero_fields(rest[static_cast<size_t>(slot)]);
  return view;
}

SlotView view_slot(int slot, const StationTable& table) {
  if (slot >= kProgressiveTreSlot) return view_fixed_slot(slot, table);
  const StationRecord& r = table[static_cast<size_t>(slot)];
  SlotView view;
  view.role = slot_role(slot, r);
  if (view.role == "board text") {
    view.values = {{"text", cp1252_to_utf8(r.name)}};
  } else if (slot == 0) {
    // Slot 0 is never written: all of it is unexplained.
    view.role = "unused";
    view.unnamed = nonzero_fields(r);
  } else {
    view.values = station_values(r);
  }
  return view;
}

void print_train_file_csv(const StationTable& table, std::ostream& out) {
  out << csv_header("slot,role", slot_names()) << '\n';
  for (int s = 0; s < kStationSlots; ++s) {
    if (!slot_in_use(table[static_cast<size_t>(s)])) continue;
    const SlotView view = view_slot(s, table);
    out << s << ',' << csv_field(view.role) << csv_columns(slot_names(), view.values, view.unnamed)
        << '\n';
  }
}

void print_train_file_json(std::string_view name, const StationTable& table, std::ostream& out) {
  Json j{{"file", cp1252_to_utf8(name)}, {"format", "train file"}, {"slots", Json::array()}};
  for (int s = 0; s < kStationSlots; ++s) {
    if (!slot_in_use(table[static_cast<size_t>(s)])) continue;
    const SlotView view = view_slot(s, table);
    Json slot{{"slot", s}, {"role", view.role}};
    slot.update(named_json(view.values, view.unnamed));
    j["slots"].push_back(slot);
  }
  out << j.dump(2) << '\n';
}

void print_train_file_text(std::string_view name, const StationTable& table, std::ostream& out) {
  const size_t in_use = static_cast<size_t>(std::count_if(table.begin(), table.end(), slot_in_use));
  out << fmt::format("{}: train file of {} slots, {} in use\n", name, kStationSlots, in_use);
  for (int s = 0; s < kStationSlots; ++s) {
    if (!slot_in_use(table[static_cast<size_t>(s)])) continue;
    const SlotView view = view_slot(s, table);
    out << fmt::format("\nslot {} ({})\n", s, view.role);
    if (!view.values.empty()) out << "  " << joined(view.values) << "\n";
    if (!view.unnamed.empty()) out << "  unnamed: " << joined(view.unnamed) << "\n";
  }
}

// --- Line plan -------------------------------------------------------------------------

struct PlanSummary {
  size_t rows = 0;
  size_t points = 0;
  size_t integers = 0;
  std::optional<size_t> first, last;
  double min_x = std::numeric_limits<double>::infinity(), max_x = -min_x;
  double min_y = min_x, max_y = -min_x;
  // Heading of the last step, clockwise from +y, so that a right-hand curve
  // turns it positive.
  std::optional<double> heading_deg, last_step_m;
};

PlanSummary summarize(const PlanFile& plan) {
  PlanSummary s;
  s.rows = plan.x.size();
  std::optional<size_t> before_last;
  for (size_t m = 0; m < s.rows; ++m) {
    if (plan.x[m].tag == PlanValue::Tag::kEmpty) continue;
    ++s.points;
    if (plan.x[m].tag == PlanValue::Tag::kInteger) ++s.integers;
    if (!s.first) s.first = m;
    before_last = s.last;
    s.last = m;
    const double x = plan.x[m].as_real(), y = plan.y[m].as_real();
    s.min_x = std::min(s.min_x, x);
    s.max_x = std::max(s.max_x, x);
    s.min_y = std::min(s.min_y, y);
    s.max_y = std::max(s.max_y, y);
  }
  if (before_last) {
    const double dx = plan.x[*s.last].as_real() - plan.x[*before_last].as_real();
    const double dy = plan.y[*s.last].as_real() - plan.y[*before_last].as_real();
    s.heading_deg = std::atan2(dx, dy) * 180.0 / std::acos(-1.0);
    s.last_step_m = std::hypot(dx, dy);
  }
  return s;
}

void print_line_plan_csv(const PlanFile& plan, std::ostream& out) {
  out << "metre,x,y\n";
  for (size_t m = 0; m < plan.x.size(); ++m) {
    if (plan.x[m].tag == PlanValue::Tag::kEmpty) continue;
    out << fmt::format("{},{:.17g},{:.17g}\n", m, plan.x[m].as_real(), plan.y[m].as_real());
  }
}

void print_line_plan_json(std::string_view name, const PlanSummary& s, std::ostream& out) {
  Json j{{"file", cp1252_to_utf8(name)},
         {"format", "line plan"},
         {"rows", s.rows},
         {"points", s.points},
         {"integer_points", s.integers},
         {"real_points", s.points - s.integers},
         {"empty_rows", s.rows - s.points}};
  if (s.first) {
    j["first_point_m"] = *s.first;
    j["last_point_m"] = *s.last;
    j["extent"] = {{"min_x", s.min_x}, {"max_x", s.max_x}, {"min_y", s.min_y}, {"max_y", s.max_y}};
  }
  j["final_heading_deg"] = s.heading_deg ? Json(*s.heading_deg) : Json(nullptr);
  j["last_step_m"] = s.last_step_m ? Json(*s.last_step_m) : Json(nullptr);
  out << j.dump(2) << '\n';
}

void print_line_plan_text(std::string_view name, const PlanSummary& s, std::ostream& out) {
  out << fmt::format("{}: line plan of {} rows per half (metres 0 .. {})\n", name, s.rows,
                     s.rows - 1);
  out << "points: " << s.points;
  if (s.first) out << fmt::format(" (metres {} .. {})", *s.first, *s.last);
  out << fmt::format(", {} integer and {} real, {} empty rows\n", s.integers, s.points - s.integers,
                     s.rows - s.points);
  if (s.first) {
    out << fmt::format("extent: x {:.3f} .. {:.3f} m, y {:.3f} .. {:.3f} m\n", s.min_x, s.max_x,
                       s.min_y, s.max_y);
  }
  if (s.heading_deg) {
    out << fmt::format("final heading: {:.3f} degrees clockwise from +y, last step {:.6f} m\n",
                       *s.heading_deg, *s.last_step_m);
  }
}

}  // namespace

std::span<const InspectName> cell_names() { return kCellNames; }
std::span<const InspectName> slot_names() { return kSlotNames; }
std::span<const InspectName> plan_names() { return kPlanNames; }

void print_cell_grid(std::string_view name, const std::vector<TrackCell>& cells, OutputStyle style,
                     std::ostream& out) {
  switch (style) {
    case OutputStyle::kCsv:
      return print_cell_grid_csv(cells, out);
    case OutputStyle::kJson:
      return print_cell_grid_json(name, cells, out);
    case OutputStyle::kText:
      return print_cell_grid_text(name, cells, out);
  }
}

void print_train_file(std::string_view name, const StationTable& table, OutputStyle style,
                      std::ostream& out) {
  switch (style) {
    case OutputStyle::kCsv:
      return print_train_file_csv(table, out);
    case OutputStyle::kJson:
      return print_train_file_json(name, table, out);
    case OutputStyle::kText:
      return print_train_file_text(name, table, out);
  }
}

void print_line_plan(std::string_view name, const PlanFile& plan, OutputStyle style,
                     std::ostream& out) {
  if (style == OutputStyle::kCsv) return print_line_plan_csv(plan, out);
  const PlanSummary summary = summarize(plan);
  if (style == OutputStyle::kJson) return print_line_plan_json(name, summary, out);
  print_line_plan_text(name, summary, out);
}

int inspect_file(const std::string& path, OutputStyle style, std::ostream& out, std::ostream& err) {
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
