#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace scenario {

/// A run-time failure inside the compile stage: reading past the end of a
/// source text, a value that does not fit its type, a conversion out of range,
/// a source text that cannot be opened. The compile step catches it in one
/// place and records code 25.
class RunFailure : public std::runtime_error {
 public:
  explicit RunFailure(const std::string& what) : std::runtime_error(what) {}
  /// A failure at a known source item (1-based line and column).
  RunFailure(const std::string& what, int line, int column, std::string item)
      : std::runtime_error(what), line_(line), column_(column), item_(std::move(item)) {}

  /// 0 when the failure has no source item (a conversion out of range).
  int line() const { return line_; }
  int column() const { return column_; }
  const std::string& item() const { return item_; }

 private:
  int line_ = 0;
  int column_ = 0;
  std::string item_;
};

}  // namespace scenario
