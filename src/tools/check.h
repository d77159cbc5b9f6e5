#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostic.h"

namespace scenario::tools {

struct CheckRequest {
  std::string line_text_path;
  std::string train_text_path;
  /// The names seal the compiled files; given (not empty), they are checked
  /// against the rule the builder applies to them as well.
  std::string scenario_name;
  std::string train_code;
};

enum class CheckFormat { kText, kJson, kSarif };

/// Every problem of the two texts, errors and warnings, ordered by text,
/// line and column. One compile underneath: what it records is always
/// among the errors, at the line it names.
std::vector<Diagnostic> check_texts(const std::string& line_text, const std::string& train_text,
                                    const CheckRequest& req);

/// Reads both texts, checks them and prints the result. Returns 0 with no
/// error (warnings allowed), 1 with an error or, with `werror`, a warning,
/// 66 when a text cannot be read.
int run_check(const CheckRequest& req, CheckFormat format, bool werror, std::ostream& out,
              std::ostream& err);

/// The texts a diagnostic can point into, for the source lines under a
/// message.
struct CheckedTexts {
  std::string line_path, line_text;
  std::string train_path, train_text;
};

struct CompileReport;

/// What a compile recorded, `code` being its error code or its fatal code,
/// as one diagnostic at the place the compile names.
Diagnostic diagnostic_from_report(const CompileReport& r, int32_t code);

/// The same, told as `check` tells it where one of `checked` (check's
/// diagnostics of the same texts) names that code at that row: what is
/// wrong with the item and how to mend it, rather than the code's meaning.
Diagnostic explained_report(const CompileReport& r, int32_t code,
                            const std::vector<Diagnostic>& checked);

/// Puts `code`, what the builder itself records for the texts (`built`,
/// a compile without check mode), among `all`: check's own account of it
/// where there is one, else the compile's. A code at a row is where the
/// builder stops reading that text: the one note of that text that says
/// so goes there.
void include_builders_record(std::vector<Diagnostic>& all, const CompileReport& built,
                             int32_t code);

/// One diagnostic in the text form, with its source line and notes.
void print_diagnostic(const Diagnostic& d, const CheckedTexts& texts, std::ostream& out);

/// "file:line:col: error: message [rule]", the source line with a caret
/// under the item, then the notes; the way compilers print.
void print_text(const std::vector<Diagnostic>& ds, const CheckedTexts& texts, std::ostream& out);
void print_json(const std::vector<Diagnostic>& ds, const CheckedTexts& texts, std::ostream& out);
/// SARIF 2.1.0, one run, the rules of check_rules() that the results use.
void print_sarif(const std::vector<Diagnostic>& ds, const CheckedTexts& texts, std::ostream& out);

/// Line `line` (1-based) of `text` as UTF-8, and under it a caret at
/// `column` with tildes up to `end_column`; "" when the line is not there.
std::string source_excerpt(std::string_view text, int line, int column, int end_column);

}  // namespace scenario::tools
