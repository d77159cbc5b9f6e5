#include "output/binary_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "unit/output/byte_literals.h"

namespace scenario {
namespace {

using testing::bytes;

TEST(CellGridFile, WritesFifteenBytesPerCellFieldByFieldLittleEndian) {
  CellGrid grid;
  grid.create(0);  // the margin alone: cells 0 .. 140
  TrackCell& c = grid.at(1);
  c.kind = kSignal;
  c.value1 = 5121;
  c.value2 = -2;
  c.value3 = 0x1234;
  c.value4 = 300;
  c.signal_time = 200;
  c.approach_code = 81;
  c.montagna_type = 12;
  c.speed_code = 32;
  c.gradient_code = 100;
  c.adhesion_code = 255;
  grid.at(140).kind = kTextBoard;

  const std::string out(cell_grid_bytes(grid).view());
  ASSERT_EQ(out.size(), 15u * 141);
  EXPECT_EQ(out.substr(0, 15), std::string(15, '\0'));
  EXPECT_EQ(out.substr(15, 15), bytes({
                                    0x01,        // kind
                                    0x01, 0x14,  // value1 5121
                                    0xFE, 0xFF,  // value2 -2
                                    0x34, 0x12,  // value3
                                    0x2C, 0x01,  // value4 300
                                    0xC8,        // signal_time 200
                                    0x51,        // approach_code 81
                                    0x0C,        // montagna_type 12
                                    0x20,        // speed_code 32
                                    0x64,        // gradient_code 100
                                    0xFF,        // adhesion_code 255
                                }));
  EXPECT_EQ(out[30], '\0') << "cell 2 starts right after cell 1";
  EXPECT_EQ(out[15 * 140], '\x0E') << "the last cell is written";
}

TEST(CellGridFile, SizeIsFifteenBytesTimesTheCells) {
  CellGrid grid;
  grid.create(152000);  // cells 0 .. 3180
  EXPECT_EQ(cell_grid_bytes(grid).size(), 47715u);
}

TEST(TrainFile, WritesEachRecordFieldByFieldWithItsNameCounted) {
  StationTable table{};
  StationRecord& r = table[0];
  r.station_kind = 7;
  r.area_start_m = 0x01020304;
  r.area_end_m = -1;
  r.position_m = 50000;
  r.flag_a = 1;
  r.name = "A\xE9";
  r.group_a1 = 610;
  r.group_a2 = -2;
  r.group_b1 = 0x0102;
  r.group_b2 = 0;
  r.group_b3 = 59;
  r.group_a3 = 9;
  r.stop_value = 8;
  r.end_extension = 3;
  r.long_flag = 1;
  r.time_s = 32158;

  const std::string out(train_file_bytes(table).view());
  ASSERT_EQ(out.size(), 87u * 34 + 2);
  EXPECT_EQ(out.substr(0, 36), bytes({
                                   0x07,                    // station_kind
                                   0x04, 0x03, 0x02, 0x01,  // area_start_m
                                   0xFF, 0xFF, 0xFF, 0xFF,  // area_end_m -1
                                   0x50, 0xC3, 0x00, 0x00,  // position_m 50000
                                   0x01,                    // flag_a
                                   0x02, 0x00, 0x41, 0xE9,  // name: count, raw bytes
                                   0x62, 0x02,              // group_a1 610
                                   0xFE, 0xFF,              // group_a2 -2
                                   0x02, 0x01,              // group_b1
                                   0x00, 0x00,              // group_b2
                                   0x3B, 0x00,              // group_b3 59
                                   0x09,                    // group_a3
                                   0x08,                    // stop_value
                                   0x03,                    // end_extension
                                   0x01,                    // long_flag
                                   0x9E, 0x7D, 0x00, 0x00,  // time_s 32158
                               }));
  // An empty slot: 34 zero bytes, its name the count 0 alone.
  EXPECT_EQ(out.substr(36, 34), std::string(34, '\0'));
}

TEST(TrainFile, ReservedSlotsLandAfterTheNamesBeforeThem) {
  StationTable table{};
  table[kScenarioSlot].name = "LORVENA";
  table[kScenarioSlot].group_a1 = 610;
  table[kScenarioSlot].time_s = 32158;
  table[kTrainSlot].name = "KQ3390";

  const std::string out(train_file_bytes(table).view());
  EXPECT_EQ(out.size(), 87u * 34 + 7 + 6);
  // Slot 85 starts at 85 x 34 = 2890, its name count 14 bytes in.
  EXPECT_EQ(out.substr(2904, 9), bytes({0x07, 0x00, 'L', 'O', 'R', 'V', 'E', 'N', 'A'}));
  EXPECT_EQ(out.substr(2913, 2), bytes({0x62, 0x02}));              // group_a1 610
  EXPECT_EQ(out.substr(2927, 4), bytes({0x9E, 0x7D, 0x00, 0x00}));  // time_s
  EXPECT_EQ(out.substr(2931 + 14, 8), bytes({0x06, 0x00, 'K', 'Q', '3', '3', '9', '0'}));
}

TEST(TrainFile, ANameTooLongForItsCountIsAProgramFault) {
  StationTable table{};
  table[3].name.assign(32767, 'x');
  EXPECT_EQ(train_file_bytes(table).size(), 87u * 34 + 32767);
  table[3].name.push_back('x');
  EXPECT_THROW(train_file_bytes(table), std::length_error);
}

TEST(LinePlanFile, WritesTaggedValuesAllXThenAllY) {
  const std::vector<PlanValue> x = {PlanValue::of_integer(0), PlanValue::of_integer(-2),
                                    PlanValue::of_real(0.1), PlanValue{}};
  const std::vector<PlanValue> y = {PlanValue::of_integer(0), PlanValue::of_integer(1),
                                    PlanValue::of_real(-2.5), PlanValue{}};
  EXPECT_EQ(
      line_plan_bytes(x, y).view(),
      bytes({
          0x02, 0x00, 0x00, 0x00,                                      // x0: integer 0
          0x02, 0x00, 0xFE, 0xFF,                                      // x1: integer -2
          0x05, 0x00,                                                  // x2: real 0.1
          0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F, 0x00, 0x00,  // x3: empty, the tag alone
          0x02, 0x00, 0x00, 0x00,                                      // y0: integer 0
          0x02, 0x00, 0x01, 0x00,                                      // y1: integer 1
          0x05, 0x00,                                                  // y2: real -2.5
          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0, 0x00, 0x00,  // y3: empty
      }));
}

TEST(LinePlanFile, ACompletedPlanHasTwoIntegersRealsAndTwoEmptiesPerHalf) {
  LinePlan plan;
  plan.create(1000);
  plan.seed();
  plan.complete();
  const std::string out(line_plan_bytes(plan).view());
  // Each half: 2 x 4 + 997 x 10 + 2 x 2 bytes.
  const size_t half = 9982;
  ASSERT_EQ(out.size(), 2 * half);
  EXPECT_EQ(out.substr(0, 10), bytes({0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x05, 0x00}));
  EXPECT_EQ(out.substr(half - 4, 4), bytes({0x00, 0x00, 0x00, 0x00}));
  // y: 0, 1, then the real 2.0.
  EXPECT_EQ(out.substr(half, 18), bytes({
                                      0x02,
                                      0x00,
                                      0x00,
                                      0x00,  // y0 0
                                      0x02,
                                      0x00,
                                      0x01,
                                      0x00,  // y1 1
                                      0x05,
                                      0x00,  // y2 2.0
                                      0x00,
                                      0x00,
                                      0x00,
                                      0x00,
                                      0x00,
                                      0x00,
                                      0x00,
                                      0x40,
                                  }));
}

// The plan writer lays both halves out at once from the plan's runs of
// steps; every shape of plan must give the bytes of its rows one by one.
TEST(LinePlanFile, EqualsTheRowByRowEncodingOfEveryKindOfPlan) {
  struct Case {
    const char* what;
    int32_t grid_length_m;
    bool seed;
    std::vector<std::array<int32_t, 3>> curves;  // start, length, class (minus: left)
    bool complete;
  };
  const Case cases[] = {
      {"created, never seeded: all rows empty", 300, false, {}, true},
      {"seeded only", 300, true, {}, false},
      {"straight to the end", 300, true, {}, true},
      {"curves both ways, then straight", 3000, true, {{950, 550, 4}, {1600, 300, -6}}, true},
      {"overlapping curves", 3000, true, {{950, 550, 4}, {1200, 500, 2}}, true},
      {"a curve running past the last row", 3000, true, {{2900, 500, -1}}, true},
      {"stopped inside a curve, never completed", 3000, true, {{100, 1000, 3}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LinePlan plan;
    plan.create(c.grid_length_m);
    if (c.seed) plan.seed();
    for (const auto& [start, length, cls] : c.curves) {
      ASSERT_TRUE(plan.extend(start, length, LinePlan::curvature(std::abs(cls), cls < 0)));
    }
    if (c.complete) plan.complete();
    const PlanValues v = plan.values();
    ASSERT_EQ(v.x.size(), static_cast<size_t>(c.grid_length_m) + 1);
    EXPECT_EQ(line_plan_bytes(plan).view(), line_plan_bytes(v.x, v.y).view());
  }
}

}  // namespace
}  // namespace scenario
