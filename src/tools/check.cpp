#include "tools/check.h"

#include <fmt/format.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

#include "compiler/check_mode.h"
#include "compiler/check_rules.h"
#include "compiler/reader_support.h"
#include "model/error_code.h"
#include "output/error_codes.h"
#include "platform/file_system.h"
#include "scenario_version.h"
#include "sources/scenario_validity.h"
#include "tools/check_lint.h"
#include "tools/compile_report.h"
#include "tools/compiled_files.h"
#include "tools/exit_status.h"
#include "tools/text_encoding.h"

namespace scenario::tools {
namespace {

using Json = nlohmann::ordered_json;
using File = SourceOrigin::File;

/// The rule a code of the builder belongs to: the readers' own, but for a
/// failed read without an item in the line description, which is its
/// missing route length.
std::string_view rule_of_code(int32_t code, const SourceOrigin& at) {
  if (code == kReadFailure && at.file == File::kLineDescription && at.line == 0) {
    return "no-route-length";
  }
  return rule_for_code(code);
}

}  // namespace

Diagnostic diagnostic_from_report(const CompileReport& r, int32_t code) {
  Diagnostic d;
  d.severity = Severity::kError;
  d.code = code;
  const bool fatal = code == kMarkerSlotTaken || code == kCheckCodeSlotTaken;
  // A fatal code belongs to cell 1, not to the row of the recorded code.
  d.at = fatal ? r.fatal_origin : r.origin;
  d.rule = std::string(rule_of_code(code, d.at));
  d.message = fmt::format("code {}: {}", code, error_code_meaning(code));
  if (code_has_position(code)) {
    d.position_m = r.error_position_m;
    d.message += fmt::format(", at {} m", r.error_position_m);
  }
  if (fatal) {
    d.message += "; the builder stops with its error box and writes no file";
    if (!r.fatal_key.empty()) {
      d.message += fmt::format(
          "; cell 1 holds the object of this \"{}\" row: move it further along the route",
          r.fatal_key);
    }
  }
  if (d.at.line > 0) {
    d.end_column = d.at.column + static_cast<int>(d.at.item.size());
  }
  return d;
}

namespace {

bool same_row(const Diagnostic& a, const Diagnostic& b) {
  return a.at.file == b.at.file && a.at.line == b.at.line;
}

/// The error of `checked` that tells what `d`, a compile's record, tells:
/// the same code at the same place and position.
std::optional<size_t> account_of(const Diagnostic& d, const std::vector<Diagnostic>& checked) {
  // Where the compile names no row, check may name the one to blame (the
  // general section that lacks its route length, the object in cell 1):
  // the same code under the same rule, in the same text where one is named.
  const auto same_place = [&](const Diagnostic& c) {
    return same_row(c, d) || (d.at.line == 0 && c.rule == d.rule &&
                              (d.at.file == File::kNone || c.at.file == d.at.file));
  };
  for (size_t k = 0; k < checked.size(); ++k) {
    const Diagnostic& c = checked[k];
    if (c.severity == Severity::kError && c.code == d.code && same_place(c) &&
        (!d.position_m || !c.position_m || *c.position_m == *d.position_m)) {
      return k;
    }
  }
  return std::nullopt;
}

}  // namespace

void include_builders_record(std::vector<Diagnostic>& all, const CompileReport& built,
                             int32_t code) {
  Diagnostic told = diagnostic_from_report(built, code);
  std::optional<size_t> found = account_of(told, all);
  if (!found) {
    // Check mode read these texts otherwise than the builder (the finishing
    // pass meets the objects placed after a stop; or a case the readers do
    // not know yet): the builder's own compile decides.
    told.message +=
        "; the builder records this, while check's own reading, which goes on after the "
        "builder's stop, does not meet it here";
    all.push_back(std::move(told));
    found = all.size() - 1;
  }
  Diagnostic* const stop = &all[*found];
  // The finishing pass and the end-of-text tests name no row: they are no
  // stop of a reader. A speed out of its byte's range fails at its own row
  // wherever the builder stops, which check's account of it tells.
  if (code != built.error_code || code == kReadFailure || stop->at.line == 0 ||
      built.origin.line == 0) {
    return;
  }
  const File file = built.origin.file;
  const auto is_stop_note = [](const DiagnosticNote& n) { return n.builder_stop; };
  if (std::none_of(stop->notes.begin(), stop->notes.end(), is_stop_note)) {
    // A stop told anywhere else in this text is not the builder's; nor, when
    // it stops in the line description, is one in the train description,
    // which it then reads without a code.
    for (Diagnostic& d : all) {
      if (d.at.file == file || (file == File::kLineDescription && d.at.file != file)) {
        std::erase_if(d.notes, is_stop_note);
      }
    }
    const RowOutcome how = file == File::kLineDescription && code == kObjectOutsideGrid
                               ? RowOutcome::kStopReading
                               : RowOutcome::kEnd;
    stop->notes.push_back(DiagnosticNote{built.origin, builder_stop_note(file, how), true});
  }
}

Diagnostic explained_report(const CompileReport& r, int32_t code,
                            const std::vector<Diagnostic>& checked) {
  const Diagnostic d = diagnostic_from_report(r, code);
  const std::optional<size_t> c = account_of(d, checked);
  return c ? checked[*c] : d;
}

namespace {

int file_rank(File f) {
  return f == File::kLineDescription ? 0 : f == File::kTrainDescription ? 1 : 2;
}

const std::string& path_of(File f, const CheckedTexts& t) {
  static const std::string kNone;
  if (f == File::kLineDescription) return t.line_path;
  if (f == File::kTrainDescription) return t.train_path;
  return kNone;
}

const std::string& text_of(File f, const CheckedTexts& t) {
  static const std::string kNone;
  if (f == File::kLineDescription) return t.line_text;
  if (f == File::kTrainDescription) return t.train_text;
  return kNone;
}

const char* severity_word(Severity s) { return s == Severity::kError ? "error" : "warning"; }

std::string location(const SourceOrigin& at, const CheckedTexts& t) {
  std::string s = path_of(at.file, t);
  if (s.empty()) s = "scenario_tool";
  if (at.line > 0) s += fmt::format(":{}:{}", at.line, std::max(at.column, 1));
  return s;
}

std::string_view line_of(std::string_view text, int line) {
  size_t start = 0;
  for (int n = 1; n < line; ++n) {
    const size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) return {};
    start = nl + 1;
  }
  if (start > text.size()) return {};
  size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  std::string_view l = text.substr(start, end - start);
  if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
  return l;
}

// Text as SARIF wants a URI: a relative reference, forward slashes, the
// few characters a path holds that a URI may not, escaped.
std::string uri_of(std::string_view path) {
  std::string out;
  for (const char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += '/';
    } else if (b <= 0x20 || b >= 0x7F || c == '%' || c == '#' || c == '?' || c == '"') {
      out += fmt::format("%{:02X}", b);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string source_excerpt(std::string_view text, int line, int column, int end_column) {
  if (line <= 0) return {};
  const std::string_view l = line_of(text, line);
  if (l.empty()) return {};
  std::string out = printable_line(l) + "\n";
  const int width = static_cast<int>(l.size());
  const int col = std::clamp(column, 1, width + 1);
  // Tabs stay tabs under the line, so that the caret lines up in any
  // terminal.
  for (int i = 1; i < col; ++i) out += l[static_cast<size_t>(i - 1)] == '\t' ? '\t' : ' ';
  out += '^';
  const int end = std::min(end_column, width + 1);
  for (int i = col + 1; i < end; ++i) out += '~';
  out += '\n';
  return out;
}

std::vector<Diagnostic> check_texts(const std::string& line_text, const std::string& train_text,
                                    const CheckRequest& req) {
  CompileRequest compile;
  compile.line_text_path = req.line_text_path;
  compile.train_text_path = req.train_text_path;
  // Names that break the rule would only seal the files; the compile takes
  // a name of its own then, and the names get their own errors below.
  auto sealing = [](const std::string& name) {
    return name.empty() || name_problem(name) ? std::string("check") : name;
  };
  compile.scenario_name = sealing(req.scenario_name);
  compile.train_code = sealing(req.train_code);
  compile.out_dir = "check";
  DiagnosticList from_readers;
  std::vector<LoggedRow> logged;
  CheckContext context;
  context.sink = &from_readers;
  context.rows = &logged;
  MemoryFileSystem mem;
  const CompileReport report = compile_in_memory(line_text, train_text, compile, mem, &context);
  // What the builder itself records. Check mode reads as the builder does
  // up to a text's first code and only then reads on: where it recorded no
  // code at all, the two readings are one and the same.
  CompileReport built = report;
  if (report.error_code != 0) {
    MemoryFileSystem plain;
    built = compile_in_memory(line_text, train_text, compile, plain);
    // The builder keeps no holder of cell 1; check's reading names the row
    // to move where it finds the same fault.
    if (built.fatal != 0 && built.fatal == report.fatal) {
      built.fatal_origin = report.fatal_origin;
      built.fatal_key = report.fatal_key;
    }
  }

  LintResult line = lint_text(File::kLineDescription, line_text);
  LintResult train = lint_text(File::kTrainDescription, train_text);

  std::vector<Diagnostic> all;
  // The lint names the value that cannot be read; the reader's account of
  // the same row says less, but for where the builder stops, which goes
  // with the lint's.
  auto lint_read_failure = [&](const Diagnostic& d) -> Diagnostic* {
    for (LintResult* l : {&line, &train}) {
      for (Diagnostic& x : l->diagnostics) {
        if (x.code == kReadFailure && same_row(x, d)) return &x;
      }
    }
    return nullptr;
  };
  for (Diagnostic& d : from_readers.items) {
    // The readers quote the items as the text holds them, in code page 1252.
    d.message = cp1252_to_utf8(d.message);
    for (DiagnosticNote& n : d.notes) n.message = cp1252_to_utf8(n.message);
    if (d.code == kReadFailure) {
      if (Diagnostic* lint = lint_read_failure(d)) {
        for (DiagnosticNote& n : d.notes) lint->notes.push_back(std::move(n));
        continue;
      }
    }
    all.push_back(std::move(d));
  }
  for (const int32_t code : {report.error_code, report.fatal}) {
    if (code == 0) continue;
    Diagnostic d = diagnostic_from_report(report, code);
    const bool known = std::any_of(all.begin(), all.end(), [&](const Diagnostic& x) {
      return x.code == code && same_row(x, d);
    });
    if (!known && !(code == kReadFailure && lint_read_failure(d))) all.push_back(std::move(d));
  }
  for (LintResult* l : {&line, &train}) {
    for (Diagnostic& d : l->diagnostics) all.push_back(std::move(d));
  }
  for (const int32_t code : {built.error_code, built.fatal}) {
    if (code != 0) include_builders_record(all, built, code);
  }
  const std::pair<const char*, const std::string*> names[] = {{"scenario name", &req.scenario_name},
                                                              {"train code", &req.train_code}};
  for (const auto& [what, name] : names) {
    if (name->empty()) continue;
    if (const std::optional<std::string> p = name_problem(*name)) {
      Diagnostic d;
      d.severity = Severity::kError;
      d.rule = "invalid-name";
      d.message = fmt::format(
          "{} \"{}\": {}; every file of the scenario starts with it, so pack and the builder "
          "refuse it (1 to {} characters from A-Z a-z 0-9 _ -, not a device name of Windows)",
          what, cp1252_to_utf8(*name), *p, kMaxNameLength);
      all.push_back(std::move(d));
    }
  }
  for (Diagnostic& d : lint_semantics(line, train)) {
    // An object beyond the grid is an error already; beyond the route but
    // on the grid is what the warning is for.
    const bool covered = std::any_of(all.begin(), all.end(), [&](const Diagnostic& x) {
      return x.severity == Severity::kError && same_row(x, d);
    });
    if (!(covered && d.rule == "beyond-route")) all.push_back(std::move(d));
  }
  // A value out of its range on a row with an error is seldom news: the
  // error is what to mend first, and often says the same.
  std::vector<std::pair<File, int>> rows_with_errors;
  for (const Diagnostic& d : all) {
    if (d.severity == Severity::kError) rows_with_errors.emplace_back(d.at.file, d.at.line);
  }
  std::erase_if(all, [&](const Diagnostic& d) {
    return d.rule == "value-range" &&
           std::find(rows_with_errors.begin(), rows_with_errors.end(),
                     std::pair(d.at.file, d.at.line)) != rows_with_errors.end();
  });
  for (Diagnostic& d : all) {
    d.message = escape_controls(d.message);
    for (DiagnosticNote& n : d.notes) n.message = escape_controls(n.message);
  }
  std::stable_sort(all.begin(), all.end(), [](const Diagnostic& a, const Diagnostic& b) {
    const int fa = file_rank(a.at.file), fb = file_rank(b.at.file);
    if (fa != fb) return fa < fb;
    if (a.at.line != b.at.line) return a.at.line < b.at.line;
    return a.at.column < b.at.column;
  });
  return all;
}

void print_diagnostic(const Diagnostic& d, const CheckedTexts& texts, std::ostream& out) {
  out << location(d.at, texts) << ": " << severity_word(d.severity) << ": " << d.message << " ["
      << d.rule << "]\n";
  out << source_excerpt(text_of(d.at.file, texts), d.at.line, d.at.column, d.end_column);
  for (const DiagnosticNote& n : d.notes) {
    out << location(n.at, texts) << ": note: " << n.message << "\n";
  }
}

void print_text(const std::vector<Diagnostic>& ds, const CheckedTexts& texts, std::ostream& out) {
  size_t errors = 0, warnings = 0;
  for (const Diagnostic& d : ds) {
    (d.severity == Severity::kError ? errors : warnings) += 1;
    print_diagnostic(d, texts, out);
  }
  if (errors + warnings == 0) {
    out << "no problem found\n";
  } else {
    out << fmt::format("{} error{} and {} warning{}\n", errors, errors == 1 ? "" : "s", warnings,
                       warnings == 1 ? "" : "s");
  }
}

void print_json(const std::vector<Diagnostic>& ds, const CheckedTexts& texts, std::ostream& out) {
  Json all = Json::array();
  for (const Diagnostic& d : ds) {
    Json notes = Json::array();
    for (const DiagnosticNote& n : d.notes) {
      notes.push_back({{"file", path_of(n.at.file, texts)},
                       {"line", n.at.line},
                       {"column", n.at.column},
                       {"message", n.message}});
    }
    all.push_back({{"file", path_of(d.at.file, texts)},
                   {"line", d.at.line},
                   {"column", d.at.column},
                   {"end_column", d.end_column},
                   {"severity", severity_word(d.severity)},
                   {"rule", d.rule},
                   {"code", d.code != 0 ? Json(d.code) : Json(nullptr)},
                   {"position_m", d.position_m ? Json(*d.position_m) : Json(nullptr)},
                   {"message", d.message},
                   {"notes", notes}});
  }
  // A path given on the command line need not be UTF-8.
  out << all.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

void print_sarif(const std::vector<Diagnostic>& ds, const CheckedTexts& texts, std::ostream& out) {
  Json rules = Json::array();
  for (const CheckRule& r : check_rules()) {
    rules.push_back({{"id", r.id},
                     {"shortDescription", {{"text", r.meaning}}},
                     {"help", {{"text", fmt::format("Example: {}", r.example)}}},
                     {"defaultConfiguration", {{"level", severity_word(r.severity)}}}});
  }
  auto physical = [&](const SourceOrigin& at, int end_column) {
    Json loc{{"artifactLocation", {{"uri", uri_of(path_of(at.file, texts))}}}};
    if (at.line > 0) {
      Json region{{"startLine", at.line}, {"startColumn", std::max(at.column, 1)}};
      if (end_column > at.column) region["endColumn"] = end_column;
      loc["region"] = region;
    }
    return loc;
  };
  Json results = Json::array();
  for (const Diagnostic& d : ds) {
    Json result{{"ruleId", d.rule}};
    for (size_t i = 0; i < check_rules().size(); ++i) {
      if (check_rules()[i].id == d.rule) result["ruleIndex"] = i;
    }
    result["level"] = severity_word(d.severity);
    result["message"] = {{"text", d.message}};
    if (d.at.file != File::kNone) {
      result["locations"] = Json::array({{{"physicalLocation", physical(d.at, d.end_column)}}});
    }
    if (!d.notes.empty()) {
      Json related = Json::array();
      for (const DiagnosticNote& n : d.notes) {
        related.push_back(
            {{"physicalLocation", physical(n.at, 0)}, {"message", {{"text", n.message}}}});
      }
      result["relatedLocations"] = related;
    }
    results.push_back(result);
  }
  const Json sarif{
      {"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
      {"version", "2.1.0"},
      {"runs",
       Json::array(
           {{{"tool",
              {{"driver",
                {{"name", "scenario_tool"}, {"version", SCENARIO_VERSION}, {"rules", rules}}}}},
             {"results", results}}})}};
  out << sarif.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

int run_check(const CheckRequest& req, CheckFormat format, bool werror, std::ostream& out,
              std::ostream& err) {
  CheckedTexts texts{req.line_text_path, {}, req.train_text_path, {}};
  if (!read_from_disk("line description", req.line_text_path, &texts.line_text, err) ||
      !read_from_disk("train description", req.train_text_path, &texts.train_text, err)) {
    return kExitNoInput;
  }
  std::vector<Diagnostic> ds;
  try {
    ds = check_texts(texts.line_text, texts.train_text, req);
  } catch (const FileError& e) {
    err << "scenario_tool: the compile stage failed: " << e.what() << "\n";
    return kExitSoftware;
  }
  switch (format) {
    case CheckFormat::kText:
      print_text(ds, texts, out);
      break;
    case CheckFormat::kJson:
      print_json(ds, texts, out);
      break;
    case CheckFormat::kSarif:
      print_sarif(ds, texts, out);
      break;
  }
  const bool failed = std::any_of(ds.begin(), ds.end(), [&](const Diagnostic& d) {
    return d.severity == Severity::kError || werror;
  });
  return failed ? kExitProblem : kExitClean;
}

}  // namespace scenario::tools
