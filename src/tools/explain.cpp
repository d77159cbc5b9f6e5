#include "tools/explain.h"

#include <fmt/format.h>

#include <CLI/CLI.hpp>

#include "tools/format_reference.h"
#include "tools/inspect.h"

namespace scenario::tools {

bool ExplainCommand::chosen() const { return command != nullptr && command->parsed(); }

int ExplainCommand::run(std::ostream& out, std::ostream& err) const {
  return run_explain(key, markdown, out, err);
}

void add_explain_command(CLI::App& app, ExplainCommand* explain) {
  explain->command = app.add_subcommand(
      "explain", "Explain a row of the description texts: its values, units, ranges, example");
  explain->command->add_option("KEY", explain->key,
                               "Key word, as in the texts (\"stazione\", \"lunghezza percorso\", "
                               "\"curvas4\"); none lists them all");
  explain->command->add_flag("--markdown", explain->markdown,
                             "Print the whole reference as Markdown (docs/description-format.md)");
}

int run_explain(const std::string& key, bool markdown, std::ostream& out, std::ostream& err) {
  if (markdown) {
    if (!key.empty()) {
      err << "scenario_tool: explain --markdown prints the whole reference; give no KEY\n";
      return kExitUsage;
    }
    out << format_reference_markdown();
    return 0;
  }
  if (key.empty()) {
    out << key_word_list();
    out << "\nscenario_tool explain KEY prints one of them; docs/description-format.md has "
           "them all.\n";
    return 0;
  }
  const std::vector<const RowKind*> kinds = find_row_kinds(key);
  if (!kinds.empty()) {
    const char* separator = "";
    for (const RowKind* k : kinds) {
      out << separator << row_kind_text(*k);
      separator = "\n";
    }
    return 0;
  }
  if (const ZoneRules* zone = header_line_zone(key)) {
    out << fmt::format(
        "{}: a header line of the carried texts ({}). It matches no key word; only the start "
        "rule (\"[generale]\") and the end of the line description's general section (the first "
        "item with \"[\" and \"]\") give such lines a meaning.\n",
        key, zone->title);
    return 0;
  }
  err << fmt::format("scenario_tool: no row kind has the key '{}'", key);
  const std::vector<std::string_view> close = closest_key_words(key, 3);
  if (!close.empty()) {
    err << "; did you mean ";
    for (size_t i = 0; i < close.size(); ++i) {
      err << (i == 0 ? "" : i + 1 == close.size() ? " or " : ", ") << '"' << close[i] << '"';
    }
    err << '?';
  }
  err << "\nscenario_tool explain lists every key word.\n";
  return kExitUsage;
}

}  // namespace scenario::tools
