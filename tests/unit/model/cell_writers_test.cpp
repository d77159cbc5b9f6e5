#include "model/cell_writers.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/run_failure.h"

namespace scenario {
namespace {

// A 150 km route: cells 0 .. 3140.
class CellWritersTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }

  /// A fresh build state, for table rows that each need their own grid.
  void reset() {
    st = BuildState{};
    st.grid.create(150000);
    code = 0;
  }

  TrackCell& cell(int64_t i) { return st.grid.at(i); }

  void montagna(int32_t inizio, int32_t fine, int32_t tipo) {
    code = memo_montagna(st, inizio, fine, tipo);
  }

  void board(int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs, int32_t strisces,
             int32_t vad = 0, int32_t vbd = 0, int32_t vcd = 0, int32_t strisced = 0) {
    code = memo_indicatori_v_max(st, posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
  }

  struct Signal {
    int32_t sx = 2, s1 = 4, s2 = 1, s3 = 0, rapp = 0, dx = 0, d1 = 0, d2 = 0, d3 = 0, tempo = 0;
  };
  void signal(int32_t posizione, Signal& s) {
    code = memo_segnale(st, posizione, s.sx, s.s1, s.s2, s.s3, s.rapp, s.dx, s.d1, s.d2, s.d3,
                        s.tempo);
  }

  void slow_down(int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta, int32_t d_v) {
    code = memo_rallentamento(st, x, v, l, f_tt, f_ta, d_v);
  }

  /// Indices of the cells whose kind is not 0.
  std::vector<int> occupied() const {
    std::vector<int> out;
    for (size_t i = 0; i < st.grid.cells().size(); ++i) {
      if (st.grid.cells()[i].kind != kEmpty) out.push_back(static_cast<int>(i));
    }
    return out;
  }

  BuildState st;
  /// What the last writer returned.
  int32_t code = 0;
};

// --- montagna ranges -------------------------------------------------------

TEST_F(CellWritersTest, MontagnaAboveTenMarksEveryFourthCellOfEachRange) {
  int32_t inizio = 2250, fine = 2800, tipo = 11;
  code = memo_montagna(st, inizio, fine, tipo);
  ASSERT_EQ(code, 0);
  EXPECT_EQ(tipo, 1);  // the caller's variable loses the marker flag
  for (int c = 44; c <= 56; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(cell(c).montagna_type, c >= 45 && c <= 55 ? 1 : 0);
  }

  // 1350 m after the first range's end: no join, still type 1.
  inizio = 4150, fine = 4800, tipo = 11;
  code = memo_montagna(st, inizio, fine, tipo);
  EXPECT_EQ(tipo, 1);
  for (int c = 82; c <= 96; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(cell(c).montagna_type, c >= 83 && c <= 95 ? 1 : 0);
  }

  EXPECT_EQ(occupied(), (std::vector<int>{48, 52, 86, 90, 94}));
  for (int c : occupied()) EXPECT_EQ(cell(c).kind, kMontagnaMarker);
  EXPECT_EQ(st.montagna_count, 2);
  EXPECT_EQ(st.montagna_start[1], 2250);
  EXPECT_EQ(st.montagna_end[1], 2800);
  EXPECT_EQ(st.montagna_start[2], 4150);
  EXPECT_EQ(st.montagna_end[2], 4800);
}

TEST_F(CellWritersTest, MontagnaWithoutFlagPlacesNoMarkers) {
  montagna(2250, 2800, 2);
  EXPECT_EQ(cell(45).montagna_type, 2);
  EXPECT_EQ(cell(55).montagna_type, 2);
  EXPECT_TRUE(occupied().empty());
}

TEST_F(CellWritersTest, MontagnaStartingWithin150MOfThePreviousEndBecomesType3) {
  struct Row {
    int32_t second_start;
    int32_t second_tipo;
    int32_t expected_type;
    int first_cell;  // the second range runs from here to cell 79
    bool markers;
  };
  const Row rows[] = {
      {2950, 11, 3, 59, true},  // gap exactly 150: joined, flag kept
      {2951, 11, 1, 59, true},  // gap 151: its own type
      {2950, 2, 3, 59, false},  // joined without flag
      {2500, 12, 3, 50, true},  // overlapping the previous range
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.second_start);
    reset();
    montagna(2250, 2800, 2);
    int32_t inizio = r.second_start, fine = 4000, tipo = r.second_tipo;
    code = memo_montagna(st, inizio, fine, tipo);
    EXPECT_EQ(tipo, r.expected_type);
    EXPECT_EQ(cell(r.first_cell).montagna_type, r.expected_type);
    EXPECT_EQ(cell(79).montagna_type, r.expected_type);
    EXPECT_EQ(cell(r.first_cell + 3).kind, r.markers ? kMontagnaMarker : kEmpty);
  }
}

