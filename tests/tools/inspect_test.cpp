#include "tools/inspect.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tool_test_support.h"

namespace scenario::tools {
namespace {

using testing::Bytes;
using testing::run;
using testing::TempDir;

// A grid of 700 cells with one signal placed by hand in cell 607 (metre
// 30350), its approach codes, and speed and gradient stretches.
std::vector<TrackCell> grid_with_a_signal() {
  std::vector<TrackCell> cells(700);
  for (size_t i = 0; i < cells.size(); ++i) {
    cells[i].speed_code = i < 415 ? 16 : 19;  // 80, then 95 km/h
    cells[i].gradient_code = i < 27 ? 100 : 119;
    cells[i].adhesion_code = 90;
  }
  TrackCell& s = cells[607];
  s.kind = kSignal;
  s.value1 = 40;
  s.value2 = 10;
  s.value4 = 6;
  s.signal_time = 230;
  for (int k = 1; k <= 4; ++k) cells[static_cast<size_t>(607 - 2 * k)].approach_code = 60 + k;
  return cells;
}

TEST(Inspect, CellGridListsAPlacedSignalAndTheProfilesAsRuns) {
  TempDir dir;
  const std::string path = dir / "X_T.dat";
  testing::write_file(path, testing::grid_bytes(grid_with_a_signal()));

  const auto text = run({"inspect", path});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("    607    30350  signal                               40     10      0"
                          "      6   230        0        0\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("    605    30250  empty                                 0      0      0"
                          "      0     0       61        0\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("speed (km/h):\n"
                          "  cells      0 ..    414  metres        0 ..    20700     80\n"
                          "  cells    415 ..    699  metres    20750 ..    34950     95\n"),
            std::string::npos)
      << text.out;

  const auto json = run({"inspect", path, "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto j = nlohmann::json::parse(json.out);
  ASSERT_EQ(j["cells_in_use"].size(), 5u);  // four approach cells and the signal
  const auto& signal = j["cells_in_use"][4];
  EXPECT_EQ(signal["index"], 607);
  EXPECT_EQ(signal["metres"], 30350);
  EXPECT_EQ(signal["kind_name"], "signal");
  EXPECT_EQ(signal["signal_time"], 230);
  EXPECT_EQ(j["gradient"][1], (nlohmann::json{{"first_cell", 27}, {"last_cell", 699},
                                              {"from_m", 1350}, {"to_m", 34950}, {"value", 19}}));
  EXPECT_TRUE(j["montagna_type"].empty());

  const auto csv = run({"inspect", path, "--csv"});
  ASSERT_EQ(csv.status, 0);
  EXPECT_NE(csv.out.find("\n607,30350,1,signal,40,10,0,6,230,0,0,95,19,90\n"), std::string::npos);
}

TEST(Inspect, TrainFileShowsSlotsInUseWithTheirRoles) {
  StationTable t{};
  StationRecord& s = t[1];
  s.station_kind = 2;
  s.area_start_m = -350;
  s.area_end_m = 350;
  s.name = "SANT'ANNA \xC8 \"VECCHIA\", ALTA";  // code page 1252 E grave
  s.stop_value = 1;
  s.time_s = 66000;
  t[80].name = "(BIVIO)";
  t[84].area_start_m = 110;
  t[84].area_end_m = 152000;
  t[84].position_m = 6;
  t[86].name = "KQ3390";
  t[86].group_b1 = 18;
  t[86].group_b2 = 19;
  TempDir dir;
  const std::string path = dir / "X_T.sim";
  testing::write_file(path, testing::table_bytes(t));

  const auto text = run({"inspect", path});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("train file of 87 slots, 4 in use"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("slot 1 (station): name \"SANT'ANNA \xC3\x88 \"VECCHIA\", ALTA\"\n"
                          "  station_kind 2, area_start_m -350, area_end_m 350, position_m 0"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("time_s 66000 (18:20:00)"), std::string::npos);
  EXPECT_NE(text.out.find("slot 80 (board text): name \"(BIVIO)\""), std::string::npos);
  EXPECT_NE(text.out.find("meaning: braked_weight_percent 110, route_length_m 152000, coaches 6"),
            std::string::npos);

  const auto json = run({"inspect", path, "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto j = nlohmann::json::parse(json.out);
  ASSERT_EQ(j["slots"].size(), 4u);
  EXPECT_EQ(j["slots"][0]["name"], "SANT'ANNA \xC3\x88 \"VECCHIA\", ALTA");
  EXPECT_EQ(j["slots"][3]["role"], "train");
  EXPECT_EQ(j["slots"][3]["meaning"]["clock_minutes"], 19);

  const auto csv = run({"inspect", path, "--csv"});
  EXPECT_NE(csv.out.find("\n1,station,2,-350,350,0,0,\"SANT'ANNA \xC3\x88 \"\"VECCHIA\"\", ALTA\","),
            std::string::npos)
      << csv.out;
}

TEST(Inspect, LinePlanGivesCountExtentAndFinalHeading) {
  // Two integer points, then steps of (1, 1): a heading of 45 degrees.
  Bytes x, y;
  x.u16(2).u16(0).u16(2).u16(0);
  y.u16(2).u16(0).u16(2).u16(1);
  for (int m = 2; m <= 4; ++m) {
    x.u16(5).f64(m - 1.0);
    y.u16(5).f64(m);
  }
  x.u16(0);
  y.u16(0);
  TempDir dir;
  const std::string path = dir / "X_linea.dat";
  testing::write_file(path, x.s + y.s);

  const auto text = run({"inspect", path});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out,
            "X_linea.dat: line plan of 6 rows per half (metres 0 .. 5)\n"
            "points: 5 (metres 0 .. 4), 2 integer and 3 real, 1 empty rows\n"
            "extent: x 0.000 .. 3.000 m, y 0.000 .. 4.000 m\n"
            "final heading: 45.000 degrees clockwise from +y, last step 1.414214 m\n");

  const auto csv = run({"inspect", path, "--csv"});
  EXPECT_EQ(csv.out, "metre,x,y\n0,0,0\n1,0,1\n2,1,2\n3,2,3\n4,3,4\n");
}

TEST(Inspect, ExitStatusTellsUsageUnreadableAndRefusedApart) {
  TempDir dir;
  testing::write_file(dir / "bad.dat", std::string(16, '\0'));
  testing::write_file(dir / "notes.txt", "x");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {{"inspect", dir / "bad.dat"},
       65,
       "scenario_tool: " + (dir / "bad.dat") +
           ": cell grid file of 16 bytes is not a whole number of 15-byte cells: 1 bytes left "
           "over at offset 15\n"},
      {{"inspect", dir / "missing.sim"},
       66,
       "scenario_tool: cannot read the compiled file '" + (dir / "missing.sim") + "': no such file\n"},
      {{"inspect", dir / "notes.txt"},
       64,
       "scenario_tool: cannot tell the format of '" + (dir / "notes.txt") +
           "' from its name: *_linea.dat is a line plan, *.sim a train file, other *.dat a cell "
           "grid\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    const auto r = run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
  // Options the command line parser refuses.
  EXPECT_EQ(run({"inspect", dir / "bad.dat", "--json", "--csv"}).status, 64);
  EXPECT_EQ(run({"inspect"}).status, 64);
  EXPECT_EQ(run({}).status, 64);
  EXPECT_EQ(run({"--help"}).status, 0);
}

}  // namespace
}  // namespace scenario::tools
