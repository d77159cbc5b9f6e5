#include "tools/preview.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <span>

#include "compiler/check_mode.h"
#include "model/cell_geometry.h"
#include "output/compile_stage.h"
#include "output/file_naming.h"
#include "platform/file_system.h"
#include "platform/memory_file_system.h"
#include "tools/check.h"
#include "tools/compiled_files.h"
#include "tools/inspect.h"
#include "tools/route_drawing.h"
#include "tools/text_encoding.h"

namespace scenario::tools {
namespace {

using Json = nlohmann::json;

// The finest plan level holds at most this many points: a 1000 km route
// then keeps a point every 7 m or so, and the page stays a few megabytes.
constexpr int64_t kPlanFinestPoints = 150000;
constexpr int64_t kPlanCoarsestPoints = 2000;

std::string utf8(std::string_view cp1252) { return cp1252_to_utf8(cp1252); }

char file_letter(SourceOrigin::File f) {
  switch (f) {
    case SourceOrigin::File::kLineDescription:
      return 'L';
    case SourceOrigin::File::kTrainDescription:
      return 'T';
    case SourceOrigin::File::kNone:
      break;
  }
  return '-';
}

double rounded(double v) { return std::round(v * 10.0) / 10.0; }

Json cell_json(const TrackCell& c) {
  return Json::array({c.kind, c.value1, c.value2, c.value3, c.value4, c.signal_time,
                      c.approach_code, c.montagna_type, c.speed_code, c.gradient_code,
                      c.adhesion_code});
}

Json runs_json(const std::vector<TrackCell>& cells, int64_t last_cell,
               const std::function<int(const TrackCell&)>& value) {
  Json out = Json::array();
  for (const Run& r : runs_of(cells, value)) {
    if (r.first > last_cell) break;
    const int64_t last = std::min(r.last, last_cell);
    out.push_back({cell_start_m(r.first), cell_start_m(last + 1), r.value});
  }
  return out;
}

// The plan as several polylines, each a point every `stride` metres: the
// page draws the coarsest level that is still finer than a pixel.
Json plan_json(const PlanFile& plan, int64_t last_m) {
  std::vector<int64_t> metre;
  std::vector<double> xs, ys;
  const size_t rows =
      std::min(plan.x.size(), static_cast<size_t>(std::max<int64_t>(last_m, 0)) + 1);
  for (size_t m = 0; m < rows && m < plan.y.size(); ++m) {
    if (plan.x[m].tag == PlanValue::Tag::kEmpty) continue;
    const double x = plan.x[m].as_real(), y = plan.y[m].as_real();
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    metre.push_back(static_cast<int64_t>(m));
    xs.push_back(x);
    ys.push_back(y);
  }
  if (metre.size() < 2) return nullptr;
  double min_x = xs[0], max_x = xs[0], min_y = ys[0], max_y = ys[0];
  for (size_t i = 1; i < xs.size(); ++i) {
    min_x = std::min(min_x, xs[i]);
    max_x = std::max(max_x, xs[i]);
    min_y = std::min(min_y, ys[i]);
    max_y = std::max(max_y, ys[i]);
  }
  const int64_t n = static_cast<int64_t>(metre.size());
  std::vector<int64_t> strides;
  int64_t stride = std::max<int64_t>(1, (n + kPlanCoarsestPoints - 1) / kPlanCoarsestPoints);
  strides.push_back(stride);
  while (stride > 1 && n / std::max<int64_t>(1, stride / 4) <= kPlanFinestPoints) {
    stride = std::max<int64_t>(1, stride / 4);
    strides.push_back(stride);
  }
  Json levels = Json::array();
  for (const int64_t s : strides) {
    Json m = Json::array(), x = Json::array(), y = Json::array();
    for (int64_t i = 0; i < n; i += s) {
      m.push_back(metre[static_cast<size_t>(i)]);
      x.push_back(rounded(xs[static_cast<size_t>(i)]));
      y.push_back(rounded(ys[static_cast<size_t>(i)]));
    }
    if ((n - 1) % s != 0) {
      m.push_back(metre.back());
      x.push_back(rounded(xs.back()));
      y.push_back(rounded(ys.back()));
    }
    levels.push_back({{"stride", s}, {"m", m}, {"x", x}, {"y", y}});
  }
  return {{"bbox", {min_x, min_y, max_x, max_y}}, {"levels", levels}};
}

Json kinds_json() {
  Json out = Json::array();
  for (const RowKind& k : row_kinds()) {
    Json names = Json::array(), units = Json::array();
    for (const RowValue& v : k.values) {
      names.push_back(std::string(v.name));
      units.push_back(std::string(v.unit));
    }
    out.push_back({{"id", static_cast<int>(k.id)},
                   {"key", std::string(k.key)},
                   {"summary", std::string(k.summary)},
                   {"names", names},
                   {"units", units}});
  }
  return out;
}

// A curve's side and class are in its key item: "s" for left, the smallest
// digit 1 to 6 for the class.
std::pair<char, int> curve_side_class(const std::string& key) {
  int cls = 0;
  for (const char c : key) {
    if (c >= '1' && c <= '6' && (cls == 0 || c - '0' < cls)) cls = c - '0';
  }
  const bool left =
      std::any_of(key.begin(), key.end(), [](char c) { return lower_ascii(c) == 's'; });
  return {left ? 'L' : 'R', cls};
}

// A row's first value when it is a position written as a whole number; a
// row stopped on a bad position has none.
std::optional<int64_t> position_item(const std::vector<std::string>& items) {
  if (items.empty()) return std::nullopt;
  int64_t v = 0;
  const std::string& t = items[0];
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size() || v < 0) return std::nullopt;
  return v;
}

int64_t item_number(const std::vector<std::string>& items, size_t i) {
  if (i >= items.size()) return 0;
  try {
    return std::stoll(items[i]);
  } catch (const std::exception&) {
    return 0;
  }
}

// The page's model: one compile in check mode, so that the readers go on
// past a code and the rest of the route is still there to look at. Its
// diagnostics are not kept; the panel shows check's, which add the lint.
struct Compiled {
  BuildState st;
  CompileResult result;
  std::vector<LoggedRow> rows;
  MemoryFileSystem mem;
  ScenarioFiles files;
};

void compile(Compiled& c, const std::string& line_text, const std::string& train_text,
             const PreviewRequest& req) {
  c.files = scenario_files("preview", '/', req.scenario_name, req.train_code);
  c.mem.put(c.files.line_description, line_text);
  c.mem.put(c.files.train_description, train_text);
  c.st.scenario_name = req.scenario_name;
  c.st.train_code = req.train_code;
  CheckContext ctx;
  ctx.rows = &c.rows;
  c.result = memorizza_percorso(c.st, c.mem, c.files, 1, &ctx);
}

struct Place {
  std::optional<int64_t> m;
  bool near = false;  // a neighbouring row's place
};

// The section of each line of a text (lines from 1): the number of
// section headers up to it, -1 on a header itself.
std::vector<int> sections_of(std::string_view text) {
  std::vector<int> out{0};
  int section = 0;
  size_t from = 0;
  while (from <= text.size()) {
    const size_t end = std::min(text.find('\n', from), text.size());
    const std::string_view line = text.substr(from, end - from);
    const size_t first = line.find_first_not_of(" \t");
    const bool header = first != std::string_view::npos && line[first] == '[';
    if (header) ++section;
    out.push_back(header ? -1 : section);
    from = end + 1;
  }
  return out;
}

// The places of one text's rows, for its diagnostics.
class TextPlaces {
 public:
  explicit TextPlaces(std::string_view text) : sections_(sections_of(text)) {}

