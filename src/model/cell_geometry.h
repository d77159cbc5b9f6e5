#pragma once

#include <cstdint>

#include "model/rounding.h"

namespace scenario {

// How metres along the route map to cells of the grid. Every conversion is
// formed in double precision and rounded halves to even, so positions of the
// form 50k + 25 give exact halves that go to the even neighbour; stored
// scenarios depend on those exact cells, so no other arithmetic may stand in
// for these.

/// One cell covers this many metres of route.
inline constexpr int32_t kCellLengthM = 50;
/// The grid reaches this far past the route's end.
inline constexpr int32_t kGridMarginM = 7000;

/// Room the readers ask for past a position before they pass an object on:
/// a station's stop marker and approach cells lie beyond its position, every
/// other object within two cells of it.
inline constexpr int32_t kObjectRoomM = 100;
inline constexpr int32_t kStationRoomM = 800;

/// Metres as a real number of cells. Sums are formed in double too: x + l of
/// two 32-bit values is exact there and cannot wrap.
constexpr double cells_of(double metres) { return metres / kCellLengthM; }

/// The cell of a point object at `metres` (signal, board, slow-down cells):
/// round(p/50 + 1).
inline int32_t point_cell(double metres) { return round_long(cells_of(metres) + 1.0); }

/// The cell just below `metres`: round(p/50) (profiles, abbattimento points,
/// a range's first cell).
inline int32_t cell_below(double metres) { return round_long(cells_of(metres)); }

/// The readers' room test: `room_m` metres past `metres` still lie within
/// the grid, whose highest index is `grid_last_index`. Compared as reals, so
/// a sum that ends between two cells is decided exactly.
constexpr bool has_room(int32_t grid_last_index, double metres, int32_t room_m) {
  return cells_of(metres + room_m) <= grid_last_index;
}

/// The metres at which cell `index` begins.
constexpr int64_t cell_start_m(int64_t index) { return index * kCellLengthM; }

/// True when `metres` lies on the 50 m step. The signed remainder: -50 lies
/// on it too.
constexpr bool on_cell_step(int64_t metres) { return metres % kCellLengthM == 0; }

}  // namespace scenario
