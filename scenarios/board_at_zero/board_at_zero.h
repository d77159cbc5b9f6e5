#pragma once

#include <span>
#include <string_view>

// The ZEROTEST scenario's own texts; every table ends with the end marker.
namespace scenario::board_at_zero {

std::span<const std::string_view> line_description();
std::span<const std::string_view> train_description();

}  // namespace scenario::board_at_zero