// The first range has no predecessor: index 0 of the tables is unused and
// must not make a range that starts near 0 m look joined.
TEST_F(CellWritersTest, FirstMontagnaIsNeverJoined) {
  int32_t inizio = 100, fine = 1000, tipo = 2;
  code = memo_montagna(st, inizio, fine, tipo);
  EXPECT_EQ(tipo, 2);
  EXPECT_EQ(cell(2).montagna_type, 2);
}

TEST_F(CellWritersTest, MontagnaTypeCoversObjectsButMarkersOnlyGoIntoEmptyCells) {
  Signal s;
  signal(2350, s);  // cell 48
  ASSERT_EQ(cell(48).kind, kSignal);
  montagna(2250, 2800, 11);
  EXPECT_EQ(cell(48).kind, kSignal);
  EXPECT_EQ(cell(48).montagna_type, 1);
  EXPECT_EQ(cell(52).kind, kMontagnaMarker);  // the count does not restart
  EXPECT_EQ(cell(49).kind, kEmpty);
}

TEST_F(CellWritersTest, EmptyMontagnaRangeIsStoredButWritesNothing) {
  montagna(1000, 1000, 11);  // cells 20 .. 19
  EXPECT_EQ(code, 0);
  EXPECT_EQ(st.montagna_count, 1);
  EXPECT_EQ(st.montagna_end[1], 1000);
  for (const TrackCell& c : st.grid.cells()) ASSERT_EQ(c, TrackCell{});
}

TEST_F(CellWritersTest, MontagnaPassingTheGridIsRefusedWhole) {
  struct Row {
    int32_t inizio, fine;
    int32_t code;
  };
  const Row rows[] = {
      {156000, 158000, 15},  // last cell 3159
      {150000, 157125, 15},  // last cell round(3141.5) = 3142
      {150000, 157075, 0},   // last cell round(3140.5) = 3140, the grid's last
      {-100, 1000, 15},      // first cell -2
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.fine);
    reset();
    montagna(r.inizio, r.fine, 11);
    EXPECT_EQ(code, r.code);
    if (r.code == 0) {
      EXPECT_EQ(cell(3140).montagna_type, 1);
      continue;
    }
    EXPECT_EQ(st.montagna_count, 0);
    for (const TrackCell& c : st.grid.cells()) ASSERT_EQ(c, TrackCell{});
  }
}

TEST_F(CellWritersTest, EightyFirstMontagnaIsRefusedWithoutTouchingTheTables) {
  for (int k = 1; k <= 80; ++k) montagna(k * 1000, k * 1000 + 400, 2);
  ASSERT_EQ(code, 0);
  ASSERT_EQ(st.montagna_count, 80);
  montagna(100000, 100400, 2);
  EXPECT_EQ(code, 26);
  EXPECT_EQ(st.montagna_count, 80);
  EXPECT_EQ(st.montagna_start[80], 80000);
  EXPECT_EQ(cell(2000).montagna_type, 0);
  // The count is tested before the range's cells.
  montagna(156000, 158000, 2);
  EXPECT_EQ(code, 26);
}

// --- speed indicator boards ---------------------------------------------------

