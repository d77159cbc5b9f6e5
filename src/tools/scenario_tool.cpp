#include "tools/scenario_tool.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "output/file_naming.h"
#include "platform/host_path.h"
#include "scenario_version.h"
#include "sources/text_writer.h"
#include "tools/check.h"
#include "tools/check_spelling.h"
#include "tools/compile_report.h"
#include "tools/compiled_files.h"
#include "tools/exit_status.h"
#include "tools/explain.h"
#include "tools/inspect.h"
#include "tools/pack.h"
#include "tools/preview.h"
#include "tools/route_drawing.h"
#include "tools/synthetic_route.h"

namespace scenario::tools {
namespace {

/// Every name a subcommand answers to, for "did you mean".
std::vector<std::string> command_names(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands({})) {
    names.push_back(sub->get_name());
    for (const std::string& alias : sub->get_aliases()) names.push_back(alias);
  }
  return names;
}

std::vector<std::string> option_names(const CLI::App& cmd) {
  std::vector<std::string> names{"--help"};
  for (const CLI::Option* o : cmd.get_options()) {
    for (const std::string& l : o->get_lnames()) names.push_back("--" + l);
    for (const std::string& sn : o->get_snames()) names.push_back("-" + sn);
  }
  return names;
}

std::string did_you_mean(const std::string& word, const std::vector<std::string>& names) {
  const std::vector<std::string_view> views(names.begin(), names.end());
  const std::vector<std::string> near = closest_words(word, views);
  return near.empty() ? "" : "; did you mean " + quoted_alternatives(near) + "?";
}

}  // namespace

int export_carried(const std::string& dir, const ScenarioData& carried, std::ostream& out,
                   std::ostream& err) {
  if (!create_directory(dir, err)) return kExitCannotCreate;
  const ScenarioFiles f =
      scenario_files(dir, host_path_separator(), std::string(carried.scenario_name),
                     std::string(carried.train_code));
  DiskFileSystem disk;
  try {
    write_text_file(disk, f.line_description, carried.line_description);
    write_text_file(disk, f.train_description, carried.train_description);
    write_text_file(disk, f.notes, carried.notes);
    write_text_file(disk, f.slowdown_order, carried.slowdown_order);
    write_text_file(disk, f.timetable_sheet, carried.timetable_sheet);
  } catch (const FileError& e) {
    err << "scenario_tool: " << e.what() << "\n";
    return kExitCannotCreate;
  }
  for (const std::string* p : {&f.line_description, &f.train_description, &f.notes,
                               &f.slowdown_order, &f.timetable_sheet}) {
    out << "wrote " << *p << "\n";
  }
  return 0;
}

int write_synthetic(int32_t length_m, const std::string& dir, std::ostream& out,
                    std::ostream& err) {
  SyntheticRoute route;
  try {
    route = synthetic_route(length_m);
  } catch (const std::invalid_argument& e) {
    err << "scenario_tool: " << e.what() << "\n";
    return kExitUsage;
  }
  if (!create_directory(dir, err)) return kExitCannotCreate;
  DiskFileSystem disk;
  const std::string line_path = dir + host_path_separator() + "line.txt";
  const std::string train_path = dir + host_path_separator() + "train.txt";
  try {
    disk.replace_file(line_path, route.line_description);
    disk.replace_file(train_path, route.train_description);
  } catch (const FileError& e) {
    err << "scenario_tool: " << e.what() << "\n";
    return kExitCannotCreate;
  }
  out << "wrote " << line_path << "\nwrote " << train_path << "\n";
  return 0;
}

