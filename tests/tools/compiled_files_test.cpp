#include "tools/compiled_files.h"

#include <gtest/gtest.h>

#include "tool_test_support.h"

namespace scenario::tools {
namespace {

using testing::Bytes;

TEST(CompiledFiles, FormatIsChosenByName) {
  EXPECT_EQ(format_from_name("out/LORVENA_linea.dat"), CompiledFormat::kLinePlan);
  EXPECT_EQ(format_from_name("out/LORVENA_KQ3390.sim"), CompiledFormat::kTrainFile);
  EXPECT_EQ(format_from_name("out/LORVENA_KQ3390.dat"), CompiledFormat::kCellGrid);
  EXPECT_EQ(format_from_name("out/LORVENA_linea.txt"), CompiledFormat::kUnknown);
}

TEST(CompiledFiles, CellFieldsAreReadInFileOrderLittleEndian) {
  Bytes b;
  b.s.assign(15, '\0');  // cell 0
  b.u8(1)                // kind
      .u16(0x1401)       // value1 5121
      .u16(0xFFFE)       // value2 -2
      .u16(0x0300)       // value3 768
      .u16(6)            // value4
      .u8(230)           // signal_time
      .u8(61)            // approach_code
      .u8(3)             // montagna_type
      .u8(16)            // speed_code
      .u8(119)           // gradient_code
      .u8(90);           // adhesion_code
  std::vector<TrackCell> cells;
  std::string err;
  ASSERT_TRUE(parse_cell_grid(b.s, &cells, &err)) << err;
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0], TrackCell{});
  const TrackCell& c = cells[1];
  EXPECT_EQ(c.kind, 1);
  EXPECT_EQ(c.value1, 5121);
  EXPECT_EQ(c.value2, -2);
  EXPECT_EQ(c.value3, 768);
  EXPECT_EQ(c.value4, 6);
  EXPECT_EQ(c.signal_time, 230);
  EXPECT_EQ(c.approach_code, 61);
  EXPECT_EQ(c.montagna_type, 3);
  EXPECT_EQ(speed_kmh(c), 80);
  EXPECT_EQ(gradient(c), 19);
  EXPECT_EQ(adhesion(c), 90);
}

TEST(CompiledFiles, TrainRecordsAreReadFieldByFieldWithTheirNames) {
  StationTable want{};
  StationRecord& s = want[1];
  s.station_kind = 2;
  s.area_start_m = -50;
  s.area_end_m = 700;
  s.position_m = 0;
  s.flag_a = 1;
  s.name = "SANT'ANNA";
  s.group_a1 = 4;
  s.group_a2 = 1;
  s.group_b1 = 2;
  s.group_b2 = -1;
  s.group_b3 = 1;
  s.group_a3 = 7;
  s.stop_value = 30;
  s.end_extension = 1;
  s.long_flag = 1;
  s.time_s = 65700;
  want[kTrainSlot].name = "KQ3390";
  StationTable got{};
  std::string err;
  ASSERT_TRUE(parse_train_file(testing::table_bytes(want), &got, &err)) << err;
  EXPECT_EQ(got, want);
}

TEST(CompiledFiles, PlanHalvesGiveXAndYPerMetre) {
  Bytes b;
  // x half: metres 0, 1 integers, 2 real, 3 empty
  b.u16(2).u16(0).u16(2).u16(0).u16(5).f64(0.001).u16(0);
  // y half
  b.u16(2).u16(0).u16(2).u16(1).u16(5).f64(2.0).u16(0);
  PlanFile plan;
  std::string err;
  ASSERT_TRUE(parse_line_plan(b.s, &plan, &err)) << err;
  ASSERT_EQ(plan.x.size(), 4u);
  EXPECT_EQ(plan.y[1].integer, 1);
  EXPECT_EQ(plan.x[2].real, 0.001);
  EXPECT_EQ(plan.y[2].real, 2.0);
  EXPECT_EQ(plan.x[3].tag, PlanValue::Tag::kEmpty);
}

TEST(CompiledFiles, DamagedFilesAreRefusedNamingTheOffset) {
  StationTable table{};
  table[kTrainSlot].name = "KQ3390";
  const std::string sim = testing::table_bytes(table);  // 87 x 34 + 6 bytes
  Bytes plan_odd;
  plan_odd.u16(2).u16(0).u16(0).u16(2).u16(0);
  Bytes plan_cut;
  plan_cut.u16(2).u16(0).u16(5).u32(0);
  Bytes plan_tag;
  plan_tag.u16(2).u16(0).u16(7).u16(0);
  Bytes plan_mismatch;
  plan_mismatch.u16(2).u16(0).u16(0).u16(2).u16(0).u16(5).f64(1.0);
  struct Case {
    CompiledFormat format;
    std::string bytes;
    std::string message;
  };
  const Case cases[] = {
      // a cell grid with nothing in it
      {CompiledFormat::kCellGrid, "",
       "cell grid file is empty (offset 0): it holds at least one cell of 15 bytes"},
      // two cells and one stray byte
      {CompiledFormat::kCellGrid, std::string(31, '\0'),
       "cell grid file of 31 bytes is not a whole number of 15-byte cells: 1 bytes left over at "
       "offset 30"},
      // the last record's name cut short
      {CompiledFormat::kTrainFile, sim.substr(0, sim.size() - 20),
       "train file ends inside record 86 (offset 2924): 6 bytes of the name needed at offset "
       "2940, but the file ends at 2944 (a train file holds exactly 87 records)"},
      // only 86 records
      {CompiledFormat::kTrainFile, sim.substr(0, 86 * 34),
       "train file ends inside record 86 (offset 2924): 16 bytes of the fixed fields needed at "
       "offset 2924, but the file ends at 2924 (a train file holds exactly 87 records)"},
      // a byte after the last record
      {CompiledFormat::kTrainFile, sim + "x",
       "train file has 1 bytes after its 87th record, from offset 2964 (a train file holds "
       "exactly 87 records)"},
      {CompiledFormat::kLinePlan, plan_tag.s,
       "line plan file has the unknown tag 7 at offset 4 (element 1); the tags are 0 empty, 2 "
       "integer, 5 real"},
      {CompiledFormat::kLinePlan, plan_cut.s,
       "line plan file ends inside the real of element 1 at offset 4"},
      {CompiledFormat::kLinePlan, plan_odd.s,
       "line plan file holds an odd number of elements (3), so its x and y halves cannot match; "
       "the y half would start at offset 4"},
      {CompiledFormat::kLinePlan, plan_mismatch.s,
       "line plan halves disagree at metre 1: x has tag 0 at offset 4, y has tag 5 at offset 10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::string err;
    std::vector<TrackCell> cells;
    StationTable t{};
    PlanFile p;
    bool ok = true;
    if (c.format == CompiledFormat::kCellGrid) ok = parse_cell_grid(c.bytes, &cells, &err);
    if (c.format == CompiledFormat::kTrainFile) ok = parse_train_file(c.bytes, &t, &err);
    if (c.format == CompiledFormat::kLinePlan) ok = parse_line_plan(c.bytes, &p, &err);
    EXPECT_FALSE(ok);
    EXPECT_EQ(err, c.message);
  }
}

}  // namespace
}  // namespace scenario::tools
