#include "output/finishing_pass.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "compiler/reader_support.h"
#include "model/cell_geometry.h"
#include "model/error_code.h"

namespace scenario {
namespace {

constexpr int16_t kDerivedPointSpeed = 180;
/// Slow-downs at or above this speed get no points inside them.
constexpr int16_t kNoInnerPointsSpeed = 110;
/// A point every this many cells (400 m) inside a slow-down.
constexpr int kInnerPointSpacing = 8;
/// How far before a warning board signals are looked for.
constexpr int kSignalLookBack = 20;
/// Signals below this cell are never looked at: a point beside them would
/// land in cell 1, whose first values are reserved.
constexpr int64_t kLowestSignalCell = 3;
/// How many cells from a slow-down's end the first signal is looked for.
constexpr int kSignalSearchAfterEnd = 12;

class Pass {
 public:
  Pass(BuildState& st, CheckContext* check) : st_(st), grid_(st.grid), check_(check) {}

  void run() {
    const int64_t last = grid_.grid_last_index();
    find_walk_stops();
    // Points placed ahead of i are seen by the later visits, as the grid is
    // finished in one ascending sweep.
    for (int64_t i = 1; i <= last - 2; ++i) {
      const uint8_t kind = grid_.at(i).kind;
      if (kind == kSlowDownWarning) {
        signals_before_warning(i);
      } else if (kind == kSlowDownStart) {
        slow_down(i);
      }
    }
  }

 private:
  bool kind_is(int64_t index, uint8_t kind) const {
    return grid_.contains(index) && grid_.at(index).kind == kind;
  }

  /// Only free cells take a point; is_free is false outside the grid.
  bool place_if_free(int64_t index) {
    if (!grid_.is_free(index)) return false;
    TrackCell& cell = grid_.at(index);
    cell.kind = kPointWithSpeed;
    cell.value1 = kDerivedPointSpeed;
    return true;
  }

  void lower_to_derived_speed(int64_t index) {
    TrackCell& cell = grid_.at(index);
    cell.value1 = static_cast<int16_t>(minimo(kDerivedPointSpeed, cell.value1));
  }

  /// `object_cell` holds the signal or slow-down start the code is about.
  void record(int32_t code, int64_t cell_index, int64_t object_cell) {
    // A later error replaces an earlier one; the pass carries on.
    st_.error_code = code;
    st_.error_position_m = static_cast<int32_t>(cell_start_m(cell_index));
    if (check_ != nullptr && check_->sink != nullptr) report(code, cell_index, object_cell);
  }

  void report(int32_t code, int64_t cell_index, int64_t object_cell) {
    Problem p{code,
              st_.error_position_m,
              SourceOrigin{SourceOrigin::File::kTrainDescription, 0, 0, {}},
              {},
              {}};
    const auto holder = st_.cell_holders.find(object_cell);
    if (holder != st_.cell_holders.end()) p.at = holder->second.at;
    const std::string where =
        "cell " + std::to_string(cell_index) + " (" + std::to_string(st_.error_position_m) + " m)";
    switch (code) {
      case kNoRoomBesideSignal:
        p.message = "no free cell for the abbattimento point just before this signal (" + where +
                    "), which stands within 1000 m before a slow-down's warning board; free "
                    "one of the two cells before it";
        break;
      case kNoRoomBeforeSlowDown:
        p.message = "no free cell for an abbattimento point before this slow-down's start (" +
                    where + "); free a cell 250 to 350, 550 to 650 or 900 to 1000 m before it";
        break;
      default:
        p.message =
            "no free cell for an abbattimento point inside this slow-down or before the "
            "first signal after it (" +
            where + "); free the cells there";
        break;
    }
    check_->sink->report(diagnostic_for(std::move(p), rule_for_code(code)));
  }

