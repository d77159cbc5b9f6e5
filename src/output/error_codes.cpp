#include "output/error_codes.h"

namespace scenario {

std::string_view error_code_meaning(int32_t code) { return code == 0 ? "" : "unknown code"; }

}  // namespace scenario
