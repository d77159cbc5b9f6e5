#pragma once

#include <array>
#include <cstddef>
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

/// The fixed slots 81 to 86 by what they hold, so that no reader or tool has
/// to remember which field of which slot carries a value. `Table` is
/// StationTable or const StationTable.
template <class Table>
struct FixedSlots {
  Table& table;

  /// The three kilometric progressives: k = 0, 1, 2 for slots 81, 82, 83
  /// (start in area_start_m, end in area_end_m, adjustment in position_m).
  auto& progressive(int k) const { return table[static_cast<size_t>(kProgressiveTreSlot + k)]; }

  auto& braked_weight_percent() const { return table[kTrainValuesSlot].area_start_m; }
  auto& route_length_m() const { return table[kTrainValuesSlot].area_end_m; }
  auto& coaches() const { return table[kTrainValuesSlot].position_m; }

  auto& scenario_name() const { return table[kScenarioSlot].name; }
  auto& background_1() const { return table[kScenarioSlot].area_start_m; }
  auto& background_2() const { return table[kScenarioSlot].position_m; }
  auto& background_3() const { return table[kScenarioSlot].area_end_m; }
  auto& scenario_marker() const { return table[kScenarioSlot].group_a1; }
  auto& scenario_check_code() const { return table[kScenarioSlot].time_s; }

  auto& train_code() const { return table[kTrainSlot].name; }
  auto& repetition_start_m() const { return table[kTrainSlot].area_start_m; }
  auto& repetition_end_m() const { return table[kTrainSlot].area_end_m; }
  /// 4 or 9 codes, or 0 when there is no repetition.
  auto& repetition_codes() const { return table[kTrainSlot].position_m; }
  auto& sand() const { return table[kTrainSlot].group_a1; }
  auto& clock_hours() const { return table[kTrainSlot].group_b1; }
  auto& clock_minutes() const { return table[kTrainSlot].group_b2; }
  auto& clock_seconds() const { return table[kTrainSlot].group_b3; }
};

inline FixedSlots<StationTable> fixed_slots(StationTable& t) { return {t}; }
inline FixedSlots<const StationTable> fixed_slots(const StationTable& t) { return {t}; }

}  // namespace scenario