TEST_F(CellWritersTest, SpeedBoardValuesAreRoundedFromTheQuotientPlusTheSpeed) {
  struct Row {
    int32_t vas, vbs, vcs, strisces, vad, vbd, vcd, strisced;
    int16_t v1, v2, v3, v4;
  };
  const Row rows[] = {
      // The line description's board: right-hand side empty.
      {75, 80, 80, 0, 0, 0, 0, 0, 1500, 1600, 1600, 0},
      // Right-hand speeds divided by 5: 60 -> 12, 13 -> 2.6 -> 3, 12 -> 2.4 -> 2.
      {75, 80, 80, 2, 60, 13, 12, 1, 1512, 1603, 1602, 21},
      // Largest that fits: 1638*20 + 35/5 = 32767.
      {1638, 0, 0, 0, 35, 0, 0, 0, 32767, 0, 0, 0},
      // Stripe counts keep the low 16 bits: 4000*10 = 40000.
      {0, 0, 0, 4000, 0, 0, 0, 0, 0, 0, 0, -25536},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(&r - rows);
    reset();
    board(1000, r.vas, r.vbs, r.vcs, r.strisces, r.vad, r.vbd, r.vcd, r.strisced);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(occupied(), std::vector<int>{21});
    EXPECT_EQ(cell(21).kind, kSpeedBoard);
    EXPECT_EQ(cell(21).value1, r.v1);
    EXPECT_EQ(cell(21).value2, r.v2);
    EXPECT_EQ(cell(21).value3, r.v3);
    EXPECT_EQ(cell(21).value4, r.v4);
  }
}

TEST_F(CellWritersTest, SpeedBoardValueOutOf16BitsFailsTheRunAndLeavesTheCell) {
  EXPECT_THROW(board(1000, 1638, 0, 0, 0, 40), RunFailure);  // 32768
  EXPECT_THROW(board(1000, 0, 0, -1639, 0), RunFailure);     // -32780
  EXPECT_EQ(cell(21), TrackCell{});
}

TEST_F(CellWritersTest, SpeedBoardReplacesAMarkerButNotAnObject) {
  cell(21).kind = kMontagnaMarker;
  board(1000, 75, 80, 80, 0);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(cell(21).kind, kSpeedBoard);

  board(1000, 60, 60, 60, 0);
  EXPECT_EQ(code, 21);
  EXPECT_EQ(cell(21).value1, 1500);
}

// --- signals -------------------------------------------------------------------

TEST_F(CellWritersTest, SignalFillsItsCellAndMarksFourApproachCells) {
  Signal s;  // sx 2, s1 4, s2 1
  s.tempo = 230;
  signal(30300, s);
  ASSERT_EQ(code, 0);
  EXPECT_EQ(occupied(), std::vector<int>{607});
  const TrackCell& c = cell(607);
  EXPECT_EQ(c.kind, kSignal);
  EXPECT_EQ(c.value1, 40);
  EXPECT_EQ(c.value2, 10);
  EXPECT_EQ(c.value3, 0);
  EXPECT_EQ(c.value4, 6);
  EXPECT_EQ(c.signal_time, 230);
  EXPECT_EQ(c.approach_code, 0);
  EXPECT_EQ(s.tempo, 230);
  const int approach[][2] = {{605, 61}, {603, 62}, {601, 63}, {599, 64},
                             {606, 0},  {604, 0},  {598, 0},  {597, 0}};
  for (const auto& a : approach) {
    SCOPED_TRACE(a[0]);
    EXPECT_EQ(cell(a[0]).approach_code, a[1]);
  }
}

TEST_F(CellWritersTest, SignalValuesCombineBothSides) {
  struct Row {
    Signal in;
    int16_t v1, v2, v3, v4;
    uint8_t first_approach;  // the code of the nearest approach cell
  };
  const Row rows[] = {
      // A right-hand signal of the route's far end: 2, 2, 3, 3, 0, 2, 2, 1, 1.
      {{2, 2, 3, 3, 0, 2, 2, 1, 1, 230}, 22, 31, 31, 8, 81},
      // rapp counts in tens of value4.
      {{1, 4, 1, 0, 1, 1, 3, 1, 0, 0}, 43, 11, 0, 14, 41},
      // Approach codes keep the low 8 bits: (27 * 10 + 1) = 271 -> 15.
      {{9, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0, 27, 15},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(&r - rows);
    reset();
    Signal s = r.in;
    signal(30300, s);
    EXPECT_EQ(cell(607).value1, r.v1);
    EXPECT_EQ(cell(607).value2, r.v2);
    EXPECT_EQ(cell(607).value3, r.v3);
    EXPECT_EQ(cell(607).value4, r.v4);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(cell(605 - 2 * k).approach_code, static_cast<uint8_t>(r.first_approach + k));
    }
  }
}