  // A logged row at `m`, -1 when it has no place: a kind that acts at no
  // position (`positioned` false: a [generale] row, a train's data), or a
  // position that is no whole number.
  void add(int line, int64_t m, bool positioned) {
    logged_.emplace(line, m);
    if (m >= 0) placed_.emplace(line, m);
    if (!positioned) unplaced_sections_.insert(section(line));
  }

  // Where the view goes for a diagnostic on `line`: its row's place. A row
  // the compile did not log (a reader stops a row at its first bad value;
  // an unknown key word is skipped) borrows the place of the nearest row of
  // its section, the one before it on a tie, when every row of that section
  // is placed: such sections are written in route order. A [generale]
  // section mixes placed rows with others, and a header has no place.
  Place at(int line) const {
    const auto own = logged_.find(line);
    if (own != logged_.end()) return own->second >= 0 ? Place{own->second} : Place{};
    const int s = section(line);
    if (s < 0 || unplaced_sections_.contains(s)) return {};
    const auto after = placed_.lower_bound(line);
    std::optional<std::pair<int, int64_t>> best;
    if (after != placed_.begin() && section(std::prev(after)->first) == s) {
      best = *std::prev(after);
    }
    if (after != placed_.end() && section(after->first) == s &&
        (!best || after->first - line < line - best->first)) {
      best = *after;
    }
    if (!best) return {};
    return {best->second, true};
  }

