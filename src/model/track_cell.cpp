#include "model/track_cell.h"

#include <stdexcept>
#include <string>

#include "model/cell_geometry.h"

namespace scenario {

std::string_view cell_kind_name(uint8_t kind) {
  switch (kind) {
    case kEmpty:
      return "empty";
    case kSignal:
      return "signal";
    case kSlowDownEnd:
      return "slow-down end";
    case kSlowDownStart:
      return "slow-down start";
    case kSlowDownWarning:
      return "slow-down warning board";
    case kBeforeWarning:
      return "before warning board";
    case kSpeedBoard:
      return "speed indicator board";
    case kStationStop:
      return "station stop";
    case kMontagnaMarker:
      return "montagna marker";
    case kPointWithSpeed:
      return "abbattimento point";
    case kPointWithoutSpeed:
      return "abbattimento point without speed";
    case kTextBoard:
      return "text board";
    default:
      return "";
  }
}

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