TEST_F(CellWritersTest, SignalTimeIsRaisedToAtLeast101AndKeptOnlyForSide2) {
  struct Row {
    int32_t sx, tempo;
    uint8_t signal_time;
    int32_t tempo_after;  // the caller's variable
  };
  const Row rows[] = {
      {2, 230, 230, 230}, {2, 50, 101, 101},  {2, 1, 101, 101}, {2, 100, 101, 101},
      {2, 0, 0, 0},       {2, 101, 101, 101}, {2, -5, 251, -5}, {2, 300, 44, 300},
      {1, 230, 0, 230},   {1, 50, 0, 101},    {3, 230, 0, 230},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "sx " << r.sx << " tempo " << r.tempo);
    reset();
    Signal s;
    s.sx = r.sx;
    s.tempo = r.tempo;
    signal(30300, s);
    EXPECT_EQ(cell(607).signal_time, r.signal_time);
    EXPECT_EQ(s.tempo, r.tempo_after);
  }
}

TEST_F(CellWritersTest, SignalReplacesOnlyAMontagnaMarker) {
  const uint8_t kinds[] = {kMontagnaMarker, kSignal,      kSlowDownStart,  kBeforeWarning,
                           kSpeedBoard,     kStationStop, kPointWithSpeed, kPointWithoutSpeed,
                           kTextBoard};
  for (uint8_t kind : kinds) {
    SCOPED_TRACE(static_cast<int>(kind));
    reset();
    cell(607).kind = kind;
    cell(607).value1 = 7;
    Signal s;
    s.tempo = 50;
    signal(30300, s);
    if (kind == kMontagnaMarker) {
      EXPECT_EQ(code, 0);
      EXPECT_EQ(cell(607).kind, kSignal);
      EXPECT_EQ(cell(607).value1, 40);
    } else {
      EXPECT_EQ(code, 16);
      EXPECT_EQ(cell(607).kind, kind);
      EXPECT_EQ(cell(607).value1, 7);
      EXPECT_EQ(cell(605).approach_code, 0);
      EXPECT_EQ(s.tempo, 50);
    }
  }
}

TEST_F(CellWritersTest, ApproachCodesGoOverWhateverTheCellsHold) {
  cell(605).kind = kPointWithSpeed;
  cell(605).value1 = 180;
  Signal s;
  signal(30300, s);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(cell(605).kind, kPointWithSpeed);
  EXPECT_EQ(cell(605).value1, 180);
  EXPECT_EQ(cell(605).approach_code, 61);
}

TEST_F(CellWritersTest, SignalWhoseCellsLeaveTheGridIsRefusedWhole) {
  struct Row {
    int32_t position;
    int32_t code;
  };
  const Row rows[] = {
      {325, 0},                   // cell 8: the farthest approach cell is cell 0
      {324, 15},                  // cell 7: the farthest approach cell would be -1
      {-1000, 15},  {156950, 0},  // cell 3140, the last
      {157000, 15},               // cell 3141
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.position);
    reset();
    Signal s;
    s.tempo = 50;
    signal(r.position, s);
    EXPECT_EQ(code, r.code);
    if (r.code == 0) continue;
    EXPECT_EQ(s.tempo, 50);
    for (const TrackCell& c : st.grid.cells()) ASSERT_EQ(c, TrackCell{});
  }
  reset();
  Signal s;
  signal(325, s);
  EXPECT_EQ(cell(8).kind, kSignal);
  EXPECT_EQ(cell(0).approach_code, 64);
}

// --- slow-downs ----------------------------------------------------------------

