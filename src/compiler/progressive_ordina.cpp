#include "compiler/progressive_ordina.h"

namespace scenario {

void progressive_ordina(StationTable&) {}

}  // namespace scenario
