#pragma once

#include <cstdint>
#include <string_view>

namespace scenario {

/// The meaning of a recorded code in words ("" for 0, "unknown code" for a
/// code the build never records).
std::string_view error_code_meaning(int32_t code);

}  // namespace scenario