  /// Every signal in the 20 cells before a warning board gets a point just
  /// before it, or has the speed of the point already there lowered.
  void signals_before_warning(int64_t board) {
    for (int a = 1; a <= kSignalLookBack; ++a) {
      const int64_t c = board - a;
      if (c < kLowestSignalCell) break;
      if (!kind_is(c, kSignal)) continue;
      if (place_if_free(c - 1) || place_if_free(c - 2)) continue;
      if (kind_is(c - 1, kPointWithSpeed)) {
        lower_to_derived_speed(c - 1);
      } else if (kind_is(c - 2, kPointWithSpeed)) {
        lower_to_derived_speed(c - 2);
      } else {
        record(kNoRoomBesideSignal, c, c);
      }
    }
  }

  /// A point in the first free cell of `start - d` for d in `distances`,
  /// else code 12 at the start.
  void point_before_start(int64_t start, std::initializer_list<int> distances) {
    for (int d : distances) {
      if (place_if_free(start - d)) return;
    }
    record(kNoRoomBeforeSlowDown, start, start);
  }

  void slow_down(int64_t start) {
    if (start > 7) point_before_start(start, {5, 6, 7});
    if (start > 13) point_before_start(start, {11, 12, 13});
    if (start > 20) point_before_start(start, {18, 19, 20});
    const bool inner_points = grid_.at(start).value1 < kNoInnerPointsSpeed;
    const int64_t end = walk_to_end(start, inner_points);
    point_before_signal_after(end, start);
  }

  /// For every cell, where a walk that places no more points stops: the
  /// first slow-down end at or after it, else the last cell. The pass never
  /// makes or removes an end, so this holds for the whole pass. Without it,
  /// many starts whose ends are missing would each walk to the grid's end.
  void find_walk_stops() {
    const int64_t last = grid_.grid_last_index();
    walk_stop_.assign(static_cast<size_t>(last) + 1, static_cast<int32_t>(last));
    for (int64_t k = last - 1; k >= 0; --k) {
      walk_stop_[static_cast<size_t>(k)] = grid_.at(k).kind == kSlowDownEnd
                                               ? static_cast<int32_t>(k)
                                               : walk_stop_[static_cast<size_t>(k) + 1];
    }
  }

  /// Walks from the start to the slow-down's end (the first kind-2 cell
  /// after it), placing a point every 8 cells when `place_points`, and
  /// returns the cell where it stopped. A start whose end was overwritten, or
  /// fell into the start cell itself, has no end ahead of it: the walk then
  /// runs to the next slow-down's end or to the last cell, never past it.
  int64_t walk_to_end(int64_t start, bool place_points) {
    const int64_t last = grid_.grid_last_index();
    int64_t j = start;
    // Counts cells since the last point; it restarts from the cell actually
    // used, and once a point found no room it never reaches 8 again.
    int n = 0;
    bool walk_blocked = !place_points;
    while (true) {
      // No point left to place: only the end is looked for. j < last here.
      if (walk_blocked) return walk_stop_[static_cast<size_t>(j) + 1];
      ++j;
      ++n;
      if (n == kInnerPointSpacing) {
        if (place_if_free(j)) {
          n = 0;
        } else if (place_if_free(j - 1)) {
          n = 1;
        } else if (place_if_free(j + 1)) {
          n = -1;
        } else {
          record(kNoRoomInsideSlowDown, j, start);
          walk_blocked = true;
        }
      }
      if (kind_is(j, kSlowDownEnd) || j >= last) return j;
    }
  }

  /// The first signal within 12 cells from the end `end` gets a point just
  /// before it; cells beyond the grid are not searched.
  void point_before_signal_after(int64_t end, int64_t start) {
    for (int64_t s = end; s <= end + kSignalSearchAfterEnd && grid_.contains(s); ++s) {
      if (!kind_is(s, kSignal)) continue;
      if (s - 1 > 0 && !place_if_free(s - 1) && !place_if_free(s - 2))
        record(kNoRoomInsideSlowDown, end, start);
      return;
    }
  }

  BuildState& st_;
  CellGrid& grid_;
  CheckContext* const check_;
  std::vector<int32_t> walk_stop_;
};

}  // namespace

int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

void finishing_pass(BuildState& st, CheckContext* check) {
  if (!st.grid.exists()) return;
  Pass(st, check).run();
}

}  // namespace scenario
