#include "tools/scenario_tool.h"

#include <filesystem>

#include <CLI/CLI.hpp>

#include "output/file_naming.h"
#include "platform/host_path.h"
#include "sources/text_writer.h"
#include "tools/compile_report.h"
#include "tools/inspect.h"
#include "tools/route_drawing.h"
#include "tools/synthetic_route.h"

namespace scenario::tools {

int export_carried(const std::string& dir, const ScenarioData& carried, std::ostream& out,
                   std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(host_path(dir), ec);
  if (ec) {
    err << "scenario_tool: cannot create '" << dir << "': " << ec.message() << "\n";
    return kExitCannotCreate;
  }
  const ScenarioFiles f = scenario_files(dir, host_path_separator(),
                                         std::string(carried.scenario_name),
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
  for (const std::string* p :
       {&f.line_description, &f.train_description, &f.notes, &f.slowdown_order,
        &f.timetable_sheet}) {
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
  std::error_code ec;
  std::filesystem::create_directories(host_path(dir), ec);
  if (ec) {
    err << "scenario_tool: cannot create '" << dir << "': " << ec.message() << "\n";
    return kExitCannotCreate;
  }
  DiskFileSystem disk;
  const std::string line_path = dir + "/line.txt";
  const std::string train_path = dir + "/train.txt";
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
  CLI::App app{"Compile, inspect and draw a scenario.", "scenario_tool"};
  app.require_subcommand(1);

  CompileRequest compile;
  bool compile_json = false;
  bool no_plan = false;
  CLI::App* compile_cmd =
      app.add_subcommand("compile", "Compile a line and a train description into binary files");
  compile_cmd->add_option("LINE_TEXT", compile.line_text_path, "Line description text")
      ->required();
  compile_cmd->add_option("TRAIN_TEXT", compile.train_text_path, "Train description text")
      ->required();
  compile_cmd->add_option("--scenario", compile.scenario_name, "Scenario name")->required();
  compile_cmd->add_option("--train", compile.train_code, "Train code")->required();
  compile_cmd->add_option("--out", compile.out_dir, "Directory for the binary files")->required();
  compile_cmd->add_flag("--no-plan", no_plan, "Build no line plan; an older line plan file stays as it is");
  compile_cmd->add_flag("--json", compile_json, "Print the report as one JSON object");

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
  draw_cmd->add_option("-o,--output", draw.output, "SVG file to write")->required();
  draw_cmd->add_option("--scenario", draw.scenario_name, "Scenario name (guessed when alone)");
  draw_cmd->add_option("--train", draw.train_code, "Train code (guessed when alone)");

  int32_t synth_length = kSyntheticMaxLengthM;
  std::string synth_dir;
  CLI::App* synth_cmd = app.add_subcommand(
      "synthesize", "Write a generated route's line.txt and train.txt into DIR, for load tests");
  synth_cmd->add_option("DIR", synth_dir, "Directory for the two texts")->required();
  synth_cmd->add_option("--length", synth_length, "Route length in metres, whole kilometres")
      ->capture_default_str();

  std::string export_dir;
  CLI::App* export_cmd = app.add_subcommand("export-carried", "");
  export_cmd->group("");  // hidden: a helper for the documentation script
  export_cmd->add_option("DIR", export_dir)->required();

  // CLI11 parses argv-style arrays; keep the strings alive beside them.
  std::vector<std::string> argv_strings{"scenario_tool"};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : kExitUsage;
  }

  if (*compile_cmd) {
    compile.write_plan = !no_plan;
    return run_compile(compile, compile_json, out, err);
  }
  if (*inspect_cmd) {
    const OutputStyle style =
        inspect_json ? OutputStyle::kJson : inspect_csv ? OutputStyle::kCsv : OutputStyle::kText;
    return inspect_file(inspect_path, style, out, err);
  }
  if (*draw_cmd) return run_draw(draw, out, err);
  if (*synth_cmd) return write_synthetic(synth_length, synth_dir, out, err);
  if (*export_cmd) return export_carried(export_dir, carried, out, err);
  return kExitUsage;
}

}  // namespace scenario::tools
