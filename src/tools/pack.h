#pragma once

#include <array>
#include <ostream>
#include <string>
#include <string_view>

#include "sources/scenario_data.h"

namespace CLI {
class App;
}

namespace scenario::tools {

/// The texts' own names in a scenario folder, in the order the build writes
/// them: line description, train description, notes, slow-down order,
/// timetable sheet. `pack` reads these; `unpack` and `example` write them.
inline constexpr std::array<std::string_view, 5> kPackTextNames = {
    "line.txt", "train.txt", "notes.txt", "slowdown_order.txt", "timetable_sheet.txt",
};

struct PackRequest {
  std::string dir;
  std::string scenario_name;
  std::string train_code;
  std::string output;
  /// Empty: the builder beside the running tool.
  std::string template_path;
  /// Pack even when check finds an error.
  bool force = false;
};

/// Writes req.output: the template builder without any payload it had, then
/// the scenario of req.dir as payload; executable. Returns 0 packed, 1 check
/// finds an error, 2 one of them a reserved slot taken (both only without
/// --force; warnings never block), 64 bad usage, 65 a name or text the
/// builder would refuse, or a template that is no builder (it lacks the
/// builder's mark) or carries a damaged payload, 66 a text or the template
/// unreadable, 70 a fault of the compile itself, 73 the output not
/// writable. A notes, slow-down order or timetable sheet text saved as UTF-8
/// is only warned about, with its file and line.
int run_pack(const PackRequest& req, std::ostream& out, std::ostream& err);

/// Writes the five texts a packed builder carries into `dir`, with CR LF
/// line ends. Existing texts are replaced only with `force`. Returns 0, 65
/// for a builder without a payload or with a damaged one, or a file that is
/// no builder, 66 builder unreadable, 73 a text not writable or already
/// there.
int run_unpack(const std::string& builder, const std::string& dir, bool force, std::ostream& out,
               std::ostream& err);

/// Writes the texts of `carried`, the scenario the tool was built with,
/// into `dir` as unpack does, so that they check and pack as they are.
/// Returns 0, or 73 for a text not writable or already there.
int run_example(const std::string& dir, const ScenarioData& carried, bool force, std::ostream& out,
                std::ostream& err);

/// Register "pack", "unpack" and "example" on the tool's command line. When
/// one of them was given, parsing runs it and leaves its exit status in
/// `status`. `carried` must outlive the parsing.
void add_pack_command(CLI::App& app, int& status, std::ostream& out, std::ostream& err);
void add_unpack_command(CLI::App& app, int& status, std::ostream& out, std::ostream& err);
void add_example_command(CLI::App& app, int& status, std::ostream& out, std::ostream& err,
                         const ScenarioData& carried);

}  // namespace scenario::tools
