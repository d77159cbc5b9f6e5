#include "tools/pack.h"

#include <CLI/CLI.hpp>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "model/error_code.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/platform.h"
#include "sources/builder_mark.h"
#include "sources/scenario_payload.h"
#include "sources/scenario_validity.h"
#include "sources/text_writer.h"
#include "tools/check.h"
#include "tools/check_lint.h"
#include "tools/compiled_files.h"
#include "tools/exit_status.h"
#include "tools/inspect.h"

namespace scenario::tools {
namespace {

std::optional<std::string> read_whole(const std::string& path) {
  if (host_entry(path) != HostEntry::kFile) return std::nullopt;
  std::ifstream in(host_path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(s).str();
}

// Joined as text: a std::filesystem::path made from UTF-8 text on Windows
// would read it in the ANSI code page.
std::string joined(const std::string& dir, std::string_view name) {
  std::string path = dir;
  if (!path.empty() && path.back() != '/' && path.back() != host_path_separator()) {
    path += host_path_separator();
  }
  return path += name;
}

std::string text_path(const std::string& dir, std::size_t k) {
  return joined(dir, kPackTextNames[k]);
}

std::string all_text_names() {
  std::string names;
  for (const std::string_view n : kPackTextNames) {
    if (!names.empty()) names += ", ";
    names += n;
  }
  return names;
}

// The folder a path's file would go into: empty for the working folder, and
// a file at the root keeps the root.
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.find_last_of(host_path_separator() == '/' ? "/" : "/\\");
  if (slash == std::string::npos) return {};
  return path.substr(0, slash == 0 ? 1 : slash);
}

// The builder that sits beside the running tool; a tool built for Windows
// looks for the .exe first.
std::optional<std::string> default_template(std::ostream& err) {
  std::string tool;
  try {
    tool = make_platform()->executable_path();
  } catch (const FileError& e) {
    err << "scenario_tool: " << e.what() << "; give the builder with --template\n";
    return std::nullopt;
  }
  const std::string dir = folder_of(tool);
  const bool windows_tool = tool.ends_with(".exe");
  const char* const order[2] = {windows_tool ? "scenario_builder.exe" : "scenario_builder",
                                windows_tool ? "scenario_builder" : "scenario_builder.exe"};
  for (const char* name : order) {
    const std::string candidate = joined(dir, name);
    if (host_entry(candidate) == HostEntry::kFile) return candidate;
  }
  err << "scenario_tool: no scenario_builder beside the tool in '" << dir
      << "'; give the builder with --template\n";
  return std::nullopt;
}

bool looks_like_program(std::string_view bytes) {
  return bytes.starts_with("MZ") || bytes.starts_with(
                                        "\x7f"
                                        "ELF");
}

// The program part only: a payload is the author's text and proves nothing.
bool is_builder(std::string_view bytes, uint64_t program_end) {
  return looks_like_program(bytes) &&
         holds_builder_mark(bytes.substr(0, static_cast<std::size_t>(program_end)));
}

// A UTF-8 document reaches the player garbled, and check reads only the two
// descriptions: check's encoding warnings, for the three others.
void warn_about_encoding(const std::string& dir, const ScenarioTexts& texts, std::ostream& err) {
  for (std::size_t k = static_cast<std::size_t>(TextKind::kNotes); k < kTextCount; ++k) {
    const CheckedTexts document{text_path(dir, k), crlf_text(texts.texts[k]), "", ""};
    for (const Diagnostic& d :
         lint_text(SourceOrigin::File::kLineDescription, document.line_text).diagnostics) {
      if (d.rule != "utf-8-text" && d.rule != "byte-order-mark") continue;
      print_diagnostic(d, document, err);
    }
  }
}

// Writes the five texts into `dir` with CR LF ends, as unpack and example
// do. Existing texts are replaced only with `force`. Returns 0 or 73.
int write_texts(const std::string& dir, const ScenarioTexts& texts, bool force, std::ostream& out,
                std::ostream& err) {
  if (!create_directory(dir, err)) return kExitCannotCreate;
  if (!force) {
    for (std::size_t k = 0; k < kTextCount; ++k) {
      if (host_entry(text_path(dir, k)) != HostEntry::kNone) {
        err << "scenario_tool: '" << text_path(dir, k)
            << "' exists; choose another folder or add --force to replace it\n";
        return kExitCannotCreate;
      }
    }
  }
  DiskFileSystem disk;
  try {
    for (std::size_t k = 0; k < kTextCount; ++k) {
      disk.replace_file(text_path(dir, k), crlf_text(texts.texts[k]));
    }
  } catch (const FileError& e) {
    err << "scenario_tool: " << e.what() << "\n";
    return kExitCannotCreate;
  }
  for (std::size_t k = 0; k < kTextCount; ++k) out << "wrote " << text_path(dir, k) << "\n";
  return 0;
}

std::string pack_command(const std::string& dir, const ScenarioTexts& texts) {
  return "scenario_tool pack " + dir + " --scenario " + texts.scenario_name + " --train " +
         texts.train_code + " -o BUILDER";
}

// Writes beside the target and renames over it, so that a failed write
// never leaves half a builder under the target's name, and a template packed
// in place is read whole before it is replaced.
bool write_executable(const std::string& path, std::string_view a, std::string_view b,
                      std::string& problem) {
  const std::string temporary = path + ".part";
  {
    std::ofstream f(host_path(temporary), std::ios::binary | std::ios::trunc);
    if (!f) {
      const std::string folder = folder_of(path);
      problem = "cannot create '" + path + "'";
      if (!folder.empty() && host_entry(folder) != HostEntry::kDirectory) {
        problem += ": its folder does not exist";
      } else {
        problem += " (writing '" + temporary + "' beside it failed)";
      }
      return false;
    }
    f.write(a.data(), static_cast<std::streamsize>(a.size()));
    f.write(b.data(), static_cast<std::streamsize>(b.size()));
    f.close();
    if (!f) {
      remove_host_file(temporary);
      problem = "cannot write '" + temporary + "'";
      return false;
    }
  }
  std::error_code ec = allow_host_execution(temporary);
  if (!ec) ec = rename_host_file(temporary, path);
  if (ec) {
    remove_host_file(temporary);
    problem = "cannot write '" + path + "': " + ec.message();
    return false;
  }
  return true;
}

}  // namespace

int run_pack(const PackRequest& req, std::ostream& out, std::ostream& err) {
  ScenarioTexts texts;
  texts.scenario_name = req.scenario_name;
  texts.train_code = req.train_code;
  if (auto p = name_problem(req.scenario_name)) {
    err << "scenario_tool: --scenario \"" << req.scenario_name << "\": " << *p << "\n";
    return kExitUsage;
  }
  if (auto p = name_problem(req.train_code)) {
    err << "scenario_tool: --train \"" << req.train_code << "\": " << *p << "\n";
    return kExitUsage;
  }
  for (std::size_t k = 0; k < kTextCount; ++k) {
    const std::string path = text_path(req.dir, k);
    std::optional<std::string> bytes = read_whole(path);
    if (!bytes) {
      err << "scenario_tool: cannot read '" << path << "' (a scenario folder holds "
          << all_text_names() << ")\n";
      return kExitNoInput;
    }
    texts.texts[k] = std::move(*bytes);
  }
  // What the builder would refuse is never packed, --force or not.
  bool refused = false;
  for (std::size_t k = 0; k < kTextCount; ++k) {
    if (auto p = text_problem(texts.texts[k])) {
      err << text_path(req.dir, k) << ":" << p->line << ":" << p->column
          << ": error: " << p->message << "\n";
      refused = true;
    }
  }
  if (refused) return kExitBadData;

  // What check finds as an error the builder would record or refuse: not
  // packed without --force. Warnings never block. Check sees the texts as
  // the builder writes them, with CR LF ends.
  CheckRequest check;
  check.line_text_path = text_path(req.dir, 0);
  check.train_text_path = text_path(req.dir, 1);
  check.scenario_name = req.scenario_name;
  check.train_code = req.train_code;
  const CheckedTexts checked{check.line_text_path, crlf_text(texts.texts[0]), check.train_text_path,
                             crlf_text(texts.texts[1])};
  std::vector<Diagnostic> diagnostics;
  try {
    diagnostics = check_texts(checked.line_text, checked.train_text, check);
  } catch (const FileError& e) {
    err << "scenario_tool: the compile failed: " << e.what() << "\n";
    return kExitSoftware;
  }
  std::size_t errors = 0, warnings = 0;
  bool fatal = false;
  for (const Diagnostic& d : diagnostics) {
    if (d.severity != Severity::kError) {
      ++warnings;
      continue;
    }
    ++errors;
    fatal = fatal || d.code == kMarkerSlotTaken || d.code == kCheckCodeSlotTaken;
    print_diagnostic(d, checked, err);
  }
  if (errors > 0) {
    if (!req.force) {
      err << "scenario_tool: not packed: check finds " << errors
          << (errors == 1 ? " error" : " errors") << " (--force packs anyway)\n";
      return fatal ? kExitFatal : kExitProblem;
    }
    err << "scenario_tool: packing anyway (--force)\n";
  }
  if (warnings > 0) {
    err << "scenario_tool: check finds "
        << (warnings == 1 ? std::string("1 warning, which does")
                          : std::to_string(warnings) + " warnings, which do")
        << " not block packing; `scenario_tool check " << check.line_text_path << " "
        << check.train_text_path << "` lists them\n";
  }
  warn_about_encoding(req.dir, texts, err);

  std::string template_path = req.template_path;
  if (template_path.empty()) {
    std::optional<std::string> found = default_template(err);
    if (!found) return kExitNoInput;
    template_path = *found;
  }
  std::optional<std::string> builder = read_whole(template_path);
  if (!builder) {
    err << "scenario_tool: cannot read the template builder '" << template_path << "'\n";
    return kExitNoInput;
  }
  const PayloadRead old = read_payload(*builder);
  if (old.status == PayloadStatus::kDamaged) {
    err << "scenario_tool: the template '" << template_path << "' carries damaged scenario data ("
        << old.reason << "); its own end cannot be told, take an unpacked builder\n";
    return kExitBadData;
  }
  if (!is_builder(*builder, old.payload_offset)) {
    err << "scenario_tool: '" << template_path
        << "' is not a scenario builder; give --template scenario_builder or "
           "scenario_builder.exe of this release, or a builder packed from one\n";
    return kExitBadData;
  }
  // A packed template keeps only its builder: its payload is replaced.
  builder->resize(static_cast<std::size_t>(old.payload_offset));

  const std::string payload = payload_bytes(texts);
  std::string problem;
  if (!write_executable(req.output, *builder, payload, problem)) {
    err << "scenario_tool: " << problem << "\n";
    return kExitCannotCreate;
  }
  out << "packed " << req.scenario_name << " (train " << req.train_code << ") into " << req.output
      << " from " << template_path
      << (old.status == PayloadStatus::kValid ? " (its earlier scenario replaced)" : "") << "\n";
  return 0;
}

int run_unpack(const std::string& builder_path, const std::string& dir, bool force,
               std::ostream& out, std::ostream& err) {
  std::optional<std::string> builder = read_whole(builder_path);
  if (!builder) {
    err << "scenario_tool: cannot read '" << builder_path << "'\n";
    return kExitNoInput;
  }
  const PayloadRead read = read_payload(*builder);
  if (read.status == PayloadStatus::kNone) {
    if (!is_builder(*builder, read.payload_offset)) {
      err << "scenario_tool: '" << builder_path << "' is not a scenario builder\n";
    } else {
      err << "scenario_tool: '" << builder_path
          << "' carries no packed scenario: it builds the scenario compiled into it. "
             "`scenario_tool example DIR` writes the carried LORVENA texts.\n";
    }
    return kExitBadData;
  }
  if (read.status != PayloadStatus::kValid) {
    err << "scenario_tool: '" << builder_path << "': Scenario data damaged: " << read.reason
        << "\n";
    return kExitBadData;
  }
  if (const int status = write_texts(dir, read.texts, force, out, err)) return status;
  out << "scenario " << read.texts.scenario_name << ", train " << read.texts.train_code
      << "; pack again with: " << pack_command(dir, read.texts) << "\n";
  return 0;
}

int run_example(const std::string& dir, const ScenarioData& carried, bool force, std::ostream& out,
                std::ostream& err) {
  ScenarioTexts texts;
  texts.scenario_name = carried.scenario_name;
  texts.train_code = carried.train_code;
  const std::span<const std::string_view> tables[kTextCount] = {
      carried.line_description, carried.train_description, carried.notes, carried.slowdown_order,
      carried.timetable_sheet};
  for (std::size_t k = 0; k < kTextCount; ++k) texts.texts[k] = text_file_bytes(tables[k]);
  if (const int status = write_texts(dir, texts, force, out, err)) return status;
  out << "scenario " << texts.scenario_name << ", train " << texts.train_code
      << "; check with: scenario_tool check " << text_path(dir, 0) << " " << text_path(dir, 1)
      << " --scenario " << texts.scenario_name << " --train " << texts.train_code
      << "; pack with: " << pack_command(dir, texts) << "\n";
  return 0;
}

void add_pack_command(CLI::App& app, int& status, std::ostream& out, std::ostream& err) {
  auto req = std::make_shared<PackRequest>();
  CLI::App* cmd = app.add_subcommand(
      "pack", "Make a builder that carries the scenario in DIR (" + all_text_names() + ")");
  cmd->add_option("DIR", req->dir, "Folder with the five texts")->required();
  cmd->add_option("--scenario", req->scenario_name, "Scenario name")->required();
  cmd->add_option("--train", req->train_code, "Train code")->required();
  cmd->add_option("-o,--output", req->output, "Builder to write")->required();
  cmd->add_option("--template", req->template_path,
                  "Builder to start from (default: scenario_builder beside this tool; a .exe "
                  "gives a Windows builder)");
  cmd->add_flag("--force", req->force, "Pack even when check finds an error");
  cmd->callback([req, &status, &out, &err] { status = run_pack(*req, out, err); });
}

void add_unpack_command(CLI::App& app, int& status, std::ostream& out, std::ostream& err) {
  auto builder = std::make_shared<std::string>();
  auto dir = std::make_shared<std::string>();
  auto force = std::make_shared<bool>(false);
  CLI::App* cmd =
      app.add_subcommand("unpack", "Write the five texts a packed builder carries into DIR (" +
                                       all_text_names() + ")");
  cmd->add_option("BUILDER", *builder, "Packed builder")->required();
  cmd->add_option("DIR", *dir, "Folder for the texts")->required();
  cmd->add_flag("--force", *force, "Replace texts already in DIR");
  cmd->callback([builder, dir, force, &status, &out, &err] {
    status = run_unpack(*builder, *dir, *force, out, err);
  });
}

void add_example_command(CLI::App& app, int& status, std::ostream& out, std::ostream& err,
                         const ScenarioData& carried) {
  auto dir = std::make_shared<std::string>();
  auto force = std::make_shared<bool>(false);
  CLI::App* cmd = app.add_subcommand(
      "example", "Write the carried scenario's five texts into DIR as pack takes them (" +
                     all_text_names() + "), as a starting point");
  cmd->add_option("DIR", *dir, "Folder for the texts")->required();
  cmd->add_flag("--force", *force, "Replace texts already in DIR");
  cmd->callback([dir, force, &carried, &status, &out, &err] {
    status = run_example(*dir, carried, *force, out, err);
  });
}

}  // namespace scenario::tools