TEST_F(CellWritersTest, SlowDownPlacesWarningStartEndAndTheFourCellsBeforeTheBoard) {
  slow_down(67000, 60, 100, 0, 1, 0);
  ASSERT_EQ(code, 0);
  EXPECT_EQ(occupied(), (std::vector<int>{1313, 1314, 1315, 1316, 1317, 1341, 1343}));

  EXPECT_EQ(cell(1317).kind, kSlowDownWarning);
  EXPECT_EQ(cell(1317).value1, 60);
  EXPECT_EQ(cell(1341).kind, kSlowDownStart);
  EXPECT_EQ(cell(1343).kind, kSlowDownEnd);
  for (int c : {1341, 1343}) {
    SCOPED_TRACE(c);
    EXPECT_EQ(cell(c).value1, 60);
    EXPECT_EQ(cell(c).value2, 0);
    EXPECT_EQ(cell(c).value3, 0);
  }
  const int before[][2] = {{1316, 1}, {1315, 2}, {1314, 3}, {1313, 4}};
  for (const auto& b : before) {
    SCOPED_TRACE(b[0]);
    EXPECT_EQ(cell(b[0]).kind, kBeforeWarning);
    EXPECT_EQ(cell(b[0]).value1, b[1]);
    EXPECT_EQ(cell(b[0]).value2, 0);
  }
}

TEST_F(CellWritersTest, SlowDownSecondValueAndFlagGoWhereTheyBelong) {
  cell(1341).kind = kMontagnaMarker;  // a marker does not stop the start
  slow_down(67000, 60, 100, 7, 1, 3);
  ASSERT_EQ(code, 0);
  struct Row {
    int cell;
    int16_t v1, v2, v3;
  };
  const Row rows[] = {
      {1343, 60, 3, 7},  // end
      {1341, 60, 3, 7},  // start
      {1317, 60, 3, 0},  // warning: no f_tt
      {1316, 1, 1, 0},  {1315, 2, 2, 0}, {1314, 3, 3, 0}, {1313, 4, 4, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.cell);
    EXPECT_EQ(cell(r.cell).value1, r.v1);
    EXPECT_EQ(cell(r.cell).value2, r.v2);
    EXPECT_EQ(cell(r.cell).value3, r.v3);
    EXPECT_EQ(cell(r.cell).value4, 0);
  }
  EXPECT_EQ(cell(1341).kind, kSlowDownStart);
}

TEST_F(CellWritersTest, WarningBoardOnlyAbove1500M) {
  struct Row {
    int32_t x;
    int32_t f_ta;
    std::vector<int> cells;
  };
  const Row rows[] = {
      {1500, 1, {31, 33}},                 // no warning, f_ta ignored
      {1501, 1, {3, 4, 5, 6, 7, 31, 33}},  // warning in 7, cells 6 .. 3 before it
      {67000, 0, {1317, 1341, 1343}},      // no cells before the board without f_ta
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.x);
    reset();
    slow_down(r.x, 60, 100, 0, r.f_ta, 0);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(occupied(), r.cells);
  }
}

// At 2075 m the base of the four cells, round(17.5) = 18, is the warning
// cell itself, round(18.5) = 18: the slow-down is written, then refused.
TEST_F(CellWritersTest, CellsBeforeTheBoardTakenEndWithCode20AfterTheSlowDownIsWritten) {
  slow_down(2075, 60, 100, 0, 1, 0);
  EXPECT_EQ(code, 20);
  EXPECT_EQ(occupied(), (std::vector<int>{18, 42, 44}));
  EXPECT_EQ(cell(18).kind, kSlowDownWarning);
  EXPECT_EQ(cell(42).kind, kSlowDownStart);
  EXPECT_EQ(cell(44).kind, kSlowDownEnd);

  // One taken cell among the four, nearest or farthest, keeps all four empty.
  for (int taken : {1316, 1313}) {
    SCOPED_TRACE(taken);
    reset();
    cell(taken).kind = kPointWithoutSpeed;
    slow_down(67000, 60, 100, 0, 1, 0);
    EXPECT_EQ(code, 20);
    std::vector<int> expected{taken, 1317, 1341, 1343};
    EXPECT_EQ(occupied(), expected);
  }
}

TEST_F(CellWritersTest, SlowDownEndInsideItsStartCellLeavesOnlyTheStart) {
  slow_down(3000, 60, 20, 0, 0, 0);  // start round(61) and end round(61.4)
  EXPECT_EQ(code, 0);
  EXPECT_EQ(occupied(), (std::vector<int>{37, 61}));
  EXPECT_EQ(cell(61).kind, kSlowDownStart);
  EXPECT_EQ(cell(61).value1, 60);
}

