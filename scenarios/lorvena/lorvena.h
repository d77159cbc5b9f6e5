#pragma once

#include <span>
#include <string_view>

// The LORVENA scenario's carried texts, one unit each; every table ends with
// the end marker.
namespace scenario::lorvena {

std::span<const std::string_view> line_description();
std::span<const std::string_view> train_description();
std::span<const std::string_view> notes();
std::span<const std::string_view> slowdown_order();
std::span<const std::string_view> timetable_sheet();

}  // namespace scenario::lorvena
