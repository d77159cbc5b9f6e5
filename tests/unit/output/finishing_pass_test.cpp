#include "output/finishing_pass.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace scenario {
namespace {

// A route of 100000 m: cells 0 .. 2140, all empty.
class FinishingPassTest : public ::testing::Test {
 protected:
  void SetUp() override { fresh(); }

  /// A new state for each row of a table.
  void fresh() {
    st = BuildState{};
    st.grid.create(100000);
  }

  void put(int64_t index, uint8_t kind, int16_t value1 = 0) {
    st.grid.at(index).kind = kind;
    st.grid.at(index).value1 = value1;
  }
  void slow_down(int64_t start, int64_t end, int16_t speed) {
    put(start, kSlowDownStart, speed);
    put(end, kSlowDownEnd, speed);
  }
  /// Cells taken by something that is neither free nor a point.
  void occupy(std::initializer_list<int64_t> cells) {
    for (int64_t c : cells) put(c, kSpeedBoard, 1);
  }

  /// Every kind-12 cell, ascending.
  std::vector<int64_t> points() const {
    std::vector<int64_t> found;
    for (int64_t i = 0; i <= st.grid.grid_last_index(); ++i) {
      if (st.grid.at(i).kind == kPointWithSpeed) found.push_back(i);
    }
    return found;
  }

