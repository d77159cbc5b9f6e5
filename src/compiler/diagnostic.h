#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/build_state.h"

namespace scenario {

// What the author tools tell about a text: a problem at a place, with a
// stable rule id. The builder itself never makes these; the readers make
// them only in check mode, where a code does not stop the text.

enum class Severity : uint8_t {
  kError,    // the builder records a code for it, or refuses the text
  kWarning,  // accepted silently by the builder, almost always a mistake
};

/// Another place involved in a problem: the object already in the cell,
/// the earlier station.
struct DiagnosticNote {
  SourceOrigin at;
  std::string message;
  /// This note tells where the builder itself stops reading the text: one
  /// such note per text, on the problem the builder stops at.
  bool builder_stop = false;
};

struct Diagnostic {
  Severity severity = Severity::kError;
  /// Stable id, e.g. "cell-taken"; one of check_rules().
  std::string rule;
  /// The builder's code (0 when the builder records none).
  int32_t code = 0;
  /// Metres along the route, where the problem has a position.
  std::optional<int32_t> position_m;
  /// The row where the problem is: file, 1-based line and column, the item.
  /// Line 0: the problem belongs to the text as a whole.
  SourceOrigin at;
  /// 1-based column just past the item (0: unknown).
  int end_column = 0;
  /// What is wrong and how to fix it.
  std::string message;
  std::vector<DiagnosticNote> notes;
};

/// Receives the diagnostics of one check, in the order they are found.
class DiagnosticSink {
 public:
  virtual ~DiagnosticSink() = default;
  virtual void report(Diagnostic d) = 0;
};

/// A sink that keeps everything.
class DiagnosticList : public DiagnosticSink {
 public:
  void report(Diagnostic d) override { items.push_back(std::move(d)); }
  std::vector<Diagnostic> items;
};

/// One rule of `check`: what its id means, with a small example.
struct CheckRule {
  std::string_view id;
  Severity severity;
  std::string_view meaning;
  std::string_view example;
};

}  // namespace scenario
