#include "lorvena.h"
#include "sources/scenario_data.h"

namespace scenario {

const ScenarioData& carried_scenario() {
  static const ScenarioData data{
      "LORVENA",
      "KQ3390",
      lorvena::line_description(),
      lorvena::train_description(),
      lorvena::notes(),
      lorvena::slowdown_order(),
      lorvena::timetable_sheet(),
  };
  return data;
}

}  // namespace scenario
