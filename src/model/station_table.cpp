#include "model/station_table.h"

namespace scenario {

void clear_station_table(StationTable& table) {
  for (StationRecord& record : table) record = StationRecord{};
}

}  // namespace scenario
