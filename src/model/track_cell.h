#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/cell_geometry.h"

namespace scenario {

/// Kind codes of a cell. 7, 8 and 9 are not used by this build.
enum CellKind : uint8_t {
  kEmpty = 0,
  kSignal = 1,
  kSlowDownEnd = 2,
  kSlowDownStart = 3,
  kSlowDownWarning = 4,
  kBeforeWarning = 5,
  kSpeedBoard = 6,
  kStationStop = 10,
  kMontagnaMarker = 11,
  kPointWithSpeed = 12,
  kPointWithoutSpeed = 13,
  kTextBoard = 14,
};

/// What a cell of `kind` holds, in words ("signal", "speed indicator
/// board"); "" for a code no writer sets.
std::string_view cell_kind_name(uint8_t kind);

/// One kCellLengthM stretch of route. Field order and widths are those of the cell
/// grid file: 15 bytes per cell.
struct TrackCell {
  uint8_t kind = 0;
  int16_t value1 = 0;
  int16_t value2 = 0;
  int16_t value3 = 0;
  int16_t value4 = 0;
  uint8_t signal_time = 0;
  uint8_t approach_code = 0;
  uint8_t montagna_type = 0;
  uint8_t speed_code = 0;
  uint8_t gradient_code = 0;
  uint8_t adhesion_code = 0;

  bool operator==(const TrackCell&) const = default;
};

/// The cell grid: cells 0 .. grid_last_index, one per cell length of route
/// plus a margin of kGridMarginM. It does not exist before a route length has been read.
class CellGrid {
 public:
  /// Route length above which the line reader refuses the line.
  static constexpr int32_t kMaxRouteLengthM = 1000000;
  static constexpr int32_t kMarginM = kGridMarginM;

  /// Creates the grid anew for route length `route_length_m`: every field of
  /// every cell 0. The caller refuses lengths outside 0 .. kMaxRouteLengthM;
  /// such a length here is a program fault (std::invalid_argument).
  void create(int32_t route_length_m);

  bool exists() const { return !cells_.empty(); }

  /// Route length plus the margin, metres.
  int32_t grid_length_m() const { return grid_length_m_; }
  /// Highest index: cell_below(grid_length_m).
  int32_t grid_last_index() const { return grid_last_index_; }

  /// True when `index` lies in 0 .. grid_last_index.
  bool contains(int64_t index) const { return exists() && index >= 0 && index <= grid_last_index_; }

  /// A cell is free when nothing but a montagna marker stands in it.
  /// Indices outside the grid are never free.
  bool is_free(int64_t index) const {
    return contains(index) && (cells_[static_cast<size_t>(index)].kind == kEmpty ||
                               cells_[static_cast<size_t>(index)].kind == kMontagnaMarker);
  }

  /// Checked access. An index outside the grid is a program fault (every
  /// caller tests its index first) and throws std::out_of_range.
  TrackCell& at(int64_t index);
  const TrackCell& at(int64_t index) const;

  const std::vector<TrackCell>& cells() const { return cells_; }

 private:
  std::vector<TrackCell> cells_;
  int32_t grid_length_m_ = 0;
  int32_t grid_last_index_ = 0;
};

}  // namespace scenario