TEST_F(CellWritersTest, SlowDownOnATakenCellWritesNothing) {
  struct Row {
    std::vector<int> taken;
    int32_t code;
  };
  const Row rows[] = {
      {{1317}, 17},       {{1341}, 18}, {{1343}, 19}, {{1343, 1341, 1317}, 17},  // warning first
      {{1343, 1341}, 18},  // then start, then end
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.code);
    reset();
    for (int c : r.taken) cell(c).kind = kSignal;
    const std::vector<TrackCell> before = st.grid.cells();
    slow_down(67000, 60, 100, 0, 1, 0);
    EXPECT_EQ(code, r.code);
    EXPECT_EQ(st.grid.cells(), before);
  }
}

// A cell outside the grid cannot be tested: reaching its occupancy test
// refuses the slow-down whole. An earlier test that finds its cell taken keeps
// its own code (the table below).
TEST_F(CellWritersTest, SlowDownWhoseCellsLeaveTheGridIsRefusedWhole) {
  struct Row {
    int32_t x, l;
    int warning_cell;  // taken beforehand, or -1
    int32_t code;
  };
  const Row rows[] = {
      {156000, 2000, 3097, 17},  // end cell 3161, but the warning test comes first
      {2000, -5000, 17, 17},     // end cell -59, likewise
      {157000, 0, 3117, 17},     // start cell 3141, likewise
      {156000, 2000, -1, 15},    // end cell 3161 on a free route
      {157000, 0, -1, 15},       // start cell 3141 on a free route
      {-100, 100, -1, 15},       // start cell -1, no warning board
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.x);
    reset();
    if (r.warning_cell >= 0) cell(r.warning_cell).kind = kSignal;
    const std::vector<TrackCell> before = st.grid.cells();
    slow_down(r.x, 60, r.l, 0, 1, 0);
    EXPECT_EQ(code, r.code);
    EXPECT_EQ(st.grid.cells(), before);
  }
}

// The grid's bounds refuse only what the occupancy tests would have passed:
// a taken cell tested first keeps its code, and nothing is written either
// way.
TEST_F(CellWritersTest, OccupancyCodesComeBeforeTheRefusalOfCellsOutsideTheGrid) {
  struct Row {
    const char* what;
    int32_t speed_board_m;  // a speed board placed first, or -1
    int taken_cell;         // a cell taken by a signal beforehand, or -1
    bool signal;            // a signal at `x`, else a slow-down
    int32_t x, l;
    int32_t code;
  };
  const Row rows[] = {
      // Cell 6, taken by the board at 250 m; its approach cells would reach -2.
      {"signal at 256 m on a speed board at 250 m", 250, -1, true, 256, 0, 16},
      {"signal at 324 m on a free cell", -1, -1, true, 324, 0, 15},
      {"warning cell 3097 taken, end cell 3161", -1, 3097, false, 156000, 2000, 17},
      {"start cell 3137 taken, end cell 3161", -1, 3137, false, 156800, 1200, 18},
      {"start cell 3137 free, end cell 3161", -1, -1, false, 156800, 1200, 15},
      // An end outside the grid cannot be taken: the end's own test refuses.
      {"end cell 3139 taken, inside", -1, 3139, false, 156800, 100, 19},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    reset();
    if (r.speed_board_m >= 0) board(r.speed_board_m, 75, 80, 80, 0);
    ASSERT_EQ(code, 0);
    if (r.taken_cell >= 0) cell(r.taken_cell).kind = kSignal;
    const std::vector<TrackCell> before = st.grid.cells();
    Signal s;
    s.tempo = 50;
    if (r.signal) {
      signal(r.x, s);
    } else {
      slow_down(r.x, 60, r.l, 0, 1, 0);
    }
    EXPECT_EQ(code, r.code);
    EXPECT_EQ(st.grid.cells(), before);
    EXPECT_EQ(s.tempo, 50);
  }
}

// Only the grid's bounds refuse a slow-down: a negative length whose end
// stays inside is written as it comes.
TEST_F(CellWritersTest, SlowDownWithNegativeLengthInsideTheGridIsWritten) {
  slow_down(67000, 60, -100, 0, 0, 0);  // end cell 1339
  EXPECT_EQ(code, 0);
  EXPECT_EQ(occupied(), (std::vector<int>{1317, 1339, 1341}));
  EXPECT_EQ(cell(1339).kind, kSlowDownEnd);
}

}  // namespace
}  // namespace scenario
