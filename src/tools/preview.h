#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace scenario::tools {

struct PreviewRequest {
  std::string line_text_path;
  std::string train_text_path;
  std::string output;  // the page file; unused with `serve`
  std::string scenario_name;
  std::string train_code;
  bool serve = false;
  int port = 8765;
};

/// Adds the `preview` subcommand to `app`; on a successful parse the returned
/// function runs it. The request lives as long as `app`.
struct PreviewCommand {
  CLI::App* cmd = nullptr;
  PreviewRequest req;
};
void add_preview_command(CLI::App& app, PreviewCommand& command);

/// Writes the page (or serves it, with req.serve). Returns 0, 64 for bad
/// names or options, 66 when a text cannot be read, 73 when the page cannot
/// be written or the port cannot be bound.
int run_preview(const PreviewRequest& req, std::ostream& out, std::ostream& err);

/// The page's data as one JSON document: the compiled model (cells as
/// objects and profiles, station table, the plan at several resolutions)
/// and the rows as written, all from one compile of the two texts, and
/// check_texts' diagnostics, errors and warnings. The paths only name the
/// texts in the page.
std::string preview_data_json(const std::string& line_text, const std::string& train_text,
                              const PreviewRequest& req);

/// The live page's data while a text cannot be read: `last_good` (the data
/// of the last texts that could be read; empty before any) with `why` as
/// its read error and no diagnostics, so that the page lists only that.
std::string unreadable_data_json(const std::string& last_good, const std::string& why,
                                 const PreviewRequest& req);

/// The self-contained page around `data_json`. `live`: the page follows the
/// server's event stream.
std::string preview_page(const std::string& data_json, bool live);

/// The page's own script, style and markup, kept apart from the data.
extern const char* const kPreviewHtmlHead;
extern const char* const kPreviewCss;
extern const char* const kPreviewHtmlBody;
const std::string& preview_script();

/// Serves the page on 127.0.0.1:port until SIGINT or SIGTERM, compiling again
/// whenever one of the texts changes on disk. Returns the exit status.
int serve_preview(const PreviewRequest& req, std::ostream& out, std::ostream& err);

}  // namespace scenario::tools
