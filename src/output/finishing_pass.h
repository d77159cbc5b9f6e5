#pragma once

#include <cstdint>

#include "compiler/check_mode.h"
#include "model/build_state.h"

namespace scenario {

/// `y` when `x` is greater than `y`, else `x`.
int32_t minimo(int32_t x, int32_t y);

/// Adds the derived abbattimento points around slow-downs and the signals
/// before their warning boards (codes 11, 12, 13 recorded, never thrown).
/// Does nothing without a grid. With `check`, each code is also reported,
/// at the row of the slow-down or signal it concerns where that is known
/// (the builder keeps only the last code).
void finishing_pass(BuildState& st, CheckContext* check = nullptr);

}  // namespace scenario
