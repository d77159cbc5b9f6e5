#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// How `scenario_tool pack` tells the builder from any other program: the
// builder's file holds the two halves below back to back. Nothing else does:
// the tool holds each half only as a string of its own, ended by its zero,
// and looks for the head followed by the tail.

namespace scenario {

inline constexpr std::string_view kBuilderMarkHead = "scenario_builder:";
inline constexpr std::string_view kBuilderMarkTail = "reads-appended-scenarios";

/// The whole mark, for the builder alone to keep in its file: any program
/// that keeps it passes for a builder.
consteval std::array<char, kBuilderMarkHead.size() + kBuilderMarkTail.size()> builder_mark() {
  std::array<char, kBuilderMarkHead.size() + kBuilderMarkTail.size()> mark{};
  std::size_t at = 0;
  for (const char c : kBuilderMarkHead) mark[at++] = c;
  for (const char c : kBuilderMarkTail) mark[at++] = c;
  return mark;
}

/// True when `program` holds the mark.
inline bool holds_builder_mark(std::string_view program) {
  for (std::size_t at = program.find(kBuilderMarkHead); at != std::string_view::npos;
       at = program.find(kBuilderMarkHead, at + 1)) {
    if (program.substr(at + kBuilderMarkHead.size()).starts_with(kBuilderMarkTail)) return true;
  }
  return false;
}

}  // namespace scenario
