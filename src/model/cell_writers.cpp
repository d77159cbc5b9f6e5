#include "model/cell_writers.h"

namespace scenario {

void memo_montagna(BuildState&, int32_t&, int32_t&, int32_t&) {}
void memo_indicatori_v_max(BuildState&, int32_t, int32_t&, int32_t&, int32_t&, int32_t&,
                           int32_t&, int32_t&, int32_t&, int32_t&) {}
void memo_segnale(BuildState&, int32_t, int32_t&, int32_t&, int32_t&, int32_t&, int32_t&,
                  int32_t&, int32_t&, int32_t&, int32_t&, int32_t&) {}
void memo_rallentamento(BuildState&, int32_t, int32_t&, int32_t&, int32_t&, int32_t,
                        int32_t&) {}

}  // namespace scenario
