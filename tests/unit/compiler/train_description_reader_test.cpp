#include "compiler/train_description_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/run_failure.h"
#include "platform/file_system.h"
#include "platform/memory_file_system.h"

namespace scenario {
namespace {

constexpr const char* kPath = "LORVENA_KQ3390-.txt";

// Lines between the start header and the closing "[fine]", CR LF ended.
std::string train(const std::vector<std::string>& lines) {
  std::string text = "[generale]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text + "[fine]\r\n";
}

// A station line with every stored value 0 and the name "S".
std::string station(int position, int kind, int length) {
  return "stazione, " + std::to_string(position) + ", " + std::to_string(kind) + ", " +
         std::to_string(length) + ", 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S";
}

class TrainReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }

  // Route length 0: a grid of cells 0 .. 140, the smallest there is.
  void reset() {
    fs = MemoryFileSystem{};
    st = BuildState{};
    st.grid.create(0);
  }

  void read(const std::string& text, int32_t board_limit = 80) {
    fs.put(kPath, text);
    read_train_description(st, fs, kPath, board_limit);
  }

  MemoryFileSystem fs;
  BuildState st;
};

TEST_F(TrainReaderTest, ScenarioFirstAndLastStationAndSpeedProfile) {
  st.grid.create(150000);  // cells 0 .. 3140
  read(train({
      "velocita,       0,    30",
      "velocita,    1000,    80",
      "stazione,       0,  2,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,20, 0, S. MARIA D'ALTO",
      "stazione,  152000,  6,  700,  1, 1, 1,  0,0,0,  0,0,0,    0,  19,45,30, ULTIMA",
  }));
  EXPECT_EQ(st.error_code, 0);
  EXPECT_FALSE(fs.has(kPath));

  StationRecord first;
  first.station_kind = 2;
  first.area_start_m = -350;
  first.area_end_m = 350;
  first.position_m = 0;
  first.flag_a = 1;
  first.name = "S. MARIA D'ALTO";
  first.group_a1 = 4;
  first.group_a2 = 1;
  first.group_a3 = 0;
  first.group_b1 = 2;
  first.group_b2 = 1;
  first.group_b3 = 1;
  first.stop_value = 1;
  first.end_extension = 0;
  first.long_flag = 0;  // read as 1, but never set on the first station
  first.time_s = 66000;
  EXPECT_EQ(st.stations[1], first);

  const StationRecord& last = st.stations[2];
  EXPECT_EQ(last.area_start_m, 151300);
  EXPECT_EQ(last.area_end_m, 152150);
  EXPECT_EQ(last.long_flag, 1);
  EXPECT_EQ(last.end_extension, 0);  // kind 6 never extends its area
  EXPECT_EQ(last.time_s, 71130);
  EXPECT_EQ(last.name, "ULTIMA");
  EXPECT_EQ(st.stations[3], StationRecord{});

  const auto& cells = st.grid.cells();
  EXPECT_EQ(cells[6].kind, kStationStop);
  EXPECT_EQ(cells[6].value1, 1);
  const int approach[] = {0, 0, 84, 83, 82, 81, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(cells[i].approach_code, approach[i]) << "cell " << i;
  EXPECT_EQ(cells[3042].kind, kStationStop);
  EXPECT_EQ(cells[3042].value1, 2);
  for (int i = 3036; i <= 3044; ++i) EXPECT_EQ(cells[i].approach_code, 0) << "cell " << i;

  for (int i = 0; i <= 19; ++i) EXPECT_EQ(cells[i].speed_code, 6) << "cell " << i;
  for (int i = 20; i <= 3137; ++i) ASSERT_EQ(cells[i].speed_code, 16) << "cell " << i;
  for (int i = 3138; i <= 3140; ++i) EXPECT_EQ(cells[i].speed_code, 0) << "cell " << i;
}

TEST_F(TrainReaderTest, ProfileFillsAndCompletions) {
  struct Row {
    const char* what;
    std::vector<std::string> lines;
    // speed_code of cells 0 .. 140 as runs of {last cell, value}.
    std::vector<std::pair<int, int>> speed;
  };
  const Row rows[] = {
      // A line at 0 writes nothing itself; its value runs to cell 137.
      {"only a line at 0", {"velocita, 0, 100"}, {{137, 20}, {140, 0}}},
      // Cells before the first line's position take the starting value 0.
      {"first line late", {"velocita, 500, 100"}, {{9, 0}, {137, 20}, {140, 0}}},
      // The second line at 500 finds the fill index already at its cell and
      // still writes one cell with the value of the line before it.
      {"line behind the fill index",
       {"velocita, 0, 30", "velocita, 500, 60", "velocita, 500, 90"},
       {{9, 6}, {10, 12}, {137, 18}, {140, 0}}},
      // 525 m is cell round(10.5) = 10, 575 m cell round(11.5) = 12.
      {"halves round to even",
       {"velocita, 0, 30", "velocita, 525, 60", "velocita, 575, 90"},
       {{9, 6}, {11, 12}, {137, 18}, {140, 0}}},
      // 1277 km/h is the highest speed a byte holds: round(255.4).
      {"highest speed", {"velocita, 0, 1277"}, {{137, 255}, {140, 0}}},
      // Lines at the top of the grid push the fill index to the last cell
      // but never past it; the completion then writes only that cell.
      {"repeated lines at the top",
       {"velocita, 0, 10", "velocita, 6900, 50", "velocita, 6900, 50", "velocita, 6900, 50",
        "velocita, 6900, 50", "velocita, 6900, 50"},
       {{137, 2}, {140, 10}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reset();
    read(train(row.lines));
    EXPECT_EQ(st.error_code, 0);
    int cell = 0;
    for (const auto& [last, value] : row.speed) {
      for (; cell <= last; ++cell) ASSERT_EQ(st.grid.at(cell).speed_code, value) << "cell " << cell;
    }
  }
}

TEST_F(TrainReaderTest, AdhesionKeepsTheLowByteWithTheSameFillAndCompletion) {
  read(train({"aderenza, 0, 90", "aderenza, 1000, 300", "aderenza, 1000, 80"}));
  EXPECT_EQ(st.error_code, 0);
  for (int i = 0; i <= 19; ++i) EXPECT_EQ(st.grid.at(i).adhesion_code, 90) << "cell " << i;
  EXPECT_EQ(st.grid.at(20).adhesion_code, 44);  // 300 less 256, written by the third line
  for (int i = 21; i <= 137; ++i) ASSERT_EQ(st.grid.at(i).adhesion_code, 80) << "cell " << i;
  EXPECT_EQ(st.grid.at(138).adhesion_code, 0);
}

TEST_F(TrainReaderTest, KeyItemRules) {
  struct Row {
    const char* what;
    std::string text;
    int32_t coaches;
  };
  const Row rows[] = {
      {"plain key", train({"numero vetture, 7"}), 7},
      {"capitals", train({"NUMERO VETTURE, 7"}), 7},
      {"capital initials", train({"Numero Vetture, 7"}), 7},
      {"start header in capitals", "[GENERALE]\r\nnumero vetture, 7\r\n[fine]\r\n", 7},
      {"keys before the start header are skipped", "numero vetture, 5\r\n[generale]\r\n[fine]\r\n",
       0},
      {"no start header at all", "numero vetture, 5\r\n[fine]\r\n", 0},
      {"empty text", "", 0},
      {"one separator item", train({"x-, numero vetture, 7"}), 7},
      {"two separator items", train({"x-, y-, numero vetture, 7"}), 7},
      // The third hyphenated item in a row is tested whatever it holds.
      {"third hyphenated item", train({"x-, y-, numero-vetture, 7"}), 7},
      // A hyphenated key is dropped and its value is read as the key.
      {"hyphenated key", train({"numero-vetture, 7"}), 0},
      {"hyphenated key after a separator", train({"x-, numero-vetture, 7"}), 0},
      // The very last item of the text is never a key.
      {"key as the last item", "[generale]\r\nnumero vetture, 7\r\nnumero vetture", 7},
      // A complete line without "[fine]" after it still counts.
      {"complete line at the end", "[generale]\r\nnumero vetture, 7\r\n", 7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reset();
    read(row.text);
    EXPECT_EQ(st.error_code, 0);
    EXPECT_EQ(st.stations[kTrainValuesSlot].position_m, row.coaches);
    EXPECT_FALSE(fs.has(kPath));
  }
}

TEST_F(TrainReaderTest, TrainLevelValues) {
  read(train({
      "percentuale massa frenata,    110",
      "numero vetture,    6",
      "sabbia,    300",
      "orologio,    18              19            0 ",
  }));
  EXPECT_EQ(st.stations[kTrainValuesSlot].area_start_m, 110);
  EXPECT_EQ(st.stations[kTrainValuesSlot].position_m, 6);
  EXPECT_EQ(st.stations[kTrainSlot].group_a1, 300);
  EXPECT_EQ(st.stations[kTrainSlot].group_b1, 18);
  EXPECT_EQ(st.stations[kTrainSlot].group_b2, 19);
  EXPECT_EQ(st.stations[kTrainSlot].group_b3, 0);

  // Commas separate the clock as well; a repeated line overwrites.
  reset();
  read(train({"orologio, 7, 5, 30", "orologio, 8,9,10"}));
  EXPECT_EQ(st.stations[kTrainSlot].group_b1, 8);
  EXPECT_EQ(st.stations[kTrainSlot].group_b2, 9);
  EXPECT_EQ(st.stations[kTrainSlot].group_b3, 10);

  // Every key test that matches reads its values, in the order of the tests:
  // "vetture" comes before "sabbia".
  reset();
  read(train({"sabbia vetture, 5, 300"}));
  EXPECT_EQ(st.stations[kTrainValuesSlot].position_m, 5);
  EXPECT_EQ(st.stations[kTrainSlot].group_a1, 300);
}

TEST_F(TrainReaderTest, StationAreaByKind) {
  struct Row {
    const char* line;  // the second station, after one of kind 28 at 1000
    int32_t area_start, area_end;
    int marker;     // stop-marker cell, -1 for none
    bool approach;  // codes 81 .. 84 in the four cells below the marker
    uint8_t end_extension, long_flag;
  };
  const Row rows[] = {
      {"stazione, 4000, 2, 700, 0, 1, 0, 0,0,0, 0,0,0, 0, 0,0,0, A", 3650, 4350, 86, true, 0, 1},
      // The end extension reaches 50 m further; under 600 m no long flag.
      {"stazione, 4000, 4, 500, 0, 1, 1, 0,0,0, 0,0,0, 0, 0,0,0, A", 3750, 4300, 85, true, 1, 0},
      {"stazione, 4000, 6, 700, 0, 1, 1, 0,0,0, 0,0,0, 0, 0,0,0, A", 3300, 4150, 82, false, 0, 1},
      {"stazione, 4000, 5, 800, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A", 3200, 4150, 82, false, 0, 0},
      {"stazione, 4000, 7, 300, 0, 0, 1, 0,0,0, 0,0,0, 0, 0,0,0, A", 3700, 4300, 85, true, 0, 0},
      {"stazione, 4000, 8, 700, 0, 1, 0, 0,0,0, 0,0,0, 0, 0,0,0, A", 3300, 4700, 93, true, 0, 1},
      {"stazione, 4000, 28, 700, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A", 3650, 4350, -1, false, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    reset();
    read(train({station(1000, 28, 100), row.line}));
    EXPECT_EQ(st.error_code, 0);
    const StationRecord& r = st.stations[2];
    EXPECT_EQ(r.area_start_m, row.area_start);
    EXPECT_EQ(r.area_end_m, row.area_end);
    EXPECT_EQ(r.end_extension, row.end_extension);
    EXPECT_EQ(r.long_flag, row.long_flag);
    for (int i = 0; i <= st.grid.grid_last_index(); ++i) {
      const TrackCell& cell = st.grid.at(i);
      const int below = row.marker - i;
      const int code = row.approach && below >= 1 && below <= 4 ? 80 + below : 0;
      ASSERT_EQ(cell.approach_code, code) << "cell " << i;
      ASSERT_EQ(cell.kind, i == row.marker ? kStationStop : kEmpty) << "cell " << i;
    }
    if (row.marker >= 0) {
      EXPECT_EQ(st.grid.at(row.marker).value1, 2);
    }
  }
}

TEST_F(TrainReaderTest, FirstStationUsesItsEndExtensionBeforeItIsCleared) {
  read(train({"stazione, 1000, 2, 700, 0, 1, 1, 0,0,0, 0,0,0, 0, 0,0,0, A"}));
  EXPECT_EQ(st.stations[1].area_end_m, 1400);
  EXPECT_EQ(st.stations[1].end_extension, 0);
  EXPECT_EQ(st.stations[1].long_flag, 0);
  EXPECT_EQ(st.grid.at(27).kind, kStationStop);
}

TEST_F(TrainReaderTest, StationCountStopsBelowTheBoardLimit) {
  struct Row {
    int32_t board_limit;
    int stations;
    int32_t code;
  };
  const Row rows[] = {
      {80, 78, 0},   // no boards: 78 stations fit
      {80, 79, 10},  // the 79th is stored and marked, then the read ends
      {77, 75, 0},   // three boards
      {77, 76, 10},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.board_limit << " / " << row.stations);
    reset();
    st.grid.create(80000);
    st.error_position_m = -7;
    std::string text = "[generale]\r\nvelocita, 0, 100\r\n";
    for (int n = 1; n <= row.stations; ++n) text += station(n * 1000, 2, 100) + "\r\n";
    read(text + "[fine]\r\n", row.board_limit);
    EXPECT_EQ(st.error_code, row.code);
    EXPECT_EQ(st.error_position_m, -7);
    EXPECT_FALSE(fs.has(kPath));
    const int n = row.stations;
    EXPECT_EQ(st.stations[n].position_m, n * 1000);
    // Station n at n * 1000 m ends its area at n * 1000 + 50: marker cell 20n.
    EXPECT_EQ(st.grid.at(20 * n).kind, kStationStop);
    EXPECT_EQ(st.grid.at(20 * n).value1, n);
    EXPECT_EQ(st.stations[n + 1], StationRecord{});
    // Code 10 ends the read without completing the profiles.
    EXPECT_EQ(st.grid.at(0).speed_code, row.code == 0 ? 20 : 0);
  }
}

TEST_F(TrainReaderTest, RecordedCodesPositionsAndFileHandling) {
  struct Row {
    const char* what;
    std::vector<std::string> lines;
    int32_t code;
    int32_t position;  // -7: left as it was
    // speed_code of cell 0: 20 when reading stopped and the profiles were
    // completed, 40 when the closing "velocita, 0, 200" line was read too,
    // 0 when the read ended without completing them.
    int speed0;
  };
  const std::string signal = ", 1, 4,1,0, 0, 1, 3,1,0, 0";
  const Row rows[] = {
      {"last accepted profile position", {"aderenza, 6900, 80"}, 0, -7, 40},
      {"speed line beyond the grid", {"velocita, 6901, 50"}, 15, 6901, 20},
      {"adhesion line beyond the grid", {"aderenza, 6901, 80"}, 15, 6901, 20},
      {"signal beyond the grid", {"segnale, 6901" + signal}, 15, 6901, 20},
      {"slow-down beyond the grid", {"rallentamento, 6901, 60, 100, 0, 1, 0"}, 15, 6901, 20},
      {"point beyond the grid", {"abbattimento, 6901, 0"}, 15, 6901, 20},
      // A point below -25 m has no cell: refused like one beyond the end.
      {"point before the grid", {"abbattimento, -26, 0"}, 15, -26, 20},
      {"last accepted station position", {station(6200, 2, 100)}, 0, -7, 40},
      {"station beyond the grid", {station(6250, 2, 100)}, 15, 6250, 20},
      {"point on a taken cell", {"abbattimento, 1000, 0", "abbattimento, 1000, 50"}, 7, 1000, 0},
      {"station off the 50 m step", {station(1025, 2, 100)}, 8, 1025, 0},
      {"station length off the 100 m step", {station(1000, 2, 750)}, 9, 1000, 0},
      {"stop marker at cell 1", {station(0, 2, 200)}, 24, -7, 0},
      {"kind 25 and above mark nothing there", {station(0, 28, 200)}, 0, -7, 40},
      {"stop marker at cell 2", {station(0, 6, 100)}, 0, -7, 40},
      {"areas closer than 350 m", {station(1000, 2, 100), station(1400, 2, 100)}, 22, 1400, 0},
      {"areas exactly 350 m apart", {station(1000, 2, 100), station(1450, 2, 100)}, 0, -7, 40},
      {"a station without marks keeps the gap",
       {station(1000, 2, 100), station(1400, 28, 100)},
       22,
       1400,
       0},
      // Cell round(1050/50) = 21 is the signal's cell round(1000/50 + 1).
      {"signal on a taken cell", {"abbattimento, 1050, 0", "segnale, 1000" + signal}, 16, 1000, 0},
      {"slow-down start on a taken cell",
       {"abbattimento, 5050, 0", "rallentamento, 5000, 60, 100, 0, 0, 0"},
       18,
       5000,
       0},
      // The occupancy tests come before the refusal of cells outside the
      // grid: a signal at 256 m reaches cell -2, a slow-down at 6000 m for
      // 2000 m ends in cell 161 of 140.
      {"signal below 325 m on a taken cell",
       {"abbattimento, 300, 0", "segnale, 256" + signal},
       16,
       256,
       0},
      {"signal below 325 m on a free cell", {"segnale, 300" + signal}, 15, 300, 0},
      {"slow-down past the grid, warning cell 97 taken",
       {"abbattimento, 4850, 0", "rallentamento, 6000, 60, 2000, 0, 0, 0"},
       17,
       6000,
       0},
      {"slow-down past the grid, start cell 121 taken",
       {"abbattimento, 6050, 0", "rallentamento, 6000, 60, 2000, 0, 0, 0"},
       18,
       6000,
       0},
      {"slow-down past the grid, its cells free",
       {"rallentamento, 6000, 60, 2000, 0, 0, 0"},
       15,
       6000,
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reset();
    st.error_position_m = -7;
    std::string text = "[generale]\r\nvelocita, 0, 100\r\n";
    for (const std::string& line : row.lines) text += line + "\r\n";
    read(text + "velocita, 0, 200\r\n[fine]\r\n");
    EXPECT_EQ(st.error_code, row.code);
    EXPECT_EQ(st.error_position_m, row.position);
    EXPECT_FALSE(fs.has(kPath));
    EXPECT_EQ(st.grid.at(0).speed_code, row.speed0);
    // A refused object writes nothing: only the points placed before it
    // remain.
    if (row.code == 15 || row.code == 16 || row.code == 17 || row.code == 18) {
      for (const TrackCell& c : st.grid.cells()) {
        EXPECT_TRUE(c.kind == kEmpty || c.kind == kPointWithoutSpeed) << int(c.kind);
        EXPECT_EQ(c.approach_code, 0);
      }
    }
    if (row.code != 0) {
      EXPECT_EQ(st.error_origin.file, SourceOrigin::File::kTrainDescription);
    }
  }
}

TEST_F(TrainReaderTest, RecordedCodeNamesItsSourceItem) {
  struct Row {
    std::string text;
    int line, column;
    const char* item;
  };
  const Row rows[] = {
      // The position, not the value after it.
      {"[generale]\r\nvelocita,  6901, 50\r\n", 2, 12, "6901"},
      {"[generale]\r\n" + station(1000, 2, 750) + "\r\n", 2, 20, "750"},
      {"[generale]\r\n\r\n  " + station(1025, 2, 100) + "\r\n", 3, 13, "1025"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    reset();
    read(row.text);
    EXPECT_EQ(st.error_origin.line, row.line);
    EXPECT_EQ(st.error_origin.column, row.column);
    EXPECT_EQ(st.error_origin.item, row.item);
  }
}

TEST_F(TrainReaderTest, StationReachingPastTheGridIsRefusedBeforeAnyCellIsWritten) {
  // Both pass the 800 m guard at 6000 m but end their areas at 7200 m,
  // marker cell 143 in a grid of cells 0 .. 140.
  for (const std::string& line : {station(6000, 8, 1200), station(6000, 2, 2400)}) {
    SCOPED_TRACE(line);
    reset();
    read(train({line, "numero vetture, 3"}));
    EXPECT_EQ(st.error_code, 15);
    EXPECT_EQ(st.error_position_m, 6000);
    EXPECT_EQ(st.stations[kTrainValuesSlot].position_m, 0);  // reading stopped
    for (int i = 0; i <= 140; ++i) {
      ASSERT_EQ(st.grid.at(i).approach_code, 0) << "cell " << i;
      ASSERT_EQ(st.grid.at(i).kind, kEmpty) << "cell " << i;
    }
  }
}

TEST_F(TrainReaderTest, PointsOfBothKinds) {
  struct Row {
    const char* line;
    int cell;
    uint8_t kind;
    int16_t value1;
  };
  const Row rows[] = {
      {"abbattimento, 1000, 120", 20, kPointWithSpeed, 120},
      {"abbattimento, 1000, 0", 20, kPointWithoutSpeed, 0},
      {"abbattimento, 1000, -5", 20, kPointWithoutSpeed, 0},
      {"abbattimento, 1025, 70000", 20, kPointWithSpeed, 4464},  // low 16 bits
      {"abbattimento, -25, 0", 0, kPointWithoutSpeed, 0},        // round(-0.5) = 0
      {"abbattimento, 6900, 0", 138, kPointWithoutSpeed, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    reset();
    st.grid.at(row.cell).kind = kMontagnaMarker;  // free: the point replaces it
    read(train({row.line}));
    EXPECT_EQ(st.error_code, 0);
    EXPECT_EQ(st.grid.at(row.cell).kind, row.kind);
    EXPECT_EQ(st.grid.at(row.cell).value1, row.value1);
  }
}

TEST_F(TrainReaderTest, SignalsAndSlowDownsReachTheirWritersInLineOrder) {
  st.grid.create(70000);
  read(train({
      "segnale,   30300,   2, 4, 1,  0, 0,    0,  0,0,0, 230",
      "rallentamento,   67000,    60,  100, 0,  1,  0",
  }));
  EXPECT_EQ(st.error_code, 0);
  const TrackCell& sig = st.grid.at(607);
  EXPECT_EQ(sig.kind, kSignal);
  EXPECT_EQ(sig.value1, 40);
  EXPECT_EQ(sig.value2, 10);
  EXPECT_EQ(sig.value4, 6);
  EXPECT_EQ(sig.signal_time, 230);
  EXPECT_EQ(st.grid.at(605).approach_code, 61);
  EXPECT_EQ(st.grid.at(1317).kind, kSlowDownWarning);
  EXPECT_EQ(st.grid.at(1317).value1, 60);
  EXPECT_EQ(st.grid.at(1341).kind, kSlowDownStart);
  EXPECT_EQ(st.grid.at(1343).kind, kSlowDownEnd);
  EXPECT_EQ(st.grid.at(1316).kind, kBeforeWarning);  // f_ta, the fifth value, is set
}

TEST_F(TrainReaderTest, CodeLeftByTheLineDescription) {
  // A pending 15 ends the read at the first signal, after its writer ran,
  // with the signal's position.
  st.error_code = 15;
  st.error_position_m = 999;
  read(train({"velocita, 0, 100", "segnale, 1000, 1, 4,1,0, 0, 1, 3,1,0, 0", "numero vetture, 4"}));
  EXPECT_EQ(st.error_code, 15);
  EXPECT_EQ(st.error_position_m, 1000);
  EXPECT_EQ(st.grid.at(21).kind, kSignal);
  EXPECT_EQ(st.stations[kTrainValuesSlot].position_m, 0);
  EXPECT_EQ(st.grid.at(0).speed_code, 0);
  EXPECT_FALSE(fs.has(kPath));

  // Without a signal or slow-down line it stands untouched.
  reset();
  st.error_code = 15;
  st.error_position_m = 999;
  read(train({"velocita, 0, 100", "numero vetture, 4"}));
  EXPECT_EQ(st.error_code, 15);
  EXPECT_EQ(st.error_position_m, 999);
  EXPECT_EQ(st.stations[kTrainValuesSlot].position_m, 4);
  EXPECT_EQ(st.grid.at(0).speed_code, 20);
}

TEST_F(TrainReaderTest, ProgressiveOffTheFiftyMetreStepIsReportedLast) {
  for (int slot : {kProgressiveTreSlot, kProgressiveDueSlot, kProgressiveUnoSlot}) {
    SCOPED_TRACE(slot);
    reset();
    st.error_position_m = -7;
    (slot == kProgressiveUnoSlot ? st.stations[slot].area_end_m : st.stations[slot].area_start_m) =
        1025;
    // Code 2 replaces the 15 of a signal beyond the grid; its position stays.
    read(train({"velocita, 0, 100", "segnale, 6901, 1, 4,1,0, 0, 1, 3,1,0, 0"}));
    EXPECT_EQ(st.error_code, 2);
    EXPECT_EQ(st.error_position_m, 6901);
    EXPECT_EQ(st.error_origin.file, SourceOrigin::File::kLineDescription);
    EXPECT_EQ(st.grid.at(0).speed_code, 20);
    EXPECT_FALSE(fs.has(kPath));
  }
}

TEST_F(TrainReaderTest, FailedReadsThrow) {
  struct Row {
    const char* what;
    std::string text;
  };
  const Row rows[] = {
      {"text ends inside a line's values", "[generale]\r\norologio, 18, 19\r\n"},
      {"clock value beyond 16 bits", train({"orologio, 40000, 0, 0"})},
      {"station kind beyond a byte", train({station(1000, 256, 100)})},
      // round(1280 / 5) = 256 does not fit the speed byte.
      {"speed beyond 1277 km/h", train({"velocita, 0, 1280"})},
      {"negative speed", train({"velocita, 0, -5"})},
      {"position plus 100 beyond 32 bits", train({"velocita, 2147483600, 5"})},
      {"station time beyond 32 bits",
       train({"stazione, 1000, 2, 100, 0,0,0, 0,0,0, 0,0,0, 0, 600000,0,0, S"})},
      {"area start beyond 32 bits", train({station(-2147483600, 28, 100)})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reset();
    fs.put(kPath, row.text);
    EXPECT_THROW(read_train_description(st, fs, kPath, 80), RunFailure);
  }
  EXPECT_THROW(read_train_description(st, fs, "missing-.txt", 80), FileError);
}

}  // namespace
}  // namespace scenario
