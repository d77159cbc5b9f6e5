#pragma once

#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace scenario::tools {

/// `explain [KEY] [--markdown]`: the reference of one row kind, the list of
/// key words, or the whole reference as Markdown.
struct ExplainCommand {
  CLI::App* command = nullptr;
  std::string key;
  bool markdown = false;

  bool chosen() const;
  /// 0, or kExitUsage when KEY names no row kind (with the closest key
  /// words on `err`).
  int run(std::ostream& out, std::ostream& err) const;
};

/// Adds the subcommand to `app`; the returned object must outlive parsing.
void add_explain_command(CLI::App& app, ExplainCommand* explain);

/// What `explain KEY` prints; an empty key lists every key word.
int run_explain(const std::string& key, bool markdown, std::ostream& out, std::ostream& err);

}  // namespace scenario::tools