 private:
  int section(int line) const {
    return line > 0 && static_cast<size_t>(line) < sections_.size()
               ? sections_[static_cast<size_t>(line)]
               : -1;
  }

  std::vector<int> sections_;
  std::map<int, int64_t> logged_, placed_;
  std::set<int> unplaced_sections_;
};

}  // namespace

std::string preview_data_json(const std::string& line_text, const std::string& train_text,
                              const PreviewRequest& req) {
  Compiled c;
  compile(c, line_text, train_text, req);
  // check_texts compiles the texts once more: it keeps its compile to
  // itself, and its diagnostics (the compile's code among the errors, and
  // the lint) are what the panel must agree with.
  const CheckRequest check{req.line_text_path, req.train_text_path, req.scenario_name,
                           req.train_code};
  const std::vector<Diagnostic> problems = check_texts(line_text, train_text, check);

  Json data;
  data["title"] = req.scenario_name + " / " + req.train_code;
  data["files"] = {{"L", req.line_text_path}, {"T", req.train_text_path}};
  data["cellM"] = kCellLengthM;
  data["kinds"] = kinds_json();
  const auto id = [](RowId r) { return static_cast<int>(r); };
  data["rowKinds"] = {{"signals", {id(RowId::kSignal)}},      {"boards", {id(RowId::kSpeedBoards)}},
                      {"points", {id(RowId::kAbbattimento)}}, {"texts", {id(RowId::kTextBoard)}},
                      {"gradient", {id(RowId::kGradient)}},   {"speed", {id(RowId::kSpeedLimit)}},
                      {"adhesion", {id(RowId::kAdhesion)}},   {"montagna", {id(RowId::kMontagna)}},
                      {"stations", {id(RowId::kStation)}},    {"slow", {id(RowId::kSlowDown)}}};

  const std::vector<TrackCell>& cells = c.st.grid.cells();
  const int64_t route_m =
      c.st.grid.exists() ? std::max<int64_t>(c.st.grid.grid_length_m() - CellGrid::kMarginM, 0) : 0;
  int64_t axis_m = std::max<int64_t>(route_m, 1000);

  // Rows by the cell their object took, for hover.
  std::map<int64_t, size_t> row_of_cell;
  TextPlaces line_places(line_text), train_places(train_text);
  const auto places_of = [&](SourceOrigin::File f) -> TextPlaces* {
    return f == SourceOrigin::File::kLineDescription    ? &line_places
           : f == SourceOrigin::File::kTrainDescription ? &train_places
                                                        : nullptr;
  };
  Json rows = Json::array();
  Json curves = Json::array();
  for (size_t i = 0; i < c.rows.size(); ++i) {
    const LoggedRow& r = c.rows[i];
    Json items = Json::array();
    for (const std::string& it : r.items) items.push_back(utf8(it));
    // Where the row acts: its first value, for the kinds whose first value is
    // a position along the route.
    const std::span<const RowValue> values = row_kind(r.kind).values;
    const bool placed =
        !values.empty() && (values[0].name == "position_m" || values[0].name == "start_m");
    const int64_t at = placed ? position_item(r.items).value_or(-1) : -1;
    rows.push_back({static_cast<int>(r.kind), std::string(1, file_letter(r.at.file)), r.at.line,
                    r.at.column, utf8(r.at.item), items, r.cell, at});
    // The place a problem on this row links to: the cell its object took,
    // else where its row says it acts.
    const int64_t place = r.cell >= 0 ? cell_start_m(r.cell) : at;
    if (TextPlaces* p = places_of(r.at.file)) p->add(r.at.line, place, placed || r.cell >= 0);
    if (r.cell >= 0) row_of_cell.emplace(r.cell, i);
    if (r.kind == RowId::kCurve) {
      const auto [side, cls] = curve_side_class(r.at.item);
      const int64_t start = item_number(r.items, 0), length = item_number(r.items, 1);
      curves.push_back({start, start + length, std::string(1, side), cls, i});
    }
  }
  data["rows"] = rows;
  data["curves"] = curves;

  Json objects = Json::array();  // [m, cell, kind, label]
  Json cell_fields = Json::object();
  Json slow = Json::array();
  Json warn = Json::array();
  const int64_t last_cell = static_cast<int64_t>(cells.size()) - 1;
  for (int64_t i = 0; i <= last_cell; ++i) {
    const TrackCell& cell = cells[static_cast<size_t>(i)];
    if (!cell_in_use(cell)) continue;
    const int64_t m = cell_start_m(i);
    cell_fields[std::to_string(i)] = cell_json(cell);
    std::string label;
    if (cell.kind == kTextBoard && cell.value1 >= 0 && cell.value1 < kStationSlots) {
      label = utf8(c.st.stations[static_cast<size_t>(cell.value1)].name);
    } else if (cell.kind == kSpeedBoard) {
      // The left-hand board's three speeds, as the driver reads them.
      label = std::to_string(board_speeds(cell.value1).left_kmh) + "/" +
              std::to_string(board_speeds(cell.value2).left_kmh) + "/" +
              std::to_string(board_speeds(cell.value3).left_kmh);
    } else if (cell.kind == kPointWithSpeed) {
      label = std::to_string(cell.value1);
    }
    objects.push_back({m, i, cell.kind, label});
    if (cell.kind == kSlowDownStart) {
      int64_t end = i;
      for (int64_t j = i + 1; j <= last_cell; ++j) {
        if (cells[static_cast<size_t>(j)].kind == kSlowDownEnd) {
          end = j;
          break;
        }
      }
      slow.push_back({m, cell_start_m(end), cell.value1, i});
    }
    if (cell.kind == kSlowDownWarning) warn.push_back({m, cell.value1, i});
  }
  data["objects"] = objects;
  data["cells"] = cell_fields;
  data["slow"] = slow;
  data["warn"] = warn;
  data["rowOfCell"] = Json::object();
  for (const auto& [cell, row] : row_of_cell) data["rowOfCell"][std::to_string(cell)] = row;

  Json stations = Json::array();
  for (int s = kFirstStationSlot; s < kProgressiveTreSlot; ++s) {
    const StationRecord& r = c.st.stations[static_cast<size_t>(s)];
    if (!slot_in_use(r) || slot_role(s, r) != "station") continue;
    stations.push_back({{"slot", s},
                        {"name", utf8(r.name)},
                        {"kind", r.station_kind},
                        {"pos", r.position_m},
                        {"from", r.area_start_m},
                        {"to", r.area_end_m},
                        {"time", station_time_label(r.time_s)},
                        {"cell", r.position_m / kCellLengthM}});
    if (r.position_m <= cell_start_m(last_cell)) axis_m = std::max<int64_t>(axis_m, r.position_m);
  }
  data["stations"] = stations;
  data["lengthM"] = axis_m;
  data["routeM"] = route_m;

  data["profiles"] = {{"gradient", runs_json(cells, axis_m / kCellLengthM, gradient)},
                      {"speed", runs_json(cells, axis_m / kCellLengthM, speed_kmh)},
                      {"adhesion", runs_json(cells, axis_m / kCellLengthM, adhesion)},
                      {"montagna", runs_json(cells, axis_m / kCellLengthM, [](const TrackCell& t) {
                         return int{t.montagna_type};
                       })}};

  data["plan"] = nullptr;
  const auto plan_bytes = c.mem.files().find(c.files.line_plan);
  if (plan_bytes != c.mem.files().end()) {
    PlanFile plan;
    std::string why;
    if (parse_line_plan(plan_bytes->second, &plan, &why)) data["plan"] = plan_json(plan, axis_m);
  }

  // check's messages are UTF-8 already; only the item is the text's own.
  Json diags = Json::array();
  for (const Diagnostic& d : problems) {
    // Where the view goes for the entry: its own position, else its row's
    // place; none for a diagnostic of a whole text or a name.
    Place place;
    if (d.position_m) {
      place.m = *d.position_m;
    } else if (const TextPlaces* p = places_of(d.at.file); p != nullptr && d.at.line > 0) {
      place = p->at(d.at.line);
    }
    Json notes = Json::array();
    for (const DiagnosticNote& n : d.notes) {
      notes.push_back({{"file", std::string(1, file_letter(n.at.file))},
                       {"line", n.at.line},
                       {"message", n.message}});
    }
    diags.push_back({{"severity", d.severity == Severity::kError ? "error" : "warning"},
                     {"rule", d.rule},
                     {"code", d.code},
                     {"m", place.m ? Json(*place.m) : Json(nullptr)},
                     {"near", place.near},
                     {"file", std::string(1, file_letter(d.at.file))},
                     {"line", d.at.line},
                     {"column", d.at.column},
                     {"item", utf8(d.at.item)},
                     {"message", d.message},
                     {"notes", notes}});
  }
  data["diagnostics"] = diags;
  data["filesWritten"] = c.result.files_written.size();
  return data.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string unreadable_data_json(const std::string& last_good, const std::string& why,
                                 const PreviewRequest& req) {
  Json data = Json::parse(last_good.empty() ? preview_data_json("", "", req) : last_good);
  data["diagnostics"] = Json::array();
  data["readError"] = why;
  return data.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string preview_page(const std::string& data_json, bool live) {
  // The data sits in a script element of its own type: "</" inside a string
  // would end the element, so it is escaped the JSON way.
  std::string safe;
  safe.reserve(data_json.size());
  for (size_t i = 0; i < data_json.size(); ++i) {
    if (data_json[i] == '<' && i + 1 < data_json.size() && data_json[i + 1] == '/') {
      safe += "<\\/";
      ++i;
    } else {
      safe += data_json[i];
    }
  }
  std::string page;
  page.reserve(safe.size() + 100000);
  page += kPreviewHtmlHead;
  page += "<style>\n";
  page += kPreviewCss;
  page += "</style>\n</head>\n";
  page += kPreviewHtmlBody;
  page += "<script id=\"route-data\" type=\"application/json\">";
  page += safe;
  page += "</script>\n<script>\nconst LIVE = ";
  page += live ? "true" : "false";
  page += ";\n";
  page += preview_script();
  page += "</script>\n</body>\n</html>\n";
  return page;
}

void add_preview_command(CLI::App& app, PreviewCommand& command) {
  PreviewRequest& r = command.req;
  command.cmd = app.add_subcommand(
      "preview", "Write an interactive HTML page of a line and a train description");
  command.cmd->add_option("LINE_TEXT", r.line_text_path, "Line description text")->required();
  command.cmd->add_option("TRAIN_TEXT", r.train_text_path, "Train description text")->required();
  CLI::Option* output =
      command.cmd->add_option("-o,--output", r.output, "HTML file to write; - for standard output");
  CLI::Option* serve = command.cmd->add_flag(
      "--serve", r.serve, "Serve the page on 127.0.0.1 and update it on every save");
  command.cmd->add_option("--port", r.port, "Port for --serve")
      ->capture_default_str()
      ->check(CLI::Range(1, 65535));
  command.cmd->add_option("--scenario", r.scenario_name,
                          "Scenario name (default: line text's name)");
  command.cmd->add_option("--train", r.train_code, "Train code (default: train text's name)");
  output->excludes(serve);
}

namespace {

// A name from a text's file name: the stem, without separators.
// Taken apart as UTF-8 text: the host's path type would read the name in
// the ANSI code page on Windows.
std::string name_from(const std::string& path, const char* fallback) {
  const size_t slash = path.find_last_of("/\\");
  std::string stem = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot != 0) stem.erase(dot);
  stem.erase(std::remove(stem.begin(), stem.end(), '\0'), stem.end());
  return stem.empty() ? fallback : stem;
}

}  // namespace

int run_preview(const PreviewRequest& given, std::ostream& out, std::ostream& err) {
  PreviewRequest req = given;
  // The builder's own names, <scenario>_linea.txt and <scenario>_<train>-.txt,
  // give the scenario and the train back; any other name is taken whole.
  if (req.scenario_name.empty()) {
    req.scenario_name = name_from(req.line_text_path, "route");
    const std::string_view tail = "_linea";
    if (req.scenario_name.size() > tail.size() && req.scenario_name.ends_with(tail)) {
      req.scenario_name.resize(req.scenario_name.size() - tail.size());
    }
  }
  if (req.train_code.empty()) {
    req.train_code = name_from(req.train_text_path, "train");
    const std::string head = req.scenario_name + "_";
    std::string& t = req.train_code;
    if (t.size() > head.size() + 1 && t.starts_with(head) && t.back() == '-') {
      t = t.substr(head.size(), t.size() - head.size() - 1);
    }
  }
  for (const std::string* name : {&req.scenario_name, &req.train_code}) {
    if (name->find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
      err << "scenario_tool: --scenario and --train must be plain names, without '/' or '\\'\n";
      return kExitUsage;
    }
  }
  if (req.serve) return serve_preview(req, out, err);
  if (req.output.empty()) {
    err << "scenario_tool: preview needs -o FILE, or --serve\n";
    return kExitUsage;
  }
  std::string line_text, train_text;
  if (!read_from_disk("line description", req.line_text_path, &line_text, err) ||
      !read_from_disk("train description", req.train_text_path, &train_text, err)) {
    return kExitNoInput;
  }
  std::string page;
  try {
    page = preview_page(preview_data_json(line_text, train_text, req), false);
  } catch (const FileError& e) {
    err << "scenario_tool: " << e.what() << "\n";
    return kExitSoftware;
  }
  // "-o -": the page alone on standard output, for a pipe.
  if (req.output == "-") {
    out << page;
    return out ? 0 : kExitCannotCreate;
  }
  try {
    DiskFileSystem().replace_file(req.output, page);
  } catch (const FileError& e) {
    err << "scenario_tool: " << e.what() << "\n";
    return kExitCannotCreate;
  }
  out << "wrote " << req.output << " (" << page.size() / 1024 << " KiB)\n";
  return 0;
}

}  // namespace scenario::tools
