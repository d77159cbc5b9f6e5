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
  EXPECT_NE(text.out.find("    607    30350  signal                           left_type 2, "
                          "right_type 0, repeater 0, left_aspect_1 4, left_aspect_2 1, "
                          "left_aspect_3 0, right_aspect_1 0, right_aspect_2 0, right_aspect_3 0, "
                          "time 230\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("    605    30250  empty                            approach_code 61, "
                          "approach_for \"signal\", approach_step 1, approach_left_type 2, "
                          "approach_right_type 0, approach_target_cell 607\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("line speed (km/h):\n"
                          "  cells      0 ..    414  metres        0 ..    20700     80\n"
                          "  cells    415 ..    699  metres    20750 ..    34950     95\n"),
            std::string::npos)
      << text.out;

  const auto json = run({"inspect", path, "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto j = nlohmann::json::parse(json.out);
  ASSERT_EQ(j["cells_in_use"].size(), 5u);  // four approach cells and the signal
  const auto& signal = j["cells_in_use"][4];
  EXPECT_EQ(signal, (nlohmann::json{{"index", 607},
                                    {"metres", 30350},
                                    {"kind", 1},
                                    {"kind_name", "signal"},
                                    {"left_type", 2},
                                    {"right_type", 0},
                                    {"repeater", 0},
                                    {"left_aspect_1", 4},
                                    {"left_aspect_2", 1},
                                    {"left_aspect_3", 0},
                                    {"right_aspect_1", 0},
                                    {"right_aspect_2", 0},
                                    {"right_aspect_3", 0},
                                    {"time", 230}}));
  EXPECT_EQ(j["gradient_per_mille"][1], (nlohmann::json{{"first_cell", 27},
                                                        {"last_cell", 699},
                                                        {"from_m", 1350},
                                                        {"to_m", 34950},
                                                        {"value", 19}}));
  EXPECT_TRUE(j["montagna_type"].empty());

  const auto csv = run({"inspect", path, "--csv"});
  ASSERT_EQ(csv.status, 0);
  const std::string header = csv.out.substr(0, csv.out.find('\n'));
  EXPECT_EQ(header.rfind("index,metres,kind,kind_name,left_type,right_type,repeater,", 0), 0u);
  EXPECT_EQ(header.find("value1"), std::string::npos);
  EXPECT_NE(csv.out.find("\n607,30350,1,signal,2,0,0,4,1,0,0,0,0,230,"), std::string::npos);
  EXPECT_NE(csv.out.find(",95,19,90,\n"), std::string::npos);  // speed, gradient, adhesion
}

// Every combined field is shown by its parts, and every field the cell's
// kind does not explain shows up under its own name instead of vanishing.
TEST(Inspect, CellValuesAreSplitIntoTheRowsValues) {
  std::vector<TrackCell> cells(40);
  cells[1].value1 = 5121;  // the build's marker and second check code
  cells[1].value2 = 2380;
  // A speed board: left 75/80/80 km/h, right 40/45/95 km/h, stripes 2 and 1.
  cells[10] = {.kind = kSpeedBoard, .value1 = 1508, .value2 = 1609, .value3 = 1619, .value4 = 21};
  // A slow-down start at 60 km/h with a second speed and its flag.
  cells[12] = {.kind = kSlowDownStart, .value1 = 60, .value2 = 7, .value3 = 1};
  // A signal of left type 2, right type 2: its approach codes 81 .. 84 are
  // those of a station stop too; the signal 2 * step cells on decides.
  cells[30] = {.kind = kSignal, .value4 = 8};
  cells[28].approach_code = 81;
  // A station stop whose approach cell 1 before it also holds 81.
  cells[20] = {.kind = kStationStop, .value1 = 3};
  cells[19].approach_code = 81;
  // 81 before nothing that explains it.
  cells[5].approach_code = 81;
  // A kind the build never writes, and a signal time on a speed board.
  cells[35] = {.kind = 9, .value1 = 4};
  cells[10].signal_time = 7;

  struct Case {
    size_t index;
    nlohmann::json expected;  // besides index, metres, kind, kind_name
  };
  const Case cases[] = {
      {1, {{"reserved_marker", 5121}, {"check_code", 2380}}},
      {10,
       {{"left_speed_a_kmh", 75},
        {"left_speed_b_kmh", 80},
        {"left_speed_c_kmh", 80},
        {"left_stripes", 2},
        {"right_speed_a_kmh", 40},
        {"right_speed_b_kmh", 45},
        {"right_speed_c_kmh", 95},
        {"right_stripes", 1},
        {"unnamed", {{"signal_time", 7}}}}},
      {12, {{"speed_kmh", 60}, {"second_speed", 7}, {"start_end_flag", 1}}},
      {28,
       {{"approach_code", 81},
        {"approach_for", "signal"},
        {"approach_step", 1},
        {"approach_left_type", 2},
        {"approach_right_type", 2},
        {"approach_target_cell", 30}}},
      {19,
       {{"approach_code", 81},
        {"approach_for", "station stop"},
        {"approach_step", 1},
        {"approach_target_cell", 20}}},
      {5, {{"approach_code", 81}, {"approach_for", "unknown"}, {"approach_step", 1}}},
      {35, {{"unnamed", {{"value1", 4}}}}},
  };
  TempDir dir;
  const std::string path = dir / "X_T.dat";
  testing::write_file(path, testing::grid_bytes(cells));
  const auto json = run({"inspect", path, "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto j = nlohmann::json::parse(json.out);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    nlohmann::json found;
    for (const auto& cell : j["cells_in_use"]) {
      if (cell["index"] == c.index) found = cell;
    }
    ASSERT_FALSE(found.is_null());
    for (const char* common : {"index", "metres", "kind", "kind_name"}) found.erase(common);
    EXPECT_EQ(found, c.expected);
  }
}

TEST(Inspect, TrainFileNamesStationsBoardsAndFixedSlots) {
  StationTable t{};
  StationRecord& s = t[1];
  s.station_kind = 2;
  s.area_start_m = -350;
  s.area_end_m = 350;
  s.name = "SANT'ANNA \xC8 \"VECCHIA\", ALTA";  // code page 1252 E grave
  s.stop_value = 1;
  s.time_s = 66000;
  t[80].name = "(BIVIO)";
  auto f = fixed_slots(t);
  f.braked_weight_percent() = 110;
  f.route_length_m() = 152000;
  f.coaches() = 6;
  f.train_code() = "KQ3390";
  f.clock_hours() = 18;
  f.clock_minutes() = 19;
  t[kTrainSlot].station_kind = 3;  // nothing the builder writes
  TempDir dir;
  const std::string path = dir / "X_T.sim";
  testing::write_file(path, testing::table_bytes(t));

  const auto text = run({"inspect", path});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("train file of 87 slots, 4 in use"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("slot 1 (station)\n"
                          "  name \"SANT'ANNA \xC3\x88 \"VECCHIA\", ALTA\", station_kind 2, "
                          "area_start_m -350, area_end_m 350, position_m 0"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("time_s 66000, time \"18:20:00\"\n"), std::string::npos);
  EXPECT_NE(text.out.find("slot 80 (board text)\n  text \"(BIVIO)\"\n"), std::string::npos);
  EXPECT_NE(text.out.find("slot 84 (train values)\n"
                          "  braked_weight_percent 110, route_length_m 152000, coaches 6\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("  unnamed: station_kind 3\n"), std::string::npos);

  const auto json = run({"inspect", path, "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto j = nlohmann::json::parse(json.out);
  ASSERT_EQ(j["slots"].size(), 4u);
  EXPECT_EQ(j["slots"][0]["name"], "SANT'ANNA \xC3\x88 \"VECCHIA\", ALTA");
  EXPECT_EQ(j["slots"][3], (nlohmann::json{{"slot", 86},
                                           {"role", "train"},
                                           {"train_code", "KQ3390"},
                                           {"repetition_start_m", 0},
                                           {"repetition_end_m", 0},
                                           {"repetition_codes", 0},
                                           {"sand", 0},
                                           {"clock_hours", 18},
                                           {"clock_minutes", 19},
                                           {"clock_seconds", 0},
                                           {"unnamed", {{"station_kind", 3}}}}));

  const auto csv = run({"inspect", path, "--csv"});
  EXPECT_NE(csv.out.find("\n1,station,\"SANT'ANNA \xC3\x88 \"\"VECCHIA\"\", ALTA\",,2,-350,350,0,"),
            std::string::npos)
      << csv.out;
  EXPECT_NE(csv.out.find("\n84,train values," + std::string(21, ',') + "110,152000,6,"),
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
       "scenario_tool: cannot read the compiled file '" + (dir / "missing.sim") +
           "': no such file\n"},
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
