#pragma once

#include <cstdint>
#include <vector>

#include "model/build_state.h"

namespace scenario {

// The four operations that place one source line's object into the cell
// grid. Each returns 0 when the object was placed, or the code that refused
// it; the caller records the code. Parameters passed by reference are the
// caller's variables: `tipo` and `tempo` may be changed here.
//
// None of them ever touches a cell outside the grid. The tests each writer
// makes before its first write (the occupancy tests, in their order) come
// first and keep their codes; only an object that passes them and would then
// write outside 0 .. grid_last_index (approach cells, range ends, the cells
// of a slow-down) is refused, whole, with code 15 and nothing written. A
// cell outside the grid cannot be tested for occupancy: reaching such a test
// is that refusal.

/// A slow-down's warning board stands this far before its start.
inline constexpr int32_t kWarningDistanceM = 1200;

/// What a writer tells besides its code, for the author tools: the cells
/// whose kind the object set, and the cell a refusal is about.
struct WriteReport {
  std::vector<int64_t> taken;
  int64_t refused_cell = -1;
};

/// A montagna range from `inizio` to `fine` of type `tipo` (above 10: with a
/// marker in every fourth cell). More than 80 ranges: code 26, before the
/// range's cells are looked at.
int32_t memo_montagna(BuildState& st, int32_t& inizio, int32_t& fine, int32_t& tipo);

/// The pair of speed indicator boards at `posizione` (code 21 when taken).
int32_t memo_indicatori_v_max(BuildState& st, int32_t posizione, int32_t& vas, int32_t& vbs,
                              int32_t& vcs, int32_t& strisces, int32_t& vad, int32_t& vbd,
                              int32_t& vcd, int32_t& strisced, WriteReport* report = nullptr);

/// A signal at `posizione` (code 16 when taken; a signal on a free cell
/// below 325 m has no room for its approach cells: 15).
int32_t memo_segnale(BuildState& st, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2,
                     int32_t& s3, int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                     int32_t& tempo, WriteReport* report = nullptr);

/// A slow-down from `x` over `l` metres at speed `v` (codes 17 to 20, tested
/// warning, start, end; 20 after the slow-down itself is written).
int32_t memo_rallentamento(BuildState& st, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt,
                           int32_t f_ta, int32_t& d_v, WriteReport* report = nullptr);

}  // namespace scenario
