#include "tools/compile_report.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "model/error_code.h"
#include "output/compile_stage.h"
#include "output/error_codes.h"
#include "output/file_naming.h"
#include "platform/host_path.h"
#include "tools/check.h"
#include "tools/compiled_files.h"
#include "tools/exit_status.h"
#include "tools/text_encoding.h"

namespace scenario::tools {
namespace {

using Json = nlohmann::ordered_json;

const char* description_name(SourceOrigin::File f) {
  switch (f) {
    case SourceOrigin::File::kLineDescription:
      return "line description";
    case SourceOrigin::File::kTrainDescription:
      return "train description";
    case SourceOrigin::File::kNone:
      break;
  }
  return nullptr;
}

// The names end up inside file names: a separator would put the files
// somewhere else than the output directory.
bool valid_name(const std::string& s) {
  return !s.empty() && s.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool same_file(const std::string& a, const std::string& b) { return same_host_file(a, b); }

}  // namespace

bool code_has_position(int32_t code) {
  const ErrorCodeInfo* info = find_error_code(code);
  return info != nullptr && info->has_position();
}

CompileReport compile_in_memory(const std::string& line_text, const std::string& train_text,
                                const CompileRequest& req, MemoryFileSystem& mem,
                                CheckContext* check) {
  const ScenarioFiles files =
      scenario_files(req.out_dir, host_path_separator(), req.scenario_name, req.train_code);
  mem.put(files.line_description, line_text);
  mem.put(files.train_description, train_text);
  BuildState st;
  st.scenario_name = req.scenario_name;
  st.train_code = req.train_code;
  const CompileResult result = memorizza_percorso(st, mem, files, req.write_plan ? 1 : 0, check);

  CompileReport r;
  r.error_code = st.error_code;
  r.error_position_m = st.error_position_m;
  r.fatal = result.fatal_code;
  r.files = result.files_written;
  // The finishing pass records its codes without a source item; an origin
  // left from an earlier reader code would point at the wrong line.
  const ErrorCodeInfo* info = find_error_code(r.error_code);
  const bool from_finishing_pass = info != nullptr && info->position == PositionRule::kCell;
  if (r.error_code != 0 && !from_finishing_pass) r.origin = st.error_origin;
  if (r.fatal != 0) {
    // The sealing finds the reserved values of cell 1 taken.
    const auto holder = st.cell_holders.find(1);
    if (holder != st.cell_holders.end()) {
      r.fatal_origin = holder->second.at;
      r.fatal_key = std::string(holder->second.key);
    }
  }
  if (r.origin.file == SourceOrigin::File::kLineDescription) r.origin_path = req.line_text_path;
  if (r.origin.file == SourceOrigin::File::kTrainDescription) r.origin_path = req.train_text_path;
  return r;
}

std::string report_message(const CompileReport& r) {
  std::string msg;
  if (r.error_code != 0) {
    if (r.origin.file != SourceOrigin::File::kNone) {
      msg += r.origin_path;
      if (r.origin.line > 0) {
        msg += ":" + std::to_string(r.origin.line) + ":" + std::to_string(r.origin.column);
      }
      msg += ": ";
    }
    msg += "code " + std::to_string(r.error_code) + ": " +
           std::string(error_code_meaning(r.error_code));
    if (code_has_position(r.error_code)) {
      msg += ", at " + std::to_string(r.error_position_m) + " m";
    }
    if (r.origin.file != SourceOrigin::File::kNone) {
      msg += std::string(" (") + description_name(r.origin.file);
      if (r.origin.line > 0) msg += ", item \"" + cp1252_to_utf8(r.origin.item) + "\"";
      msg += ")";
    }
  }
  if (r.fatal != 0) {
    if (!msg.empty()) msg += "; ";
    msg += "fatal " + std::to_string(r.fatal) + ": " + std::string(error_code_meaning(r.fatal)) +
           "; no file written";
  } else if (r.files.empty()) {
    if (!msg.empty()) msg += "; ";
    msg += "no file written: the line description gave no cell grid";
  }
  if (msg.empty()) msg = "no code recorded";
  return msg;
}

int run_compile(const CompileRequest& given, bool json, std::ostream& out, std::ostream& err) {
  if (!valid_name(given.scenario_name) || !valid_name(given.train_code)) {
    err << "scenario_tool: --scenario and --train must be plain names, without '/' or '\\'\n";
    return kExitUsage;
  }
  CompileRequest req = given;
  req.out_dir = without_trailing_separators(req.out_dir);

  std::string line_text, train_text;
  if (!read_from_disk("line description", req.line_text_path, &line_text, err) ||
      !read_from_disk("train description", req.train_text_path, &train_text, err)) {
    return kExitNoInput;
  }

  if (!create_directory(req.out_dir, err)) return kExitCannotCreate;
  const ScenarioFiles names =
      scenario_files(req.out_dir, host_path_separator(), req.scenario_name, req.train_code);
  for (const std::string& target : {names.line_plan, names.train_file, names.cell_grid}) {
    for (const std::string& input : {req.line_text_path, req.train_text_path}) {
      if (same_file(target, input)) {
        err << "scenario_tool: the output '" << target << "' is the input '" << input
            << "'; choose another --out\n";
        return kExitUsage;
      }
    }
  }

  MemoryFileSystem mem;
  CompileReport report;
  try {
    report = compile_in_memory(line_text, train_text, req, mem);
  } catch (const FileError& e) {
    err << "scenario_tool: the compile stage failed: " << e.what() << "\n";
    return kExitSoftware;
  }

  // Files of these names from an earlier run would otherwise pass for this
  // run's output.
  std::vector<std::string> removed;
  std::vector<std::string> targets{names.train_file, names.cell_grid};
  // Without a plan the older plan file stays: --no-plan promises it.
  if (req.write_plan) targets.push_back(names.line_plan);
  for (const std::string& target : targets) {
    if (host_entry(target) == HostEntry::kNone) continue;
    if (remove_host_file(target) != 0) {
      err << "scenario_tool: cannot remove the older '" << target << "': " << std::strerror(errno)
          << "\n";
      return kExitCannotCreate;
    }
    removed.push_back(target);
  }
  const bool withheld = req.strict && (report.error_code != 0 || report.fatal != 0);
  if (withheld) report.files.clear();

  DiskFileSystem disk;
  for (const std::string& path : report.files) {
    try {
      disk.replace_file(path, mem.read_file(path));
    } catch (const FileError& e) {
      err << "scenario_tool: " << e.what() << "\n";
      return kExitCannotCreate;
    }
  }
  std::vector<std::string> stale_removed;
  for (const std::string& path : removed) {
    if (std::find(report.files.begin(), report.files.end(), path) == report.files.end()) {
      stale_removed.push_back(path);
    }
  }

  // check says more about the same code at the same row, in text and JSON
  // alike; only a compile that recorded something pays for it.
  std::vector<Diagnostic> told;
  if (report.error_code != 0 || report.fatal != 0) {
    const std::vector<Diagnostic> checked =
        check_texts(line_text, train_text,
                    {req.line_text_path, req.train_text_path, req.scenario_name, req.train_code});
    for (const int32_t code : {report.error_code, report.fatal}) {
      if (code != 0) told.push_back(explained_report(report, code, checked));
    }
  }
  std::string outcome;
  if (report.error_code == 0 && report.fatal == 0 && !report.files.empty()) {
    outcome = "no code recorded";
  } else if (report.files.empty()) {
    outcome = withheld            ? "no file written: --strict and a code recorded"
              : report.fatal != 0 ? "no file written: the builder stops at a reserved slot"
                                  : "no file written: the line description gave no cell grid";
  }

  if (json) {
    const char* which = description_name(report.origin.file);
    // Some codes name their description but no item in it (line 0); check
    // may still name the row to blame.
    SourceOrigin at = report.origin;
    if (at.line == 0 && report.error_code != 0 && !told.empty() && told.front().at.line > 0 &&
        told.front().at.file == at.file) {
      at = told.front().at;
    }
    const bool located = which != nullptr && at.line > 0;
    std::string message;
    for (const Diagnostic& d : told) message += (message.empty() ? "" : "; ") + d.message;
    if (!outcome.empty()) message += (message.empty() ? "" : "; ") + outcome;
    Json j{{"error_code", report.error_code},
           {"error_position_m", report.error_position_m},
           {"fatal", report.fatal != 0 ? Json(report.fatal) : Json(nullptr)},
           {"files", report.files},
           {"removed", stale_removed},
           {"file", which != nullptr ? Json(which) : Json(nullptr)},
           {"line", located ? Json(at.line) : Json(nullptr)},
           {"column", located ? Json(at.column) : Json(nullptr)},
           {"item", located ? Json(cp1252_to_utf8(at.item)) : Json(nullptr)},
           {"message", message}};
    out << j.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
  } else {
    for (const std::string& path : report.files) out << "wrote " << path << "\n";
    for (const std::string& path : stale_removed) {
      out << "removed " << path << " (from an earlier run; this run does not write it)\n";
    }
    const CheckedTexts texts{req.line_text_path, line_text, req.train_text_path, train_text};
    for (const Diagnostic& d : told) print_diagnostic(d, texts, out);
    if (!outcome.empty()) out << outcome << "\n";
  }
  if (report.fatal != 0) return kExitFatal;
  return report.error_code != 0 ? kExitProblem : kExitClean;
}

}  // namespace scenario::tools