int run_tool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const ScenarioData& carried) {
  CLI::App app{"Check, compile, inspect and draw a scenario.", "scenario_tool"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("scenario_tool ") + SCENARIO_VERSION,
                       "Print the version and end");

  CheckRequest check;
  std::string check_format = "text";
  bool werror = false;
  CLI::App* check_cmd = app.add_subcommand(
      "check", "Report every problem of a line and a train description, errors and warnings");
  check_cmd->add_option("LINE_TEXT", check.line_text_path, "Line description text")->required();
  check_cmd->add_option("TRAIN_TEXT", check.train_text_path, "Train description text")->required();
  check_cmd->add_option("--format", check_format, "text, json or sarif")
      ->check(CLI::IsMember({"text", "json", "sarif"}))
      ->capture_default_str();
  check_cmd->add_flag("--werror", werror, "Fail (status 1) on warnings too");
  check_cmd->add_option("--scenario", check.scenario_name,
                        "Scenario name, checked as pack checks it (seals the files)");
  check_cmd->add_option("--train", check.train_code,
                        "Train code, checked as pack checks it (seals the files)");

  CompileRequest compile;
  bool compile_json = false;
  bool no_plan = false;
  CLI::App* compile_cmd =
      app.add_subcommand("compile", "Compile a line and a train description into binary files");
  compile_cmd->add_option("LINE_TEXT", compile.line_text_path, "Line description text")->required();
  compile_cmd->add_option("TRAIN_TEXT", compile.train_text_path, "Train description text")
      ->required();
  compile_cmd->add_option("--scenario", compile.scenario_name, "Scenario name")->required();
  compile_cmd->add_option("--train", compile.train_code, "Train code")->required();
  compile_cmd->add_option("--out", compile.out_dir, "Directory for the binary files")->required();
  compile_cmd->add_flag("--no-plan", no_plan,
                        "Build no line plan; an older line plan file stays as it is");
  compile_cmd->add_flag("--json", compile_json, "Print the report as one JSON object");
  compile_cmd->add_flag("--strict", compile.strict, "Write no file when any code is recorded");

  std::string inspect_path;
  bool inspect_json = false;
  bool inspect_csv = false;
  CLI::App* inspect_cmd = app.add_subcommand(
      "inspect", "Print a compiled file: *_linea.dat line plan, *.sim train file, *.dat cell grid");
  inspect_cmd->add_option("FILE", inspect_path, "Compiled file")->required();
  CLI::Option* json_opt = inspect_cmd->add_flag("--json", inspect_json, "Print JSON");
  CLI::Option* csv_opt = inspect_cmd->add_flag("--csv", inspect_csv, "Print CSV");
  json_opt->excludes(csv_opt);

  DrawRequest draw;
  CLI::App* draw_cmd =
      app.add_subcommand("draw", "Draw the compiled scenario in DIR as one SVG picture");
  draw_cmd->add_option("DIR", draw.dir, "Directory with the compiled files")->required();
  draw_cmd->add_option("-o,--output", draw.output, "SVG file to write; - for standard output")
      ->required();
  draw_cmd->add_option("--scenario", draw.scenario_name, "Scenario name (guessed when alone)");
  draw_cmd->add_option("--train", draw.train_code, "Train code (guessed when alone)");

  int32_t synth_length = kSyntheticMaxLengthM;
  std::string synth_dir;
  CLI::App* synth_cmd = app.add_subcommand(
      "synthesize", "Write a generated route's line.txt and train.txt into DIR, for load tests");
  synth_cmd->add_option("DIR", synth_dir, "Directory for the two texts")->required();
  synth_cmd->add_option("--length", synth_length, "Route length in metres, whole kilometres")
      ->capture_default_str();

  ExplainCommand explain;
  add_explain_command(app, &explain);
  PreviewCommand preview;
  add_preview_command(app, preview);

  // The texts under the names the builder gives them, for the scripts that
  // compare its files; authors take `example`. Not listed in --help.
  std::string export_dir;
  CLI::App* export_cmd = app.add_subcommand(
      "export-carried",
      "Write the carried scenario's five texts into DIR under the builder's names");
  export_cmd->group("");
  export_cmd->add_option("DIR", export_dir, "Directory for the texts")->required();

  // Other subcommands register here, one call each.

  int pack_status = -1;  // set when pack, unpack or example ran
  add_pack_command(app, pack_status, out, err);
  add_unpack_command(app, pack_status, out, err);
  add_example_command(app, pack_status, out, err, carried);

  // CLI11 parses argv-style arrays; keep the strings alive beside them.
  std::vector<std::string> argv_strings{"scenario_tool"};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  // CLI11 would call an unknown subcommand "not expected"; name it and the
  // nearest ones instead.
  if (!args.empty() && args[0].starts_with("-")) {
    const std::vector<std::string> names = option_names(app);
    const std::string word = args[0].substr(0, args[0].find('='));
    if (std::find(names.begin(), names.end(), word) == names.end()) {
      err << "scenario_tool: unknown option '" << word << "'" << did_you_mean(word, names)
          << "\nRun with --help for more information.\n";
      return kExitUsage;
    }
  }
  if (!args.empty() && !args[0].empty() && args[0][0] != '-') {
    const std::vector<std::string> names = command_names(app);
    if (std::find(names.begin(), names.end(), args[0]) == names.end()) {
      err << "scenario_tool: '" << args[0] << "' is not a command" << did_you_mean(args[0], names)
          << "\nRun with --help for the list of commands.\n";
      return kExitUsage;
    }
  }
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ExtrasError& e) {
    const CLI::App* cmd = &app;
    for (const CLI::App* sub : app.get_subcommands()) cmd = sub;
    const std::vector<std::string> extras = cmd->remaining(false);
    const std::string word = extras.empty() ? "" : extras.front();
    if (!word.empty() && word[0] == '-') {
      err << "scenario_tool: unknown option '" << word << "'"
          << did_you_mean(word.substr(0, word.find('=')), option_names(*cmd)) << "\n";
    } else {
      err << "scenario_tool: " << e.what() << "\n";
    }
    err << "Run with --help for more information.\n";
    return kExitUsage;
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : kExitUsage;
  }

  if (pack_status >= 0) return pack_status;
  if (*check_cmd) {
    const CheckFormat format = check_format == "json"    ? CheckFormat::kJson
                               : check_format == "sarif" ? CheckFormat::kSarif
                                                         : CheckFormat::kText;
    return run_check(check, format, werror, out, err);
  }
  if (*compile_cmd) {
    compile.write_plan = !no_plan;
    return run_compile(compile, compile_json, out, err);
  }
  if (*inspect_cmd) {
    const OutputStyle style = inspect_json  ? OutputStyle::kJson
                              : inspect_csv ? OutputStyle::kCsv
                                            : OutputStyle::kText;
    return inspect_file(inspect_path, style, out, err);
  }
  if (*draw_cmd) return run_draw(draw, out, err);
  if (*preview.cmd) return run_preview(preview.req, out, err);
  if (*synth_cmd) return write_synthetic(synth_length, synth_dir, out, err);
  if (explain.chosen()) return explain.run(out, err);
  if (*export_cmd) return export_carried(export_dir, carried, out, err);
  return kExitUsage;
}

}  // namespace scenario::tools
