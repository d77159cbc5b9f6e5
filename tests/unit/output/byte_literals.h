#pragma once

#include <initializer_list>
#include <string>

namespace scenario::testing {

/// Expected file bytes written out as numbers, grouped by field in a test.
inline std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

}  // namespace scenario::testing
