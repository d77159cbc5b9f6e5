#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace scenario {

/// One slot of the station table. Field order is the order of the train file.
struct StationRecord {
  uint8_t station_kind = 0;
  int32_t area_start_m = 0;
  int32_t area_end_m = 0;
  int32_t position_m = 0;
  uint8_t flag_a = 0;
  std::string name;
  int16_t group_a1 = 0;
  int16_t group_a2 = 0;
  int16_t group_b1 = 0;
  int16_t group_b2 = 0;
  int16_t group_b3 = 0;
  uint8_t group_a3 = 0;
  uint8_t stop_value = 0;
  uint8_t end_extension = 0;
  uint8_t long_flag = 0;
  int32_t time_s = 0;

  bool operator==(const StationRecord&) const = default;
};

constexpr int kStationSlots = 87;
/// Stations take slots 1 upward.
constexpr int kFirstStationSlot = 1;
/// Text boards take slots 80, 79, ... downward.
constexpr int kFirstBoardSlot = 80;
/// The three kilometric progressive triples.
constexpr int kProgressiveTreSlot = 81;
constexpr int kProgressiveDueSlot = 82;
constexpr int kProgressiveUnoSlot = 83;
/// Braked-weight percentage, route length, number of coaches.
constexpr int kTrainValuesSlot = 84;
/// Scenario name, background values, marker and first check code.
constexpr int kScenarioSlot = 85;
/// Train code, signal repetition, sand supply and clock.
constexpr int kTrainSlot = 86;

using StationTable = std::array<StationRecord, kStationSlots>;

/// Every number 0 and every name empty.
void clear_station_table(StationTable& table);

}  // namespace scenario