  BuildState st;
};

using Cells = std::vector<int64_t>;

TEST_F(FinishingPassTest, ShortSlowDownGetsThreePointsBeforeItAndNoneInside) {
  // 67000 m at 60 km/h over 100 m: start 1341, end 1343. The walk reaches
  // the end after two cells, so no point inside.
  slow_down(1341, 1343, 60);
  finishing_pass(st);
  EXPECT_EQ(points(), (Cells{1323, 1330, 1336}));
  for (int64_t c : points()) EXPECT_EQ(st.grid.at(c).value1, 180) << "cell " << c;
  EXPECT_EQ(st.error_code, 0);
}

TEST_F(FinishingPassTest, PointsBeforeTheStartTakeTheFirstFreeCandidate) {
  struct Row {
    const char* what;
    std::vector<int64_t> taken;
    std::vector<int64_t> expected;
  };
  const Row rows[] = {
      {"nearest candidates taken", {1336, 1330, 1323}, {1322, 1329, 1335}},
      {"two of each three taken", {1336, 1335, 1330, 1329, 1323, 1322}, {1321, 1328, 1334}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fresh();
    slow_down(1341, 1343, 60);
    for (int64_t c : row.taken) put(c, kSpeedBoard, 1);
    finishing_pass(st);
    EXPECT_EQ(points(), row.expected);
    EXPECT_EQ(st.error_code, 0);
  }
}

TEST_F(FinishingPassTest, AMontagnaMarkerCountsAsFree) {
  slow_down(1341, 1343, 60);
  put(1336, kMontagnaMarker);
  st.grid.at(1336).montagna_type = 12;
  finishing_pass(st);
  EXPECT_EQ(st.grid.at(1336).kind, kPointWithSpeed);
  EXPECT_EQ(st.grid.at(1336).value1, 180);
  EXPECT_EQ(st.grid.at(1336).montagna_type, 12);
}

TEST_F(FinishingPassTest, NoRoomBeforeTheStartRecordsCode12AndTheLaterStepsStillRun) {
  slow_down(1341, 1343, 60);
  occupy({1336, 1335, 1334});
  finishing_pass(st);
  EXPECT_EQ(st.error_code, 12);
  EXPECT_EQ(st.error_position_m, 67050);
  EXPECT_EQ(points(), (Cells{1323, 1330}));
}

TEST_F(FinishingPassTest, ALaterErrorReplacesAnEarlierOne) {
  // Code 11 at cell 1090 first, then code 12 at the start 1341.
  put(1100, kSlowDownWarning, 60);
  put(1090, kSignal, 11);
  occupy({1089, 1088});
  slow_down(1341, 1343, 60);
  occupy({1336, 1335, 1334});
  finishing_pass(st);
  EXPECT_EQ(st.error_code, 12);
  EXPECT_EQ(st.error_position_m, 67050);
}

TEST_F(FinishingPassTest, StartsNearTheGridStartSkipTheCandidatesThatWouldFallBelowCell1) {
  struct Row {
    int64_t start;
    std::vector<int64_t> expected;
  };
  const Row rows[] = {
      {7, {}},            // i > 7 needed for the first point
      {8, {3}},           // i - 5
      {13, {8}},          // second point needs i > 13
      {14, {3, 9}},       // i - 11, i - 5
      {20, {9, 15}},      // third point needs i > 20
      {21, {3, 10, 16}},  // i - 18, i - 11, i - 5
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.start);
    fresh();
    slow_down(row.start, row.start + 2, 60);
    finishing_pass(st);
    EXPECT_EQ(points(), row.expected);
  }
}

TEST_F(FinishingPassTest, WalkPlacesAPointEveryEightCellsCountingFromTheCellUsed) {
  struct Row {
    const char* what;
    int16_t speed;
    std::vector<int64_t> taken;
    std::vector<int64_t> inner;  // points from 1001 up
    int32_t error_code;
    int32_t error_position_m;
  };
  const Row rows[] = {
      {"all free", 60, {}, {1008, 1016, 1024}, 0, 0},
      {"cell taken, the one before used", 60, {1016}, {1008, 1015, 1023}, 0, 0},
      {"both taken, the one after used", 60, {1016, 1015}, {1008, 1017, 1025}, 0, 0},
      // No room at all: code 13 at the walk cell, and no point after it.
      {"no room", 60, {1016, 1015, 1017}, {1008}, 13, 50800},
      {"109 km/h still gets points", 109, {}, {1008, 1016, 1024}, 0, 0},
      {"110 km/h gets none", 110, {}, {}, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fresh();
    slow_down(1000, 1030, row.speed);
    for (int64_t c : row.taken) put(c, kSpeedBoard, 1);
    finishing_pass(st);
    Cells inner;
    for (int64_t c : points()) {
      if (c > 1000) inner.push_back(c);
    }
    EXPECT_EQ(inner, row.inner);
    EXPECT_EQ(points().size(), row.inner.size() + 3) << "the three points before the start";
    EXPECT_EQ(st.error_code, row.error_code);
    EXPECT_EQ(st.error_position_m, row.error_position_m);
  }
}

TEST_F(FinishingPassTest, FirstSignalAfterTheEndGetsAPointBeforeIt) {
  struct Row {
    const char* what;
    int16_t speed;
    std::vector<int64_t> signals;
    std::vector<int64_t> taken;
    std::vector<int64_t> after_end;  // points above the end cell 1343
    int32_t error_code;
  };
  const Row rows[] = {
      {"signal at 1350", 60, {1350}, {}, {1349}, 0},
      {"only the first signal", 60, {1346, 1350}, {}, {1345}, 0},
      {"last cell searched is end + 12", 60, {1355}, {}, {1354}, 0},
      {"end + 13 is not searched", 60, {1356}, {}, {}, 0},
      {"cell before taken", 60, {1350}, {1349}, {1348}, 0},
      {"no room", 60, {1350}, {1349, 1348}, {}, 13},
      // The end is found by a walk that places nothing, and searched from.
      {"fast slow-down searched from its end", 130, {1350}, {}, {1349}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fresh();
    slow_down(1341, 1343, row.speed);
    for (int64_t c : row.signals) put(c, kSignal, 11);
    for (int64_t c : row.taken) put(c, kSpeedBoard, 1);
    finishing_pass(st);
    Cells after;
    for (int64_t c : points()) {
      if (c > 1343) after.push_back(c);
    }
    EXPECT_EQ(after, row.after_end);
    EXPECT_EQ(st.error_code, row.error_code);
    if (row.error_code == 13) {
      EXPECT_EQ(st.error_position_m, 67150);
    }
  }
}

TEST_F(FinishingPassTest, ASlowDownWithoutAnEndWalksToTheGridsLastCellAndNoFurther) {
  // Start 2120 with no end: points at 2128 and 2136, the walk stops at 2140;
  // the signal search from there looks at no cell beyond it.
  put(2120, kSlowDownStart, 60);
  put(2140, kSignal, 11);
  finishing_pass(st);
  EXPECT_EQ(points(), (Cells{2102, 2109, 2115, 2128, 2136, 2139}));
  EXPECT_EQ(st.error_code, 0);
}

TEST_F(FinishingPassTest, AWalkAtTheLastCellNeverPlacesBeyondIt) {
  // The eighth cell is 2140, the last: it and 2139 are taken, and 2141 does
  // not exist.
  put(2132, kSlowDownStart, 60);
  occupy({2139, 2140});
  finishing_pass(st);
  EXPECT_EQ(st.error_code, 13);
  EXPECT_EQ(st.error_position_m, 107000);
}

TEST_F(FinishingPassTest, ASlowDownWhoseEndWasOverwrittenStopsAtTheNextEndCell) {
  // The end cell 1003 holds a signal; the walk stops at the next kind-2 cell,
  // 1020, and the signal search starts there: 1023 gets a point at 1022,
  // and nothing follows at 1024.
  put(1000, kSlowDownStart, 60);
  put(1003, kSignal, 11);
  put(1020, kSlowDownEnd, 60);
  put(1023, kSignal, 11);
  finishing_pass(st);
  Cells inner;
  for (int64_t c : points()) {
    if (c > 1000) inner.push_back(c);
  }
  EXPECT_EQ(inner, (Cells{1008, 1016, 1022}));
}

TEST_F(FinishingPassTest, SignalBeforeAWarningBoardGetsAPointOrHasItsPointSlowed) {
  struct Row {
    const char* what;
    int64_t signal;
    uint8_t kind_1299;
    int16_t value_1299;
    uint8_t kind_1298;
    int16_t value_1298;
    std::vector<int64_t> expected_points;
    int16_t expected_1299;  // value1 of 1299 afterwards
    int16_t expected_1298;
    int32_t error_code;
  };
  const Row rows[] = {
      {"both free", 1300, kEmpty, 0, kEmpty, 0, {1299}, 180, 0, 0},
      {"1299 taken", 1300, kSpeedBoard, 1, kEmpty, 0, {1298}, 1, 180, 0},
      {"point at 1299 keeps 150", 1300, kPointWithSpeed, 150, kSpeedBoard, 1, {1299}, 150, 1, 0},
      {"point at 1299 lowered from 200",
       1300,
       kPointWithSpeed,
       200,
       kSpeedBoard,
       1,
       {1299},
       180,
       1,
       0},
      // Signed comparison: a negative speed is the smaller one.
      {"point at 1299 keeps -5", 1300, kPointWithSpeed, -5, kSpeedBoard, 1, {1299}, -5, 1, 0},
      {"point at 1298 lowered", 1300, kSpeedBoard, 1, kPointWithSpeed, 300, {1298}, 1, 180, 0},
      {"no room", 1300, kSpeedBoard, 1, kSpeedBoard, 1, {}, 1, 1, 11},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fresh();
    put(1317, kSlowDownWarning, 60);
    put(row.signal, kSignal, 11);
    put(1299, row.kind_1299, row.value_1299);
    put(1298, row.kind_1298, row.value_1298);
    finishing_pass(st);
    EXPECT_EQ(points(), row.expected_points);
    EXPECT_EQ(st.grid.at(1299).value1, row.expected_1299);
    EXPECT_EQ(st.grid.at(1298).value1, row.expected_1298);
    EXPECT_EQ(st.error_code, row.error_code);
    if (row.error_code == 11) {
      EXPECT_EQ(st.error_position_m, 65000);
    }
  }
}

TEST_F(FinishingPassTest, EverySignalInTheTwentyCellsBeforeTheBoardIsTreated) {
  put(1317, kSlowDownWarning, 60);
  put(1316, kSignal, 11);  // a = 1
  put(1310, kSignal, 11);
  put(1297, kSignal, 11);  // a = 20: its point goes to 1295, past the next signal
  put(1296, kSignal, 11);  // a = 21: too far, so 1294 stays empty
  finishing_pass(st);
  EXPECT_EQ(points(), (Cells{1295, 1309, 1315}));
}

TEST_F(FinishingPassTest, SignalsInCellsOneAndTwoAreNeverTreatedBeforeAWarningBoard) {
  // A point beside them would fall into cell 1 or 0; the look-back stops
  // below cell 3.
  struct Row {
    int64_t signal;
    std::vector<int64_t> expected;
  };
  const Row rows[] = {{2, {}}, {1, {}}, {3, {2}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.signal);
    fresh();
    put(10, kSlowDownWarning, 60);
    put(row.signal, kSignal, 11);
    finishing_pass(st);
    EXPECT_EQ(points(), row.expected);
  }
}

TEST_F(FinishingPassTest, OnlyCellsOneToLastMinusTwoAreVisited) {
  // A start in the last two cells is not a slow-down the pass acts on.
  put(2139, kSlowDownStart, 60);
  put(2140, kSlowDownWarning, 60);
  put(2135, kSignal, 11);
  finishing_pass(st);
  EXPECT_EQ(points(), Cells{});
}

TEST(FinishingPass, DoesNothingWithoutAGrid) {
  BuildState st;
  st.error_code = 102;
  finishing_pass(st);
  EXPECT_FALSE(st.grid.exists());
  EXPECT_EQ(st.error_code, 102);
}

}  // namespace
}  // namespace scenario
