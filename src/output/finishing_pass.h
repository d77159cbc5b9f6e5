#pragma once

#include <cstdint>

#include "model/build_state.h"

namespace scenario {

/// `y` when `x` is greater than `y`, else `x`.
int32_t minimo(int32_t x, int32_t y);

/// Adds the derived abbattimento points around slow-downs and the signals
/// before their warning boards (codes 11, 12, 13 recorded, never thrown).
/// Does nothing without a grid.
void finishing_pass(BuildState& st);

}  // namespace scenario
