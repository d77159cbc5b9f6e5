#pragma once

#include "model/station_table.h"

namespace scenario {

/// Puts the three kilometric progressive triples of slots 81 to 83 into
/// their fixed order and adds 100 to the second number of each triple whose
/// third number is 1.
void progressive_ordina(StationTable& table);

}  // namespace scenario
