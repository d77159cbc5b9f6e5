#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "compiler/check_mode.h"
#include "model/build_state.h"
#include "platform/file_system.h"
#include "platform/memory_file_system.h"

namespace scenario::tools {

struct CompileRequest {
  std::string line_text_path;
  std::string train_text_path;
  std::string scenario_name;
  std::string train_code;
  std::string out_dir;
  bool write_plan = true;
  /// Write nothing when any code is recorded.
  bool strict = false;
};

/// What one compile recorded, in the terms an author needs.
struct CompileReport {
  int32_t error_code = 0;
  int32_t error_position_m = 0;
  /// 1250 or 1251 when a reserved slot was taken (no file written), else 0.
  int32_t fatal = 0;
  /// Paths written into the output directory, in writing order.
  std::vector<std::string> files;
  SourceOrigin origin;
  /// The author's path of the description `origin` points into.
  std::string origin_path;
  /// Check mode: the row whose object holds cell 1, where a fatal code is
  /// to blame, and its key word. The builder keeps no such record.
  SourceOrigin fatal_origin;
  std::string fatal_key;
};

/// Runs the compile stage on the two texts in a MemoryFileSystem under the
/// names the builder gives them in `out_dir`, so that the author's own files
/// are never consumed. The binary files it produced are left in `mem`.
/// Throws FileError only on a fault of the compile stage itself.
/// With `check`, the readers report every code to it and go on.
CompileReport compile_in_memory(const std::string& line_text, const std::string& train_text,
                                const CompileRequest& req, MemoryFileSystem& mem,
                                CheckContext* check = nullptr);

/// Reads both texts, compiles and writes the binary files into
/// req.out_dir (created when missing). The three files of the names it
/// writes are removed first, so that no older file outlives a run that
/// writes fewer. Prints the report as text (with the source line under the
/// message) or JSON and returns the exit status: 0 nothing recorded, 1 a
/// code recorded, 2 reserved slot taken, 64 bad names, 66 a text
/// unreadable, 73 an output file not writable or not removable.
int run_compile(const CompileRequest& req, bool json, std::ostream& out, std::ostream& err);

/// The one-line account of a report: "path:line:column: code N: meaning..."
std::string report_message(const CompileReport& r);

/// True for the codes that record a position in metres.
bool code_has_position(int32_t code);

}  // namespace scenario::tools
