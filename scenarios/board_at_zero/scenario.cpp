#include "board_at_zero.h"
#include "lorvena.h"
#include "sources/scenario_data.h"

namespace scenario {

const ScenarioData& carried_scenario() {
  static const ScenarioData data{
      "ZEROTEST",
      "KQ3390",
      board_at_zero::line_description(),
      board_at_zero::train_description(),
      lorvena::notes(),
      lorvena::slowdown_order(),
      lorvena::timetable_sheet(),
  };
  return data;
}

}  // namespace scenario
