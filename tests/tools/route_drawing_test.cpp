#include "tools/route_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tool_test_support.h"

namespace scenario::tools {
namespace {

using testing::read_file;
using testing::run;
using testing::TempDir;
using testing::well_formed_xml;
using testing::write_file;

size_t count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

// Renders with rsvg-convert when the machine has it; the picture stays under
// artifacts/ for a look by eye.
void render(const std::string& svg_path, const std::string& png_name) {
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) return;
  std::filesystem::create_directories(SCENARIO_ARTIFACTS_DIR);
  const std::string command = "rsvg-convert '" + svg_path + "' -o '" +
                              std::string(SCENARIO_ARTIFACTS_DIR) + "/" + png_name + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST(Draw, XmlCheckerRefusesWhatAParserWould) {
  struct Case {
    const char* doc;
    bool ok;
  };
  const Case cases[] = {
      {"<svg a=\"1\"><text>A &amp; B</text></svg>", true},
      {"<svg><text>A & B</text></svg>", false},  // bare ampersand
      {"<svg><g></svg></g>", false},             // crossed tags
      {"<svg a=\"1\" a=\"2\"/>", false},         // repeated attribute
      {"<svg><text>\xC8</text></svg>", false},   // a code page byte, not UTF-8
      {"<svg/><svg/>", false},                   // two roots
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.doc);
    std::string why;
    EXPECT_EQ(well_formed_xml(c.doc, &why), c.ok) << why;
  }
}

TEST(Draw, CarriedScenarioGivesWellFormedSvg) {
  TempDir dir;
  ASSERT_EQ(run({"export-carried", dir / "src"}).status, 0);
  ASSERT_EQ(run({"compile", dir / "src/LORVENA_linea.txt", dir / "src/LORVENA_KQ3390-.txt",
                 "--scenario", "LORVENA", "--train", "KQ3390", "--out", dir / "out"})
                .status,
            0);
  const auto r = run({"draw", dir / "out", "-o", dir / "route.svg"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "drew LORVENA / KQ3390 into " + (dir / "route.svg") + "\n");
  const std::string svg = read_file(dir / "route.svg");
  std::string why;
  EXPECT_TRUE(well_formed_xml(svg, &why)) << why;
  // The first station with its departure time, the plan in eight colours
  // from start to end, and three profiles.
  EXPECT_NE(svg.find(">VALDORNO 18:20</text>"), std::string::npos);
  EXPECT_EQ(count(svg, "<polyline"), 8u + 3u);
  render(dir / "route.svg", "lorvena-route.png");
}

// A synthetic 1000 km route: 66 stations, a signal every kilometre, a line
// plan of a million points.
RouteFiles thousand_kilometres() {
  constexpr int64_t kLength = 1000000;
  RouteFiles r;
  r.title = "LONG / T1";
  r.cells.resize((kLength + 7000) / 50 + 1);
  for (size_t i = 0; i < r.cells.size(); ++i) {
    TrackCell& c = r.cells[i];
    c.speed_code = static_cast<uint8_t>(i / 2000 % 2 == 0 ? 30 : 20);
    c.gradient_code = static_cast<uint8_t>(100 + static_cast<int>(i / 700 % 7) - 3);
    c.adhesion_code = 80;
    if (i % 20 == 2) c.kind = kSignal;
  }
  r.cells[10001] = {kSlowDownStart, 60, 0, 0, 0, 0, 0, 0, 30, 100, 80};
  r.cells[10003] = {kSlowDownEnd, 60, 0, 0, 0, 0, 0, 0, 30, 100, 80};
  r.stations[kTrainValuesSlot].area_end_m = kLength;
  for (int s = 1; s <= 66; ++s) {
    StationRecord& st = r.stations[static_cast<size_t>(s)];
    st.station_kind = 4;
    st.position_m = (s - 1) * 15000;
    st.area_start_m = st.position_m - 300;
    st.area_end_m = st.position_m + 300;
    st.name = "STAZIONE & CAF\xC9 " + std::to_string(s);
    st.time_s = 18 * 3600 + s * 300;
  }
  PlanFile plan;
  for (int64_t m = 0; m <= kLength + 7000; ++m) {
    const double a = static_cast<double>(m) / 200000.0;
    plan.x.push_back(PlanValue::of_real(50000 * std::sin(a)));
    plan.y.push_back(PlanValue::of_real(static_cast<double>(m) / 2 + 30000 * std::cos(a)));
  }
  r.plan = std::move(plan);
  return r;
}

TEST(Draw, ThousandKilometreRouteIsThinnedOut) {
  const std::string svg = route_svg(thousand_kilometres());
  std::string why;
  ASSERT_TRUE(well_formed_xml(svg, &why)) << why;

  // The plan is the first eight polylines, each colour sharing its first
  // point with the one before: at most kMaxPlanPoints points in all.
  size_t drawn = 0;
  size_t at = 0;
  for (int part = 0; part < 8; ++part) {
    at = svg.find("<polyline", at + 1);
    const size_t points = svg.find("points=\"", at);
    const size_t end = svg.find('"', points + 8);
    drawn += count(svg.substr(points, end - points), " ") + 1;
  }
  EXPECT_LE(drawn, kMaxPlanPoints + 7);
  EXPECT_GT(drawn, kMaxPlanPoints / 2);

  // Kilometre axis labelled every 100 km, not every kilometre.
  EXPECT_EQ(count(svg, "text-anchor=\"middle\">"), 11u);
  EXPECT_NE(svg.find(">1000 km</text>"), std::string::npos);
  // 66 station labels do not fit on 1260 pixels twice over. On the plan and
  // in the station row alike, every name is either placed or counted in
  // that part's note: none is dropped without a word.
  const std::string name = ">STAZIONE &amp; CAF\xC3\x89 ";
  const size_t profiles = svg.find(">gradient</text>");
  const size_t row = svg.find(">stations</text>");
  ASSERT_NE(profiles, std::string::npos);
  ASSERT_NE(row, std::string::npos);
  const struct {
    const char* part;
    std::string svg;
    const char* note;
  } parts[] = {{"plan", svg.substr(0, profiles), " station names not labelled on the plan"},
               {"station row", svg.substr(row), " station names not labelled in this row"}};
  size_t placed_in_all = 0;
  for (const auto& p : parts) {
    SCOPED_TRACE(p.part);
    const size_t placed = count(p.svg, name);
    size_t noted = 0;
    if (const size_t note = p.svg.find(p.note); note != std::string::npos) {
      const size_t start = p.svg.rfind('>', note) + 1;
      noted = std::stoul(p.svg.substr(start));
      EXPECT_EQ(p.svg.substr(start, note - start), std::to_string(noted) + " of 66");
      EXPECT_GT(noted, 0u);
    }
    EXPECT_EQ(placed + noted, 66u);
    placed_in_all += placed;
  }
  EXPECT_LT(placed_in_all, 2u * 66);
  EXPECT_GT(placed_in_all, 40u);

  TempDir dir;
  write_file(dir / "long.svg", svg);
  render(dir / "long.svg", "long-route.png");
}

TEST(Draw, StationTimesAsTimetablesWriteThem) {
  const struct {
    int32_t seconds;
    const char* label;
  } cases[] = {
      {0, ""},  // a station without a time
      {-60, ""}, {66000, "18:20"}, {66005, "18:20:05"}, {59, "00:00:59"}, {86399, "23:59:59"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(station_time_label(c.seconds), c.label);
  }
}

TEST(Draw, ScenarioNamesAreGuessedOnlyWhenOneScenarioIsThere) {
  TempDir dir;
  std::vector<TrackCell> cells(200);
  StationTable t{};
  t[kScenarioSlot].name = "A_B";
  t[kTrainSlot].name = "T1";
  write_file(dir / "A_B_T1.dat", testing::grid_bytes(cells));
  write_file(dir / "A_B_T1.sim", testing::table_bytes(t));

  // One scenario: its names come from the train file, so "A_B" keeps its "_".
  const auto one = run({"draw", dir.path(), "-o", dir / "one.svg"});
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out, "drew A_B / T1 into " + (dir / "one.svg") +
                         " (no line plan file: plan view left out)\n");

  t[kScenarioSlot].name = "C";
  write_file(dir / "C_T2.dat", testing::grid_bytes(cells));
  write_file(dir / "C_T2.sim", testing::table_bytes(t));
  const auto two = run({"draw", dir.path(), "-o", dir / "two.svg"});
  EXPECT_EQ(two.status, 64);
  EXPECT_EQ(two.err, "scenario_tool: '" + dir.path() +
                         "' holds several compiled scenarios: A_B_T1 C_T2; choose one with "
                         "--scenario and --train\n");
  EXPECT_EQ(run({"draw", dir.path(), "-o", dir / "c.svg", "--train", "T2"}).status, 0);

  // A damaged cell grid is refused like inspect refuses it.
  write_file(dir / "C_T2.dat", std::string(16, '\0'));
  EXPECT_EQ(
      run({"draw", dir.path(), "-o", dir / "c.svg", "--scenario", "C", "--train", "T2"}).status,
      65);
  EXPECT_EQ(run({"draw", dir / "none", "-o", dir / "x.svg"}).status, 66);
}

}  // namespace
}  // namespace scenario::tools
