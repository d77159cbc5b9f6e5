#include "model/cell_writers.h"

#include <cstdint>
#include <initializer_list>

#include "model/cell_geometry.h"
#include "model/error_code.h"
#include "model/rounding.h"

namespace scenario {
namespace {

/// Ranges that start this close after the previous range's end (metres) are
/// joined to it as type 3.
constexpr int64_t kMontagnaJoinGapM = 150;
/// At or below this start there is no room for a warning board.
constexpr int32_t kNoWarningBelowM = 1500;
/// A signal's approach codes go into every second cell, this many cells.
constexpr int kApproachCells = 4;
/// The farthest approach cell lies this many cells before the signal.
constexpr int kApproachReach = 2 * kApproachCells;
/// Cells marked before a slow-down's warning board.
constexpr int kBeforeWarningCells = 4;

bool all_inside(const CellGrid& grid, std::initializer_list<int64_t> cells) {
  for (int64_t c : cells) {
    if (!grid.contains(c)) return false;
  }
  return true;
}

/// The occupancy test of one cell: 0 when free, `taken_code` when something
/// stands in it, 15 when the cell lies outside the grid and so cannot hold
/// the object at all.
int32_t occupancy(const CellGrid& grid, int64_t cell, int32_t taken_code, WriteReport* report) {
  const int32_t code =
      !grid.contains(cell) ? kObjectOutsideGrid : (grid.is_free(cell) ? 0 : taken_code);
  if (code != 0 && report != nullptr) report->refused_cell = cell;
  return code;
}

/// Refuses with `code` at `cell`.
int32_t refuse(int32_t code, int64_t cell, WriteReport* report) {
  if (report != nullptr) report->refused_cell = cell;
  return code;
}

void note_taken(WriteReport* report, int64_t cell) {
  if (report != nullptr) report->taken.push_back(cell);
}

}  // namespace

int32_t memo_montagna(BuildState& st, int32_t& inizio, int32_t& fine, int32_t& tipo) {
  // The tables hold ranges 1 .. 80; a further range would write past them.
  if (st.montagna_count >= BuildState::kMaxMontagna) return kTooManyMontagna;
  const int32_t first = cell_below(inizio);
  const int32_t last = round_long(cells_of(fine) - 1.0);
  // An empty range (first above last) touches no cell and is only stored.
  if (first <= last && !all_inside(st.grid, {first, last})) return kObjectOutsideGrid;

  bool every_fourth = false;
  if (tipo > 10) {
    every_fourth = true;
    tipo -= 10;
  }

  const int32_t n = ++st.montagna_count;
  st.montagna_start[static_cast<size_t>(n)] = inizio;
  st.montagna_end[static_cast<size_t>(n)] = fine;
  // 64 bits: start and end are free 32-bit values and their difference may
  // not fit. The flag is kept, so a joined range still gets its markers.
  if (n > 1 && static_cast<int64_t>(st.montagna_start[static_cast<size_t>(n)]) -
                       st.montagna_end[static_cast<size_t>(n - 1)] <=
                   kMontagnaJoinGapM) {
    tipo = 3;
  }

  int count = 0;
  for (int32_t c = first; c <= last; ++c) {
    TrackCell& cell = st.grid.at(c);
    ++count;
    cell.montagna_type = low8(tipo);
    // Markers go only into empty cells: any object already there wins.
    if (every_fourth && count % 4 == 0 && cell.kind == kEmpty) cell.kind = kMontagnaMarker;
  }
  return 0;
}

int32_t memo_indicatori_v_max(BuildState& st, int32_t posizione, int32_t& vas, int32_t& vbs,
                              int32_t& vcs, int32_t& strisces, int32_t& vad, int32_t& vbd,
                              int32_t& vcd, int32_t& strisced, WriteReport* report) {
  const int32_t i = point_cell(posizione);
  if (const int32_t code = occupancy(st.grid, i, kSpeedBoardCellTaken, report)) return code;
  // All values are formed before the cell is touched: a value that does not
  // fit 16 bits throws, and must not leave a half-written board behind.
  // The speed times 20 is exact in a double; the division is a real one.
  const auto board_value = [](int32_t left, int32_t right) {
    return round16(right / 5.0 + static_cast<double>(static_cast<int64_t>(left) * 20));
  };
  const int16_t v1 = board_value(vas, vad);
  const int16_t v2 = board_value(vbs, vbd);
  const int16_t v3 = board_value(vcs, vcd);
  const int16_t v4 = low16(static_cast<int64_t>(strisces) * 10 + strisced);

  TrackCell& cell = st.grid.at(i);
  cell.kind = kSpeedBoard;
  cell.value1 = v1;
  cell.value2 = v2;
  cell.value3 = v3;
  cell.value4 = v4;
  note_taken(report, i);
  return 0;
}

int32_t memo_segnale(BuildState& st, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2,
                     int32_t& s3, int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                     int32_t& tempo, WriteReport* report) {
  const int32_t i = point_cell(posizione);
  if (const int32_t code = occupancy(st.grid, i, kSignalCellTaken, report)) return code;
  // The approach codes reach eight cells back, so a signal on a free cell
  // below 325 m has no room for them and is refused whole.
  if (!st.grid.contains(static_cast<int64_t>(i) - kApproachReach)) {
    return refuse(kObjectOutsideGrid, static_cast<int64_t>(i) - kApproachReach, report);
  }

  TrackCell& cell = st.grid.at(i);
  cell.kind = kSignal;
  note_taken(report, i);
  const int64_t side = static_cast<int64_t>(sx) * 3 + dx;
  cell.value4 = low16(static_cast<int64_t>(rapp) * 10 + side);
  cell.value1 = low16(static_cast<int64_t>(s1) * 10 + d1);
  cell.value2 = low16(static_cast<int64_t>(s2) * 10 + d2);
  cell.value3 = low16(static_cast<int64_t>(s3) * 10 + d3);

  // The caller's value changes too: 1 .. 100 are not valid times.
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  cell.signal_time = sx == 2 ? low8(tempo) : 0;

  // Whatever those cells hold: the approach code is a field of its own.
  for (int k = 1; k <= kApproachCells; ++k) {
    st.grid.at(static_cast<int64_t>(i) - 2 * k).approach_code = low8(side * 10 + k);
  }
  return 0;
}

int32_t memo_rallentamento(BuildState& st, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt,
                           int32_t f_ta, int32_t& d_v, WriteReport* report) {
  const double warning_m = static_cast<double>(x) - kWarningDistanceM;
  const int32_t w = point_cell(warning_m);
  const int32_t s = point_cell(x);
  const int32_t e = point_cell(static_cast<double>(x) + l);
  // No +1 here: when (x - 1200)/50 ends in .5 with an odd whole part, p is
  // the warning cell itself and the cells below the board are refused.
  const int32_t p = cell_below(warning_m);

  const bool has_warning = x > kNoWarningBelowM;
  if (!has_warning) f_ta = 0;

  const int64_t p64 = p;
  if (has_warning) {
    if (const int32_t code = occupancy(st.grid, w, kWarningCellTaken, report)) return code;
  }
  if (const int32_t code = occupancy(st.grid, s, kStartCellTaken, report)) return code;
  if (const int32_t code = occupancy(st.grid, e, kEndCellTaken, report)) return code;
  // Above 1500 m the base lies at cell 6 or higher, so these cells are
  // inside whenever the warning cell is; the test keeps that an invariant.
  if (f_ta != 0 && !all_inside(st.grid, {p64, p64 - (kBeforeWarningCells - 1)})) {
    return refuse(kObjectOutsideGrid, p64 - (kBeforeWarningCells - 1), report);
  }

  // The order matters when cells coincide: an end that falls into the start
  // cell is overwritten by the start.
  TrackCell& end = st.grid.at(e);
  end.kind = kSlowDownEnd;
  if (d_v != 0) end.value2 = low16(d_v);
  TrackCell& start = st.grid.at(s);
  start.kind = kSlowDownStart;
  if (d_v != 0) start.value2 = low16(d_v);
  if (has_warning) {
    TrackCell& warning = st.grid.at(w);
    warning.kind = kSlowDownWarning;
    if (d_v != 0) warning.value2 = low16(d_v);
    warning.value1 = low16(v);
  }
  // The start first: it is the cell the slow-down is known by.
  note_taken(report, s);
  if (has_warning) note_taken(report, w);
  if (e != s) note_taken(report, e);
  start.value1 = low16(v);
  end.value1 = low16(v);
  start.value3 = low16(f_tt);
  end.value3 = low16(f_tt);

  if (f_ta == 0) return 0;
  for (int j = 0; j < kBeforeWarningCells; ++j) {
    // The board and the slow-down itself stay written.
    if (!st.grid.is_free(p64 - j)) return refuse(kBeforeWarningCellTaken, p64 - j, report);
  }
  for (int j = 0; j < kBeforeWarningCells; ++j) {
    TrackCell& cell = st.grid.at(p64 - j);
    cell.kind = kBeforeWarning;
    note_taken(report, p64 - j);
    cell.value1 = static_cast<int16_t>(j + 1);
    if (d_v != 0) cell.value2 = static_cast<int16_t>(j + 1);
  }
  return 0;
}

}  // namespace scenario
