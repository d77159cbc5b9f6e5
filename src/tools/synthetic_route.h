#pragma once

#include <cstdint>
#include <string>

namespace scenario::tools {

/// A line and a train description generated for a route of any length, with
/// objects at a steady density: a curve every 2 km, a signal pair every
/// 6 km, a station every 13.5 km (75 on 1000 km), a gradient change every
/// 4 km, a speed board every 10 km, montagna ranges, a slow-down every
/// 48 km. It compiles without a recorded code. Meant for load tests and
/// benchmarks, not for driving.
struct SyntheticRoute {
  std::string line_description;  // CR LF lines, as the builder writes texts
  std::string train_description;
};

/// Shortest and longest routes the generator accepts (metres, multiples of
/// 1000 in between).
constexpr int32_t kSyntheticMinLengthM = 100000;
constexpr int32_t kSyntheticMaxLengthM = 1000000;

/// Throws std::invalid_argument for a length outside the range or not a
/// whole number of kilometres.
SyntheticRoute synthetic_route(int32_t length_m);

}  // namespace scenario::tools
