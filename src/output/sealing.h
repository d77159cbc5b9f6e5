#pragma once

#include <cstdint>

#include "model/build_state.h"

namespace scenario {

/// First check code: sum of k x code of character k over the 25 characters
/// of the working text of the names of slots 86 and 85.
int32_t codice_gara_st(const BuildState& st);
/// Second check code: sum of the codes of those 25 characters.
int32_t codice_gara_og(const BuildState& st);

/// Stamps the markers and the check codes into slot 85 and cell 1.
/// Returns 0 when sealed, or the fatal code kMarkerSlotTaken /
/// kCheckCodeSlotTaken when a reserved slot was already taken (nothing
/// further is stamped then).
int32_t seal(BuildState& st);

}  // namespace scenario
