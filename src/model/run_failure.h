#pragma once

#include <stdexcept>
#include <string>

namespace scenario {

/// A run-time failure inside the compile stage: reading past the end of a
/// source text, a value that does not fit its type, a conversion out of range,
/// a source text that cannot be opened. The compile step catches it in one
/// place and records code 25.
class RunFailure : public std::runtime_error {
 public:
  explicit RunFailure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace scenario
