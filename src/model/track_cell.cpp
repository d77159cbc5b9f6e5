#include "model/track_cell.h"

#include <stdexcept>
#include <string>

#include "model/cell_geometry.h"

namespace scenario {

void CellGrid::create(int32_t route_length_m) {
  if (route_length_m < 0 || route_length_m > kMaxRouteLengthM) {
    throw std::invalid_argument("route length " + std::to_string(route_length_m));
  }
  grid_length_m_ = route_length_m + kMarginM;
  grid_last_index_ = cell_below(grid_length_m_);
  cells_.assign(static_cast<size_t>(grid_last_index_) + 1, TrackCell{});
}

TrackCell& CellGrid::at(int64_t index) {
  if (!contains(index)) throw std::out_of_range("cell index " + std::to_string(index));
  return cells_[static_cast<size_t>(index)];
}

const TrackCell& CellGrid::at(int64_t index) const {
  if (!contains(index)) throw std::out_of_range("cell index " + std::to_string(index));
  return cells_[static_cast<size_t>(index)];
}

}  // namespace scenario
