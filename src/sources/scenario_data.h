#pragma once

#include <span>
#include <string_view>

namespace scenario {

/// Closes every table of lines; never written itself.
inline constexpr std::string_view kEndMarker = "riferimento fine del file";

/// One carried scenario: its two identity constants and its five texts, each
/// a table of literal lines closed by kEndMarker. Another scenario is another
/// set of data units that defines carried_scenario().
struct ScenarioData {
  std::string_view scenario_name;
  std::string_view train_code;
  std::span<const std::string_view> line_description;
  std::span<const std::string_view> train_description;
  std::span<const std::string_view> notes;
  std::span<const std::string_view> slowdown_order;
  std::span<const std::string_view> timetable_sheet;
};

/// The scenario this build carries (defined by the selected data units).
const ScenarioData& carried_scenario();

}  // namespace scenario
