#include "model/track_cell.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "model/build_state.h"
#include "model/cell_writers.h"

namespace scenario {
namespace {

TEST(CellGrid, CreationAddsTheMarginAndRoundsTheLastIndexToEven) {
  struct Row {
    int32_t route_m;
    int32_t length_m;
    int32_t last;
  };
  const Row rows[] = {
      {150000, 157000, 3140},    {0, 7000, 140},
      {25, 7025, 140},  // 140.5 rounds down to the even 140
      {75, 7075, 142},  // 141.5 rounds up to the even 142
      {1000000, 1007000, 20140},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.route_m);
    CellGrid grid;
    grid.create(r.route_m);
    EXPECT_EQ(grid.grid_length_m(), r.length_m);
    EXPECT_EQ(grid.grid_last_index(), r.last);
    ASSERT_EQ(grid.cells().size(), static_cast<size_t>(r.last) + 1);
    for (const TrackCell& c : grid.cells()) ASSERT_EQ(c, TrackCell{});
  }
}

TEST(CellGrid, RefusesLengthsTheReaderShouldHaveStopped) {
  CellGrid grid;
  EXPECT_THROW(grid.create(-1), std::invalid_argument);
  EXPECT_THROW(grid.create(1000001), std::invalid_argument);
  EXPECT_FALSE(grid.exists());
}

TEST(CellGrid, CreatingAgainClearsEveryCell) {
  CellGrid grid;
  grid.create(150000);
  grid.at(3140).kind = kSignal;
  grid.create(1000);
  EXPECT_EQ(grid.grid_last_index(), 160);
  for (const TrackCell& c : grid.cells()) ASSERT_EQ(c, TrackCell{});
}

TEST(CellGrid, AccessOutsideZeroToLastIndexThrows) {
  CellGrid grid;
  EXPECT_THROW(grid.at(0), std::out_of_range);  // no grid yet
  grid.create(150000);
  EXPECT_NO_THROW(grid.at(0));
  EXPECT_NO_THROW(grid.at(3140));
  EXPECT_THROW(grid.at(3141), std::out_of_range);
  EXPECT_THROW(grid.at(-1), std::out_of_range);
}

TEST(CellGrid, OnlyEmptyAndMontagnaMarkerCellsAreFree) {
  CellGrid grid;
  grid.create(150000);
  const uint8_t kinds[] = {kEmpty,           kSignal,         kSlowDownEnd,       kSlowDownStart,
                           kSlowDownWarning, kBeforeWarning,  kSpeedBoard,        kStationStop,
                           kMontagnaMarker,  kPointWithSpeed, kPointWithoutSpeed, kTextBoard};
  for (uint8_t kind : kinds) {
    SCOPED_TRACE(static_cast<int>(kind));
    grid.at(100).kind = kind;
    EXPECT_EQ(grid.is_free(100), kind == kEmpty || kind == kMontagnaMarker);
  }
  EXPECT_FALSE(grid.is_free(-1));
  EXPECT_FALSE(grid.is_free(3141));
  EXPECT_TRUE(grid.is_free(3140));
}

// A point object goes to round(p/50 + 1): positions of the form 50k + 25
// land on exact halves and go to the even neighbour.
TEST(CellGrid, PointObjectsTakeTheCellOfTheirRoundedPosition) {
  struct Row {
    int32_t position;
    int32_t cell;
  };
  const Row rows[] = {{2850, 58}, {2875, 58}, {2925, 60}, {2900, 59}, {2874, 58}, {2876, 59}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.position);
    BuildState st;
    st.grid.create(150000);
    int32_t sx = 1, s1 = 4, s2 = 1, s3 = 0, rapp = 0, dx = 0, d1 = 0, d2 = 0, d3 = 0, tempo = 0;
    ASSERT_EQ(memo_segnale(st, r.position, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo), 0);
    EXPECT_EQ(st.grid.at(r.cell).kind, kSignal);
    EXPECT_EQ(st.grid.at(r.cell - 1).kind, kEmpty);
    EXPECT_EQ(st.grid.at(r.cell + 1).kind, kEmpty);
  }
}

}  // namespace
}  // namespace scenario
